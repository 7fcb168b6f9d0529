#include "platform/PictureWindow.h"

#include <QPainter>
#include <QPaintEvent>

namespace dzq {

PictureWindow::PictureWindow(QWidget *parent) : QWidget(parent) {}

void PictureWindow::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    update();
    emit pictureChanged();
}

void PictureWindow::paintEvent(QPaintEvent *event)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawPixmap(0, 0, picture_);
}

} // namespace dzq
