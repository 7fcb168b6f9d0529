#pragma once
// Multi-line text boxes (QPlainTextEdit, QTextEdit) that show the part of
// their window's background picture lying under them, with the text drawn on
// top. The window is the nearest PictureWindow holding the box.
//
// The box's viewport stops filling itself with its base colour and is painted
// instead with a brush cut from the window's picture at the viewport's place in
// the window. The brush is anchored to the viewport, not to the text, so typing
// and scrolling keep the picture aligned with the window's: a viewport that
// does not fill itself is not opaque, and Qt then repaints the whole scrolled
// area instead of moving its old pixels along with the text.
#include <QBrush>
#include <QObject>
#include <QRect>

class QAbstractScrollArea;

namespace dzq {

class PictureWindow;

// Offset of the box's container inside its window, in pixels, set by the
// caller before each call (main window score box 580, 32; panel boxes 8, 32;
// score entry window 0, 0). The rectangle under the box is measured through
// the widget tree, which already holds where each container sits, so these
// values are not added to it; adding them would count the container twice.
inline int TextBoxOffsetX = 0;
inline int TextBoxOffsetY = 0;

// Makes txt show its window's picture behind its text: builds its background
// brush with UpdateTextBoxBackground and starts painting with it. Calling it
// again for the same box only rebuilds the brush. Without a picture on the
// window the box keeps its default background. nullptr is ignored.
void MakeTextBoxTransparent(QAbstractScrollArea *txt);

// Cuts txt's background brush again from its window's picture, replacing the
// old one. Does nothing when the window has no picture or the box was never
// made transparent.
void UpdateTextBoxBackground(QAbstractScrollArea *txt);

// The background painter of one transparent box: a child of the box, at most
// one per box, deleted with it. It watches the box's viewport and fills every
// painted area with the brush before the text is drawn.
class TransparentTextBox final : public QObject {
    Q_OBJECT
public:
    explicit TransparentTextBox(QAbstractScrollArea *box);

    // The background brush (texture = the picture under the viewport);
    // Qt::NoBrush until the window had a picture.
    const QBrush &brush() const { return brush_; }
    // The rectangle of the window's picture that the brush shows.
    QRect source() const { return source_; }

    // Cuts the brush from the window's picture and repaints the box; false
    // when the window has no picture.
    bool rebuild();

    // The box's background painter, or nullptr when it is not transparent.
    static TransparentTextBox *of(const QAbstractScrollArea *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool cut();
    PictureWindow *pictureWindow() const;
    QRect viewportRect(const PictureWindow *window) const;

    QAbstractScrollArea *box_;
    QBrush brush_;
    QRect source_;
    qint64 pictureKey_ = 0;
};

} // namespace dzq
