#include "startup/Form3.h"

#include "platform/StepTimer.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace dzq {

namespace {

// Client area 7485 x 3795 twips at 15 twips a pixel.
constexpr int kWidth = 499;
constexpr int kHeight = 253;
constexpr int kEndAfterMs = 4000;
// Colour 8 of the 16-colour standard palette.
constexpr QColor kGrey(128, 128, 128);

// "楷体" 150 pt, measured at the 96 dots per inch the window size is given in
// (200 pixels), so the words fill the window whatever the screen's setting.
// Systems without that font take the next Kai or CJK face.
QFont farewellFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("楷体"), QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(150 * 96 / 72);
    return font;
}

} // namespace

Form3::Form3(std::function<void()> endProgram, QWidget *parent)
    : QWidget(parent), endProgram_(std::move(endProgram)), timer1_(new StepTimer(this))
{
    setWindowFlags(windowFlags() | Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(kWidth, kHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kGrey);
    setPalette(pal);
    // Only the letters are painted, for window systems that take the mask
    // for input only.
    setAttribute(Qt::WA_TranslucentBackground);

    // The text drawn with its cell's top-left corner at (0, 0).
    const QFont font = farewellFont();
    setFont(font);
    shape_.addText(QPointF(0, QFontMetricsF(font).ascent()), font, QStringLiteral("再 见"));

    QBitmap bits(size());
    bits.fill(Qt::color0);
    {
        QPainter p(&bits);
        p.fillPath(shape_, Qt::color1);
    }
    setMask(QRegion(bits));

    connect(timer1_, &StepTimer::timeout, this, &Form3::end);
    timer1_->setInterval(kEndAfterMs);
    timer1_->setEnabled(true);
}

Form3::~Form3() = default;

void Form3::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(shape_, kGrey);
}

void Form3::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        end();
}

void Form3::end()
{
    timer1_->setEnabled(false);
    if (ended_)
        return;
    ended_ = true;
    if (endProgram_)
        endProgram_();
    else
        QCoreApplication::quit();
}

} // namespace dzq
