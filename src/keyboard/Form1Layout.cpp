// Builds the main keyboard window: every control, its caption, tip and fixed
// list, and its place on the window picture (resources/pictures/form1.png).
//
// Window plan, in pixels of the 980 x 340 client area:
//   top bar (y 4..26)    tabs Xxk on the left, the name in the middle (part of
//                        the picture), status line FJWZ and clock SjXs right;
//   left tray (3..405, 27..201)   the panel Jiezhou(i) at (8, 32), 394 x 138,
//                        and below it the recorder row at y 174: Image1,
//                        BcLY, elapsed time Label12, scrolling line Label8;
//   centre (410..572)    the display XSWB on the picture's screen (416, 32),
//                        the keyboard map Picture2 at (414, 136) with its
//                        caption Label3 below;
//   right tray (575..977, 27..201)   the score box Text3 at (580, 32), the
//                        score buttons Yuepu + XINJIAN in a row at y 150, the
//                        window buttons SFYXYZ, BJCK, Command2, Command1 at y 176;
//   key bed (y 210..331) the 65 keys from x 3, the mute strip Label1 at the
//                        right end (957..977).
// The compact window (about 408 x 200 inside) keeps the tabs, the panel and
// the recorder.
//
// Which panel holds the controls whose panel is open:
//   - tempo SD (with "拍/分钟") and Option4 on the melody panel: the tempo
//     paces live playing first, and the melody panel has the room;
//   - Check5 "自动同步" and BzQd on the rhythm panel, beside the metre: both
//     start the rhythm;
//   - xuanyue, Combo1-3, HxYL and Check6 on the chord panel: Combo1-3 stand on
//     the rows of the pattern lines they play (Text4, Text5, Text7).
#include "keyboard/Form1.h"

#include "keyboard/core/KeyLayout.h"
#include "platform/Resources.h"
#include "textbox/TransparentTextBox.h"

#include <QFont>
#include <QTextOption>

namespace dzq {

namespace {

const QString UiFamily = QStringLiteral("WenQuanYi Micro Hei");
const QString MonoFamily = QStringLiteral("DejaVu Sans Mono");

QFont uiFont(int pixelSize, bool bold = false)
{
    QFont f(UiFamily);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont monoFont(int pixelSize)
{
    QFont f(MonoFamily);
    f.setStyleHint(QFont::Monospace);
    f.setPixelSize(pixelSize);
    return f;
}

// The window's look: champagne metal buttons, tabs drawn from option buttons,
// check boxes that look like buttons, a green display.
const char *const StyleSheet = R"(
QPushButton, QCheckBox[button="true"] {
    color: #3a3226;
    border: 1px solid #9a8a70;
    border-radius: 4px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbf8f1, stop:1 #d8cdb8);
    padding: 0px 2px;
}
QPushButton:hover, QCheckBox[button="true"]:hover { border-color: #b4402c; }
QPushButton:pressed, QCheckBox[button="true"]:checked {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #c9bb9f, stop:1 #eee6d6);
}
QPushButton:focus { border-color: #b4402c; }
QCheckBox[button="true"] { padding-left: 18px; spacing: 0px; }
QCheckBox[button="true"]::indicator { image: none; border: none; background: none; width: 0px; height: 0px; margin: 0px; }
QRadioButton[tab="true"] {
    color: #4a3f30;
    border: 1px solid #a8977a;
    border-radius: 5px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbf8f1, stop:1 #ddd3bf);
    padding-left: 12px;
    spacing: 0px;
}
QRadioButton[tab="true"]:checked {
    color: #fff6e6;
    border-color: #7a1820;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #c23a40, stop:1 #8a1a22);
}
QRadioButton[tab="true"]::indicator { image: none; border: none; background: none; width: 0px; height: 0px; margin: 0px; }
QLabel#XSWB {
    color: #1d3a14;
    background: transparent;
    padding: 2px 3px;
}
QLabel#Label1 {
    color: #f3d9a0;
    background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #6e1018, stop:1 #9a1e28);
    border: 1px solid #3a070c;
    border-radius: 3px;
}
QLabel#FJWZ, QLabel#SjXs { color: #6a5a44; }
QLabel#Label12 {
    color: #b8f07a;
    background: #1c2418;
    border: 1px solid #6a5a44;
    border-radius: 3px;
}
QLabel#Label11 {
    color: #4a3f30;
    border: 1px solid #b8a888;
    border-radius: 3px;
    background: rgba(255, 255, 255, 90);
    padding-left: 3px;
}
QPlainTextEdit, QTextEdit { border: 1px solid #b0a084; border-radius: 3px; color: #2a241a; }
)";

QLabel *label(QWidget *parent, const QString &text, const QRect &r, Qt::Alignment align = Qt::AlignVCenter | Qt::AlignLeft)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(r);
    l->setAlignment(align);
    return l;
}

