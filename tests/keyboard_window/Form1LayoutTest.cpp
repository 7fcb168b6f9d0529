// The main window as built: every control array complete, the keys laid out
// as a keyboard, no control covering another, every panel inside the window,
// and the keyboard button taking every key for itself.
#include "Fakes.h"

#include "keyboard/Form1.h"
#include "keyboard/core/KeyLayout.h"
#include "keyboard/core/VirtualKeys.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

bool isKey(const Form1 &w, const QWidget *c)
{
    return std::find(w.Picture1.begin(), w.Picture1.end(), c) != w.Picture1.end();
}

bool isBlackKey(const Form1 &w, const QWidget *c)
{
    for (int i = 0; i < OnScreenKeyCount; ++i)
        if (w.Picture1[std::size_t(i)] == c)
            return !isWhiteKey(i);
    return false;
}

// Visible children of parent that overlap, except keys: a black key may lie
// over white keys, and neighbouring white keys share their border pixel.
QStringList overlaps(const Form1 &w, const QWidget *parent)
{
    QList<QWidget *> kids;
    for (QObject *o : parent->children()) {
        auto *c = qobject_cast<QWidget *>(o);
        if (c && c->isVisibleTo(parent) && !c->isWindow())
            kids << c;
    }
    QStringList out;
    for (int a = 0; a < kids.size(); ++a) {
        for (int b = a + 1; b < kids.size(); ++b) {
            const QRect common = kids[a]->geometry().intersected(kids[b]->geometry());
            if (common.isEmpty())
                continue;
            if (isKey(w, kids[a]) && isKey(w, kids[b])) {
                const bool blackA = isBlackKey(w, kids[a]), blackB = isBlackKey(w, kids[b]);
                if (blackA != blackB)
                    continue;
                if (!blackA && common.width() <= 1)
                    continue;
            }
            const auto name = [](QWidget *c) {
                QString text;
                if (auto *b = qobject_cast<QAbstractButton *>(c))
                    text = b->text();
                else if (auto *l = qobject_cast<QLabel *>(c))
                    text = l->text();
                return QStringLiteral("%1 \"%2\" %3,%4 %5x%6")
                    .arg(QString::fromLatin1(c->metaObject()->className()), text)
                    .arg(c->x()).arg(c->y()).arg(c->width()).arg(c->height());
            };
            out << name(kids[a]) + QStringLiteral(" / ") + name(kids[b]);
        }
    }
    return out;
}

void showPanel(Form1 &w, std::size_t tab)
{
    for (std::size_t i : {0u, 1u, 2u, 4u, 5u})
        w.Jiezhou[i]->setVisible(i == tab);
    w.Xxk[tab]->setChecked(true);
}

constexpr std::array<std::size_t, 5> Tabs{0, 1, 2, 4, 5};

class Form1Layout : public ::testing::Test {
protected:
    test::Environment env;
    Form1 w;
};

} // namespace

TEST_F(Form1Layout, WindowAndControlArrays)
{
    EXPECT_EQ(w.windowTitle(), QStringLiteral("电子琴"));
    EXPECT_EQ(w.size(), QSize(980, 340));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.picture().isNull());

    for (KeyPicture *k : w.Picture1)
        ASSERT_NE(k, nullptr);
    for (std::size_t i = 0; i < w.Xxk.size(); ++i) {
        EXPECT_EQ(w.Xxk[i] == nullptr, i == 3) << i;
        EXPECT_EQ(w.Jiezhou[i] == nullptr, i == 3) << i;
    }
    for (auto *b : w.Yuepu) ASSERT_NE(b, nullptr);
    for (auto *o : w.Option3) ASSERT_NE(o, nullptr);
    for (auto *o : w.Option2) ASSERT_NE(o, nullptr);
    for (auto *l : w.YQSZ) ASSERT_NE(l, nullptr);
    for (auto *i : w.Image1) ASSERT_NE(i, nullptr);
    // Only cell 0 of each lane exists before start-up; it sits in the grid.
    for (const auto *lane : {&w.BZA, &w.BZB, &w.BZC}) {
        ASSERT_NE((*lane)[0], nullptr);
        EXPECT_EQ((*lane)[0]->parentWidget(), w.RhythmGrid);
        EXPECT_EQ((*lane)[0]->x(), 0);
        EXPECT_LE((*lane)[0]->width(), Form1::RhythmCellStep);
        for (std::size_t i = 1; i < lane->size(); ++i)
            EXPECT_EQ((*lane)[i], nullptr);
    }
    // Sixteen more cells fit in the grid.
    EXPECT_GE(w.RhythmGrid->width(), 16 * Form1::RhythmCellStep + w.BZA[0]->width());
    EXPECT_FALSE(w.Timer2->isEnabled());
    EXPECT_EQ(w.Timer2->interval(), 1000);
}

