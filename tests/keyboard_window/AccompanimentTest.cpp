// The accompaniment as a user meets it: a data folder prepared as the start-up
// prepares it (shipped rhythm files and effect sounds, default settings), the
// rhythm button playing the shipped beat with its chords, the sync box carrying
// the accompaniment in live playing and under a score, "JP" picking a file of
// the sorted list, and shortcuts that survive a restart.
#include "Fakes.h"

#include "keyboard/Form1.h"
#include "keyboard/core/RhythmFile.h"
#include "keyboard/core/SettingsFile.h"
#include "keyboard/core/VirtualKeys.h"
#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "platform/AppPaths.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"
#include "shared/Shared.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace dzq;

namespace {

using Msgs = std::vector<uint32_t>;

const QString Beat = QStringLiteral("1-四四拍基本节奏.bin");
const QString Waltz = QStringLiteral("2-三四拍华尔兹.bin");

class Accompaniment : public ::testing::Test {
protected:
    Accompaniment()
    {
        const AppDirResult dir = prepareAppDir(data.path(), {}, {});
        EXPECT_TRUE(dir.ok()) << dir.error.toStdString();
        AppDir = dir.dir;
        EXPECT_TRUE(writeDefaultSettingsFile(settingsFilePath(AppDir)));
        start();
    }
    // The program started anew on the same data folder: fresh shared
    // variables, a new window that reads the files again.
    void restart()
    {
        w.reset();
        resetSharedState();
        start();
    }
    void start()
    {
        fillChordTable(LoadResString(510));
        w = std::make_unique<Form1>();
        w->onSettingsError = [this] { ++ends; };
        w->Form_Load();
        w->show();
        env.take();
    }
    // The chord panel's design lines over "145" (the activation draws others).
    void defaultChords(const QString &l1, const QString &l2, const QString &l3)
    {
        w->Text4->setPlainText(l1);
        w->Text5->setPlainText(l2);
        w->Text7->setPlainText(l3);
        w->Text6_GotFocus();
        w->Text6->setPlainText(QStringLiteral("145"));
        w->Text6_LostFocus();
        env.take();
    }
    // Everything a tick sent, its chords' later notes included.
    Msgs takeAll()
    {
        for (int channel : {3, 4, 5})
            flushChordNotes(channel);
        return env.take();
    }
    void key(int vk)
    {
        w->SFYXYZ_KeyDown(vk, 0);
        w->SFYXYZ_KeyUp(vk, 0);
    }
    QString folder(const QString &sub) const { return AppDir + sub + QLatin1Char('/'); }

