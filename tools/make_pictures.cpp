// Draws the program's pictures into resources/pictures/: the on-screen key
// pictures (102-105), the start-up picture (106), the drag pointer (501), the
// main window background (form1.png), the score entry window background
// (yylr.png) and the map of the computer keyboard (keymap.png).
//
// The PNGs are committed; run this only to change them:
//   cmake --build <build> --target make_pictures
//   <build>/tools/make_pictures resources/pictures
// Chinese text needs the WenQuanYi Micro Hei font (fonts-wqy-microhei).
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString CjkFamily = QStringLiteral("WenQuanYi Micro Hei");

QFont cjkFont(double pixelSize, int weight = QFont::Normal)
{
    QFont f(CjkFamily);
    f.setPixelSize(qRound(pixelSize));
    f.setWeight(QFont::Weight(weight));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QImage newImage(int w, int h, bool alpha = false)
{
    QImage img(w, h, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    img.fill(alpha ? Qt::transparent : Qt::black);
    return img;
}

bool save(const QImage &img, const QString &dir, const QString &name)
{
    const QString path = QDir(dir).filePath(name);
    QImage out = img.hasAlphaChannel() ? img.convertToFormat(QImage::Format_ARGB32)
                                       : img.convertToFormat(QImage::Format_RGB888);
    if (!out.save(path, "PNG", 9)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), img.width(), img.height());
    return true;
}

QLinearGradient vertical(double y0, double y1, std::initializer_list<std::pair<double, QColor>> stops)
{
    QLinearGradient g(0, y0, 0, y1);
    for (const auto &[at, c] : stops)
        g.setColorAt(at, c);
    return g;
}

// Fine horizontal streaks of a brushed metal surface.
void brushStreaks(QPainter &p, const QRectF &r, quint32 seed, int strength)
{
    QRandomGenerator rng(seed);
    for (int y = int(r.top()); y < int(r.bottom()); ++y) {
        double x = r.left();
        while (x < r.right()) {
            const double len = 20 + rng.bounded(180);
            const bool light = rng.bounded(2) == 0;
            const int a = 2 + int(rng.bounded(strength));
            p.setPen(QPen(light ? QColor(255, 255, 255, a) : QColor(0, 0, 0, a), 1));
            p.drawLine(QPointF(x, y + 0.5), QPointF(qMin(x + len, r.right()), y + 0.5));
            x += len;
        }
    }
}

// ---------------------------------------------------------------- keys

// White key, 26 x 121: ivory face, darker front lip at the bottom; pressed it
// sinks (deeper shadow under the key slip, shorter lip) and is lit blue.
QImage whiteKey(bool down)
{
    const int w = 26, h = 121;
    QImage img = newImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), QColor(24, 22, 26)); // the gap between keys

    const QRectF body(0.5, -4, w - 1.5, h + 4 - 0.5);
    QPainterPath shape;
    shape.addRoundedRect(body, 3, 3);
    const QColor top = down ? QColor(196, 221, 247) : QColor(238, 234, 224);
    const QColor mid = down ? QColor(222, 237, 252) : QColor(252, 250, 245);
    const QColor low = down ? QColor(206, 226, 248) : QColor(244, 241, 233);
    p.fillPath(shape, vertical(0, h, {{0, top}, {0.25, mid}, {0.9, low}, {1, low}}));

    // Front lip: the rounded edge the finger meets.
    const double lip = down ? 4 : 8;
    QPainterPath lipPath;
    lipPath.addRoundedRect(QRectF(0.5, h - lip - 1, w - 1.5, lip + 0.5), 3, 3);
    p.fillPath(lipPath, vertical(h - lip - 1, h, {{0, down ? QColor(170, 198, 230) : QColor(226, 221, 208)},
                                                   {1, down ? QColor(120, 150, 190) : QColor(178, 171, 156)}}));
    p.setPen(QPen(QColor(255, 255, 255, down ? 90 : 150), 1));
    p.drawLine(QPointF(2, h - lip - 0.5), QPointF(w - 3, h - lip - 0.5));

    // Shadow cast by the key slip onto the top of the key.
    const double shadow = down ? 14 : 6;
    p.fillRect(QRectF(0, 0, w, shadow),
               vertical(0, shadow, {{0, QColor(0, 0, 0, down ? 120 : 90)}, {1, QColor(0, 0, 0, 0)}}));

    // Left highlight and right shade give the key its thickness.
    p.setPen(QPen(QColor(255, 255, 255, 160), 1));
    p.drawLine(QPointF(1.5, shadow), QPointF(1.5, h - lip - 2));
    p.setPen(QPen(QColor(0, 0, 0, 40), 1));
    p.drawLine(QPointF(w - 2.5, shadow), QPointF(w - 2.5, h - lip - 2));
    p.setPen(QPen(QColor(60, 56, 50), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    return img;
}

// Black key, 18 x 69: glossy top between lighter side bevels and a front bevel;
// pressed, the front bevel shortens and the top takes a blue glow.
QImage blackKey(bool down)
{
    const int w = 18, h = 69;
    QImage img = newImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), QColor(12, 12, 14));

    QPainterPath outer;
    outer.addRoundedRect(QRectF(0.5, -3, w - 1, h + 3 - 0.5), 2.5, 2.5);
    p.fillPath(outer, vertical(0, h, {{0, QColor(58, 58, 64)}, {1, QColor(34, 34, 38)}}));

    const double front = down ? 4 : 9;
    const QRectF top(3, 0, w - 6, h - front - 1);
    QPainterPath topPath;
    topPath.addRoundedRect(top.adjusted(0, -3, 0, 0), 2, 2);
    if (down)
        p.fillPath(topPath, vertical(0, top.bottom(), {{0, QColor(20, 34, 56)}, {0.6, QColor(34, 62, 104)},
                                                        {1, QColor(60, 104, 160)}}));
    else
        p.fillPath(topPath, vertical(0, top.bottom(), {{0, QColor(8, 8, 10)}, {0.7, QColor(26, 26, 30)},
                                                        {1, QColor(44, 44, 50)}}));

    // Gloss streak along the top.
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(5, 4, 2.2, top.bottom() - 10), 1.1, 1.1);
    p.fillPath(gloss, vertical(4, top.bottom(), {{0, QColor(255, 255, 255, 10)},
                                                  {0.6, QColor(255, 255, 255, down ? 60 : 70)},
                                                  {1, QColor(255, 255, 255, 20)}}));

    // Front bevel.
    p.fillRect(QRectF(1.5, h - front - 1, w - 3, front),
               vertical(h - front - 1, h, {{0, QColor(92, 92, 100)}, {1, QColor(40, 40, 46)}}));
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outer);
    // Top shadow under the key slip.
    p.fillRect(QRectF(0, 0, w, 6), vertical(0, 6, {{0, QColor(0, 0, 0, 150)}, {1, QColor(0, 0, 0, 0)}}));
    return img;
}

