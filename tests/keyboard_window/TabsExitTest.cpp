// The tabs and their panels, the help topics, the compact window, the keyboard
// map, the folder and web page buttons, and the two ways out of the window.
#include "Form1Fixture.h"

#include "midi/MidiOut.h"
#include "platform/Resources.h"
#include "startup/Form3.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

using namespace dzq;

namespace {

// Farewell windows now open; the caller deletes them.
QList<Form3 *> farewells()
{
    QList<Form3 *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *f = qobject_cast<Form3 *>(w))
            out << f;
    return out;
}

// A help text as the box shows it: its CR LF line ends become single breaks.
std::string helpText(int id)
{
    return LoadResString(id).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toStdString();
}

} // namespace

using Form1Tabs = test::Form1Test;

TEST_F(Form1Tabs, EachTabShowsItsPanelAndGivesTheKeyboardBack)
{
    PresetTable[0][0] = 5;
    PresetTable[0][1] = 999; // not in the list: the list keeps its choice
    PresetTable[0][2] = 7;
    // Tabs in an order that changes the selection each time, then the last
    // one again (a click on the tab already selected).
    for (std::size_t tab : {0u, 1u, 2u, 4u, 5u, 0u, 4u, 4u}) {
        SCOPED_TRACE(tab);
        w.Text3->setFocus();
        QTest::mouseClick(w.Xxk[tab], Qt::LeftButton);
        for (std::size_t other : {0u, 1u, 2u, 4u, 5u})
            EXPECT_EQ(w.Jiezhou[other]->isVisibleTo(&w), other == tab);
        EXPECT_EQ(w.focusWidget(), w.SFYXYZ);
        EXPECT_TRUE(w.SFYXYZ->isEnabled());
    }

    // Each help topic shows its text; the tab opens on the first one.
    for (int i = 0; i < 7; ++i) {
        QTest::mouseClick(w.Option2[std::size_t(i)], Qt::LeftButton);
        EXPECT_EQ(w.Text1->toPlainText().toStdString(), helpText(500 + i)) << i;
    }
    w.Xxk_Click(4);
    EXPECT_EQ(w.Text1->toPlainText().toStdString(), helpText(500));
    EXPECT_TRUE(w.Option2[0]->value());

    // The settings tab: F1 chosen, its three instruments shown.
    w.YQSZ[1]->setListIndex(3);
    w.YQSZ[3]->show();
    w.File2->show();
    w.Xxk_Click(5);
    EXPECT_TRUE(w.Option3[0]->value());
    for (std::size_t v = 0; v < 3; ++v)
        EXPECT_TRUE(w.YQSZ[v]->isVisibleTo(&w));
    EXPECT_FALSE(w.YQSZ[3]->isVisibleTo(&w));
    EXPECT_FALSE(w.File2->isVisibleTo(&w));
    EXPECT_EQ(w.YQSZ[0]->listIndex(), 5);
    EXPECT_EQ(w.YQSZ[1]->listIndex(), 3);
    EXPECT_EQ(w.YQSZ[2]->listIndex(), 7);
    EXPECT_EQ(w.File2->path(), AppDir + QStringLiteral("音效/"));

    // An index without a tab only gives the keyboard back.
    w.SFYXYZ->setEnabled(false);
    w.Xxk_Click(3);
    EXPECT_TRUE(w.Jiezhou[5]->isVisibleTo(&w));
    EXPECT_EQ(w.focusWidget(), w.SFYXYZ);
    EXPECT_TRUE(w.SFYXYZ->isEnabled());
}

