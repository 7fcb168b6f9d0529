// Text boxes over a window picture: what is on screen in a box's viewport must
// be the window picture's pixels at the same place, outside the glyphs, also
// after scrolling and typing, and for a box inside a container. The screen is
// read from the window's backing store (what the platform shows), so pixels a
// scroll moved along with the text would be seen.
#include "platform/PictureWindow.h"
#include "textbox/TransparentTextBox.h"

#include <QFrame>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

const QString Line = QStringLiteral("KC8KD");

// A picture no shifted copy of itself resembles: every pixel its own colour.
QPixmap noise(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = 0xFF000000u | (random.generate() & 0xFFFFFFu);
    }
    return QPixmap::fromImage(image);
}

QString lines(int count) { return QStringList(count, Line).join(QLatin1Char('\n')); }

// What the window shows on screen, once the events have settled.
QImage screenOf(QWidget &window)
{
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(5);
    }
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// What the window looks like with nothing on it: its picture on its colour.
QImage bare(const PictureWindow &window)
{
    QImage image(window.size(), QImage::Format_RGB32);
    image.fill(window.palette().color(QPalette::Window));
    QPainter painter(&image);
    painter.drawPixmap(0, 0, window.picture());
    return image;
}

int differing(const QImage &a, const QImage &b, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

QRect viewportIn(const QWidget &window, const QAbstractScrollArea &box)
{
    return {box.viewport()->mapTo(&window, QPoint(0, 0)), box.viewport()->size()};
}

// The box's text column ("KC8KD" lines) and the part of its viewport right of it.
QRect textColumn(const QWidget &window, const QAbstractScrollArea &box)
{
    QRect area = viewportIn(window, box);
    area.setWidth(4 + box.fontMetrics().horizontalAdvance(Line));
    return area;
}

QRect besideText(const QWidget &window, const QAbstractScrollArea &box)
{
    return viewportIn(window, box).adjusted(textColumn(window, box).width() + 8, 0, 0, 0);
}

void setColour(QWidget *widget, QPalette::ColorRole role, Qt::GlobalColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// A picture window with a plain text box on the picture and a rich text box
// in a frame that paints its own colour; both boxes are transparent.
class OnPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(480, 360);
        window.setPicture(noise(QSize(480, 360), 2017));

        plain = new QPlainTextEdit(&window);
        plain->setGeometry(20, 20, 200, 150);
        plain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setColour(plain, QPalette::Text, Qt::black);

        frame = new QFrame(&window);
        frame->setGeometry(250, 40, 210, 190);
        frame->setAutoFillBackground(true);
        setColour(frame, QPalette::Window, Qt::green);
        rich = new QTextEdit(frame);
        rich->setGeometry(10, 30, 180, 120);
        rich->setAcceptRichText(false);
        setColour(rich, QPalette::Text, Qt::black);

        TextBoxOffsetX = 0;
        TextBoxOffsetY = 0;
        MakeTextBoxTransparent(plain);
        TextBoxOffsetX = 250;
        TextBoxOffsetY = 40;
        MakeTextBoxTransparent(rich);

        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Beside the text every pixel of the box is the picture's; in the text
    // column the text is visible.
    void expectPictureBehindText(QAbstractScrollArea *box, const char *when)
    {
        const QImage shown = screenOf(window);
        const QImage expected = bare(window);
        EXPECT_EQ(differing(shown, expected, besideText(window, *box)), 0) << when;
        EXPECT_GT(differing(shown, expected, textColumn(window, *box)), 50) << when << ": text not drawn";
    }

    QList<QAbstractScrollArea *> boxes() const { return {plain, rich}; }
    void setText(QAbstractScrollArea *box, int count)
    {
        if (auto *p = qobject_cast<QPlainTextEdit *>(box))
            p->setPlainText(lines(count));
        else
            qobject_cast<QTextEdit *>(box)->setPlainText(lines(count));
    }

    PictureWindow window;
    QPlainTextEdit *plain = nullptr;
    QFrame *frame = nullptr;
    QTextEdit *rich = nullptr;
};

TEST_F(OnPicture, BoxesShowThePictureUnderThemWhereverTheyAre)
{
    for (QAbstractScrollArea *box : boxes())
        setText(box, 3);
    expectPictureBehindText(plain, "box on the window");
    expectPictureBehindText(rich, "box in a frame");
    // Around the boxes the window shows its picture and the frame its colour.
    const QImage shown = screenOf(window);
    EXPECT_EQ(differing(shown, bare(window), QRect(0, 200, 240, 160)), 0);
    EXPECT_EQ(shown.pixelColor(255, 45), QColor(Qt::green));

    // Laid out again after it was made transparent: the brush is cut anew. A
    // second call only rebuilds it.
    plain->setGeometry(40, 190, 180, 120);
    expectPictureBehindText(plain, "moved and resized");
    MakeTextBoxTransparent(plain);
    EXPECT_EQ(plain->findChildren<TransparentTextBox *>().size(), 1);
    expectPictureBehindText(plain, "after the second call");
    frame->move(260, 10);
    expectPictureBehindText(rich, "container moved");

    // A new picture, ending inside the plain box (y 250): below it the box
    // shows the window colour.
    window.setPicture(noise(QSize(480, 250), 7));
    expectPictureBehindText(plain, "new picture ending inside the box");
    expectPictureBehindText(rich, "new picture");
}

TEST_F(OnPicture, PictureStaysInPlaceWhileTheTextScrolls)
{
    for (QAbstractScrollArea *box : boxes()) {
        SCOPED_TRACE(box->metaObject()->className());
        setText(box, 200);
        expectPictureBehindText(box, "at the top");

        // A line, as the scroll bar's arrow does it, then a page at once.
        QScrollBar *bar = box->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        expectPictureBehindText(box, "after a line");
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        expectPictureBehindText(box, "after a page");
        bar->setValue(bar->maximum());
        expectPictureBehindText(box, "at the end");

        // Typing at the end of the text.
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, Line);
        expectPictureBehindText(box, "after typing");
    }
}

TEST_F(OnPicture, ABoxGoesWithoutItsWindowAndTheWindowWithTheOther)
{
    delete plain;
    plain = nullptr;
    window.setPicture(noise(window.size(), 11)); // reaches the remaining box only
    setText(rich, 3);
    EXPECT_EQ(differing(screenOf(window), bare(window), QRect(20, 20, 200, 150)), 0);
    expectPictureBehindText(rich, "after the other box went");
    // The window, deleted at the end of the test, takes the other box along.
}

TEST(TransparentTextBoxWithoutPicture, KeepsTheDefaultBackgroundUntilAskedAgain)
{
    QWidget plainWindow; // no picture window at all
    MakeTextBoxTransparent(new QPlainTextEdit(&plainWindow));
    MakeTextBoxTransparent(nullptr);
    UpdateTextBoxBackground(nullptr);

    PictureWindow window;
    window.resize(300, 200);
    auto *box = new QPlainTextEdit(&window);
    box->setGeometry(10, 10, 200, 100);
    MakeTextBoxTransparent(box);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint centre = viewportIn(window, *box).center();
    EXPECT_EQ(screenOf(window).pixelColor(centre), box->palette().color(QPalette::Base));

    window.setPicture(noise(window.size(), 3));
    EXPECT_EQ(screenOf(window).pixelColor(centre), box->palette().color(QPalette::Base));
    UpdateTextBoxBackground(box);
    EXPECT_EQ(differing(screenOf(window), bare(window), besideText(window, *box)), 0);
}

} // namespace
