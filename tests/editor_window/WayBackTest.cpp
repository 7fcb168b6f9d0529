// The real keyboard window's editor button and the way back to it.
#include "YYBJFixture.h"

#include "keyboard/Form1.h"

namespace dzq::test {

namespace {

uint32_t msg(int status, int data1, int data2) { return packShortMsg(status, data1, data2); }

} // namespace

TEST(WayBack, TheEditorOpensOverTheHiddenKeyboardAndHandsItsDefaultsBack)
{
    Environment env;
    QTemporaryDir data;
    AppDir = data.path() + QLatin1Char('/');
    resetProgramSong();
    Form1 keyboard;
    keyboard.Form_Load();
    keyboard.show();
    QPointer<YYBJ> editor;
    keyboard.openEditor = [&] {
        editor = new YYBJ(keyboard);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        editor->Form_Load();
        editor->show();
    };
    // Choices of the keyboard's own that the way back puts to its setup.
    keyboard.ComSounds[1]->setListIndex(100);
    keyboard.Combo2->setListIndex(10);
    keyboard.Zxlyl[0]->setListIndex(0);
    keyboard.YD->setListIndex(7);
    keyboard.SD->setListIndex(12);
    keyboard.VsbVol->setListIndex(2);
    for (std::size_t lane = 0; lane < 3; ++lane)
        keyboard.LblInst[lane]->setListIndex(int(4 + 3 * lane));

    keyboard.BJCK->click();
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(keyboard.isVisible());
    EXPECT_EQ(KeyBase, 36);
    EXPECT_EQ(StepMs, 214);

    // The editor plays in another key with its five percussion lines.
    editor->DQYD->setListIndex(9);
    for (auto &record : RhythmStepTable)
        for (int s = 0; s < 16; ++s)
            record[std::size_t(s)].On = -1;
    env.take();
    editor->TUICHU->click();

    EXPECT_TRUE(keyboard.isVisible());
    const std::array<int, 3> voices{52, 15, 79};
    for (std::size_t v = 0; v < 3; ++v) {
        EXPECT_EQ(keyboard.ComSounds[v]->listIndex(), voices[v]);
        EXPECT_EQ(MelodyProgram[v], voices[v]);
    }
    EXPECT_EQ(keyboard.xuanyue->listIndex(), 25);
    EXPECT_EQ(keyboard.HxYL->listIndex(), 2);
    EXPECT_EQ(keyboard.Combo1->listIndex(), 4);
    EXPECT_EQ(keyboard.Combo2->listIndex(), 35);
    EXPECT_EQ(keyboard.Combo3->listIndex(), 47);
    EXPECT_EQ(keyboard.Zxlyl[0]->text(), QStringLiteral("85"));
    EXPECT_EQ(keyboard.Zxlyl[2]->text(), QStringLiteral("55"));
    EXPECT_EQ(keyboard.YD->listIndex(), 0);
    EXPECT_EQ(keyboard.SD->text(), QStringLiteral("70"));
    EXPECT_EQ(keyboard.VsbVol->text(), QStringLiteral("100"));
    EXPECT_EQ(KeyBase, 36);
    EXPECT_EQ(StepMs, 107);
    // The lanes sound their chosen instruments at the rhythm volume; the
    // editor's fourth and fifth lines are silent; which lane steps sound
    // stays.
    for (int lane = 0; lane < 3; ++lane) {
        const int note = keyboard.LblInst[std::size_t(lane)]->listIndex() + 35;
        for (int s = 0; s < 16; ++s) {
            const RhythmCell &cell = RhythmStepTable[std::size_t(lane)][std::size_t(s)];
            EXPECT_EQ(cell.Note, note);
            EXPECT_EQ(cell.Msg, percussionMsg(note, 100));
            EXPECT_EQ(cell.On, -1);
        }
    }
    for (int s = 0; s < 16; ++s) {
        EXPECT_EQ(RhythmStepTable[3][std::size_t(s)].On, 0);
        EXPECT_EQ(RhythmStepTable[4][std::size_t(s)].On, 0);
    }
    // The last messages: the programs of channels 0-5, after the 65 notes of
    // every channel 0-6 were released in the editor's key.
    const std::vector<uint32_t> sent = env.take();
    const std::vector<uint32_t> programs{msg(0xB0, 0, 0), msg(0xC0, 51, 0), msg(0xB1, 0, 0), msg(0xC1, 14, 0),
                                         msg(0xB2, 0, 0), msg(0xC2, 78, 0), msg(0xB3, 0, 0), msg(0xC3, 3, 0),
                                         msg(0xB4, 0, 0), msg(0xC4, 34, 0), msg(0xB5, 0, 0), msg(0xC5, 46, 0)};
    ASSERT_GE(sent.size(), 455 + programs.size());
    EXPECT_TRUE(std::equal(programs.begin(), programs.end(), sent.end() - long(programs.size())));
    EXPECT_EQ(sent[0], msg(0x80, 45, 0));
    EXPECT_EQ(sent[454], msg(0x86, 45 + 64, 0));

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    keyboard.Timer1->setEnabled(false);
}

} // namespace dzq::test
