// The pictures compiled into the program: every one the windows load is there
// at the size the windows lay out, and the pressed keys look pressed.
#include "platform/Resources.h"

#include <QImage>
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

TEST(Pictures, EachHasItsLayoutSizeAndTheBackgroundsAreDrawn)
{
    const QList<std::tuple<QString, int, int>> sizes{
        {"102", 26, 121}, {"103", 26, 121}, {"104", 18, 69},   {"105", 18, 69},     {"106", 360, 360},
        {"501", 32, 32},  {"form1", 980, 340}, {"yylr", 640, 480}, {"keymap", 980, 204}};
    for (const auto &[name, w, h] : sizes) {
        const QImage picture = named(name + QStringLiteral(".png"));
        EXPECT_EQ(picture.size(), QSize(w, h)) << name.toStdString();
        if (w > 300) { // drawn pictures, not flat fills
            EXPECT_GT(distinctColours(picture), 200) << name.toStdString();
        }
    }
    EXPECT_EQ(LoadResPicture(102).size(), QSize(26, 121));
    EXPECT_TRUE(LoadResPicture(107).isNull());
}

TEST(Pictures, KeysAreLightOrDarkAndChangeWhenPressed)
{
    const QImage whiteUp = named("102.png"), whiteDown = named("103.png");
    const QImage blackUp = named("104.png"), blackDown = named("105.png");
    EXPECT_GT(meanLightness(whiteUp), 0.7);
    EXPECT_LT(meanLightness(blackUp), 0.3);
    EXPECT_NE(whiteUp, whiteDown);
    EXPECT_NE(blackUp, blackDown);
    // A pressed white key still reads as a white key.
    EXPECT_GT(meanLightness(whiteDown), 0.6);
}

TEST(Pictures, DragPointerIsDrawnOnATransparentGround)
{
    const QImage cursor = named("501.png");
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
