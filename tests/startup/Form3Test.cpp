#include "startup/Form3.h"

#include "platform/StepTimer.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace dzq {
namespace {

// The first point between fromX and toX, scanning rows from the top, that
// lies inside the text's shape with 2 pixels to spare on every side.
std::optional<QPoint> pointInShape(const Form3 &w, int fromX, int toX)
{
    for (int y = 0; y < w.height(); ++y)
        for (int x = fromX; x < toX; ++x)
            if (w.textShape().contains(QRectF(x - 2, y - 2, 5, 5)))
                return QPoint(x, y);
    return std::nullopt;
}

TEST(FarewellWindow, MaskIsTheTextShape)
{
    Form3 w([] {});
    const QFontMetricsF fm(w.font());
    const double first = fm.horizontalAdvance(QStringLiteral("再"));
    const double blank = fm.horizontalAdvance(QStringLiteral(" "));
    const QRegion mask = w.mask();

    // Inside each letter.
    const auto a = pointInShape(w, 0, int(first));
    const auto b = pointInShape(w, int(first + blank), w.width());
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(mask.contains(*a));
    EXPECT_TRUE(mask.contains(*b));

    // Between the letters, and the corners, are not part of the window.
    const int gap = int(first + blank / 2);
    for (int y = 0; y < w.height(); ++y)
        EXPECT_FALSE(mask.contains(QPoint(gap, y))) << y;
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(w.width() - 1, w.height() - 1)));
    EXPECT_TRUE(w.rect().contains(mask.boundingRect()));

    // Only the letters are painted, in grey.
    const QImage shot = w.grab().toImage();
    EXPECT_EQ(shot.pixelColor(*a), QColor(128, 128, 128));
    EXPECT_EQ(qAlpha(shot.pixel(gap, w.height() / 2)), 0);
}

TEST(FarewellWindow, AClickOnALetterOrTheTickEndsItOnce)
{
    for (bool byClick : {true, false}) {
        SCOPED_TRACE(byClick ? "click" : "tick");
        int ends = 0;
        Form3 w([&] { ++ends; });
        w.show();
        EXPECT_TRUE(w.timer1().isRunning());
        const auto p = pointInShape(w, 0, w.width());
        ASSERT_TRUE(p);
        if (byClick)
            QTest::mouseClick(&w, Qt::LeftButton, {}, *p);
        else
            emit w.timer1().timeout();
        EXPECT_EQ(ends, 1);
        EXPECT_TRUE(w.hasEnded());
        EXPECT_FALSE(w.timer1().isRunning());
        QTest::mouseClick(&w, Qt::LeftButton, {}, *p);
        emit w.timer1().timeout();
        EXPECT_EQ(ends, 1);
    }
}

} // namespace
} // namespace dzq
