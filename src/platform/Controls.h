#pragma once
// The controls of the windows with the event rules the windows were written
// for, which differ from Qt's:
// - a choice list runs its Click handler when the user chooses an item and
//   whenever code sets its list index, also to the index it already has;
// - a check box, option button or scroll bar runs its handler when its value
//   changes, whether the user or code changed it, and not when code sets the
//   value it already has;
// - an option button runs its handler only when it becomes the selected one.
// Each control runs one handler at most once per change. setXxxHandler()
// installs a window's handler and replaces the one installed before, so a
// handler is never connected twice.
#include <QCheckBox>
#include <QComboBox>
#include <QMetaObject>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>

#include <functional>

class QLineEdit;

namespace dzq {

// A drop-down choice list (QComboBox) with a list index in BASIC style: -1 is
// no selection, and adding the first items does not select one.
class ChoiceList : public QComboBox {
    Q_OBJECT
public:
    explicit ChoiceList(QWidget *parent = nullptr);

    int listIndex() const { return currentIndex(); }
    // Selects index (-1 clears the selection) and emits clicked() once, even
    // when the index does not change. An index outside -1..count()-1 changes
    // nothing, emits nothing and returns false.
    bool setListIndex(int index);

    // An editable list has a text part the user can type into; typing emits
    // changed(). Use this rather than QComboBox::setEditable. Typed text is
    // never added to the list.
    void setEditable(bool editable);
    // The text part (the selected item's text for a list that is not editable).
    QString text() const { return currentText(); }
    // Sets the text part of an editable list without emitting anything; does
    // nothing on a list that is not editable.
    void setText(const QString &text);

    void setClickHandler(const QObject *context, std::function<void()> handler);
    void setChangeHandler(const QObject *context, std::function<void()> handler);

signals:
    // A choice from the list, by the user or by setListIndex().
    void clicked();
    // Text typed into the text part of an editable list.
    void changed();

private:
    void keepNoSelection();
    QPointer<QLineEdit> typedFrom_;
    QMetaObject::Connection clickHandler_;
    QMetaObject::Connection changeHandler_;
    int indexBeforeInsert_ = -1;
    QString textBeforeInsert_;
};

// A check box whose value is 0 (clear) or 1 (checked).
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(QWidget *parent = nullptr);
    explicit CheckBox(const QString &text, QWidget *parent = nullptr);

    int value() const { return isChecked() ? 1 : 0; }
    // 0 clears, any other value checks; emits valueChanged() only on a change.
    void setValue(int value);

    void setClickHandler(const QObject *context, std::function<void()> handler);

signals:
    // The value changed, by the user or by setValue().
    void valueChanged();

private:
    QMetaObject::Connection handler_;
};

// An option button (a radio button; the buttons of one parent exclude each
// other).
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(QWidget *parent = nullptr);
    explicit OptionButton(const QString &text, QWidget *parent = nullptr);

    bool value() const { return isChecked(); }
    // true selects this button (and clears the other one of its group); false
    // clears it, leaving no button of the group selected.
    void setValue(bool selected);

    void setClickHandler(const QObject *context, std::function<void()> handler);

signals:
    // This button became the selected one, by the user or by setValue(true).
    void selected();

private:
    QMetaObject::Connection handler_;
};

// A scroll bar (horizontal unless set otherwise) with a value between its
// minimum and maximum. Dragging the thumb changes the value when it is
// released; arrows, the track and the keyboard change it at once. Values from
// code are clamped into the range; narrowing the range so that it excludes
// the value moves the value, which counts as a change.
class ScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit ScrollBar(QWidget *parent = nullptr);
    explicit ScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    // The window's Change handler; runs on valueChanged(int).
    void setChangeHandler(const QObject *context, std::function<void()> handler);

private:
    QMetaObject::Connection handler_;
};

} // namespace dzq
