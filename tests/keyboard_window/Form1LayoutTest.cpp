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

// 0 for a control that is no key, 1 for a white key, 2 for a black one.
int keyKind(const Form1 &w, const QWidget *c)
{
    for (int i = 0; i < OnScreenKeyCount; ++i)
        if (w.Picture1[std::size_t(i)] == c)
            return isWhiteKey(i) ? 1 : 2;
    return 0;
}

// Visible children of parent that overlap, except keys: a black key may lie
// over white keys, and neighbouring white keys share their border pixel.
QStringList overlaps(const Form1 &w, const QWidget *parent)
{
    QList<QWidget *> kids;
    for (QObject *o : parent->children())
        if (auto *c = qobject_cast<QWidget *>(o); c && c->isVisibleTo(parent) && !c->isWindow())
            kids << c;
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
    QStringList out;
    for (int a = 0; a < kids.size(); ++a)
        for (int b = a + 1; b < kids.size(); ++b) {
            const QRect common = kids[a]->geometry().intersected(kids[b]->geometry());
            if (common.isEmpty())
                continue;
            const int kindA = keyKind(w, kids[a]), kindB = keyKind(w, kids[b]);
            if (kindA && kindB && (kindA != kindB || (kindA == 1 && common.width() <= 1)))
                continue;
            out << name(kids[a]) + QStringLiteral(" / ") + name(kids[b]);
        }
    return out;
}

class Form1Layout : public ::testing::Test {
protected:
    test::Environment env;
    Form1 w;
};

} // namespace

TEST_F(Form1Layout, ControlArraysAreCompleteAndTheRhythmGridHasRoom)
{
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
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
    // Only cell 0 of each lane exists before start-up; sixteen more fit.
    for (const auto *lane : {&w.BZA, &w.BZB, &w.BZC}) {
        ASSERT_NE((*lane)[0], nullptr);
        EXPECT_EQ((*lane)[0]->parentWidget(), w.RhythmGrid);
        EXPECT_LE((*lane)[0]->width(), Form1::RhythmCellStep);
        for (std::size_t i = 1; i < lane->size(); ++i)
            EXPECT_EQ((*lane)[i], nullptr);
    }
    EXPECT_GE(w.RhythmGrid->width(), 16 * Form1::RhythmCellStep + w.BZA[0]->width());
}

TEST_F(Form1Layout, KeysFormAKeyboard)
{
    const auto order = w.children();
    for (int i = 0; i < OnScreenKeyCount; ++i) {
        const KeyPicture *k = w.Picture1[std::size_t(i)];
        const QRect r = k->geometry();
        EXPECT_TRUE(w.rect().contains(r)) << i;
        EXPECT_EQ(r.top(), Form1::KeyTop) << i;
        if (i > 0) {
            EXPECT_GT(r.center().x(), w.Picture1[std::size_t(i - 1)]->geometry().center().x()) << i;
        }
        if (isWhiteKey(i))
            continue;
        // A black key stands over the border of its two white neighbours
        // and is drawn above both.
        const KeyPicture *left = w.Picture1[std::size_t(i - 1)], *right = w.Picture1[std::size_t(i + 1)];
        EXPECT_LT(r.height(), left->height()) << i;
        EXPECT_TRUE(r.left() < right->x() && r.right() > left->geometry().right()) << i;
        EXPECT_GT(order.indexOf(k), order.indexOf(left)) << i;
        EXPECT_GT(order.indexOf(k), order.indexOf(right)) << i;
    }
    // The mute strip follows the highest key.
    EXPECT_GT(w.Label1->x(), w.Picture1[64]->geometry().right());
    EXPECT_TRUE(w.rect().contains(w.Label1->geometry()));
}

TEST_F(Form1Layout, NothingOverlapsOnAnyPanel)
{
    for (std::size_t tab : {0u, 1u, 2u, 4u, 5u}) {
        for (std::size_t i : {0u, 1u, 2u, 4u, 5u})
            w.Jiezhou[i]->setVisible(i == tab);
        w.Xxk[tab]->setChecked(true);
        EXPECT_TRUE(w.rect().contains(w.Jiezhou[tab]->geometry())) << tab;
        EXPECT_EQ(overlaps(w, &w), QStringList()) << "window, tab " << tab;
        EXPECT_EQ(overlaps(w, w.Jiezhou[tab]), QStringList()) << "panel " << tab;
        for (QWidget *c : w.Jiezhou[tab]->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(w.Jiezhou[tab]->rect().contains(c->geometry())) << tab << " " << c->metaObject()->className();
    }
    EXPECT_EQ(overlaps(w, w.RhythmGrid), QStringList());
    // The panel and the recorder share the left tray, the panel above.
    EXPECT_LE(w.Jiezhou[0]->geometry().bottom(), Form1::RecorderTop);
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
        {Qt::Key_Tab, Qt::NoModifier, vk::Tab},       {Qt::Key_Space, Qt::NoModifier, vk::Space},
        {Qt::Key_Return, Qt::NoModifier, vk::Return}, {Qt::Key_Left, Qt::NoModifier, 37},
        {Qt::Key_F10, Qt::NoModifier, 121},           {Qt::Key_5, Qt::KeypadModifier, 101},
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