TEST_F(Form1Layout, CaptionsAndFixedLists)
{
    EXPECT_EQ(w.Xxk[0]->text(), QStringLiteral("旋 律"));
    EXPECT_EQ(w.Xxk[5]->text(), QStringLiteral("设 置"));
    EXPECT_TRUE(w.Xxk[0]->isChecked());
    EXPECT_EQ(w.Label1->text(), QStringLiteral("消    音    板"));
    EXPECT_EQ(w.Yuepu[0]->text(), QStringLiteral("试听"));
    EXPECT_EQ(w.Check6->text(), QStringLiteral("启 动"));
    EXPECT_EQ(w.Label3->text(), QStringLiteral("点击图片查看键盘分布"));
    EXPECT_EQ(w.Label12->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(w.Option3[11]->text(), QStringLiteral("F12"));
    EXPECT_EQ(w.Option3[21]->text(), QStringLiteral("9"));
    EXPECT_EQ(w.Option3[27]->text(), QStringLiteral("Pdo"));
    EXPECT_EQ(w.Option3[25]->toolTip(), QStringLiteral("点击我即可设置\"Delete\"键所拥有的特殊音效播放的快捷方式！"));
    EXPECT_EQ(w.Option3[12]->toolTip(), QStringLiteral("点击我即可设置小键盘数字\"0\"键所拥有的打击乐器的快捷方式！"));
    EXPECT_EQ(w.Text4->toPlainText(), QStringLiteral("LG--WC--WE--WG--"));
    EXPECT_EQ(w.Text7->toPlainText(), QStringLiteral("CL--------------"));

    EXPECT_EQ(w.SD->count(), 19);
    EXPECT_EQ(w.SD->itemText(18), QStringLiteral("130"));
    EXPECT_EQ(w.SD->text(), QStringLiteral("70"));
    EXPECT_EQ(w.SD->listIndex(), -1);
    EXPECT_EQ(w.VsbVol->count(), 8);
    EXPECT_EQ(w.VsbVol->text(), QStringLiteral("100"));
    EXPECT_EQ(w.YD->count(), 12);
    EXPECT_EQ(w.YD->itemText(10), QStringLiteral("bB"));
    for (ChoiceList *v : {w.Zxlyl[0], w.Zxlyl[2], w.HxYL}) {
        ASSERT_EQ(v->count(), 7);
        EXPECT_EQ(v->itemText(0), QStringLiteral("25"));
        EXPECT_EQ(v->itemText(6), QStringLiteral("120"));
    }
    // Instrument and percussion lists are filled at start-up.
    EXPECT_EQ(w.ComSounds[0]->count(), 0);
    EXPECT_EQ(w.LblInst[2]->count(), 0);
}

TEST_F(Form1Layout, KeysFormAKeyboard)
{
    int whites = 0;
    for (int i = 0; i < OnScreenKeyCount; ++i) {
        const KeyPicture *k = w.Picture1[std::size_t(i)];
        const QRect r = k->geometry();
        EXPECT_TRUE(QRect(0, 0, 980, 340).contains(r)) << i;
        EXPECT_EQ(r.top(), Form1::KeyTop) << i;
        if (isWhiteKey(i)) {
            ++whites;
            EXPECT_EQ(r.size(), QSize(26, 121)) << i;
        } else {
            EXPECT_EQ(r.size(), QSize(18, 69)) << i;
            // A black key stands over the border of its two white neighbours
            // and is drawn above both.
            const QRect left = w.Picture1[std::size_t(i - 1)]->geometry();
            const QRect right = w.Picture1[std::size_t(i + 1)]->geometry();
            EXPECT_TRUE(r.intersects(left) && r.intersects(right)) << i;
            EXPECT_LT(r.left(), right.left());
            EXPECT_GT(r.right(), left.right());
            const auto order = w.children();
            EXPECT_GT(order.indexOf(k), order.indexOf(w.Picture1[std::size_t(i - 1)])) << i;
            EXPECT_GT(order.indexOf(k), order.indexOf(w.Picture1[std::size_t(i + 1)])) << i;
        }
        if (i > 0) {
            EXPECT_GT(r.center().x(), w.Picture1[std::size_t(i - 1)]->geometry().center().x()) << i;
        }
    }
    EXPECT_EQ(whites, 38);
    EXPECT_EQ(w.Picture1[0]->pos(), Form1::keyPosition(0));
    // The mute strip follows the highest key.
    EXPECT_GT(w.Label1->x(), w.Picture1[64]->geometry().right());
    EXPECT_TRUE(w.rect().contains(w.Label1->geometry()));
}

TEST_F(Form1Layout, NothingOverlapsOnAnyPanel)
{
    for (std::size_t tab : Tabs) {
        showPanel(w, tab);
        EXPECT_EQ(w.Jiezhou[tab]->pos(), Form1::PanelOrigin);
        EXPECT_TRUE(w.rect().contains(w.Jiezhou[tab]->geometry())) << tab;
        EXPECT_EQ(overlaps(w, &w), QStringList()) << "window, tab " << tab;
        EXPECT_EQ(overlaps(w, w.Jiezhou[tab]), QStringList()) << "panel " << tab;
        for (QWidget *c : w.Jiezhou[tab]->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(w.Jiezhou[tab]->rect().contains(c->geometry())) << tab << " " << c->metaObject()->className();
    }
    EXPECT_EQ(overlaps(w, w.RhythmGrid), QStringList());
    // The panel and the recorder share the left tray, the panel above.
    EXPECT_LE(w.Jiezhou[0]->geometry().bottom(), Form1::RecorderTop);
    EXPECT_EQ(w.Text3->pos(), Form1::ScoreBoxOrigin);
    EXPECT_EQ(w.Picture2->geometry(), Form1::MapSmall);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(w.Image1[i]->geometry(), QRect(Form1::RecorderLeft[i], 174, 25, 25));
}

TEST_F(Form1Layout, KeyboardButtonTakesEveryKey)
{
    w.show();
    w.activateWindow();
    w.SFYXYZ->setFocus();
    QSignalSpy downs(w.SFYXYZ, &KeyboardFocusButton::keyDown);
    QSignalSpy ups(w.SFYXYZ, &KeyboardFocusButton::keyUp);
    QSignalSpy clicks(w.SFYXYZ, &QPushButton::clicked);
    EXPECT_FALSE(w.SFYXYZ->testAttribute(Qt::WA_InputMethodEnabled));

    const struct { int key; Qt::KeyboardModifiers mods; int vk; } keys[] = {
        {Qt::Key_Tab, Qt::NoModifier, vk::Tab},
        {Qt::Key_Space, Qt::NoModifier, vk::Space},
        {Qt::Key_Return, Qt::NoModifier, vk::Return},
        {Qt::Key_Left, Qt::NoModifier, 37},
        {Qt::Key_F10, Qt::NoModifier, 121},
        {Qt::Key_5, Qt::KeypadModifier, 101},
        {Qt::Key_Z, Qt::NoModifier, 90},
    };
    for (const auto &k : keys) {
        QTest::keyPress(w.SFYXYZ, Qt::Key(k.key), k.mods);
        QTest::keyRelease(w.SFYXYZ, Qt::Key(k.key), k.mods);
    }
    ASSERT_EQ(downs.size(), int(std::size(keys)));
    ASSERT_EQ(ups.size(), int(std::size(keys)));
    for (int i = 0; i < downs.size(); ++i) {
        EXPECT_EQ(downs[i][0].toInt(), keys[i].vk) << i;
        EXPECT_EQ(ups[i][0].toInt(), keys[i].vk) << i;
    }
    EXPECT_EQ(clicks.size(), 0);
    EXPECT_EQ(w.focusWidget(), w.SFYXYZ) << "Tab moved the focus away";

    // Backtab (Shift+Tab) is Tab with the Shift argument 1.
    QTest::keyPress(w.SFYXYZ, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(downs.last()[0].toInt(), vk::Tab);
    EXPECT_EQ(downs.last()[1].toInt(), ShiftBit);
    EXPECT_EQ(w.focusWidget(), w.SFYXYZ);

    // Repeats: presses pass, releases do not.
    downs.clear();
    ups.clear();
    QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QString(), true);
    QKeyEvent repeatDown(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(w.SFYXYZ, &repeatUp);
    QApplication::sendEvent(w.SFYXYZ, &repeatDown);
    EXPECT_EQ(ups.size(), 0);
    EXPECT_EQ(downs.size(), 1);
}

TEST_F(Form1Layout, Screenshots)
{
    w.XSWB->setText(QStringLiteral("    当键盘演奏无声时请将输入法切换为英语(美国)输入方式，演奏当中可用空格键终止演奏！"));
    w.FJWZ->setText(QStringLiteral("现在允许演奏。。。"));
    w.SjXs->setText(QStringLiteral("2017-05-01 12:00:00"));
    w.Label11->setText(QStringLiteral("1★节奏1.bin"));
    w.Text3->setPlainText(QStringLiteral("KC4KD4KE4KF4KG8TZ"));
    w.show();
    for (std::size_t tab : Tabs) {
        showPanel(w, tab);
        if (tab == 1)
            w.XSWB->setText(QStringLiteral("6 键\r\n最低音（哆）\r\n乐谱中用 LC 表示"));
        if (tab == 2)
            w.XSWB->setText(QStringLiteral("你已经选择了\r\n       乐器组合 1"));
        const QImage shot = w.grab().toImage();
        EXPECT_EQ(shot.size(), QSize(980, 340));
        shot.save(QStringLiteral("/tmp/form1-tab%1.png").arg(tab));
    }
}