QPushButton *button(QWidget *parent, const QString &text, const QRect &r, const QString &tip = {})
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(r);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

ChoiceList *choice(QWidget *parent, const QRect &r, const QStringList &items = {}, bool editable = false)
{
    auto *c = new ChoiceList(parent);
    c->setGeometry(r);
    c->setMaxVisibleItems(20);
    c->addItems(items);
    c->setEditable(editable);
    return c;
}

CheckBox *check(QWidget *parent, const QString &text, const QRect &r, const QString &tip = {})
{
    auto *c = new CheckBox(text, parent);
    c->setGeometry(r);
    if (!tip.isEmpty())
        c->setToolTip(tip);
    return c;
}

// A check box that shows itself as a button, pushed in while checked.
CheckBox *checkButton(QWidget *parent, const QString &text, const QRect &r, const QString &tip)
{
    CheckBox *c = check(parent, text, r, tip);
    c->setProperty("button", true);
    return c;
}

OptionButton *option(QWidget *parent, const QString &text, const QRect &r, const QString &tip = {})
{
    auto *o = new OptionButton(text, parent);
    o->setGeometry(r);
    if (!tip.isEmpty())
        o->setToolTip(tip);
    return o;
}

// A one-line text box: no wrapping, no scroll bars.
QPlainTextEdit *lineBox(QWidget *parent, const QString &text, const QRect &r)
{
    auto *t = new QPlainTextEdit(text, parent);
    t->setGeometry(r);
    t->setFont(monoFont(12));
    t->setLineWrapMode(QPlainTextEdit::NoWrap);
    t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    t->document()->setDocumentMargin(2);
    return t;
}

QStringList numbers(int from, int to, int step)
{
    QStringList out;
    for (int n = from; n <= to; n += step)
        out << QString::number(n);
    return out;
}

const QStringList VelocityList{QStringLiteral("25"), QStringLiteral("40"), QStringLiteral("55"), QStringLiteral("70"),
                               QStringLiteral("85"), QStringLiteral("100"), QStringLiteral("120")};

} // namespace

QPoint Form1::keyPosition(int i)
{
    // White keys before key i in its octave and in the octaves below.
    static constexpr std::array<int, 12> WhitesBefore{0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6};
    const int white = 7 * (i / 12) + WhitesBefore[std::size_t(i % 12)];
    const int x = KeyboardLeft + WhiteKeyStep * white;
    if (isWhiteKey(i))
        return {x, KeyTop};
    // Centred on the border pixel shared with the white key to the left.
    return {x - BlackKeyWidth / 2, KeyTop};
}

Form1::Form1(QWidget *parent) : PictureWindow(parent)
{
    setWindowTitle(QStringLiteral("电子琴"));
    setFixedSize(ClientWidth, ClientHeight);
    setFont(uiFont(12));
    setStyleSheet(QString::fromLatin1(StyleSheet));
    setPicture(QPixmap(resourceFile(QStringLiteral("pictures/form1.png"))));

    buildClocks();
    buildTabs();
    buildMelodyPanel(Jiezhou[0]);
    buildChordPanel(Jiezhou[1]);
    buildRhythmPanel(Jiezhou[2]);
    buildHelpPanel(Jiezhou[4]);
    buildSettingsPanel(Jiezhou[5]);
    buildRecorder();
    buildCentre();
    buildScoreBox();
    buildPlayingSurface();

    // Text boxes show the window picture behind their text.
    for (QAbstractScrollArea *box : std::initializer_list<QAbstractScrollArea *>{
             Text3, Text1, Text2, Text4, Text5, Text6, Text7})
        MakeTextBoxTransparent(box);

    wireVoices();
    wireAccompaniment();
    wirePlaying();
    wireScore();
    wireMouse();
    wireMelody();
    wireStart();
    wireRhythm();
    wireSettings();
    wireTabs();
    wireExit();
    wireRecorder();
    wireChords();
}

Form1::~Form1()
{
    // The controls die after this body has run, and a focus change among them
    // would call a handler of a window that is no longer whole.
    for (QObject *child : findChildren<QObject *>())
        child->blockSignals(true);
}