    test::Environment env;
    QTemporaryDir data;
    std::unique_ptr<Form1> w;
    int ends = 0;
};

RhythmPattern shipped(const QString &name)
{
    QFile f(resourceFile(QStringLiteral("samples/") + name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const auto p = decodeRhythmText(decodeTextBytes(f.readAll()));
    EXPECT_TRUE(p) << name.toStdString();
    return p.value_or(RhythmPattern{});
}

// The drum note-ons of one step of a rhythm file.
Msgs drums(const RhythmPattern &p, int step)
{
    Msgs out;
    for (std::size_t k = 0; k < 3; ++k)
        if (p.cells[k][std::size_t(step)])
            out.push_back(uint32_t(percussionMsg(p.instruments[k] + PercussionNoteOffset,
                                                 rhythmVolumeEntry(p.volumeIndex))));
    return out;
}

Msgs ramp(int value, bool percussion = true)
{
    Msgs out{packShortMsg(0xB3, 11, value), packShortMsg(0xB4, 11, value)};
    if (percussion)
        out.push_back(packShortMsg(0xB9, 11, value));
    return out;
}

// The chord channels' release: KeyBase + 0..63 on channels 3, 4, 5 in turn.
Msgs chordRelease()
{
    Msgs out;
    for (int i = 0; i < 64; ++i)
        for (int channel : {3, 4, 5})
            out.push_back(packShortMsg(0x80 + channel, KeyBase + i, 0));
    return out;
}

Msgs operator+(Msgs a, const Msgs &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Msgs onChannel(const Msgs &msgs, int channel, int status = 0x90)
{
    Msgs out;
    for (uint32_t m : msgs)
        if ((m & 0xFF) == uint32_t(status + channel))
            out.push_back(m);
    return out;
}

// Tick t of a running accompaniment: the expression ramp (falling by 2 over
// rampTicks ticks) first, the drums of a step of p on every fourth tick.
void expectTick(const Msgs &m, int t, int rampTicks, const RhythmPattern &p, int steps)
{
    SCOPED_TRACE(t);
    ASSERT_GE(m.size(), 3u);
    EXPECT_EQ(Msgs(m.begin(), m.begin() + 3), ramp(120 - 2 * (t % rampTicks)));
    EXPECT_EQ(onChannel(m, 9), t % 4 == 0 ? drums(p, t / 4 % steps) : Msgs{});
}

} // namespace

TEST_F(Accompaniment, RhythmButtonPlaysTheShippedBeatWithChords)
{
    // Start-up loaded the first shipped file: the 4/4 beat.
    EXPECT_EQ(w->Label11->text(), QStringLiteral("1★") + Beat);
    const RhythmPattern beat = shipped(Beat);
    defaultChords(QStringLiteral("LG--WC--WE--WG--"), QStringLiteral("CC--CC--CC--CC--"),
                  QStringLiteral("CL--------------"));
    ASSERT_EQ(ChordSeqLen, 24);

    w->Xxk[2]->setValue(true);
    AccompTick = 17; // the button starts the ramp afresh
    QTest::mouseClick(w->BzQd, Qt::LeftButton);
    ASSERT_EQ(w->BzQd->value(), 1);
    EXPECT_EQ(w->BzQd->text(), QStringLiteral("停止"));
    EXPECT_TRUE(w->BZDS->isRunning());
    EXPECT_EQ(w->BZDS->interval(), 107);

    // First tick: expression 120, voice 1 (its note-off, pan, LG), voice 2's
    // chord CC, the drums of step 0; the chord's later notes follow.
    w->BZDS_Timer();
    const Msgs voices{packShortMsg(0x83, 36, 0), packShortMsg(0xB3, 10, 40), packShortMsg(0x93, 43, 55),
                      packShortMsg(0x94, 48, 55)};
    const Msgs chordRest{packShortMsg(0x94, 52, 55), packShortMsg(0x94, 55, 55)};
    EXPECT_EQ(takeAll(), ramp(120) + voices + drums(beat, 0) + chordRest);

    // Ticks 1..95 (three chords of eight steps): the ramp falls by 2 and
    // AccompTick wraps after 31; a step every fourth tick with CurStep 0..15,
    // the voices holding through step 1; the chord change at the eighth step
    // releases the chord channels before its drums; voice 3 plays only in the
    // last chord.
    std::vector<Msgs> ticks(1);
    for (int t = 1; t < 96; ++t) {
        w->BZDS_Timer();
        ticks.push_back(takeAll());
    }
    for (int t = 1; t < 96; ++t) {
        const Msgs &m = ticks[std::size_t(t)];
        expectTick(m, t, 32, beat, 16);
        EXPECT_EQ(onChannel(m, 5).empty(), t != 64) << t;
        if (t < 8) {
            EXPECT_EQ(m, ramp(120 - 2 * t) + (t == 4 ? drums(beat, 1) : Msgs{})) << t;
        }
    }
    EXPECT_EQ(ticks[28], ramp(64) + chordRelease() + drums(beat, 7));
    EXPECT_EQ(onChannel(ticks[64], 5),
              (Msgs{packShortMsg(0x95, 50, 55), packShortMsg(0x95, 55, 55), packShortMsg(0x95, 59, 55)}));
    // After one cycle the chords start again; the rhythm is half-way.
    EXPECT_EQ((std::array<int, 4>{AccompTick, AccompStep, ChordStep, CurStep}), (std::array<int, 4>{0, 0, 1, 8}));

    // Stopping silences the chord channels at once.
    QTest::mouseClick(w->BzQd, Qt::LeftButton);
    EXPECT_EQ(w->BzQd->text(), QStringLiteral("启动"));
    EXPECT_FALSE(w->BZDS->isEnabled());
    EXPECT_EQ(takeAll(), chordRelease());
}

TEST_F(Accompaniment, SyncCarriesTheAccompanimentLiveAndUnderAScore)
{
    const RhythmPattern beat = shipped(Beat);
    defaultChords(QStringLiteral("LG--WC--WE--WG--"), QStringLiteral("CC--CC--CC--CC--"),
                  QStringLiteral("CL--------------"));

    // Live: with "自动同步" checked the first note starts the accompaniment
    // (expression full, the voices, the drums of step 0) and the performance
    // clock carries it on, a step every fourth tick from step 1.
    w->Check5->setValue(1);
    EXPECT_TRUE(w->SyncToggle);
    w->SFYXYZ_KeyDown(71, 0); // G: KC
    const Msgs sent = takeAll();
    const auto full = std::find(sent.begin(), sent.end(), packShortMsg(0xB9, 11, 127));
    ASSERT_NE(full, sent.end());
    const Msgs first(full, sent.end());
    EXPECT_EQ(onChannel(first, 9), drums(beat, 0));
    EXPECT_FALSE(onChannel(first, 3).empty());
    EXPECT_FALSE(onChannel(first, 4).empty());
    for (int t = 1; t <= 40; ++t) {
        w->Timer1_Timer();
        expectTick(takeAll(), t, 32, beat, 16);
    }
    w->SFYXYZ_KeyUp(71, 0);
    // Unchecked, the clock keeps the ramp but plays no step.
    w->Check5->setValue(0);
    EXPECT_FALSE(w->SyncToggle);
    for (int t = 0; t < 8; ++t) {
        w->Timer1_Timer();
        const Msgs m = takeAll();
        EXPECT_TRUE(onChannel(m, 9).empty() && onChannel(m, 3).empty() && onChannel(m, 4).empty());
    }
    key(vk::Space);
    env.take();

    // Under a score: "JP3" takes the third file of the list sorted by name (a
    // user's "10-..." sorts between the shipped "1-..." and "2-..."), checks
    // the box, and the score clock plays the waltz from the score's start.
    QFile user(folder(scoreFolderName()) + QStringLiteral("10-我的.bin"));
    ASSERT_TRUE(user.open(QIODevice::WriteOnly));
    user.write("050001010100" + QByteArray(49, '*') + "10-我的.bin\r\n");
    user.close();
    w->File1->refresh();
    const RhythmPattern waltz = shipped(Waltz);
    AccompTick = 9;
    w->Text3->setPlainText(QStringLiteral("JP3KC48TZ"));
    w->Yuepu_MouseDown(0);
    w->Yuepu_Click(0);
    EXPECT_EQ(w->Label11->text(), QStringLiteral("3★") + Waltz);
    EXPECT_EQ(w->Check5->value(), 1);
    EXPECT_EQ(RhythmLastStep, 11);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(w->LblInst[k]->listIndex(), waltz.instruments[k]);
    defaultChords(QStringLiteral("WC--WE--WG--"), QStringLiteral("CC--CC--CC--"), QStringLiteral("CL----------"));
    int t = 0;
    for (; w->Timer3->isRunning() && t < 100; ++t) {
        w->Timer3_Timer();
        const Msgs m = takeAll();
        expectTick(m, t, 24, waltz, 12);
        if (t == 20) { // 3/4: a new chord every sixth step
            EXPECT_EQ(m, ramp(80) + chordRelease() + drums(waltz, 5));
        }
    }
    EXPECT_EQ(t, 48);
    EXPECT_FALSE(w->BZDS->isEnabled());

    // "JP2" is the user's file; without sync a score plays no drums.
    w->Text3->setPlainText(QStringLiteral("JP2JP99KC16TZ"));
    w->Yuepu_MouseDown(0);
    w->Yuepu_Click(0);
    EXPECT_EQ(w->Label11->text(), QStringLiteral("2★10-我的.bin"));
    EXPECT_EQ(w->Check5->value(), 0);
    Msgs all;
    for (t = 0; w->Timer3->isRunning() && t < 100; ++t) {
        w->Timer3_Timer();
        all = all + takeAll();
    }
    EXPECT_TRUE(onChannel(all, 9).empty());
    EXPECT_FALSE(onChannel(all, 0).empty());
}

// Playing along with the running rhythm: the rhythm clock alone drives the
// accompaniment, so each of its ticks sends what it sends without live notes,
// with and without "自动同步"; the keys and the performance clock send nothing
// on the accompaniment's channels, up to the performance's idle stop.
TEST_F(Accompaniment, LiveNotesLeaveTheRunningRhythmAsItIs)
{
    const RhythmPattern beat = shipped(Beat);
    const auto accompaniment = [](const Msgs &m) {
        Msgs out;
        for (uint32_t x : m)
            if (const int channel = int(x & 0x0F); channel >= 3 && channel != 6 && channel != 7 && channel != 8)
                out.push_back(x);
        return out;
    };
    const auto rhythmTicks = [&](bool sync, bool live) {
        restart();
        defaultChords(QStringLiteral("LG--WC--WE--WG--"), QStringLiteral("CC--CC--CC--CC--"),
                      QStringLiteral("CL--------------"));
        w->Check5->setValue(sync ? 1 : 0);
        w->BzQd->setValue(1);
        env.take();
        std::vector<Msgs> ticks;
        const int keys[] = {71, 72, 74, 72};
        for (int t = 0; t < 240; ++t) {
            if (live) {
                // A melody, notes two or three ticks long, then rest (idle stop).
                if (t >= 3 && t < 120 && t % 5 != 4) {
                    if (t % 5 == 3)
                        w->SFYXYZ_KeyDown(keys[t / 5 % 4], 0);
                    if (t % 5 == 1)
                        w->SFYXYZ_KeyUp(keys[t / 5 % 4], 0);
                }
                if (w->Timer1->isRunning())
                    w->Timer1_Timer();
                EXPECT_EQ(accompaniment(takeAll()), Msgs{}) << t;
            }
            w->BZDS_Timer();
            ticks.push_back(takeAll());
        }
        EXPECT_EQ(w->Timer1->isRunning(), false);
        return ticks;
    };
    for (bool sync : {false, true}) {
        SCOPED_TRACE(sync ? "sync" : "no sync");
        const std::vector<Msgs> alone = rhythmTicks(sync, false);
        const std::vector<Msgs> along = rhythmTicks(sync, true);
        ASSERT_EQ(along.size(), alone.size());
        for (std::size_t t = 0; t < along.size(); ++t) {
            EXPECT_EQ(along[t], alone[t]) << t;
            expectTick(along[t], int(t), 32, beat, 16);
        }
    }
}

TEST_F(Accompaniment, ShortcutsEditedOnTheSettingsPanelSurviveARestart)
{
    // A bad rhythm file first in the list is refused at start-up with its
    // message; the settings file and the program live on.
    const QString settings = settingsFilePath(AppDir);
    const QString bad = folder(scoreFolderName()) + QStringLiteral("0-坏.bin");
    ASSERT_TRUE(QFile::copy(folder(scoreFolderName()) + Beat, bad));
    QFile badFile(bad);
    ASSERT_TRUE(badFile.open(QIODevice::ReadWrite));
    badFile.write("09"); // volume list index 9: no such entry
    badFile.close();
    restart();
    EXPECT_EQ(ends, 0);
    env.deliverBoxes();
    EXPECT_TRUE(env.messages.texts().contains(QStringLiteral("打开节奏文件出错，请检查！")));
    ShortcutSettings read;
    ASSERT_EQ(readSettingsFile(settings, &read), SettingsRead::Ok);
    EXPECT_EQ(read, defaultSettings());
    QFile::remove(bad);

    // On the settings panel: voice 2 of F3 becomes 41 and F3 plays it at
    // once; keypad 5 gets drum 30; End gets the gong; release on key-up.
    w->Xxk[5]->setValue(true);
    QTest::mouseClick(w->Option3[2], Qt::LeftButton);
    ASSERT_TRUE(w->Option3[2]->value());
    EXPECT_EQ(w->YQSZ[0]->listIndex(), 74);
    w->YQSZ[1]->setListIndex(41);
    env.take();
    key(vk::F1 + 2);
    EXPECT_EQ(w->ComSounds[1]->listIndex(), 41);
    EXPECT_EQ(onChannel(env.take(), 1, 0xC0).back(), packShortMsg(0xC1, 40, 0));
    // A digit chosen sounds its drum (twice), a new drum once, both at the
    // rhythm volume.
    w->VsbVol->setListIndex(7);
    env.take();
    w->Option3[12 + 5]->setValue(true);
    EXPECT_EQ(env.take(), Msgs(2, uint32_t(percussionMsg(defaultSettings().drums[5] + PercussionNoteOffset, 120))));
    w->YQSZ[3]->setListIndex(30);
    EXPECT_EQ(env.take(), (Msgs{uint32_t(percussionMsg(30 + PercussionNoteOffset, 120))}));
    // An effect key chosen plays its sound.
    env.effects.played.clear();
    w->Option3[22 + 4]->setValue(true);
    EXPECT_EQ(env.effects.played.size(), 1);
    const int gong = [&] {
        for (int i = 0; i < w->File2->listCount(); ++i)
            if (w->File2->list(i) == QStringLiteral("锣2.wav"))
                return i;
        return -1;
    }();
    ASSERT_GE(gong, 0);
    w->File2->setListIndex(gong);
    w->File2_Click();
    w->Check1->setValue(1);
    QTest::mouseClick(w->BCSZ, Qt::LeftButton);
    EXPECT_EQ(w->FJWZ->text(), QStringLiteral("成功保存本次设置"));

    // A new start reads them back.
    restart();
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(w->Check1->value(), 1);
    EXPECT_EQ(w->ComSounds[1]->listIndex(), 10);
    key(vk::F1 + 2);
    EXPECT_EQ(w->ComSounds[1]->listIndex(), 41);
    EXPECT_EQ(onChannel(env.take(), 1, 0xC0).back(), packShortMsg(0xC1, 40, 0));

    // Every keypad digit sounds its drum at velocity 100.
    Msgs expected;
    for (int d = 0; d < 10; ++d) {
        key(vk::Numpad0 + d);
        const int drum = d == 5 ? 30 : defaultSettings().drums[std::size_t(d)];
        expected.push_back(uint32_t(percussionMsg(drum + PercussionNoteOffset, 100)));
    }
    EXPECT_EQ(env.take(), expected);

    // The six effect keys play the shipped sounds the start-up copied, the
    // names of the settings file matched as they were on their first system.
    env.effects.played.clear();
    for (int vk : {vk::Insert, vk::Home, vk::Prior, vk::Delete, vk::End, vk::Next})
        key(vk);
    QStringList names;
    for (const QString &path : env.effects.played) {
        EXPECT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
        EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(folder(effectsFolderName())).absolutePath());
        names << QFileInfo(path).fileName();
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("拍手1.wav"), QStringLiteral("雷声3.WAV"), QStringLiteral("锣2.wav"),
                                  QStringLiteral("民族笛子3.wav"), QStringLiteral("锣2.wav"),
                                  QStringLiteral("钟声.wav")}));
    EXPECT_EQ(w->XSWB->text(), QStringLiteral("钟声.wav _音效"));
}
