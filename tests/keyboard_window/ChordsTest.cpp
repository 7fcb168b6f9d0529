// The chord panel: progression entry, pattern boxes and library, the chord
// voices on channels 3, 4 and 5, the chord instrument lists and the preview.
#include "Form1Fixture.h"

#include "keyboard/core/ChordProgression.h"
#include "keyboard/core/PatternLibrary.h"
#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "midi/SoundingNotes.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"

#include <QFile>

using namespace dzq;

namespace {

class Chords : public test::Form1Test {
protected:
    Chords()
    {
        fillChordTable(LoadResString(510));
        w.Text4->setPlainText(QStringLiteral("LG--WC--WE--WG--"));
        w.Text5->setPlainText(QStringLiteral("CC--CC--CC--CC--"));
        w.Text7->setPlainText(QStringLiteral("CL--------------"));
        enterProgression(QStringLiteral("145"));
        env.take();
    }
    void enterProgression(const QString &text)
    {
        w.Text6_GotFocus();
        w.Text6->setPlainText(text);
        w.Text6_LostFocus();
    }
    // (channel, note, velocity) of the note-ons among msgs.
    static std::vector<std::array<int, 3>> noteOns(const std::vector<uint32_t> &msgs)
    {
        std::vector<std::array<int, 3>> out;
        for (uint32_t m : msgs)
            if ((m & 0xF0) == 0x90)
                out.push_back({int(m & 0x0F), int(m >> 8 & 0xFF), int(m >> 16 & 0xFF)});
        return out;
    }
    std::vector<uint32_t> takeAll()
    {
        for (int channel : {3, 4, 5})
            flushChordNotes(channel);
        return env.take();
    }
};

} // namespace

TEST_F(Chords, VoicesSoundTheirNotesAndReleaseWhatTheySounded)
{
    ASSERT_EQ(ChordSeqLen, 24);
    VoiceVelocity[3] = 55;
    // Step 8 is the first step of the chord on degree 4.
    AccompStep = 8;
    w.BZHX();
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{packShortMsg(0x83, 36, 0), packShortMsg(0xB3, 10, 40),
                                                 packShortMsg(0x93, 48, 55)}));

    // The key rises to B before the next note of voice 1: the note struck in C
    // is released as well, not only the one the new key would give.
    KeyBase = 47;
    AccompStep = 12;
    w.BZHX();
    const auto msgs = env.take();
    EXPECT_NE(std::find(msgs.begin(), msgs.end(), packShortMsg(0x83, 48, 0)), msgs.end());
    EXPECT_EQ(noteOns(msgs), (std::vector<std::array<int, 3>>{{3, 68, 55}}));
    EXPECT_FALSE(soundingNotes().sounding(3, 48));

    // A rest or a hold sounds nothing and leaves the note sounding; with no
    // instrument a single note is not played.
    AccompStep = 13;
    w.BZHX();
    w.Combo1->setListIndex(0);
    env.take();
    AccompStep = 14;
    w.BZHX();
    EXPECT_TRUE(env.take().empty());
    EXPECT_TRUE(soundingNotes().sounding(3, 68));
    // Past the cycle nothing is read.
    AccompStep = 200;
    w.BZHX2();
    EXPECT_TRUE(env.take().empty());
}

TEST_F(Chords, PreviewPlaysOneCycleAndStops)
{
    enterProgression(QStringLiteral("1645"));
    env.take();
    w.Check6->setValue(1);
    EXPECT_TRUE(w.HXYS->isRunning());
    EXPECT_EQ(ChordSeqLen, 32);

    int ticks = 0;
    std::vector<uint32_t> msgs;
    while (w.HXYS->isEnabled() && ticks < 1000) {
        w.HXYS_Timer();
        ++ticks;
        const auto sent = takeAll();
        msgs.insert(msgs.end(), sent.begin(), sent.end());
    }
    // 32 steps, one every fourth tick from the first.
    EXPECT_EQ(ticks, 125);
    EXPECT_EQ(w.Check6->value(), 0);
    EXPECT_EQ(w.Check6->text(), QStringLiteral("启动"));
    EXPECT_EQ(AccompStep, 0);
    EXPECT_EQ(ChordStep, 1);
    // The chords sounded, no drums, and nothing is left sounding.
    EXPECT_FALSE(noteOns(msgs).empty());
    EXPECT_EQ(std::count_if(msgs.begin(), msgs.end(), [](uint32_t m) { return (m & 0x0F) == 9; }), 0);
    EXPECT_FALSE(soundingNotes().anySounding());
}