void Form1::buildClocks()
{
    for (StepTimer **t : {&Timer1, &Timer2, &Timer3, &BZDS, &HXYS})
        *t = new StepTimer(this);
    Timer2->setInterval(1000);
}

void Form1::buildTabs()
{
    const std::array<QString, 6> captions{QStringLiteral("旋 律"), QStringLiteral("和 弦"), QStringLiteral("节 奏"),
                                          QString(), QStringLiteral("帮 助"), QStringLiteral("设 置")};
    // The tab buttons exclude each other through their own parent.
    auto *bar = new QWidget(this);
    bar->setGeometry(8, 4, 5 * 62, 22);
    int x = 0;
    for (std::size_t i : {0u, 1u, 2u, 4u, 5u}) {
        OptionButton *tab = option(bar, captions[i], QRect(x, 0, 58, 22));
        tab->setProperty("tab", true);
        tab->setFocusPolicy(Qt::NoFocus);
        tab->setCursor(Qt::PointingHandCursor);
        Xxk[i] = tab;
        x += 62;

        auto *panel = new QWidget(this);
        panel->setGeometry(QRect(PanelOrigin, QSize(PanelWidth, PanelHeight)));
        panel->setVisible(i == 0);
        Jiezhou[i] = panel;
    }
    Xxk[0]->setChecked(true);
}

void Form1::buildMelodyPanel(QWidget *panel)
{
    // Three voices in rows: instrument, velocity, vibrato; key and tempo on
    // the right; output device and tempo presets along the bottom.
    label(panel, QStringLiteral("旋律乐器"), QRect(6, 2, 160, 16));
    label(panel, QStringLiteral("音量"), QRect(172, 2, 54, 16));
    label(panel, QStringLiteral("调"), QRect(300, 2, 86, 16));
    for (std::size_t v = 0; v < 3; ++v) {
        const int y = 20 + 26 * int(v);
        ComSounds[v] = choice(panel, QRect(6, y, 160, 24));
        Zxlyl[v] = choice(panel, QRect(172, y, 58, 24), VelocityList, true);
        Check3[v] = check(panel, QStringLiteral("颤音"), QRect(238, y, 54, 24),
                          QStringLiteral("按下本按钮在演奏时该乐器具有颤音效果！"));
    }
    QStringList keys;
    for (const char *k : KeyListEntries)
        keys << QString::fromLatin1(k);
    YD = choice(panel, QRect(300, 20, 88, 24), keys, true);

    label(panel, QStringLiteral("速度"), QRect(300, 50, 86, 16));
    SD = choice(panel, QRect(300, 72, 50, 24), numbers(40, 130, 5), true);
    SD->setText(QStringLiteral("70"));
    SD->setToolTip(QStringLiteral("选取或直接输入需要的演奏速度（请输入40-140之间的整数）！"));
    label(panel, QStringLiteral("拍/分钟"), QRect(352, 72, 42, 24));

    label(panel, QStringLiteral("输出设备"), QRect(6, 106, 52, 24));
    ComDevies = choice(panel, QRect(60, 106, 170, 24));
    const std::array<QString, 3> speeds{QStringLiteral("低速"), QStringLiteral("中速"), QStringLiteral("高速")};
    for (std::size_t k = 0; k < 3; ++k)
        Option4[k] = option(panel, speeds[k], QRect(238 + 52 * int(k), 106, 50, 24));
}

