// The panel tabs, the help topics, the compact window, the keyboard map and
// the two buttons that open a folder or a web page.
#include "keyboard/Form1.h"

#include "platform/AppPaths.h"
#include "platform/MessageService.h"
#include "platform/Resources.h"
#include "shared/Shared.h"
#include "textbox/TransparentTextBox.h"

#include <QDesktopServices>
#include <QDir>
#include <QMouseEvent>

#include <memory>
#include <vector>

namespace dzq {

namespace {

struct Tab {
    int index;
    const char *status; // FJWZ
    const char *hint;   // XSWB
};

constexpr std::array<Tab, 5> Tabs{{
    {0, "旋律调整。。。", "选择即将使用的乐器以及旋律的音调音量等参数！"},
    {1, "和弦调整。。。", "选择即将使用的乐器以及音量等参数！"},
    {2, "节奏调整。。。", "选择即将使用的乐器以及设置节奏类型音量等参数！"},
    {4, "查看帮助。。。", "了解本软件的各种功能及使用技巧等！"},
    {5, "键位设置。。。", "设置常用的快速切换按键值，保存以后下次使用本软件时将自动加载最后的设置！"},
}};

constexpr int FirstHelpString = 500;
constexpr int HelpTopicCount = 7;
constexpr int ChordTableString = 510;

// The compact window keeps the tabs, the panel and the recorder row: the left
// tray of the window picture. Its outer size is 6210 x 3435 twips against the
// full window's 14790 x 5535 (15 twips a pixel), so with the same frame the
// inside is 572 x 140 pixels smaller than Form1::ClientWidth x
// Form1::ClientHeight.
constexpr QSize CompactClient{Form1::ClientWidth - (14790 - 6210) / 15, Form1::ClientHeight - (5535 - 3435) / 15};

// Where General MIDI soundfonts that can replace the built-in sound are listed.
const char *const SoundfontPage = "https://github.com/FluidSynth/fluidsynth/wiki/SoundFont";

constexpr int NetworkErrorMs = 5000;

// A left-button release on the keyboard map, or on the window where no
// control lies (the empty area), is a click there.
class ClickCatcher final : public QObject {
public:
    explicit ClickCatcher(Form1 *window) : QObject(window), w_(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = mouse->position().toPoint();
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (watched == w_->Image3) {
            if (w_->Image3->rect().contains(at))
                w_->Image3_Click();
            return true;
        }
        if (watched == w_ && w_->rect().contains(at) && w_->childAt(at) == nullptr)
            w_->Form_Click();
        return false;
    }

private:
    Form1 *w_;
};

} // namespace

void Form1::Xxk_Click(int index)
{
    const Tab *tab = nullptr;
    for (const Tab &t : Tabs)
        if (t.index == index)
            tab = &t;

    if (tab) {
        // The boxes cut their background from the picture again, at their place
        // in the panel now shown.
        std::vector<QAbstractScrollArea *> boxes;
        if (index == 1)
            boxes = {Text4, Text5, Text6, Text7};
        else if (index == 2)
            boxes = {Text2};
        else if (index == 4)
            boxes = {Text1};
        if (!boxes.empty()) {
            TextBoxOffsetX = PanelOrigin.x();
            TextBoxOffsetY = PanelOrigin.y();
            for (QAbstractScrollArea *box : boxes)
                MakeTextBoxTransparent(box);
        }

        for (const Tab &t : Tabs)
            Jiezhou[std::size_t(t.index)]->setVisible(t.index == index);
        FJWZ->setText(QString::fromUtf8(tab->status));
        XSWB->setText(QString::fromUtf8(tab->hint));

        switch (index) {
        case 1:
            fillChordTable(LoadResString(ChordTableString));
            HXJS();
            break;
        case 4:
            // The help always opens on its first topic, even when that one
            // is still selected.
            if (Option2[0]->value())
                Option2_Click(0);
            else
                Option2[0]->setValue(true);
            break;
        case 5:
            Option3[0]->setValue(true);
            for (std::size_t v = 0; v < 3; ++v) {
                YQSZ[v]->show();
                // An index the list does not have selects nothing new.
                YQSZ[v]->setListIndex(PresetTable[0][v]);
            }
            YQSZ[3]->hide();
            File2->hide();
            File2->setPath(AppDir + effectsFolderName() + QLatin1Char('/'));
            break;
        default:
            break;
        }
    }

    // Whatever was clicked, the computer keyboard plays again.
    SFYXYZ->setEnabled(true);
    SFYXYZ->setFocus();
}

void Form1::Option2_Click(int index)
{
    Text1->clear();
    if (index >= 0 && index < HelpTopicCount)
        Text1->setPlainText(LoadResString(FirstHelpString + index));
}

void Form1::Form_Click()
{
    MiniWindow = !MiniWindow;
    setFixedSize(MiniWindow ? CompactClient : QSize(ClientWidth, ClientHeight));
}

void Form1::Image3_Click()
{
    if (MapEnlarged) {
        Text3->show();
        Picture2->setGeometry(MapSmall);
        Image3->resize(MapSmall.size());
        Label3->setText(QStringLiteral("点击图片查看键盘分布"));
    } else {
        Text3->hide();
        Picture2->setGeometry(MapLarge);
        Image3->resize(MapLarge.size());
        // The large map lies over every control of the upper part (its
        // caption too: the map's own legend fills that place).
        Picture2->raise();
        Label3->setText(QStringLiteral("点击图片收回键盘分布"));
    }
    MapEnlarged = !MapEnlarged;
}

void Form1::Command2_Click(int index)
{
    QUrl url;
    if (index == 0) {
        // Music made with this instrument: the recordings and scores folder.
        const QString folder = AppDir + scoreFolderName();
        QDir().mkpath(folder);
        url = QUrl::fromLocalFile(folder);
    } else {
        url = QUrl(QString::fromLatin1(SoundfontPage));
    }
    if (!openUrl(url))
        MessageService::instance().timedInfo(QStringLiteral("网络错误"), QStringLiteral("网络连接出错，请检查网络情况！"),
                                             NetworkErrorMs);
}

void Form1::OpenDownloadPage()
{
    if (!openUrl(QUrl(QString::fromLatin1(SoundfontPage))))
        MessageService::instance().timedInfo(QStringLiteral("网络错误"), QStringLiteral("打开网页出错，请检查网络连接！"),
                                             NetworkErrorMs);
}

void Form1::wireTabs()
{
    if (!openUrl)
        openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

    for (const Tab &t : Tabs) {
        const int i = t.index;
        OptionButton *button = Xxk[std::size_t(i)];
        button->setClickHandler(this, [this, i] { Xxk_Click(i); });
        // A click on the tab already selected changes nothing for the button
        // but still gives the keyboard back.
        auto wasSelected = std::make_shared<bool>(false);
        connect(button, &QAbstractButton::pressed, this, [button, wasSelected] { *wasSelected = button->isChecked(); });
        connect(button, &QAbstractButton::clicked, this, [this, i, wasSelected] {
            if (*wasSelected)
                Xxk_Click(i);
        });
    }
    for (int i = 0; i < HelpTopicCount; ++i)
        Option2[std::size_t(i)]->setClickHandler(this, [this, i] { Option2_Click(i); });
    for (int i = 0; i < 2; ++i)
        connect(Command2[std::size_t(i)], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });

    auto *catcher = new ClickCatcher(this);
    installEventFilter(catcher);
    Image3->installEventFilter(catcher);
}

} // namespace dzq
