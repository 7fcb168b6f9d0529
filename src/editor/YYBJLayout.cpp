// Builds the music editor window: every control, its caption, tip and fixed
// list, and its place.
//
// Window plan, in pixels (the width follows the time signature: YYBJGrid.cpp):
//   top bar (y 4..60)     measure number XJZS with its labels, the bars of
//                         music XJXSS, the time signature JPFL, and below
//                         them the measure bar HScroll1 over the grid;
//   line column (x 4..168, from GridTop)  per line: its name, instrument
//                         SYYQ and volume YQYL, on the line's row;
//   grid Picture1 (x 170) seven melody boxes YF1, then the five percussion
//                         rows DJY1..DJY5, one row every 32 px;
//   panel Picture3 (at Picture1's width + 175, 113 px wide)  key, tempo,
//                         effects and depth, device, the settings and file
//                         buttons, help and exit;
//   bottom                clear / insert / number of measures under the line
//                         column, the token explanation Label9 under the grid.
#include "editor/YYBJ.h"

#include <QFont>
#include <QFontMetricsF>
#include <QAbstractItemView>

namespace dzq {

namespace {

const QString UiFamily = QStringLiteral("WenQuanYi Micro Hei");
const QString MonoFamily = QStringLiteral("DejaVu Sans Mono");

QFont fontOf(const QString &family, int pixelSize)
{
    QFont f(family);
    f.setPixelSize(pixelSize);
    return f;
}

// A control placed on its parent, with its tool tip.
template <typename W>
W *placed(W *w, const QRect &r, const QString &tip = {})
{
    w->setGeometry(r);
    if (!tip.isEmpty())
        w->setToolTip(tip);
    return w;
}

QLabel *text(QWidget *parent, const QString &caption, const QRect &r)
{
    return placed(new QLabel(caption, parent), r);
}

QPushButton *push(QWidget *parent, const QString &caption, const QRect &r, const QString &tip = {})
{
    auto *b = placed(new QPushButton(caption, parent), r, tip);
    b->setAutoDefault(false);
    return b;
}

ChoiceList *list(QWidget *parent, const QRect &r, const QStringList &items, bool editable, const QString &tip = {})
{
    auto *c = placed(new ChoiceList(parent), r, tip);
    c->setMaxVisibleItems(20);
    c->addItems(items);
    c->setEditable(editable);
    return c;
}

QStringList numbersFromTo(int from, int to, int step)
{
    QStringList out;
    for (int n = from; n <= to; n += step)
        out << QString::number(n);
    return out;
}

const char *const StyleSheet = R"(
QPushButton {
    color: #2c2a40;
    border: 1px solid #8a88a8;
    border-radius: 3px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fafaff, stop:1 #d4d4e4);
    padding: 0px 2px;
}
QPushButton:hover { border-color: #3050b0; }
QPushButton:pressed, QCheckBox[button="true"]:checked { background: #c4c4d8; }
QCheckBox[button="true"] {
    color: #2c2a40;
    border: 1px solid #8a88a8;
    border-radius: 3px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fafaff, stop:1 #d4d4e4);
    padding-left: 14px;
}
QCheckBox[button="true"]::indicator { image: none; border: none; background: none; width: 0px; height: 0px; }
QWidget#Picture1 { background: #f4f4f0; border: 1px solid #a0a0b0; }
QWidget#Picture3 { background: #ecece4; border: 1px solid #a0a0b0; }
QLabel#XJXSS { color: #803020; }
QLabel#Label9 { color: #404060; }
)";

} // namespace

QColor YYBJ::paletteColour(int index)
{
    static constexpr std::array<QRgb, 16> Palette{
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    return QColor(Palette[std::size_t(index & 15)]);
}

YYBJ::YYBJ(KeyboardWindowApi &keyboard, QWidget *parent) : QWidget(parent), keyboard_(keyboard)
{
    setWindowTitle(QStringLiteral("音乐编辑器"));
    setFont(fontOf(UiFamily, 12));
    setStyleSheet(QString::fromLatin1(StyleSheet));

    buildTopBar();
    buildGrid();
    buildLineColumn();
    buildSettingsPanel();
    buildRecorder();
    applyTimeSignatureLayout(0);
    placePanels();

    wireGrid();
    wireMeasures();
    wireSettings();
    wireDevice();
    wireFiles();
    wireImport();
    wireLife();
    wirePlayback();
    wireRecorder();
}

YYBJ::~YYBJ()
{
    // The controls die after this body has run, and a focus change among
    // them would call a handler of a window that is no longer whole.
    for (QObject *child : findChildren<QObject *>())
        child->blockSignals(true);
}

void YYBJ::buildTopBar()
{
    text(this, QStringLiteral("正在编辑软件第"), QRect(8, 6, 90, 22));
    XJZS = placed(new QLineEdit(QStringLiteral("0"), this), QRect(98, 6, 44, 22));
    XJZS->setAlignment(Qt::AlignCenter);
    text(this, QStringLiteral("小节"), QRect(146, 6, 30, 22));
    XJXSS = text(this, QStringLiteral("实际小节数是(1-2)小节"), QRect(180, 6, 170, 22));
    XJXSS->setObjectName(QStringLiteral("XJXSS"));
    text(this, QStringLiteral("音乐每两小节为软件的一小节"), QRect(352, 6, 170, 22));

    JZLX = text(this, QStringLiteral("节奏类型"), QRect(8, 34, 60, 22));
    const std::array<QString, 3> captions{QStringLiteral("2/4"), QStringLiteral("3/4"), QStringLiteral("4/4")};
    // The three options exclude each other through their own parent.
    auto *group = new QWidget(this);
    group->setGeometry(68, 34, 150, 22);
    for (std::size_t k = 0; k < 3; ++k)
        JPFL[k] = placed(new OptionButton(captions[k], group), QRect(50 * int(k), 0, 48, 22),
                         QStringLiteral("选择音乐节奏类型为%1拍！").arg(captions[k]));
    JPFL[0]->setValue(true);

    HScroll1 = new ScrollBar(Qt::Horizontal, this);
    HScroll1->setRange(0, 0);
    HScroll1->setToolTip(QStringLiteral("选择要编辑的小节"));
}

void YYBJ::buildGrid()
{
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAttribute(Qt::WA_StyledBackground);
    Picture1->setStyleSheet(percussionBoxStyle());
    // Each cell of two characters stands over the percussion box of its
    // step: a character is half a box wide.
    QFont mono = fontOf(MonoFamily, 13);
    mono.setLetterSpacing(QFont::AbsoluteSpacing,
                          BoxSize / 2.0 - QFontMetricsF(mono).horizontalAdvance(QLatin1Char('M')));
    for (std::size_t k = 0; k < YF1.size(); ++k) {
        auto *box = new QLineEdit(Picture1);
        box->move(2, 2 + RowPitch * int(k));
        box->setFont(mono);
        box->setFrame(true);
        // Each line in its own colour, with text that stays readable on it.
        const QColor back = paletteColour(int(k) + 1);
        const QColor fore = back.lightness() < 100 ? QColor(Qt::white) : QColor(Qt::black);
        box->setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid #606060; }")
                               .arg(back.name(), fore.name()));
        YF1[k] = box;
    }
    // Element 0 of every percussion row; the others are built for the time
    // signature.
    for (int row = 0; row < PercussionLineCount; ++row) {
        auto *box = new CheckBox(Picture1);
        box->setGeometry(2, 2 + PercussionTop + RowPitch * row, BoxSize, BoxSize);
        percussionRow(row).push_back(box);
    }

    Label9 = text(this,
                  QStringLiteral("音符：音区LWKHM + 音名CDEFGAB（即1234567），如KC为中音1；XZ休止，--延长，TZ结束；"
                                 "和弦：CL-BL,CC-BC,CM-BM为135,246,357,461,572,613,724三个位置的和弦"),
                  QRect());
    Label9->setObjectName(QStringLiteral("Label9"));
    Label9->setWordWrap(true);
    Label9->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void YYBJ::buildLineColumn()
{
    const QStringList volumes = numbersFromTo(20, 120, 10);
    const QFont small = fontOf(UiFamily, 11);
    for (std::size_t i = 0; i < SYYQ.size(); ++i) {
        const int y = GridTop + 2 + RowPitch * int(i);
        LineLabel[i] = text(this, i == 0 ? QStringLiteral("含颤音") : QStringLiteral("乐器%1").arg(i + 1),
                            QRect(3, y, 42, 24));
        SYYQ[i] = list(this, QRect(44, y, 78, 24), {}, false);
        SYYQ[i]->setFont(small);
        SYYQ[i]->view()->setMinimumWidth(170);
        YQYL[i] = list(this, QRect(123, y, 46, 24), volumes, true);
        YQYL[i]->setFont(small);
    }

    const int y = GridTop + GridHeight + 6;
    QinKong = push(this, QStringLiteral("清空"), QRect(4, y, 52, 24), QStringLiteral("清空并重新编辑当前小节！"));
    CHARU = push(this, QStringLiteral("插入"), QRect(60, y, 52, 24),
                 QStringLiteral("在当前小节后插入新的小节！后面本来有的小节将被覆盖！"));
    ZDXJZS = push(this, QStringLiteral("设置"), QRect(116, y, 52, 24),
                  QStringLiteral("设置音乐所需小节总数，修改后自动演奏时将演奏到设定值！"));
}

void YYBJ::buildSettingsPanel()
{
    Picture3 = new QWidget(this);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture3->setAttribute(Qt::WA_StyledBackground);
    QWidget *p = Picture3;
    const int w = 105;
    int y = 6;
    const auto row = [&y](int height) {
        const int top = y;
        y += height;
        return top;
    };

    text(p, QStringLiteral("音调"), QRect(4, row(0), 34, 24));
    QStringList keys;
    for (const char *k : {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"})
        keys << QString::fromLatin1(k);
    DQYD = list(p, QRect(40, row(28), 66, 24), keys, false, QStringLiteral("选择音乐使用的音调！"));

    text(p, QStringLiteral("速度"), QRect(4, row(0), 34, 24));
    DQSUDU = list(p, QRect(40, row(24), 66, 24), numbersFromTo(40, 130, 5), true,
                  QStringLiteral("调整音乐演奏的速度，除选择已有的速度外允许自行填写50到255之间的正整数！"));
    text(p, QStringLiteral("拍/分钟"), QRect(58, row(26), 48, 20));

    Check1[0] = placed(new CheckBox(QStringLiteral("颤音"), p), QRect(4, row(0), 50, 22),
                       QStringLiteral("使第一声道的乐器产生颤音效果！"));
    Check1[1] = placed(new CheckBox(QStringLiteral("渐强弱"), p), QRect(52, row(24), 60, 22),
                       QStringLiteral("在当前小节的开始或结尾使用渐强或减弱的声音效果(当深度刻度为正时是渐强，"
                                      "为负时是渐弱，建议数值为+10和-3)！"));
    Label7 = text(p, QStringLiteral("深度(-20_20)"), QRect(4, row(20), w, 20));
    HScroll3 = placed(new ScrollBar(Qt::Horizontal, p), QRect(4, row(26), w - 2, 18));
    HScroll3->setRange(-20, 20);
    HScroll3->setValue(0);

    text(p, QStringLiteral("输出设备"), QRect(4, row(20), w, 20));
    ComDevies = list(p, QRect(4, row(30), w - 2, 24), {}, false);
    ComDevies->view()->setMinimumWidth(220);

    BCBXJ = push(p, QStringLiteral("保存"), QRect(4, row(30), w - 2, 26),
                 QStringLiteral("对于修改了乐器，音量等项目的小节请点击保存该小节的设置！"));
    BCBJ = push(p, QStringLiteral("保存编辑"), QRect(4, row(30), w - 2, 26),
                QStringLiteral("保存正在编辑的音乐编辑，以备再次修改编辑！"));
    DkBianji = push(p, QStringLiteral("打开编辑文件"), QRect(4, row(30), w - 2, 26),
                    QStringLiteral("打开以前保存的编辑文件再次进行编辑或录音！"));
    DRYP = push(p, QStringLiteral("导入记录乐谱"), QRect(4, row(36), w - 2, 26),
                QStringLiteral("导入用电子琴演奏或编辑的乐谱进行全新编辑！"));
    BZWJ = push(p, QStringLiteral("帮  助"), QRect(4, row(30), w - 2, 26));
    TUICHU = push(p, QStringLiteral("退出窗口"), QRect(4, row(36), w - 2, 26),
                  QStringLiteral("退出编辑窗口返回主电子琴界面！"));

    ST1 = placed(new OptionButton(QStringLiteral("试听本节效果"), p), QRect(4, row(28), w, 24),
                 QStringLiteral("只要有修改的小节都应试听以便软件记住你的修改！"));
    ST2 = placed(new CheckBox(QStringLiteral("从开始处启动"), p), QRect(4, row(30), w - 2, 26),
                 QStringLiteral("试听编辑的音乐效果，可以随时停止进行编辑！"));
    ST2->setProperty("button", true);
    YYDS = new StepTimer(this);
}

void YYBJ::buildRecorder()
{
    // The four recorder options exclude each other through their own parent.
    auto *group = new QWidget(this);
    group->setGeometry(4, RecorderTop, 300, 24);
    const std::array<QString, 4> captions{QStringLiteral("放音"), QStringLiteral("停止"), QStringLiteral("录音"),
                                          QStringLiteral("保存录音")};
    const std::array<int, 4> widths{56, 56, 56, 84};
    int x = 0;
    for (std::size_t i = 0; i < LUYINJI.size(); ++i) {
        LUYINJI[i] = placed(new OptionButton(captions[i], group), QRect(x, 0, widths[i], 24));
        x += widths[i] + 4;
    }
    text(this, QStringLiteral("录音音质"), QRect(310, RecorderTop, 56, 24));
    yinzi = list(this, QRect(366, RecorderTop, 96, 24),
                 {QStringLiteral("CD音质"), QStringLiteral("好音质"), QStringLiteral("普通音质")}, false);
    LYSJ = text(this, QStringLiteral("当前: 00:00"), QRect(472, RecorderTop, 110, 24));
    Lyjsj = new StepTimer(this);
    Lyjsj->setInterval(1000);
}

std::vector<CheckBox *> &YYBJ::percussionRow(int row)
{
    static_assert(PercussionLineCount == 5);
    std::array<std::vector<CheckBox *> *, 5> rows{&DJY1, &DJY2, &DJY3, &DJY4, &DJY5};
    return *rows[std::size_t(row)];
}

} // namespace dzq