void Form1::buildChordPanel(QWidget *panel)
{
    // One row per chord voice: its pattern line, its lock, its instrument.
    const std::array<QString, 3> patterns{QStringLiteral("LG--WC--WE--WG--"), QStringLiteral("CC--CC--CC--CC--"),
                                          QStringLiteral("CL--------------")};
    const QString lock = QStringLiteral("锁定音符");
    for (int row = 0; row < 3; ++row) {
        const int y = 4 + 26 * row;
        QPlainTextEdit *line = lineBox(panel, patterns[std::size_t(row)], QRect(6, y, 132, 24));
        CheckBox *locked = check(panel, lock, QRect(144, y, 80, 24));
        ChoiceList *voice = choice(panel, QRect(230, y, 158, 24));
        if (row == 0) {
            Text4 = line;
            Check4 = locked;
            Combo1 = voice;
        } else if (row == 1) {
            Text5 = line;
            Check7 = locked;
            Combo2 = voice;
        } else {
            Text7 = line;
            Check9 = locked;
            Combo3 = voice;
        }
    }

    label(panel, QStringLiteral("和弦顺序"), QRect(6, 84, 52, 24));
    Text6 = lineBox(panel, QString(), QRect(60, 84, 140, 24));
    Text6->setToolTip(QStringLiteral("在此输入17位以下 1_7之间数字可以改变和弦循环顺序！"));
    label(panel, QStringLiteral("乐器"), QRect(204, 84, 26, 24));
    xuanyue = choice(panel, QRect(230, 84, 158, 24));

    Command3 = button(panel, QStringLiteral("生成随机节奏"), QRect(6, 112, 96, 24),
                      QStringLiteral("在这里生成新的节奏模板和演奏顺序！"));
    Command4 = button(panel, QStringLiteral("保 存"), QRect(108, 112, 60, 24), QStringLiteral("保存自己编辑的和弦"));
    label(panel, QStringLiteral("音量"), QRect(200, 112, 28, 24));
    HxYL = choice(panel, QRect(230, 112, 60, 24), VelocityList, true);
    HxYL->setToolTip(QStringLiteral("和弦演奏音量！"));
    Check6 = checkButton(panel, QStringLiteral("启 动"), QRect(298, 112, 90, 24), QStringLiteral("启动或停止和弦试听！"));
}

void Form1::buildRhythmPanel(QWidget *panel)
{
    // Three lanes: percussion instrument, then the grid cells of the lane.
    RhythmGrid = new QWidget(panel);
    RhythmGrid->setGeometry(132, 4, RhythmCellStep * RhythmCellCount, 72);
    for (std::size_t lane = 0; lane < 3; ++lane) {
        const int y = 4 + 26 * int(lane);
        LblInst[lane] = choice(panel, QRect(6, y, 120, 24));
        auto *cell = new CheckBox(RhythmGrid);
        cell->setGeometry(0, 26 * int(lane) + 5, RhythmCellStep, 14);
        (lane == 0 ? BZA : lane == 1 ? BZB : BZC)[0] = cell;
    }

    label(panel, QStringLiteral("音量"), QRect(6, 84, 28, 24));
    VsbVol = choice(panel, QRect(34, 84, 58, 24), numbers(50, 120, 10), true);
    VsbVol->setText(QStringLiteral("100"));
    const std::array<QString, 3> metres{QStringLiteral("2/4"), QStringLiteral("3/4"), QStringLiteral("4/4")};
    for (std::size_t k = 0; k < 3; ++k)
        Option1[k] = option(panel, metres[k], QRect(98 + 46 * int(k), 84, 44, 24));
    Check5 = check(panel, QStringLiteral("自动同步"), QRect(238, 84, 76, 24),
                   QStringLiteral("勾选后在自动演奏时可同时启动节奏！演奏中快捷方式为Shift键！"));
    BzQd = checkButton(panel, QStringLiteral("启动"), QRect(318, 84, 70, 24),
                       QStringLiteral("点击启动节奏试听，演奏中也可用小键盘的\"+\"号启动，\"-\"号停止，在自动演奏时用\"JP\"选择并同步启动！"));

    Label11 = label(panel, QString(), QRect(6, 112, 124, 24));
    Cmdcill[0] = button(panel, QStringLiteral("删 除"), QRect(134, 112, 50, 24));
    Cmdcill[1] = button(panel, QStringLiteral("保 存"), QRect(188, 112, 50, 24));

    // The first two pattern lines, one above the other.
    Text2 = new QTextEdit(panel);
    Text2->setGeometry(244, 110, 144, 28);
    QFont small = monoFont(10);
    Text2->setFont(small);
    Text2->setAcceptRichText(false);
    Text2->setLineWrapMode(QTextEdit::FixedColumnWidth);
    Text2->setLineWrapColumnOrWidth(16);
    Text2->setWordWrapMode(QTextOption::WrapAnywhere);
    Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text2->document()->setDocumentMargin(1);
    Text2->setPlainText(Text4->toPlainText() + Text5->toPlainText());

    // The rhythm files drop down above the file name when it is pointed at.
    File1 = new FileListBox(panel);
    File1->setGeometry(6, 4, 232, 104);
    File1->setPattern(QStringLiteral("*.bin"));
    File1->hide();
}

