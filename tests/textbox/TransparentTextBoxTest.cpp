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

QString lines(int count)
{
    QStringList text;
    for (int i = 0; i < count; ++i)
        text << Line;
    return text.join(QLatin1Char('\n'));
}

void settle()
{
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(5);
    }
}

// What the window shows on screen.
QImage screenOf(QWidget &window)
{
    settle();
    QImage shown = window.screen()->grabWindow(window.winId()).toImage();
    if (!qEnvironmentVariableIsEmpty("DZQ_TEST_SCREENSHOTS")) {
        static int n = 0;
        shown.save(qEnvironmentVariable("DZQ_TEST_SCREENSHOTS") + QStringLiteral("/textbox-%1.png").arg(++n));
    }
    return shown.convertToFormat(QImage::Format_RGB32);
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

// The part of the box's viewport right of its text column ("KC8KD" lines).
QRect besideText(const QWidget &window, const QAbstractScrollArea &box)
{
    const int textRight = 4 + box.fontMetrics().horizontalAdvance(Line) + 8;
    return viewportIn(window, box).adjusted(textRight, 0, 0, 0);
}

QRect textColumn(const QWidget &window, const QAbstractScrollArea &box)
{
    QRect area = viewportIn(window, box);
    area.setWidth(4 + box.fontMetrics().horizontalAdvance(Line));
    return area;
}

void blackText(QWidget *box)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, Qt::black);
    box->setPalette(palette);
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
        blackText(plain);

        frame = new QFrame(&window);
        frame->setGeometry(250, 40, 210, 190);
        frame->setAutoFillBackground(true);
        QPalette green = frame->palette();
        green.setColor(QPalette::Window, Qt::green);
        frame->setPalette(green);
        rich = new QTextEdit(frame);
        rich->setGeometry(10, 30, 180, 120);
        rich->setAcceptRichText(false);
        blackText(rich);

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

    PictureWindow window;
    QPlainTextEdit *plain = nullptr;
    QFrame *frame = nullptr;
    QTextEdit *rich = nullptr;
};

TEST_F(OnPicture, BoxesShowThePictureUnderThem)
{
    plain->setPlainText(lines(3));
    rich->setPlainText(lines(3));
    expectPictureBehindText(plain, "box on the window");
    expectPictureBehindText(rich, "box in a frame");

    // Around the boxes the window shows its picture and the frame its colour.
    const QImage shown = screenOf(window);
    EXPECT_EQ(differing(shown, bare(window), QRect(0, 200, 240, 160)), 0);
    EXPECT_EQ(shown.pixelColor(255, 45), QColor(Qt::green));
}

