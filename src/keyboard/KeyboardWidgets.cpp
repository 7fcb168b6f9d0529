#include "keyboard/KeyboardWidgets.h"

#include "keyboard/core/VirtualKeys.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace dzq {

KeyPicture::KeyPicture(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void KeyPicture::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    if (!picture_.isNull())
        resize(picture_.deviceIndependentSize().toSize());
    update();
}

void KeyPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (picture_.isNull())
        p.fillRect(rect(), Qt::white);
    else
        p.drawPixmap(0, 0, picture_);
}

QWidget *KeyPicture::widgetUnder(QPointF pos) const
{
    // The pressed key holds the mouse, so the pointer is found through the
    // parent, where the black keys were placed after the white ones.
    QWidget *parent = parentWidget();
    if (!parent)
        return rect().contains(pos.toPoint()) ? const_cast<KeyPicture *>(this) : nullptr;
    return parent->childAt(mapTo(parent, pos.toPoint()));
}

// Mouse events on a key are the key's own: none reaches the window behind it.
void KeyPicture::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    emit dragOver(widgetUnder(event->position()));
}

void KeyPicture::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (dragging_ && (event->buttons() & Qt::LeftButton))
        emit dragOver(widgetUnder(event->position()));
}

void KeyPicture::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

void KeyPicture::changeEvent(QEvent *event)
{
    // A key disabled during a drag never sees the button go up.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        dragging_ = false;
    QWidget::changeEvent(event);
}

KeyboardFocusButton::KeyboardFocusButton(QWidget *parent) : QPushButton(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    setDefault(false);
}

bool KeyboardFocusButton::event(QEvent *event)
{
    // Every key goes to the key handlers: QWidget::event would turn Tab and
    // Backtab into focus moves, and shortcuts would take the others first.
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
    case QEvent::KeyPress:
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    case QEvent::KeyRelease:
        keyReleaseEvent(static_cast<QKeyEvent *>(event));
        return true;
    default:
        return QPushButton::event(event);
    }
}

void KeyboardFocusButton::focusInEvent(QFocusEvent *event)
{
    QPushButton::focusInEvent(event);
    emit gotFocus();
}

void KeyboardFocusButton::focusOutEvent(QFocusEvent *event)
{
    QPushButton::focusOutEvent(event);
    emit lostFocus();
}

void KeyboardFocusButton::keyPressEvent(QKeyEvent *event)
{
    // Not passed to QPushButton: Space and Enter must not click the button.
    event->accept();
    const int code = virtualKeyCode(event->key(), event->modifiers());
    if (code == 0)
        return;
    emit keyDown(code, shiftMask(event->key(), event->modifiers(), true));
}

void KeyboardFocusButton::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
    if (event->isAutoRepeat())
        return;
    const int code = virtualKeyCode(event->key(), event->modifiers());
    if (code == 0)
        return;
    emit keyUp(code, shiftMask(event->key(), event->modifiers(), false));
}

RecorderButton::RecorderButton(Sign sign, QWidget *parent) : QWidget(parent), sign_(sign)
{
    setCursor(Qt::PointingHandCursor);
}

void RecorderButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QRadialGradient face(r.center() - QPointF(r.width() * 0.2, r.height() * 0.25), r.width() * 0.75);
    face.setColorAt(0, QColor(250, 248, 242));
    face.setColorAt(1, QColor(178, 168, 150));
    p.setPen(QPen(QColor(110, 98, 80), 1));
    p.setBrush(face);
    p.drawEllipse(r);

    const QPointF c = r.center();
    const double s = r.width() * 0.22;
    p.setPen(Qt::NoPen);
    switch (sign_) {
    case Sign::Play: {
        QPainterPath tri;
        tri.moveTo(c + QPointF(-s * 0.7, -s));
        tri.lineTo(c + QPointF(s * 1.1, 0));
        tri.lineTo(c + QPointF(-s * 0.7, s));
        tri.closeSubpath();
        p.setBrush(QColor(40, 120, 60));
        p.drawPath(tri);
        break;
    }
    case Sign::Stop:
        p.setBrush(QColor(50, 48, 56));
        p.drawRect(QRectF(c.x() - s * 0.85, c.y() - s * 0.85, s * 1.7, s * 1.7));
        break;
    case Sign::Record:
        p.setBrush(QColor(200, 30, 40));
        p.drawEllipse(c, s, s);
        break;
    }
}

void RecorderButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace dzq
