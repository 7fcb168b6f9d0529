#pragma once
// Small widgets of the main keyboard window: the on-screen key, the button
// that holds the keyboard focus while the computer keyboard plays, and the
// recorder's image buttons.
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

namespace dzq {

// One on-screen key: shows its key picture (102-105) at its natural size.
// Pressing the left button on it starts a drag over the keyboard: the key
// keeps the mouse until the button is let go, and reports the press and every
// movement with the widget under the pointer, so a drag can glide from key to
// key. A disabled key takes no part.
class KeyPicture : public QWidget {
    Q_OBJECT
public:
    explicit KeyPicture(QWidget *parent = nullptr);

    // Shows picture and takes its size.
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return picture_; }

signals:
    // The left button went down on this key, or the pointer moved while the
    // button pressed here is held (also within the key). under is the child
    // of the key's parent that lies under the pointer, topmost first (a black
    // key over a white one): this key, another key or any other widget;
    // nullptr where there is none.
    void dragOver(QWidget *under);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *widgetUnder(QPointF pos) const;

    QPixmap picture_;
    bool dragging_ = false;
};

// The button the keyboard plays through. It takes every key for itself: Tab,
// Backtab, arrows, Space, Enter and the function keys neither move the focus
// nor click it. The input method is off, so letters arrive as keys, not as
// composed text. Presses and releases come out as virtual-key codes
// (keyboard/core/VirtualKeys.h) with the Shift argument; repeats of a held key
// arrive as further presses without releases.
class KeyboardFocusButton : public QPushButton {
    Q_OBJECT
public:
    explicit KeyboardFocusButton(QWidget *parent = nullptr);

signals:
    void keyDown(int vk, int shift);
    void keyUp(int vk, int shift);
    void gotFocus();
    void lostFocus();

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};

// A recorder button: a round metal button with a play, stop or record sign,
// drawn to whatever size it has (the pressed look is a smaller geometry).
class RecorderButton : public QWidget {
    Q_OBJECT
public:
    enum class Sign { Play, Stop, Record };
    explicit RecorderButton(Sign sign, QWidget *parent = nullptr);
    Sign sign() const { return sign_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Sign sign_;
};

} // namespace dzq