TEST_F(OnPicture, PictureStaysInPlaceWhileTheTextScrolls)
{
    for (QAbstractScrollArea *box : {static_cast<QAbstractScrollArea *>(plain), static_cast<QAbstractScrollArea *>(rich)}) {
        SCOPED_TRACE(box->metaObject()->className());
        if (auto *p = qobject_cast<QPlainTextEdit *>(box))
            p->setPlainText(lines(200));
        else
            rich->setPlainText(lines(200));
        expectPictureBehindText(box, "at the top");

        // Line by line, as the scroll bar's arrow does it, then a page at once.
        QScrollBar *bar = box->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0);
        for (int i = 0; i < 3; ++i) {
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            expectPictureBehindText(box, "after a line");
        }
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

TEST_F(OnPicture, SecondCallOnlyRebuildsTheBrush)
{
    const qint64 first = TransparentTextBox::of(plain)->brush().texture().cacheKey();
    MakeTextBoxTransparent(plain);
    UpdateTextBoxBackground(plain);
    EXPECT_EQ(plain->findChildren<TransparentTextBox *>().size(), 1);
    EXPECT_NE(TransparentTextBox::of(plain)->brush().texture().cacheKey(), first);

    plain->setPlainText(lines(50));
    plain->verticalScrollBar()->setValue(plain->verticalScrollBar()->maximum());
    expectPictureBehindText(plain, "after the second call");
}

TEST_F(OnPicture, EachBoxHasItsOwnBrush)
{
    for (QAbstractScrollArea *box : {static_cast<QAbstractScrollArea *>(plain), static_cast<QAbstractScrollArea *>(rich)}) {
        const TransparentTextBox *painter = TransparentTextBox::of(box);
        ASSERT_NE(painter, nullptr);
        EXPECT_EQ(painter->source(), viewportIn(window, *box));
        EXPECT_EQ(painter->brush().texture().toImage().convertToFormat(QImage::Format_RGB32),
                  window.picture().copy(painter->source()).toImage().convertToFormat(QImage::Format_RGB32));
    }
    EXPECT_EQ(window.findChildren<TransparentTextBox *>().size(), 2);
}

TEST_F(OnPicture, BoxFollowsMovesAndNewPictures)
{
    plain->setPlainText(lines(3));
    rich->setPlainText(lines(3));
    // Laid out again after it was made transparent: the brush is cut anew.
    plain->setGeometry(40, 190, 180, 120);
    expectPictureBehindText(plain, "moved and resized");
    frame->move(260, 10);
    expectPictureBehindText(rich, "container moved");

    window.setPicture(noise(window.size(), 7));
    expectPictureBehindText(plain, "new picture");
    expectPictureBehindText(rich, "new picture");
}

TEST_F(OnPicture, BoxReachingPastThePictureShowsTheWindowColour)
{
    window.setPicture(noise(QSize(480, 100), 5));
    plain->setPlainText(lines(3));
    // The box spans the picture's lower edge (y 100).
    expectPictureBehindText(plain, "picture ends inside the box");
}

TEST(TransparentTextBoxWithoutPicture, KeepsTheDefaultBackground)
{
    PictureWindow window;
    window.resize(300, 200);
    QWidget plainWindow;
    plainWindow.resize(300, 200);
    auto *onPictureWindow = new QPlainTextEdit(&window);
    auto *onPlainWindow = new QPlainTextEdit(&plainWindow);
    for (auto *box : {onPictureWindow, onPlainWindow}) {
        box->setGeometry(10, 10, 200, 100);
        MakeTextBoxTransparent(box);
        MakeTextBoxTransparent(box);
        ASSERT_NE(TransparentTextBox::of(box), nullptr);
        EXPECT_EQ(TransparentTextBox::of(box)->brush().style(), Qt::NoBrush);
        EXPECT_TRUE(box->viewport()->autoFillBackground());
    }
    MakeTextBoxTransparent(nullptr);
    UpdateTextBoxBackground(nullptr);

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage shown = screenOf(window);
    const QRect area = viewportIn(window, *onPictureWindow);
    EXPECT_EQ(shown.pixelColor(area.center()), onPictureWindow->palette().color(QPalette::Base));

    // A picture given later is not used until the box asks for it again.
    window.setPicture(noise(window.size(), 3));
    EXPECT_EQ(screenOf(window).pixelColor(area.center()), onPictureWindow->palette().color(QPalette::Base));
    UpdateTextBoxBackground(onPictureWindow);
    EXPECT_EQ(differing(screenOf(window), bare(window), besideText(window, *onPictureWindow)), 0);
}

TEST(TransparentTextBoxLifetime, BoxesGoWithoutTheirWindowAndTheWindowWithThem)
{
    PictureWindow window;
    window.resize(300, 200);
    window.setPicture(noise(window.size(), 11));
    auto *kept = new QPlainTextEdit(&window);
    kept->setGeometry(10, 10, 120, 80);
    auto *dropped = new QTextEdit(&window);
    dropped->setGeometry(150, 10, 120, 80);
    MakeTextBoxTransparent(kept);
    MakeTextBoxTransparent(dropped);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    delete dropped;
    window.update();
    const QImage shown = screenOf(window);
    EXPECT_EQ(differing(shown, bare(window), QRect(150, 10, 120, 80)), 0);
    EXPECT_EQ(differing(shown, bare(window), besideText(window, *kept)), 0);
    // The window, deleted at the end of the test, takes the other box along.
}

} // namespace
