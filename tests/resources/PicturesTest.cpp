// The pictures compiled into the program: every one the windows load is there
// at the size the windows lay out, and the pressed keys look pressed.
#include "platform/Resources.h"

#include <QImage>
#include <QPixmap>
#include <QSet>

#include <gtest/gtest.h>

using dzq::LoadResPicture;
using dzq::resourceFile;

namespace {

QImage named(const QString &name) { return QImage(resourceFile(QStringLiteral("pictures/") + name)); }

double meanLightness(const QImage &img)
{
    double sum = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            sum += QColor(img.pixel(x, y)).lightnessF();
    return sum / (img.width() * img.height());
}

int distinctColours(const QImage &img)
{
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            colours.insert(img.pixel(x, y));
    return colours.size();
}

} // namespace

TEST(Pictures, NumberedPicturesHaveTheirLayoutSizes)
{
    const QList<std::tuple<int, int, int>> sizes{
        {102, 26, 121}, {103, 26, 121}, {104, 18, 69}, {105, 18, 69}, {106, 360, 360}, {501, 32, 32}};
    for (const auto &[id, w, h] : sizes) {
        const QPixmap pm = LoadResPicture(id);
        ASSERT_FALSE(pm.isNull()) << id;
        EXPECT_EQ(pm.size(), QSize(w, h)) << id;
    }
    EXPECT_TRUE(LoadResPicture(107).isNull());
}

TEST(Pictures, WindowBackgroundsAndKeyboardMapFitTheirWindows)
{
    EXPECT_EQ(named(QStringLiteral("form1.png")).size(), QSize(980, 340));
    EXPECT_EQ(named(QStringLiteral("yylr.png")).size(), QSize(640, 480));
    EXPECT_EQ(named(QStringLiteral("keymap.png")).size(), QSize(980, 204));
    // Drawn pictures, not flat fills.
    for (const QString &name : {QStringLiteral("form1.png"), QStringLiteral("yylr.png"),
                                QStringLiteral("keymap.png"), QStringLiteral("106.png")})
        EXPECT_GT(distinctColours(named(name)), 200) << name.toStdString();
}

TEST(Pictures, KeysAreLightOrDarkAndChangeWhenPressed)
{
    const QImage whiteUp = LoadResPicture(102).toImage();
    const QImage whiteDown = LoadResPicture(103).toImage();
    const QImage blackUp = LoadResPicture(104).toImage();
    const QImage blackDown = LoadResPicture(105).toImage();
    EXPECT_GT(meanLightness(whiteUp), 0.7);
    EXPECT_LT(meanLightness(blackUp), 0.3);
    EXPECT_NE(whiteUp, whiteDown);
    EXPECT_NE(blackUp, blackDown);
    // A pressed white key still reads as a white key.
    EXPECT_GT(meanLightness(whiteDown), 0.6);
}

TEST(Pictures, DragPointerIsDrawnOnATransparentGround)
{
    const QImage cursor = LoadResPicture(501).toImage();
    ASSERT_TRUE(cursor.hasAlphaChannel());
    EXPECT_EQ(qAlpha(cursor.pixel(0, 31)), 0);
    EXPECT_EQ(qAlpha(cursor.pixel(31, 31)), 0);
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            opaque += qAlpha(cursor.pixel(x, y)) == 255;
    EXPECT_GT(opaque, 150);
    EXPECT_LT(opaque, 32 * 32 / 2);
}