// ---------------------------------------------------------------- a small keyboard

// Draws count white keys with their black keys into r, pressed ones lit.
void drawKeyboard(QPainter &p, const QRectF &r, int count, const std::vector<int> &pressed)
{
    const double kw = r.width() / count;
    auto isPressed = [&](int semitone) {
        return std::find(pressed.begin(), pressed.end(), semitone) != pressed.end();
    };
    static const int whiteSemis[7] = {0, 2, 4, 5, 7, 9, 11};
    for (int i = 0; i < count; ++i) {
        const int semi = 12 * (i / 7) + whiteSemis[i % 7];
        QRectF k(r.left() + i * kw + 0.6, r.top(), kw - 1.2, r.height());
        QPainterPath path;
        path.addRoundedRect(k.adjusted(0, -4, 0, 0), 2.5, 2.5);
        if (isPressed(semi))
            p.fillPath(path, vertical(k.top(), k.bottom(), {{0, QColor(150, 200, 255)}, {1, QColor(225, 240, 255)}}));
        else
            p.fillPath(path, vertical(k.top(), k.bottom(), {{0, QColor(226, 222, 212)}, {0.3, QColor(252, 250, 244)},
                                                            {1, QColor(236, 232, 222)}}));
        p.fillRect(QRectF(k.left(), k.bottom() - 5, k.width(), 5),
                   vertical(k.bottom() - 5, k.bottom(), {{0, QColor(0, 0, 0, 20)}, {1, QColor(0, 0, 0, 90)}}));
    }
    static const int blackAfter[5] = {0, 1, 3, 4, 5}; // white key index the black key follows
    static const int blackSemis[5] = {1, 3, 6, 8, 10};
    for (int oct = 0; oct * 7 < count; ++oct) {
        for (int b = 0; b < 5; ++b) {
            const int wi = oct * 7 + blackAfter[b];
            if (wi + 1 >= count)
                continue;
            const double cx = r.left() + (wi + 1) * kw;
            QRectF k(cx - kw * 0.32, r.top(), kw * 0.64, r.height() * 0.6);
            QPainterPath path;
            path.addRoundedRect(k.adjusted(0, -3, 0, 0), 1.8, 1.8);
            const bool on = isPressed(12 * oct + blackSemis[b]);
            p.fillPath(path, vertical(k.top(), k.bottom(),
                                      on ? std::initializer_list<std::pair<double, QColor>>{
                                               {0, QColor(24, 44, 80)}, {1, QColor(70, 130, 210)}}
                                         : std::initializer_list<std::pair<double, QColor>>{
                                               {0, QColor(10, 10, 12)}, {0.8, QColor(34, 34, 38)},
                                               {1, QColor(70, 70, 78)}}));
            p.fillRect(QRectF(k.left() + k.width() * 0.25, k.top() + 2, 1.4, k.height() - 8),
                       QColor(255, 255, 255, 45));
        }
    }
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 5),
               vertical(r.top(), r.top() + 5, {{0, QColor(0, 0, 0, 160)}, {1, QColor(0, 0, 0, 0)}}));
}

// An eighth note (or two beamed ones) drawn with paths.
void drawNote(QPainter &p, QPointF head, double size, const QColor &c, bool beamed = false)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    auto noteHead = [&](QPointF at) {
        p.save();
        p.translate(at);
        p.rotate(-22);
        p.drawEllipse(QPointF(0, 0), size * 0.62, size * 0.42);
        p.restore();
    };
    const double stemH = size * 3.2;
    const double stemX = size * 0.55;
    noteHead(head);
    p.drawRect(QRectF(head.x() + stemX - size * 0.09, head.y() - stemH, size * 0.16, stemH));
    if (beamed) {
        const QPointF head2 = head + QPointF(size * 2.2, -size * 0.5);
        noteHead(head2);
        p.drawRect(QRectF(head2.x() + stemX - size * 0.09, head2.y() - stemH, size * 0.16, stemH));
        QPolygonF beam;
        beam << QPointF(head.x() + stemX - size * 0.09, head.y() - stemH)
             << QPointF(head2.x() + stemX + size * 0.07, head2.y() - stemH)
             << QPointF(head2.x() + stemX + size * 0.07, head2.y() - stemH + size * 0.45)
             << QPointF(head.x() + stemX - size * 0.09, head.y() - stemH + size * 0.45);
        p.drawPolygon(beam);
    } else {
        QPainterPath flag;
        const QPointF s(head.x() + stemX + size * 0.06, head.y() - stemH);
        flag.moveTo(s);
        flag.cubicTo(s + QPointF(size * 0.1, size * 0.9), s + QPointF(size * 1.2, size * 1.1),
                     s + QPointF(size * 0.7, size * 2.3));
        flag.cubicTo(s + QPointF(size * 0.9, size * 1.4), s + QPointF(size * 0.2, size * 1.2),
                     s + QPointF(0, size * 0.9));
        flag.closeSubpath();
        p.drawPath(flag);
    }
    p.restore();
}