TEST_F(Chords, ProgressionEntryAndPatternBoxes)
{
    // Digits outside 1..7, letters or an 18th digit bring the last good
    // progression back and change nothing.
    for (const QString &bad : {QStringLiteral("148"), QStringLiteral("1a"), QStringLiteral("123456712345671234")}) {
        enterProgression(bad);
        EXPECT_EQ(w.Text6->toPlainText(), QStringLiteral("145"));
        EXPECT_EQ(ChordSeqLen, 24);
    }

    // An empty progression: no chords, while the rhythm clock runs on.
    AccompStep = 100;
    enterProgression(QString());
    EXPECT_EQ(ChordSeqLen, 0);
    EXPECT_EQ(AccompStep, 0);
    w.BzQd->setValue(1);
    env.take();
    for (int i = 0; i < 40; ++i)
        w.BZDS_Timer();
    EXPECT_TRUE(noteOns(takeAll()).empty());
    w.BzQd->setValue(0);

    // Leaving a box tidies its line; Text2 follows boxes 4 and 7, not 5.
    w.Text2->setPlainText(QString());
    w.Text5->setPlainText(QStringLiteral("cc"));
    w.Text5_LostFocus();
    EXPECT_EQ(w.Text5->toPlainText(), QStringLiteral("CC--------------"));
    EXPECT_EQ(w.Text2->toPlainText(), QString());
    w.Text4->setPlainText(QStringLiteral("kc k"));
    w.Text4_LostFocus();
    EXPECT_EQ(w.Text4->toPlainText(), QStringLiteral("KC-K------------"));
    EXPECT_EQ(w.Text2->toPlainText(), QStringLiteral("KC-K------------CC--------------"));
    EXPECT_EQ(w.PatternTexts[1], QStringLiteral("KC-K------------"));
}

TEST_F(Chords, LibraryDrawsAndSavesAndInstrumentListsCopy)
{
    const QString path = AppDir + patternLibraryName();
    QFile::remove(path);
    // The first draw creates the library and keeps the boxes.
    w.Command3_Click();
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(w.Text4->toPlainText(), QStringLiteral("LG--WC--WE--WG--"));

    // A drawn line replaces each unlocked box; a locked box keeps its line.
    ASSERT_TRUE(writeTextFile(path, {QStringLiteral("WC------WC------")}));
    w.Check7->setValue(1);
    w.Command3_Click();
    EXPECT_EQ(w.Text4->toPlainText(), QStringLiteral("WC------WC------"));
    EXPECT_EQ(w.Text7->toPlainText(), QStringLiteral("WC------WC------"));
    EXPECT_EQ(w.Text5->toPlainText(), QStringLiteral("CC--CC--CC--CC--"));
    EXPECT_EQ(w.Text2->toPlainText(), QStringLiteral("WC------WC------CC--CC--CC--CC--"));
    EXPECT_TRUE(parseProgression(w.Text6->toPlainText()));
    EXPECT_EQ(ChordSeqLen, ChordCycle * 8);
    EXPECT_EQ(chordSeqCode(1, 0), 12);

    // Save adds the boxes' lines the library lacks.
    ASSERT_TRUE(writeTextFile(path, {QStringLiteral("WC------WC------")}));
    w.Command4_Click();
    EXPECT_EQ(readTextFile(path).lines,
              (QStringList{QStringLiteral("WC------WC------"), QStringLiteral("CC--CC--CC--CC--")}));

    // Choosing a chord instrument sets channel 3 and Combo1; typing into the
    // list sets channel 3 and Combo3 (so channel 5).
    env.take();
    w.xuanyue->setListIndex(10);
    EXPECT_EQ(w.Combo1->listIndex(), 10);
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{packShortMsg(0xB3, 0, 0), packShortMsg(0xC3, 9, 0),
                                                 packShortMsg(0xB3, 0, 0), packShortMsg(0xC3, 9, 0)}));
    w.xuanyue_Change();
    EXPECT_EQ(w.Combo3->listIndex(), 10);
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{packShortMsg(0xB3, 0, 0), packShortMsg(0xC3, 9, 0),
                                                 packShortMsg(0xB5, 0, 0), packShortMsg(0xC5, 9, 0)}));
    // The chord volume is held within 0..127.
    w.HxYL->setText(QStringLiteral("40000"));
    w.HxYL_Click();
    EXPECT_EQ(VoiceVelocity[3], 127);
    w.HxYL->setListIndex(1);
    EXPECT_EQ(VoiceVelocity[3], 40);
}
