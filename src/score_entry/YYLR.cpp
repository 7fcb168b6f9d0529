// Window plan, in pixels of the 640 x 480 picture (resources/pictures/yylr.png):
//   header band (y 0..64)  Label2 and the song name WJMC on the left, the
//                          buttons "保存", "打开", "返回主窗口" on the right;
//   y 52..72               Label3, the line that says how to type a score;
//   y 78..396              the score box Text1 over the picture's staves;
//   y 402..452             Label1, the notation help, left of the picture's
//                          notes, above its title in the lower left corner.
#include "score_entry/YYLR.h"

#include "platform/AppPaths.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"
#include "score_entry/EntryFiles.h"
#include "shared/Shared.h"
#include "textbox/TransparentTextBox.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace dzq {

namespace {

constexpr int ClientWidth = 640;
constexpr int ClientHeight = 480;

const QString Caption = QStringLiteral("提示");
const QString ScoreFilter = QStringLiteral("乐谱记录txt (*.txt)");

const char *const StyleSheet = R"(
QPushButton {
    color: #1e2f52;
    border: 1px solid #6f8fc4;
    border-radius: 4px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfeff, stop:1 #d3e0f2);
}
QPushButton:hover { border-color: #345ca0; }
QPushButton:pressed { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #bccde8, stop:1 #eef3fa); }
QLineEdit { color: #1e2a44; border: 1px solid #8aa3cc; border-radius: 3px; background: #fffdf8; padding: 0px 3px; }
QPlainTextEdit#Text1 { color: #1e2a44; border: 1px solid rgba(52, 92, 160, 110); border-radius: 3px; }
QLabel { color: #2c3c5c; }
QLabel#Label1 { color: #5a5040; }
)";

QFont uiFont(int pixelSize)
{
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(pixelSize);
    return f;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &r)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(r);
    return l;
}

QPushButton *button(QWidget *parent, const QString &text, const QRect &r)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
}

} // namespace

YYLR::YYLR(std::function<void()> showMainWindow, QWidget *parent)
    : PictureWindow(parent), showMainWindow_(std::move(showMainWindow))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("乐谱录入201705"));
    setFixedSize(ClientWidth, ClientHeight);
    setFont(uiFont(13));
    setStyleSheet(QString::fromLatin1(StyleSheet));
    setPicture(QPixmap(resourceFile(QStringLiteral("pictures/yylr.png"))));

    Label2 = label(this, "Label2", QStringLiteral("请在这里输入歌曲名字"), QRect(24, 18, 156, 26));
    WJMC = new QLineEdit(QStringLiteral("歌名"), this);
    WJMC->setObjectName(QStringLiteral("WJMC"));
    WJMC->setGeometry(184, 18, 200, 26);
    Command1 = button(this, QStringLiteral("保存"), QRect(400, 18, 60, 26));
    DKYP = button(this, QStringLiteral("打开"), QRect(468, 18, 60, 26));
    FANHUI = button(this, QStringLiteral("返回主窗口"), QRect(536, 18, 80, 26));

    Label3 = label(this, "Label3",
                   QStringLiteral("请在下面的文本框中输入乐谱(请使用大写的英文字母(乐谱格式如(KC8KDKEKF4KGKAKB)))"),
                   QRect(24, 52, 592, 20));
    Label3->setFont(uiFont(12));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(24, 78, 592, 318);
    QFont scoreFont(QStringLiteral("DejaVu Sans Mono"));
    scoreFont.setStyleHint(QFont::Monospace);
    scoreFont.setPixelSize(15);
    Text1->setFont(scoreFont);
    Text1->setWordWrapMode(QTextOption::WrapAnywhere);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Label1 = label(this, "Label1",
                   QStringLiteral("记谱方法：音符 = 音区字母(L最低音 W低音 K中音 H高音 M最高音) + 音名(C D E F G A B)，"
                                  "后面的数字是时值(1-99，8为一拍，不写则沿用前一个时值)；XZ休止，TZ结束；"
                                  "YD1-11定调，VS1-19定速度，JP1-98选节奏(JP99关闭同步)，YQ1-13选乐器组合。"),
                   QRect(24, 402, 524, 50));
    Label1->setFont(uiFont(12));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(DKYP, &QPushButton::clicked, this, [this] { DKYP_Click(); });
    connect(FANHUI, &QPushButton::clicked, this, [this] { FANHUI_Click(); });

    Form_Load();
}

YYLR::~YYLR() = default;

void YYLR::Form_Load()
{
    dialogFolder_ = AppDir + scoreFolderName() + QLatin1Char('/');
    TextBoxOffsetX = 0;
    TextBoxOffsetY = 0;
    MakeTextBoxTransparent(Text1);
    Text1->setFocus();
}

void YYLR::Command1_Click()
{
    EntryScore = Text1->toPlainText();
    const QString chosen = FileDialogService::instance().saveFile(QStringLiteral("保存乐谱"), dialogFolder_, ScoreFilter);
    if (chosen.isEmpty() || !entryScoreSavable(EntryScore))
        return;
    EntryFile = entrySaveFileName(chosen);
    // The dialog asked about the name chosen; the file written may have another.
    if (EntryFile != chosen && QFileInfo::exists(EntryFile) &&
        !MessageService::instance().ask(
            Caption, QStringLiteral("文件“%1”已存在，要替换它吗？").arg(QFileInfo(EntryFile).fileName())))
        return;
    QString error;
    if (!writeTextFile(EntryFile, QStringList{EntryScore}, &error))
        MessageService::instance().plain(error);
}

void YYLR::DKYP_Click()
{
    const QString path = FileDialogService::instance().openFile(QStringLiteral("打开乐谱"), dialogFolder_, ScoreFilter);
    if (path.isEmpty())
        return;
    EntryFile = path;
    // The typed score stays until another one has been read.
    const EntryFileRead read = readEntryFile(path);
    if (!read.ok)
        return;
    WJMC->setText(QFileInfo(path).fileName());
    EntryScore = read.text;
    Text1->setPlainText(EntryScore);
}

void YYLR::FANHUI_Click()
{
    close();
}

void YYLR::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void YYLR::Form_Unload()
{
    if (returned_)
        return;
    returned_ = true;
    if (showMainWindow_)
        showMainWindow_();
}

} // namespace dzq