// ---------------------------------------------------------------- 106 start-up picture

QImage startupPicture()
{
    const int S = 360;
    QImage img = newImage(S, S);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QRadialGradient sky(QPointF(180, 120), 300);
    sky.setColorAt(0, QColor(74, 52, 150));
    sky.setColorAt(0.45, QColor(34, 30, 96));
    sky.setColorAt(1, QColor(8, 10, 34));
    p.fillRect(img.rect(), sky);

    // Soft lights.
    QRandomGenerator rng(106);
    const QColor lights[] = {QColor(255, 190, 90), QColor(120, 180, 255), QColor(255, 110, 170),
                             QColor(140, 255, 210)};
    for (int i = 0; i < 26; ++i) {
        const QPointF c(rng.bounded(S), rng.bounded(230));
        const double r = 4 + rng.bounded(22);
        QColor col = lights[i % 4];
        QRadialGradient g(c, r);
        col.setAlpha(40 + rng.bounded(50));
        g.setColorAt(0, col);
        col.setAlpha(0);
        g.setColorAt(1, col);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, r, r);
    }
    for (int i = 0; i < 60; ++i) {
        p.setBrush(QColor(255, 255, 255, 60 + rng.bounded(140)));
        const double r = 0.4 + rng.bounded(1.0);
        p.drawEllipse(QPointF(rng.bounded(S), rng.bounded(210)), r, r);
    }

    // A flowing staff with notes rising from the keyboard.
    auto staffY = [](double x, int line) {
        return 206 + line * 7 - 16 * qSin((x + 30) / 360.0 * 2 * M_PI) * (0.6 + 0.4 * x / 360.0);
    };
    for (int line = 0; line < 5; ++line) {
        QPainterPath path;
        path.moveTo(0, staffY(0, line));
        for (int x = 4; x <= S; x += 4)
            path.lineTo(x, staffY(x, line));
        p.setPen(QPen(QColor(240, 205, 120, 110), 1.1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    drawNote(p, QPointF(48, staffY(48, 3) + 1), 5.2, QColor(255, 226, 150, 230));
    drawNote(p, QPointF(104, staffY(104, 1) + 1), 5.2, QColor(255, 240, 200, 230), true);
    drawNote(p, QPointF(258, staffY(258, 2) + 1), 5.2, QColor(255, 226, 150, 230), true);
    drawNote(p, QPointF(318, staffY(318, 0) + 1), 5.2, QColor(255, 240, 200, 230));

    // Title with a gold face, a dark edge and a glow.
    QFont title = cjkFont(76, QFont::Bold);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    const QString text = QStringLiteral("电子琴");
    QPainterPath tp;
    tp.addText(0, 0, title, text);
    const QRectF tb = tp.boundingRect();
    tp.translate(180 - tb.center().x(), 104 - tb.center().y());
    for (int i = 6; i >= 1; --i) {
        p.setPen(QPen(QColor(255, 190, 80, 14), i * 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tp);
    }
    p.fillPath(tp.translated(2, 3), QColor(0, 0, 0, 120));
    QLinearGradient gold(0, tp.boundingRect().top(), 0, tp.boundingRect().bottom());
    gold.setColorAt(0, QColor(255, 247, 214));
    gold.setColorAt(0.45, QColor(246, 206, 110));
    gold.setColorAt(0.55, QColor(214, 160, 60));
    gold.setColorAt(1, QColor(255, 224, 140));
    p.fillPath(tp, gold);
    p.setPen(QPen(QColor(120, 72, 20), 1.2));
    p.drawPath(tp);

    // Subtitle.
    p.setFont(cjkFont(15));
    p.setPen(QColor(235, 230, 255, 230));
    p.drawText(QRectF(0, 146, S, 24), Qt::AlignCenter, QStringLiteral("键 盘 在 手   乐 随 心 动"));
    QFont latin(QStringLiteral("DejaVu Sans"));
    latin.setPixelSize(9);
    latin.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(latin);
    p.setPen(QColor(200, 190, 255, 170));
    p.drawText(QRectF(0, 167, S, 16), Qt::AlignCenter, QStringLiteral("ELECTRONIC KEYBOARD"));

    // The instrument: a dark body with a red felt strip and two octaves of keys.
    const QRectF bodyR(22, 246, 316, 96);
    QPainterPath body;
    body.addRoundedRect(bodyR, 10, 10);
    p.fillPath(body.translated(0, 5), QColor(0, 0, 0, 110));
    p.fillPath(body, vertical(bodyR.top(), bodyR.bottom(), {{0, QColor(70, 70, 80)}, {0.12, QColor(36, 36, 42)},
                                                            {1, QColor(16, 16, 20)}}));
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    // Panel lights and a small display.
    const QColor leds[] = {QColor(255, 90, 90), QColor(255, 200, 80), QColor(110, 230, 140)};
    for (int i = 0; i < 3; ++i) {
        QRadialGradient g(QPointF(40 + i * 12, 256), 4);
        g.setColorAt(0, leds[i]);
        g.setColorAt(1, leds[i].darker(300));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QPointF(40 + i * 12, 256), 3, 3);
    }
    QRectF display(150, 250, 60, 12);
    p.fillRect(display, vertical(250, 262, {{0, QColor(40, 90, 80)}, {1, QColor(20, 60, 52)}}));
    p.setPen(QColor(150, 255, 220));
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(8);
    p.setFont(mono);
    p.drawText(display, Qt::AlignCenter, QStringLiteral("C  70"));
    for (int i = 0; i < 5; ++i) {
        p.setBrush(QColor(90, 90, 100));
        p.setPen(QPen(QColor(20, 20, 24), 1));
        p.drawEllipse(QPointF(258 + i * 15, 256), 4, 4);
    }
    p.fillRect(QRectF(32, 266, 296, 4), vertical(266, 270, {{0, QColor(150, 26, 36)}, {1, QColor(96, 12, 20)}}));
    drawKeyboard(p, QRectF(32, 270, 296, 62), 14, {4, 7, 12, 16});

    // Reflection under the instrument.
    p.fillRect(QRectF(0, 342, S, 18), vertical(342, 360, {{0, QColor(90, 80, 180, 60)}, {1, QColor(0, 0, 0, 0)}}));
    return img;
}

// ---------------------------------------------------------------- 501 drag pointer

// A pointing hand, fingertip at (12, 1), white with a dark outline and a soft
// shadow, on a transparent ground.
QImage dragPointer()
{
    QImage img = newImage(32, 32, true);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath hand;
    hand.addRoundedRect(QRectF(9.5, 1, 5, 17), 2.5, 2.5);   // index finger
    hand.addRoundedRect(QRectF(14, 9, 4.6, 10), 2.3, 2.3);  // middle finger
    hand.addRoundedRect(QRectF(18.2, 10.5, 4.4, 9), 2.2, 2.2); // ring finger
    hand.addRoundedRect(QRectF(22.2, 12, 4.2, 8.5), 2.1, 2.1); // little finger
    QPainterPath palm;
    palm.moveTo(9.5, 14);
    palm.lineTo(26.4, 15);
    palm.lineTo(26.4, 22);
    palm.cubicTo(26.4, 27, 23.5, 30, 19, 30);
    palm.lineTo(14.5, 30);
    palm.cubicTo(11.5, 30, 10.5, 28.5, 9, 26.5);
    palm.lineTo(4.2, 19.5);
    palm.cubicTo(3, 17.8, 4.8, 15.8, 6.8, 17.2);
    palm.lineTo(9.5, 19.5);
    palm.closeSubpath();
    hand = hand.united(palm).simplified();

    p.fillPath(hand.translated(1.2, 1.2), QColor(0, 0, 0, 70));
    p.fillPath(hand, vertical(0, 31, {{0, QColor(255, 255, 255)}, {1, QColor(226, 232, 242)}}));
    p.setPen(QPen(QColor(20, 24, 34), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(hand);
    // Finger joints.
    p.setPen(QPen(QColor(20, 24, 34, 150), 0.9));
    p.drawLine(QPointF(14.2, 14.5), QPointF(14.2, 18.5));
    p.drawLine(QPointF(18.4, 15), QPointF(18.4, 19));
    p.drawLine(QPointF(22.4, 15.5), QPointF(22.4, 19.5));
    // A small note beside the finger says "this plays".
    drawNote(p, QPointF(26.4, 8.6), 2.4, QColor(214, 60, 70));
    return img;
}

// ---------------------------------------------------------------- form1.png

// Main window: a champagne brushed-metal panel above a dark key bed with a red
// felt strip, where the on-screen keys lie (from y = 206 down).
QImage mainBackground(int w, int h)
{
    QImage img = newImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const double bed = 204;
    p.fillRect(QRectF(0, 0, w, bed), vertical(0, bed, {{0, QColor(240, 236, 228)}, {0.55, QColor(226, 220, 208)},
                                                       {1, QColor(208, 200, 186)}}));
    brushStreaks(p, QRectF(0, 0, w, bed), 1, 9);
    // Light falling from the upper left.
    QRadialGradient light(QPointF(w * 0.28, -40), w * 0.55);
    light.setColorAt(0, QColor(255, 255, 255, 90));
    light.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, 0, w, bed), light);

    // Two shallow trays: the panels on the left (their boxes sit at 8, 32)
    // and the score box on the right (at 580, 32).
    for (const QRectF &tray : {QRectF(3, 27, 402, 174), QRectF(575, 27, 402, 174)}) {
        QPainterPath t;
        t.addRoundedRect(tray, 7, 7);
        p.fillPath(t, vertical(tray.top(), tray.bottom(), {{0, QColor(120, 104, 80, 34)}, {0.08, QColor(0, 0, 0, 8)},
                                                           {1, QColor(255, 255, 255, 36)}}));
        p.setPen(QPen(QColor(150, 136, 112, 150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(t);
        p.setPen(QPen(QColor(255, 255, 255, 140), 1));
        p.drawLine(QPointF(tray.left() + 6, tray.bottom() + 1), QPointF(tray.right() - 6, tray.bottom() + 1));
    }

    // The name, engraved above the display in the middle.
    QFont brand = cjkFont(16, QFont::Bold);
    brand.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    p.setFont(brand);
    const QRectF brandR(408, 4, 166, 22);
    p.setPen(QColor(255, 255, 255, 170));
    p.drawText(brandR.translated(0, 1), Qt::AlignCenter, QStringLiteral("电子琴"));
    p.setPen(QColor(112, 98, 76, 170));
    p.drawText(brandR, Qt::AlignCenter, QStringLiteral("电子琴"));

    // The display between the trays (the window's hint line is written on
    // it), a narrow speaker grille under it, then the small keyboard map.
    {
        const QRectF bezel(416, 32, 152, 76);
        QPainterPath frame;
        frame.addRoundedRect(bezel, 8, 8);
        p.fillPath(frame, vertical(bezel.top(), bezel.bottom(), {{0, QColor(70, 64, 56)}, {1, QColor(40, 36, 32)}}));
        p.setPen(QPen(QColor(255, 255, 255, 120), 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(bezel.left() + 8, bezel.bottom() + 1), QPointF(bezel.right() - 8, bezel.bottom() + 1));
        const QRectF glass = bezel.adjusted(4, 4, -4, -4);
        QPainterPath screen;
        screen.addRoundedRect(glass, 4, 4);
        p.fillPath(screen, vertical(glass.top(), glass.bottom(), {{0, QColor(196, 214, 150)}, {1, QColor(164, 186, 118)}}));
        // Faint pixel grid of a liquid-crystal screen and a shadow under the bezel.
        p.save();
        p.setClipPath(screen);
        p.setPen(QPen(QColor(120, 140, 80, 28), 1));
        for (double x = glass.left() + 2; x < glass.right(); x += 3)
            p.drawLine(QPointF(x, glass.top()), QPointF(x, glass.bottom()));
        p.fillRect(QRectF(glass.left(), glass.top(), glass.width(), 5),
                   vertical(glass.top(), glass.top() + 5, {{0, QColor(0, 0, 0, 60)}, {1, QColor(0, 0, 0, 0)}}));
        p.restore();
    }
    {
        const QRectF g(416, 113, 152, 18);
        QPainterPath frame;
        frame.addRoundedRect(g, 6, 6);
        p.fillPath(frame, vertical(g.top(), g.bottom(), {{0, QColor(0, 0, 0, 26)}, {1, QColor(255, 255, 255, 40)}}));
        p.setPen(QPen(QColor(150, 136, 112, 150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(frame);
        p.setPen(Qt::NoPen);
        for (int row = 0; row < 2; ++row) {
            const double y = g.top() + 6 + row * 6.0;
            for (double x = g.left() + 9 + (row % 2) * 3.25; x < g.right() - 6; x += 6.5) {
                p.setBrush(QColor(64, 56, 46, 140));
                p.drawEllipse(QPointF(x, y), 1.6, 1.6);
                p.setBrush(QColor(255, 255, 255, 80));
                p.drawEllipse(QPointF(x + 0.6, y + 0.9), 0.8, 0.8);
            }
        }
    }

    // Edge between panel and key bed: a gold trim and the red felt.
    p.fillRect(QRectF(0, bed - 3, w, 2), vertical(bed - 3, bed - 1, {{0, QColor(244, 218, 150)}, {1, QColor(170, 130, 60)}}));
    p.fillRect(QRectF(0, bed - 1, w, 1), QColor(90, 70, 40));
    p.fillRect(QRectF(0, bed, w, h - bed), vertical(bed, h, {{0, QColor(30, 28, 34)}, {1, QColor(12, 12, 16)}}));
    p.fillRect(QRectF(0, bed, w, 6), vertical(bed, bed + 6, {{0, QColor(160, 30, 40)}, {1, QColor(100, 14, 22)}}));
    brushStreaks(p, QRectF(0, bed + 6, w, h - bed - 6), 2, 6);
    // The front lip of the case below the keys.
    p.fillRect(QRectF(0, h - 8, w, 8), vertical(h - 8, h, {{0, QColor(60, 58, 66)}, {1, QColor(20, 20, 24)}}));
    p.fillRect(QRectF(0, h - 8, w, 1), QColor(110, 106, 118));
    return img;
}

// ---------------------------------------------------------------- yylr.png

// Score entry window: warm manuscript paper with faint staves and a pale header.
QImage scoreEntryBackground(int w, int h)
{
    QImage img = newImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    p.fillRect(img.rect(), vertical(0, h, {{0, QColor(252, 248, 238)}, {1, QColor(242, 234, 216)}}));
    // Paper fibres.
    QRandomGenerator rng(77);
    for (int i = 0; i < 2600; ++i) {
        const QPointF a(rng.bounded(w), rng.bounded(h));
        const double len = 1 + rng.bounded(4.0);
        const double ang = rng.bounded(2 * M_PI);
        p.setPen(QPen(QColor(150, 120, 70, 8 + rng.bounded(14)), 0.6));
        p.drawLine(a, a + QPointF(len * qCos(ang), len * qSin(ang)));
    }
    // Vignette.
    QRadialGradient vig(QPointF(w / 2.0, h / 2.0), w * 0.75);
    vig.setColorAt(0.6, QColor(0, 0, 0, 0));
    vig.setColorAt(1, QColor(120, 84, 30, 50));
    p.fillRect(img.rect(), vig);

    // Header band.
    p.fillRect(QRectF(0, 0, w, 64), vertical(0, 64, {{0, QColor(214, 230, 246)}, {1, QColor(236, 243, 250, 0)}}));
    p.fillRect(QRectF(0, 0, w, 3), vertical(0, 3, {{0, QColor(52, 92, 160)}, {1, QColor(90, 132, 196)}}));

    // Staves across the page, very faint so typed text stays clear.
    for (double top = 110; top + 32 < h - 20; top += 64) {
        for (int line = 0; line < 5; ++line) {
            const double y = top + line * 8 + 0.5;
            p.setPen(QPen(QColor(70, 96, 150, 30), 1));
            p.drawLine(QPointF(24, y), QPointF(w - 24, y));
        }
        p.setPen(QPen(QColor(70, 96, 150, 34), 1.4));
        p.drawLine(QPointF(24, top), QPointF(24, top + 32));
        p.drawLine(QPointF(w - 24, top), QPointF(w - 24, top + 32));
    }

    // A few notes and a small title on the lower right margin.
    drawNote(p, QPointF(w - 74, h - 26), 4.2, QColor(52, 92, 160, 110));
    drawNote(p, QPointF(w - 56, h - 32), 4.2, QColor(52, 92, 160, 110), true);
    p.setFont(cjkFont(12));
    p.setPen(QColor(52, 92, 160, 130));
    p.drawText(QRectF(24, h - 24, 200, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("乐谱录入"));
    return img;
}

// ---------------------------------------------------------------- keymap.png

struct KeyStyle {
    QColor colour;
    QString legend;
};

enum Role { Plain, RegL, RegW, RegK, RegH, RegM, Key, Chord, Preset, Drum, Effect, Control, RoleCount };

const KeyStyle Styles[RoleCount] = {
    {QColor(206, 210, 218), QString()},
    {QColor(70, 96, 220), QStringLiteral("最低音 L")},
    {QColor(30, 160, 214), QStringLiteral("低音 W")},
    {QColor(46, 170, 92), QStringLiteral("中音 K")},
    {QColor(236, 150, 40), QStringLiteral("高音 H")},
    {QColor(222, 72, 62), QStringLiteral("最高音 M")},
    {QColor(142, 91, 214), QStringLiteral("换调")},
    {QColor(214, 72, 143), QStringLiteral("和弦乐器")},
    {QColor(96, 125, 155), QStringLiteral("乐器组合")},
    {QColor(176, 120, 56), QStringLiteral("打击乐")},
    {QColor(20, 163, 154), QStringLiteral("特殊音效")},
    {QColor(70, 72, 80), QStringLiteral("演奏控制")},
};

struct MapKey {
    double x, y, w, h; // in key units
    QString cap;       // printed on the key
    QString role;      // what it does here (may be empty)
    Role kind;
};

// The computer keyboard with what each key plays: note keys by register with
// their score names, key choice, chord instruments, presets, keypad drums,
// effect keys and the control keys.
QImage keyboardMap(int w, int h)
{
    QImage img = newImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    p.fillRect(img.rect(), vertical(0, h, {{0, QColor(52, 56, 64)}, {1, QColor(28, 30, 36)}}));
    brushStreaks(p, QRectF(0, 0, w, h), 3, 7);

    std::vector<MapKey> keys;
    auto add = [&](double x, double y, double kw, const QString &cap, const QString &role, Role kind) {
        keys.push_back({x, y, kw, 1, cap, role, kind});
    };
    // Function row.
    add(0, 0, 1, QStringLiteral("Esc"), QString(), Plain);
    for (int i = 0; i < 12; ++i)
        add(2 + i + (i / 4) * 0.5, 0, 1, QStringLiteral("F%1").arg(i + 1), QStringLiteral("组合%1").arg(i + 1),
            Preset);
    // Number row: ` 1 2 3 4 5 (highest) 6 7 8 9 0 - = (lowest) Backspace.
    const double r1 = 1.25;
    add(0, r1, 1, QStringLiteral("`"), QString(), Plain);
    const QString highest[5] = {QStringLiteral("MC"), QStringLiteral("MD"), QStringLiteral("ME"),
                                QStringLiteral("MF"), QStringLiteral("MG")};
    for (int i = 0; i < 5; ++i)
        add(1 + i, r1, 1, QString::number(i + 1), highest[i], RegM);
    const QString lowestCaps[7] = {QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9"),
                                   QStringLiteral("0"), QStringLiteral("-"), QStringLiteral("=")};
    const QString pitch = QStringLiteral("CDEFGAB");
    for (int i = 0; i < 7; ++i)
        add(6 + i, r1, 1, lowestCaps[i], QStringLiteral("L") + pitch[i], RegL);
    add(13, r1, 2, QStringLiteral("Backspace"), QStringLiteral("休止 XZ"), Control);
    // Q row.
    const double r2 = r1 + 1;
    add(0, r2, 1.5, QStringLiteral("Tab"), QString(), Plain);
    const QString chordCaps[4] = {QStringLiteral("Q"), QStringLiteral("W"), QStringLiteral("E"), QStringLiteral("R")};
    const QString chordRoles[4] = {QStringLiteral("电颤琴"), QStringLiteral("合成人声"), QStringLiteral("钢丝吉它"),
                                   QStringLiteral("架子鼓")};
    for (int i = 0; i < 4; ++i)
        add(1.5 + i, r2, 1, chordCaps[i], chordRoles[i], Chord);
    const QString lowCaps[7] = {QStringLiteral("T"), QStringLiteral("Y"), QStringLiteral("U"), QStringLiteral("I"),
                                QStringLiteral("O"), QStringLiteral("P"), QStringLiteral("[")};
    for (int i = 0; i < 7; ++i)
        add(5.5 + i, r2, 1, lowCaps[i], QStringLiteral("W") + pitch[i], RegW);
    add(12.5, r2, 1, QStringLiteral("]"), QString(), Plain);
    add(13.5, r2, 1.5, QStringLiteral("\\"), QString(), Plain);
    // A row.
    const double r3 = r2 + 1;
    add(0, r3, 1.75, QStringLiteral("Caps"), QString(), Plain);
    const QString keyCapsA[4] = {QStringLiteral("A"), QStringLiteral("S"), QStringLiteral("D"), QStringLiteral("F")};
    const QString keyRolesA[4] = {QStringLiteral("C调"), QStringLiteral("D调"), QStringLiteral("E调"),
                                  QStringLiteral("F调")};
    for (int i = 0; i < 4; ++i)
        add(1.75 + i, r3, 1, keyCapsA[i], keyRolesA[i], Key);
    const QString midCaps[7] = {QStringLiteral("G"), QStringLiteral("H"), QStringLiteral("J"), QStringLiteral("K"),
                                QStringLiteral("L"), QStringLiteral(";"), QStringLiteral("'")};
    for (int i = 0; i < 7; ++i)
        add(5.75 + i, r3, 1, midCaps[i], QStringLiteral("K") + pitch[i], RegK);
    add(12.75, r3, 2.25, QStringLiteral("Enter"), QString(), Plain);
    // Z row.
    const double r4 = r3 + 1;
    add(0, r4, 2.25, QStringLiteral("Shift"), QStringLiteral("自动同步"), Control);
    const QString keyCapsZ[3] = {QStringLiteral("Z"), QStringLiteral("X"), QStringLiteral("C")};
    const QString keyRolesZ[3] = {QStringLiteral("G调"), QStringLiteral("A调"), QStringLiteral("bB调")};
    for (int i = 0; i < 3; ++i)
        add(2.25 + i, r4, 1, keyCapsZ[i], keyRolesZ[i], Key);
    const QString highCaps[7] = {QStringLiteral("V"), QStringLiteral("B"), QStringLiteral("N"), QStringLiteral("M"),
                                 QStringLiteral(","), QStringLiteral("."), QStringLiteral("/")};
    for (int i = 0; i < 7; ++i)
        add(5.25 + i, r4, 1, highCaps[i], QStringLiteral("H") + pitch[i], RegH);
    add(12.25, r4, 2.75, QStringLiteral("Shift"), QStringLiteral("自动同步"), Control);
    // Bottom row.
    const double r5 = r4 + 1;
    add(0, r5, 1.5, QStringLiteral("Ctrl"), QString(), Plain);
    add(1.5, r5, 1.25, QStringLiteral("Win"), QString(), Plain);
    add(2.75, r5, 1.25, QStringLiteral("Alt"), QString(), Plain);
    add(4, r5, 6.5, QStringLiteral("空格"), QStringLiteral("停止全部演奏"), Control);
    add(10.5, r5, 1.25, QStringLiteral("Alt"), QString(), Plain);
    add(11.75, r5, 1.25, QStringLiteral("Menu"), QString(), Plain);
    add(13, r5, 2, QStringLiteral("Ctrl"), QString(), Plain);
    // Editing block: the six effect keys, then the arrows.
    const double ex = 15.5;
    const QString editCaps[6] = {QStringLiteral("Ins"), QStringLiteral("Home"), QStringLiteral("PgUp"),
                                 QStringLiteral("Del"), QStringLiteral("End"), QStringLiteral("PgDn")};
    for (int i = 0; i < 6; ++i)
        add(ex + i % 3, i < 3 ? r1 : r2, 1, editCaps[i], QStringLiteral("音效%1").arg(i + 1), Effect);
    add(ex + 1, r4, 1, QStringLiteral("↑"), QString(), Plain);
    add(ex, r5, 1, QStringLiteral("←"), QString(), Plain);
    add(ex + 1, r5, 1, QStringLiteral("↓"), QString(), Plain);
    add(ex + 2, r5, 1, QStringLiteral("→"), QString(), Plain);
    // Numeric keypad: digits play drums, + and - start and stop the rhythm.
    const double kx = 19;
    add(kx, r1, 1, QStringLiteral("Num"), QString(), Plain);
    add(kx + 1, r1, 1, QStringLiteral("/"), QString(), Plain);
    add(kx + 2, r1, 1, QStringLiteral("*"), QString(), Plain);
    add(kx + 3, r1, 1, QStringLiteral("-"), QStringLiteral("节奏停"), Control);
    const int padRows[3][3] = {{7, 8, 9}, {4, 5, 6}, {1, 2, 3}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            add(kx + c, r2 + r, 1, QString::number(padRows[r][c]), QStringLiteral("鼓%1").arg(padRows[r][c]), Drum);
    keys.push_back({kx + 3, r2, 1, 2, QStringLiteral("+"), QStringLiteral("节奏启"), Control});
    add(kx, r5, 2, QStringLiteral("0"), QStringLiteral("鼓0"), Drum);
    add(kx + 2, r5, 1, QStringLiteral("."), QString(), Plain);
    keys.push_back({kx + 3, r4, 1, 2, QStringLiteral("Enter"), QString(), Plain});

    // Geometry: 23 units across, six rows and a legend line below.
    const double marginX = 12, top = 7;
    const double unit = (w - 2 * marginX) / 23.0;
    const double rowH = 27.5;
    const double gap = 2.2;

    const QFont capFont = cjkFont(9.5);
    const QFont roleFont = cjkFont(11.5, QFont::Bold);
    const QFont smallRole = cjkFont(10, QFont::Bold);
    for (const MapKey &k : keys) {
        const QRectF r(marginX + k.x * unit + gap / 2, top + k.y * rowH + gap / 2, k.w * unit - gap,
                       k.h * rowH - gap);
        const QColor base = Styles[k.kind].colour;
        QPainterPath path;
        path.addRoundedRect(r, 4, 4);
        p.fillPath(path.translated(0, 1.5), QColor(0, 0, 0, 110));
        p.fillPath(path, vertical(r.top(), r.bottom(), {{0, base.lighter(k.kind == Plain ? 108 : 125)},
                                                        {1, base.darker(k.kind == Plain ? 108 : 118)}}));
        QPainterPath face;
        face.addRoundedRect(r.adjusted(2.5, 1.5, -2.5, -4), 3, 3);
        p.fillPath(face, vertical(r.top(), r.bottom(), {{0, QColor(255, 255, 255, k.kind == Plain ? 50 : 40)},
                                                        {1, QColor(255, 255, 255, 0)}}));
        p.setPen(QPen(base.darker(150), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);

        const QColor text = k.kind == Plain ? QColor(70, 74, 84) : QColor(255, 255, 255);
        if (k.role.isEmpty()) {
            p.setFont(capFont);
            p.setPen(text);
            p.drawText(r.adjusted(3, 0, -3, -2), Qt::AlignCenter, k.cap);
            continue;
        }
        p.setFont(capFont);
        p.setPen(QColor(255, 255, 255, 200));
        p.drawText(r.adjusted(4, 1, -3, 0), Qt::AlignLeft | Qt::AlignTop, k.cap);
        const bool noteKey = k.kind >= RegL && k.kind <= RegM;
        if (noteKey) {
            // The solfege syllable under the key's character.
            const int pitchIndex = QStringLiteral("CDEFGAB").indexOf(k.role.at(1));
            p.setPen(QColor(255, 255, 255, 215));
            p.drawText(r.adjusted(4, 0, -3, -2), Qt::AlignLeft | Qt::AlignBottom,
                       QStringLiteral("哆唻咪法嗦啦希").mid(pitchIndex, 1));
        }
        QFont rf = noteKey ? roleFont : smallRole;
        QFontMetricsF fm(rf);
        while (fm.horizontalAdvance(k.role) > r.width() - 5 && rf.pixelSize() > 7) {
            rf.setPixelSize(rf.pixelSize() - 1);
            fm = QFontMetricsF(rf);
        }
        p.setFont(rf);
        const QRectF roleRect = r.adjusted(2, r.height() * 0.38, -3, -2);
        p.setPen(QColor(0, 0, 0, 90));
        p.drawText(roleRect.translated(0.6, 0.8), noteKey ? (Qt::AlignRight | Qt::AlignVCenter) : Qt::AlignCenter,
                   k.role);
        p.setPen(text);
        p.drawText(roleRect, noteKey ? (Qt::AlignRight | Qt::AlignVCenter) : Qt::AlignCenter, k.role);
    }

    // Legend.
    const double ly = top + 6.25 * rowH + 3;
    p.setFont(cjkFont(11));
    double x = marginX + 4;
    for (int kind = RegL; kind < RoleCount; ++kind) {
        const KeyStyle &s = Styles[kind];
        QPainterPath sw;
        sw.addRoundedRect(QRectF(x, ly + 3, 12, 10), 2.5, 2.5);
        p.fillPath(sw, vertical(ly + 3, ly + 13, {{0, s.colour.lighter(125)}, {1, s.colour.darker(115)}}));
        p.setPen(QColor(230, 232, 238));
        const double tw = QFontMetricsF(p.font()).horizontalAdvance(s.legend);
        p.drawText(QRectF(x + 16, ly, tw + 2, 16), Qt::AlignLeft | Qt::AlignVCenter, s.legend);
        x += 16 + tw + 18;
    }
    p.setPen(QColor(200, 204, 214));
    p.drawText(QRectF(x, ly, w - marginX - x, 16), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("音符键上的字母即乐谱写法"));
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <resources/pictures folder>\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);

    // Window client sizes in pixels (15 twips to the pixel).
    constexpr int MainWidth = 980, MainHeight = 340;
    constexpr int EntryWidth = 640, EntryHeight = 480;
    constexpr int MapWidth = 980, MapHeight = 204;

    bool ok = true;
    ok &= save(whiteKey(false), dir, QStringLiteral("102.png"));
    ok &= save(whiteKey(true), dir, QStringLiteral("103.png"));
    ok &= save(blackKey(false), dir, QStringLiteral("104.png"));
    ok &= save(blackKey(true), dir, QStringLiteral("105.png"));
    ok &= save(startupPicture(), dir, QStringLiteral("106.png"));
    ok &= save(dragPointer(), dir, QStringLiteral("501.png"));
    ok &= save(mainBackground(MainWidth, MainHeight), dir, QStringLiteral("form1.png"));
    ok &= save(scoreEntryBackground(EntryWidth, EntryHeight), dir, QStringLiteral("yylr.png"));
    ok &= save(keyboardMap(MapWidth, MapHeight), dir, QStringLiteral("keymap.png"));
    return ok ? 0 : 1;
}
