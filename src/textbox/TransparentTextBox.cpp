#include "textbox/TransparentTextBox.h"

#include "platform/PictureWindow.h"

#include <QAbstractScrollArea>
#include <QPaintEvent>
#include <QPainter>

namespace dzq {

TransparentTextBox::TransparentTextBox(QAbstractScrollArea *box) : QObject(box), box_(box)
{
    box_->viewport()->installEventFilter(this);
    // An opaque container that moves is copied to its new place with the box
    // inside, so the box would carry the picture of its old place along; a
    // move of the box or of any container below the window repaints it.
    PictureWindow *window = pictureWindow();
    for (QWidget *w = box_; w && w != window; w = w->parentWidget())
        w->installEventFilter(this);
    if (window)
        connect(window, &PictureWindow::pictureChanged, box_->viewport(), qOverload<>(&QWidget::update));
}

TransparentTextBox *TransparentTextBox::of(const QAbstractScrollArea *box)
{
    return box ? box->findChild<TransparentTextBox *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

PictureWindow *TransparentTextBox::pictureWindow() const
{
    for (QWidget *w = box_->parentWidget(); w; w = w->parentWidget()) {
        if (auto *window = qobject_cast<PictureWindow *>(w))
            return window;
    }
    return nullptr;
}

QRect TransparentTextBox::viewportRect(const PictureWindow *window) const
{
    const QWidget *viewport = box_->viewport();
    return {viewport->mapTo(window, QPoint(0, 0)), viewport->size()};
}

bool TransparentTextBox::rebuild()
{
    if (!cut())
        return false;
    box_->viewport()->setAutoFillBackground(false);
    box_->viewport()->update();
    return true;
}

bool TransparentTextBox::cut()
{
    const PictureWindow *window = pictureWindow();
    if (!window || window->picture().isNull())
        return false;
    const QPixmap &picture = window->picture();
    const QRect source = viewportRect(window);

    // Where the box reaches past the picture it shows what the window shows
    // there: the window's own background colour.
    const qreal ratio = picture.devicePixelRatio();
    QPixmap piece(source.size().expandedTo(QSize(1, 1)) * ratio);
    piece.setDevicePixelRatio(ratio);
    piece.fill(window->palette().color(QPalette::Window));
    {
        QPainter painter(&piece);
        painter.drawPixmap(-source.topLeft(), picture);
    }
    brush_ = QBrush(piece);
    source_ = source;
    pictureKey_ = picture.cacheKey();
    return true;
}

bool TransparentTextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (brush_.style() == Qt::NoBrush)
        return false;
    if (event->type() == QEvent::Move) {
        box_->viewport()->update();
        return false;
    }
    if (event->type() != QEvent::Paint || watched != box_->viewport())
        return false;
    // The box may have moved or been resized, or the window's picture changed,
    // since the brush was cut (a box laid out after it was made transparent):
    // cut it again so it still matches the picture under the box.
    if (const PictureWindow *window = pictureWindow();
        window && !window->picture().isNull()
        && (window->picture().cacheKey() != pictureKey_ || viewportRect(window) != source_)) {
        cut();
    }
    QPainter painter(box_->viewport());
    painter.fillRect(static_cast<QPaintEvent *>(event)->rect(), brush_);
    return false; // the box draws its text next
}

void MakeTextBoxTransparent(QAbstractScrollArea *txt)
{
    if (!txt)
        return;
    TransparentTextBox *painter = TransparentTextBox::of(txt);
    if (!painter)
        painter = new TransparentTextBox(txt);
    painter->rebuild();
}

void UpdateTextBoxBackground(QAbstractScrollArea *txt)
{
    if (TransparentTextBox *painter = TransparentTextBox::of(txt))
        painter->rebuild();
}

} // namespace dzq
