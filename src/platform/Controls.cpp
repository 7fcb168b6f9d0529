#include "platform/Controls.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace dzq {

namespace {

// Connects handler to signal in place of the handler connected before.
template <typename Sender, typename Signal>
void replaceHandler(QMetaObject::Connection &connection, Sender *sender, Signal signal, const QObject *context,
                    std::function<void()> handler)
{
    QObject::disconnect(connection);
    connection = {};
    if (handler)
        connection = QObject::connect(sender, signal, context ? context : sender, std::move(handler));
}

} // namespace

// ---- ChoiceList ----

ChoiceList::ChoiceList(QWidget *parent) : QComboBox(parent)
{
    // activated is the user's choice (mouse, keys, wheel) and is not emitted
    // when code changes the index; setListIndex() emits clicked() itself.
    connect(this, &QComboBox::activated, this, &ChoiceList::clicked);
    // Qt selects the first item that goes into an empty list; a list index
    // stays -1 until someone chooses. These run after the combo box's own
    // handlers, which were connected when its model was made.
    connect(model(), &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        indexBeforeInsert_ = currentIndex();
        textBeforeInsert_ = currentText();
    });
    connect(model(), &QAbstractItemModel::rowsInserted, this, &ChoiceList::keepNoSelection);
}

void ChoiceList::keepNoSelection()
{
    if (indexBeforeInsert_ != -1 || currentIndex() == -1)
        return;
    const QSignalBlocker blocker(this);
    setCurrentIndex(-1);
    if (isEditable())
        setEditText(textBeforeInsert_);
}

bool ChoiceList::setListIndex(int index)
{
    if (index < -1 || index >= count())
        return false;
    setCurrentIndex(index);
    emit clicked();
    return true;
}

void ChoiceList::setEditable(bool editable)
{
    QComboBox::setEditable(editable);
    if (!editable)
        return;
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr); // no completion of typed text from the items
    if (typedFrom_ != lineEdit()) {
        typedFrom_ = lineEdit();
        connect(typedFrom_, &QLineEdit::textEdited, this, &ChoiceList::changed);
    }
}

void ChoiceList::setText(const QString &text)
{
    if (isEditable())
        setEditText(text);
}

void ChoiceList::setClickHandler(const QObject *context, std::function<void()> handler)
{
    replaceHandler(clickHandler_, this, &ChoiceList::clicked, context, std::move(handler));
}

void ChoiceList::setChangeHandler(const QObject *context, std::function<void()> handler)
{
    replaceHandler(changeHandler_, this, &ChoiceList::changed, context, std::move(handler));
}

// ---- CheckBox ----

CheckBox::CheckBox(QWidget *parent) : CheckBox(QString(), parent) {}

CheckBox::CheckBox(const QString &text, QWidget *parent) : QCheckBox(text, parent)
{
    // toggled comes for every change of the checked state, from a click or
    // from code, and never for a state that stays.
    connect(this, &QAbstractButton::toggled, this, &CheckBox::valueChanged);
}

void CheckBox::setValue(int value) { setChecked(value != 0); }

void CheckBox::setClickHandler(const QObject *context, std::function<void()> handler)
{
    replaceHandler(handler_, this, &CheckBox::valueChanged, context, std::move(handler));
}

// ---- OptionButton ----

OptionButton::OptionButton(QWidget *parent) : OptionButton(QString(), parent) {}

OptionButton::OptionButton(const QString &text, QWidget *parent) : QRadioButton(text, parent)
{
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (on)
            emit selected();
    });
}

void OptionButton::setValue(bool selected)
{
    if (selected || !isChecked()) {
        setChecked(selected);
        return;
    }
    // Qt keeps one button of an exclusive group checked; clearing it needs
    // the exclusion lifted for a moment.
    const bool exclusive = autoExclusive();
    setAutoExclusive(false);
    setChecked(false);
    setAutoExclusive(exclusive);
}

void OptionButton::setClickHandler(const QObject *context, std::function<void()> handler)
{
    replaceHandler(handler_, this, &OptionButton::selected, context, std::move(handler));
}

// ---- ScrollBar ----

ScrollBar::ScrollBar(QWidget *parent) : ScrollBar(Qt::Horizontal, parent) {}

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent)
{
    setRange(0, 32767);
    setSingleStep(1);
    setPageStep(1);
    // The value changes when a dragged thumb is let go, not on every move.
    setTracking(false);
    // Qt's scroll bars invert their keys, which makes the right arrow lower
    // the value of a horizontal one; here right and down raise it.
    setInvertedControls(orientation == Qt::Vertical);
}

void ScrollBar::setChangeHandler(const QObject *context, std::function<void()> handler)
{
    replaceHandler(handler_, this, &QScrollBar::valueChanged, context, std::move(handler));
}

} // namespace dzq
