#pragma once
// Base of the windows that have a background picture. The picture is drawn
// 1:1 from the window's top-left corner; where it does not reach, the window
// shows its normal background. Text boxes on the window take their background
// from the same picture (textbox/TransparentTextBox.h).
#include <QPixmap>
#include <QWidget>

namespace dzq {

class PictureWindow : public QWidget {
    Q_OBJECT
public:
    explicit PictureWindow(QWidget *parent = nullptr);

    // Replaces the picture (a null pixmap removes it) and repaints the window.
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return picture_; }

signals:
    // The picture was replaced. Widgets that show part of it repaint: a window
    // repaint leaves out what lies in opaque containers.
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap picture_;
};

} // namespace dzq