void Form1::buildHelpPanel(QWidget *panel)
{
    const std::array<QString, 7> topics{QStringLiteral("软件简介"), QStringLiteral("演奏旋律"), QStringLiteral("自动演奏"),
                                        QStringLiteral("节奏设置"), QStringLiteral("和弦设置"), QStringLiteral("迷你窗口"),
                                        QStringLiteral("录音重放")};
    for (std::size_t i = 0; i < topics.size(); ++i)
        Option2[i] = option(panel, topics[i], QRect(6, 2 + 19 * int(i), 80, 19));
    Text1 = new QPlainTextEdit(panel);
    Text1->setGeometry(92, 2, 296, 134);
    Text1->setFont(uiFont(12));
}

void Form1::buildSettingsPanel(QWidget *panel)
{
    // The 28 shortcut keys: F1-F12 in two rows, the keypad digits, the six
    // effect keys; the lists that edit the chosen key below them.
    for (int i = 0; i < 12; ++i) {
        const QString key = QStringLiteral("F%1").arg(i + 1);
        Option3[std::size_t(i)] = option(panel, key, QRect(6 + 46 * (i % 6), 2 + 22 * (i / 6), 44, 20),
                                          QStringLiteral("点击我即可设置\"%1\"键拥有的乐器切换快捷方式！").arg(key));
    }
    for (int d = 0; d < 10; ++d) {
        const QString digit = QString::number(d);
        Option3[std::size_t(12 + d)] = option(panel, digit, QRect(6 + 38 * d, 48, 36, 20),
                                               QStringLiteral("点击我即可设置小键盘数字\"%1\"键所拥有的打击乐器的快捷方式！").arg(digit));
    }
    const std::array<QString, 6> shortNames{QStringLiteral("Ins"), QStringLiteral("Hom"), QStringLiteral("Pup"),
                                            QStringLiteral("Del"), QStringLiteral("End"), QStringLiteral("Pdo")};
    const std::array<QString, 6> longNames{QStringLiteral("Insert"), QStringLiteral("Home"), QStringLiteral("PageUp"),
                                           QStringLiteral("Delete"), QStringLiteral("End"), QStringLiteral("PageDown")};
    for (std::size_t e = 0; e < 6; ++e)
        Option3[22 + e] = option(panel, shortNames[e], QRect(6 + 50 * int(e), 70, 48, 20),
                                 QStringLiteral("点击我即可设置\"%1\"键所拥有的特殊音效播放的快捷方式！").arg(longNames[e]));

    Check1 = check(panel, QStringLiteral("抬手静音"), QRect(292, 2, 96, 20),
                   QStringLiteral("设置演奏习惯是否手指离开键盘电子琴即停止发声，勾选后为抬手停止！"));
    BCSZ = button(panel, QStringLiteral("保存设置"), QRect(292, 22, 96, 22),
                  QStringLiteral("保存当前的快捷按键设置，下次启动软件时将自动加载！"));

    for (std::size_t v = 0; v < 3; ++v)
        YQSZ[v] = choice(panel, QRect(6 + 128 * int(v), 96, 124, 24));
    // The keypad digit's percussion list and the effect files take the place
    // of the instrument lists when their keys are chosen.
    YQSZ[3] = choice(panel, QRect(6, 96, 180, 24));
    YQSZ[3]->hide();
    File2 = new FileListBox(panel);
    File2->setGeometry(6, 94, 250, 42);
    File2->setPattern(QStringLiteral("*.wav"));
    File2->hide();
}

void Form1::buildRecorder()
{
    using Sign = RecorderButton::Sign;
    const std::array<Sign, 3> signs{Sign::Play, Sign::Stop, Sign::Record};
    for (std::size_t i = 0; i < 3; ++i) {
        Image1[i] = new RecorderButton(signs[i], this);
        Image1[i]->setGeometry(RecorderLeft[i], RecorderTop, RecorderSize, RecorderSize);
    }
    Image1[0]->setToolTip(QStringLiteral("打开并播放演奏的录音或MP3音乐文件！"));
    Image1[1]->setToolTip(QStringLiteral("停止当前的放音或录音！"));
    BcLY = button(this, QStringLiteral("保存录音"), QRect(104, 176, 64, 22),
                  QStringLiteral("保存最后的录音文件为wav格式音频！"));
    Label12 = label(this, QStringLiteral("00:00:00"), QRect(174, 176, 64, 22), Qt::AlignCenter);
    Label12->setObjectName(QStringLiteral("Label12"));
    Label12->setFont(monoFont(12));
    Label8 = label(this, QStringLiteral("欢迎使用电子琴！电脑键盘和鼠标都能演奏，节奏与和弦随时相伴。        "),
                   QRect(244, 176, 156, 22));
    Label8->setObjectName(QStringLiteral("Label8"));
}