TEST_F(Form1Tabs, EmptyAreaTogglesTheCompactWindowAndTheMapTogglesItsSize)
{
    const QSize full(Form1::ClientWidth, Form1::ClientHeight);
    ASSERT_EQ(w.size(), full);
    const QPoint empty(406, 120);
    ASSERT_EQ(w.childAt(empty), nullptr);

    // A click on a control is not a click on the window.
    QTest::mouseClick(w.Label3, Qt::LeftButton);
    EXPECT_EQ(w.size(), full);

    QTest::mouseClick(&w, Qt::LeftButton, {}, empty);
    EXPECT_TRUE(w.MiniWindow);
    EXPECT_LT(w.width(), Form1::MapSmall.left());
    // The frame is the same at both sizes: the inside shrinks by what the
    // outer sizes differ, 14790 x 5535 and 6210 x 3435 twips at 15 a pixel.
    EXPECT_EQ(full - w.size(), QSize(572, 140));
    for (QWidget *kept : std::initializer_list<QWidget *>{w.Xxk[0]->parentWidget(), w.Jiezhou[0], w.Image1[2], w.Label8})
        EXPECT_TRUE(w.rect().contains(kept->geometry())) << kept->geometry().x() << "," << kept->geometry().y();
    QTest::mouseClick(&w, Qt::LeftButton, {}, empty);
    EXPECT_FALSE(w.MiniWindow);
    EXPECT_EQ(w.size(), full);

    // Activation forgets the compact state but keeps the size: the next
    // click makes the window compact again.
    QTest::mouseClick(&w, Qt::LeftButton, {}, empty);
    const QSize compact = w.size();
    w.hide();
    w.show();
    EXPECT_FALSE(w.MiniWindow);
    EXPECT_EQ(w.size(), compact);
    QTest::mouseClick(&w, Qt::LeftButton, {}, empty);
    EXPECT_EQ(w.size(), compact);
    w.Form_Click();
    EXPECT_EQ(w.size(), full);

    // The map: enlarged over the upper part with the score box hidden, then back.
    QTest::mouseClick(w.Image3, Qt::LeftButton);
    EXPECT_TRUE(w.MapEnlarged);
    EXPECT_GT(w.Picture2->width(), Form1::MapSmall.width());
    EXPECT_EQ(w.Image3->size(), w.Picture2->size());
    EXPECT_FALSE(w.Text3->isVisibleTo(&w));
    EXPECT_EQ(w.childAt(w.Yuepu[0]->geometry().center()), w.Image3) << "the map lies under other controls";

    QTest::mouseClick(w.Image3, Qt::LeftButton);
    EXPECT_FALSE(w.MapEnlarged);
    EXPECT_EQ(w.Picture2->geometry(), Form1::MapSmall);
    EXPECT_EQ(w.Image3->size(), w.Picture2->size());
    EXPECT_TRUE(w.Text3->isVisibleTo(&w));
    EXPECT_EQ(w.size(), full);
}

TEST_F(Form1Tabs, WebButtonsOpenTheFolderAndThePageOrSayTheyCouldNot)
{
    QList<QUrl> opened;
    bool succeed = false;
    w.openUrl = [&](const QUrl &url) {
        opened << url;
        return succeed;
    };

    QTest::mouseClick(w.Command2[0], Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(AppDir + QStringLiteral("演奏记录")));
    EXPECT_EQ(env.messages.shown.size(), 1u);
    w.OpenDownloadPage();
    EXPECT_EQ(env.messages.shown.size(), 2u);

    succeed = true;
    QTest::mouseClick(w.Command2[1], Qt::LeftButton);
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened[2], opened[1]);
    EXPECT_EQ(opened[2].scheme(), QStringLiteral("https"));
    EXPECT_EQ(env.messages.shown.size(), 2u);
}

// The exit button and the close box end the same way, once: MIDI device and
// recorder closed, clocks stopped, one farewell window, the window destroyed.
TEST(Form1Exit, ButtonAndCloseBoxCloseTheDeviceAndShowTheFarewellOnce)
{
    for (bool byButton : {true, false}) {
        SCOPED_TRACE(byButton ? "exit button" : "close box");
        test::Environment env;
        QTemporaryDir data;
        AppDir = data.path() + QLatin1Char('/');
        QPointer<Form1> w = new Form1;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->Form_Load();
        w->show();
        ASSERT_TRUE(midiOutIsOpen());
        w->BZDS->setInterval(100);
        w->BZDS->setEnabled(true);
        w->Timer1->setEnabled(true);
        const int closesBefore = env.synth().closes;
        env.media.take();

        if (byButton)
            QTest::mouseClick(w->Command1, Qt::LeftButton);
        else
            w->close();
        ASSERT_FALSE(w.isNull());
        EXPECT_FALSE(midiOutIsOpen());
        EXPECT_EQ(env.synth().closes, closesBefore + 1);
        EXPECT_EQ(env.media.take(), QStringList{QStringLiteral("CLOSE NN")});
        EXPECT_FALSE(w->isVisible());
        for (StepTimer *clock : {w->Timer1, w->Timer2, w->Timer3, w->BZDS, w->HXYS})
            EXPECT_FALSE(clock->isRunning());
        // A second way out changes nothing.
        w->Form_Unload();
        w->close();
        EXPECT_EQ(env.synth().closes, closesBefore + 1);
        EXPECT_TRUE(env.media.take().isEmpty());

        const QList<Form3 *> shown = farewells();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0]->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(w.isNull());
        qDeleteAll(shown);
    }
}