void Form1::buildCentre()
{
    // The hint display: up to four short lines on the picture's screen
    // (420..564, 36..104).
    XSWB = label(this, QString(), QRect(420, 36, 144, 68), Qt::AlignCenter);
    XSWB->setObjectName(QStringLiteral("XSWB"));
    XSWB->setWordWrap(true);
    XSWB->setFont(uiFont(11));

    Picture2 = new QWidget(this);
    Picture2->setGeometry(MapSmall);
    Image3 = new QLabel(Picture2);
    Image3->setGeometry(0, 0, MapSmall.width(), MapSmall.height());
    Image3->setScaledContents(true);
    Image3->setPixmap(QPixmap(resourceFile(QStringLiteral("pictures/keymap.png"))));
    Image3->setCursor(Qt::PointingHandCursor);
    Label3 = label(this, QStringLiteral("点击图片查看键盘分布"), QRect(410, 185, 158, 16), Qt::AlignCenter);
    Label3->setFont(uiFont(11));

    FJWZ = label(this, QString(), QRect(580, 5, 230, 20));
    FJWZ->setObjectName(QStringLiteral("FJWZ"));
    SjXs = label(this, QString(), QRect(816, 5, 156, 20), Qt::AlignVCenter | Qt::AlignRight);
    SjXs->setObjectName(QStringLiteral("SjXs"));
}

void Form1::buildScoreBox()
{
    Text3 = new QPlainTextEdit(this);
    Text3->setGeometry(QRect(ScoreBoxOrigin, QSize(392, 114)));
    Text3->setFont(monoFont(13));
    Text3->setWordWrapMode(QTextOption::WrapAnywhere);
    Text3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    const std::array<QString, 5> captions{QStringLiteral("试听"), QStringLiteral("删除"), QStringLiteral("打开"),
                                          QStringLiteral("清空"), QStringLiteral("保存")};
    const std::array<QString, 5> tips{
        QString(), QStringLiteral("删除最后一次打开的乐谱文件或录音文件并不可恢复！"),
        QStringLiteral("打开演奏记录文件夹中的乐谱文档并自动开始演奏！"),
        QStringLiteral("点击这里将清空乐谱编辑窗口中的乐谱，并允许开始新的演奏！"),
        QStringLiteral("保存乐谱编辑窗口中的乐谱为文本文件，以便下次进行自动演奏或录音或编辑！")};
    for (std::size_t i = 0; i < 5; ++i)
        Yuepu[i] = button(this, captions[i], QRect(580 + 66 * int(i), 150, 62, 22), tips[i]);
    XINJIAN = button(this, QStringLiteral("新建"), QRect(910, 150, 62, 22), QStringLiteral("新建乐谱文件！"));

    // Window buttons in the second row; the first one holds the keyboard.
    SFYXYZ = new KeyboardFocusButton(this);
    SFYXYZ->setText(QStringLiteral("键盘演奏"));
    SFYXYZ->setGeometry(580, 176, 76, 22);
    SFYXYZ->setToolTip(QStringLiteral("当键盘演奏无声时用此键恢复键盘演奏功能！"));
    BJCK = button(this, QStringLiteral("音乐编辑"), QRect(659, 176, 76, 22), QStringLiteral("使用音乐编辑窗口进行音乐编辑！"));
    Command2[0] = button(this, QStringLiteral("效果欣赏"), QRect(738, 176, 76, 22));
    Command2[1] = button(this, QStringLiteral("音源下载"), QRect(817, 176, 76, 22),
                         QStringLiteral("点击我去下载可以替换的系统音源！"));
    Command1 = button(this, QStringLiteral("退出"), QRect(896, 176, 76, 22), QStringLiteral("退出程序！"));
}

void Form1::buildPlayingSurface()
{
    const QPixmap white = LoadResPicture(WhiteKeyUpPicture);
    const QPixmap black = LoadResPicture(BlackKeyUpPicture);
    // White keys first, so that the black keys lie above them.
    for (bool whites : {true, false}) {
        for (int i = 0; i < OnScreenKeyCount; ++i) {
            if (isWhiteKey(i) != whites)
                continue;
            auto *key = new KeyPicture(this);
            key->setPicture(whites ? white : black);
            key->move(keyPosition(i));
            Picture1[std::size_t(i)] = key;
        }
    }

    Label1 = label(this, QStringLiteral("消    音    板"), QRect(957, KeyTop, 20, WhiteKeyHeight), Qt::AlignCenter);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setFont(uiFont(13, true));
}

} // namespace dzq
