// Mouse playing on the on-screen keys and the melody panel: voices, key,
// velocities, device, vibrato controllers and tempo.
#include "Form1Fixture.h"

#include "midi/MidiOut.h"
#include "platform/Resources.h"

#include <QLineEdit>
#include <QTest>

using namespace dzq;

namespace {

using Msgs = std::vector<uint32_t>;

uint32_t off(int channel, int note) { return packShortMsg(0x80 + channel, note, 0); }
uint32_t on(int channel, int note, int velocity) { return packShortMsg(0x90 + channel, note, velocity); }

// The note messages of release(n) and of sound(n) at the start-up velocities.
Msgs releaseOf(int n) { return {off(0, n), off(1, n), off(2, n), off(2, n - 5)}; }
Msgs soundOf(int n) { return {on(0, n, 85), on(1, n, 70), on(2, n, 55), on(2, n - 5, 55)}; }

Msgs operator+(Msgs a, const Msgs &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Note-ons and note-offs only (each note-on is preceded by its pan).
Msgs notes(const Msgs &msgs)
{
    Msgs out;
    for (const uint32_t m : msgs)
        if ((m & 0xE0) == 0x80)
            out.push_back(m);
    return out;
}

class MouseMelody : public test::Form1Test {
protected:
    bool shows(int key, int picture) const
    {
        return w.Picture1[std::size_t(key)]->picture().toImage() == LoadResPicture(picture).toImage();
    }
    QPoint windowPoint(int key, QPoint inside) const
    {
        return w.Picture1[std::size_t(key)]->mapTo(&w, inside);
    }
};

} // namespace

// In key B the top key sounds 111; after a key change the note the mouse
// struck in the old key is released too.
TEST_F(MouseMelody, KeyChangeReleasesTheNoteStruckInTheOldKey)
{
    w.Picture1_DragOver(5);
    env.take();
    w.YD->setListIndex(11);
    EXPECT_EQ(KeyBase, 47);
    w.Picture1_DragOver(64);
    EXPECT_EQ(notes(env.take()), releaseOf(52) + releaseOf(41) + soundOf(111));
    EXPECT_TRUE(shows(64, 103));
    EXPECT_TRUE(shows(5, 102));
}

TEST_F(MouseMelody, SilentVoicesEndTheLastNoteAndSoundNothing)
{
    w.Picture1_DragOver(4);
    env.take();
    // "0.无声" releases the voice's part of the last note, program kept.
    w.ComSounds[1]->setListIndex(0);
    EXPECT_EQ(env.take(), (Msgs{off(1, 40)}));
    EXPECT_EQ(MelodyProgram[1], 10);
    w.ComSounds[2]->setListIndex(0);
    EXPECT_EQ(env.take(), (Msgs{off(2, 40), off(2, 35)}));
    w.ComSounds[0]->setListIndex(0);
    EXPECT_EQ(env.take(), (Msgs{off(0, 40)}));

    w.Picture1_DragOver(3);
    EXPECT_EQ(env.take(), releaseOf(40));
    EXPECT_TRUE(shows(3, 105));
    EXPECT_TRUE(shows(4, 102));

    // A voice back on gets its program.
    w.ComSounds[1]->setListIndex(26);
    EXPECT_EQ(env.take(), (Msgs{packShortMsg(0xB1, 0, 0), packShortMsg(0xC1, 25, 0)}));
    EXPECT_EQ(MelodyProgram[1], 26);
}

TEST_F(MouseMelody, VibratoKeyAndVelocityBoxes)
{
    w.Check3[2]->setValue(1);
    EXPECT_EQ(env.take(), (Msgs{packShortMsg(0xB2, 1, 75), packShortMsg(0xB2, 65, 127), packShortMsg(0xB2, 5, 25),
                                packShortMsg(0xB2, 66, 100), packShortMsg(0xB2, 91, 100)}));
    w.Check3[2]->setValue(0);
    EXPECT_EQ(env.take(), (Msgs{packShortMsg(0xB2, 1, 0), packShortMsg(0xB2, 65, 0), packShortMsg(0xB2, 5, 0),
                                packShortMsg(0xB2, 66, 20), packShortMsg(0xB2, 91, 20)}));

    // Typing into the key box puts "C" back and keeps the chosen key.
    w.YD->setListIndex(2);
    QTest::keyClicks(w.YD->lineEdit(), QStringLiteral("x"));
    EXPECT_EQ(w.YD->text(), QStringLiteral("C"));
    EXPECT_EQ(w.YD->listIndex(), 2);
    EXPECT_EQ(KeyBase, 38);

    // Typed velocities: no number is 0, beyond a data byte is clamped.
    const auto typeVelocity = [&](const QString &text) {
        w.Zxlyl[0]->lineEdit()->clear();
        QTest::keyClicks(w.Zxlyl[0]->lineEdit(), text);
        w.Picture1_DragOver(0);
        const Msgs played = notes(env.take());
        return played.at(4) >> 16; // voice 0's note-on
    };
    EXPECT_EQ(typeVelocity(QStringLiteral("abc")), 0u);
    EXPECT_EQ(typeVelocity(QStringLiteral("300")), 127u);
    EXPECT_EQ(typeVelocity(QStringLiteral("40000")), 127u);
    EXPECT_EQ(typeVelocity(QStringLiteral("-5")), 0u);
    EXPECT_EQ(typeVelocity(QStringLiteral("99")), 99u);
    w.Zxlyl[0]->setListIndex(6);
    EXPECT_EQ(VoiceVelocity[0], 120);
}

TEST_F(MouseMelody, TempoFromTheListTheBoxAndThePresets)
{
    // The step time of the three clocks, when they agree.
    const auto intervals = [&] { return StepMs == w.BZDS->interval() && StepMs == w.Timer1->interval() ? StepMs : -1; };
    w.SD->setListIndex(0);
    EXPECT_EQ(intervals(), 188);

    // Refused texts never reach the clocks; leaving the box shows the tempo
    // the clocks keep.
    for (const QString &typed : {QStringLiteral("200"), QStringLiteral("abc"), QString(), QStringLiteral("39")}) {
        w.SD->setText(typed);
        w.SD_Click();
        EXPECT_EQ(StepMs, 188) << typed.toStdString();
        w.SD_LostFocus();
        EXPECT_EQ(w.SD->text(), QStringLiteral("39"));
        EXPECT_EQ(intervals(), 188);
    }
    w.SD->setListIndex(1);
    w.SD->setText(QStringLiteral("abc"));
    w.SD_LostFocus();
    EXPECT_EQ(w.SD->text(), QStringLiteral("44"));

    // A tempo between the list's entries is accepted on leaving the box, also
    // when the focus really leaves it.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.SD->setFocus();
    ASSERT_TRUE(w.SD->hasFocus());
    w.SD->setText(QStringLiteral("55"));
    w.SFYXYZ->setFocus();
    EXPECT_EQ(intervals(), 136);
    EXPECT_EQ(w.SD->text(), QStringLiteral("55"));

    // The presets 60, 80 and 100.
    const std::array<int, 3> presets{125, 94, 75};
    for (std::size_t i = 0; i < 3; ++i) {
        w.Option4[i]->setValue(true);
        EXPECT_EQ(intervals(), presets[i]) << i;
    }
    EXPECT_EQ(w.SD->text(), QStringLiteral("100"));
}

TEST_F(MouseMelody, DeviceChoiceReopensAndSendsTheVoicePrograms)
{
    env.midi.devices.push_back(std::make_unique<test::RecordingDevice>(QStringLiteral("外部音源")));
    ListMidiOutDevices(*w.ComDevies);
    ASSERT_EQ(w.ComDevies->count(), 2);
    // Voice 1 silenced by its list's change: its program is sent as -1.
    w.ComSounds[1]->setCurrentIndex(0);
    w.ComSounds_Change(1);
    env.take();
    const Msgs programs{packShortMsg(0xB0, 0, 0), packShortMsg(0xC0, 49, 0), packShortMsg(0xB1, 0, 0),
                        packShortMsg(0xC1, -1, 0), packShortMsg(0xB2, 0, 0), packShortMsg(0xC2, 54, 0)};

    w.ComDevies->setListIndex(1);
    test::RecordingDevice &external = *env.midi.devices[0];
    EXPECT_TRUE(external.isOpen);
    EXPECT_FALSE(env.synth().isOpen);
    EXPECT_EQ(external.sent, programs);

    w.ComDevies->setListIndex(0);
    EXPECT_FALSE(external.isOpen);
    EXPECT_EQ(env.take(), programs);

    // No device at all: nothing to choose, nothing opened or closed.
    const int opens = env.synth().opens, closes = env.synth().closes;
    w.ComDevies->clear();
    EXPECT_FALSE(w.ComDevies->setListIndex(0));
    w.ComDevies_Click();
    EXPECT_EQ(env.synth().opens, opens);
    EXPECT_EQ(env.synth().closes, closes);
    EXPECT_TRUE(env.take().empty());
}

TEST_F(MouseMelody, RealDragOverTheKeys)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (KeyPicture *key : w.Picture1)
        key->setEnabled(true);
    w.Label1->show();
    EXPECT_EQ(w.Picture1[0]->cursor().shape(), Qt::BitmapCursor);
    QWindow *win = w.windowHandle();
    const QPoint lowWhite(12, 100); // below the black keys

    // Every move strikes, also within the same key.
    QTest::mousePress(win, Qt::LeftButton, {}, windowPoint(0, lowWhite));
    EXPECT_EQ(notes(env.take()), releaseOf(36) + soundOf(36));
    EXPECT_TRUE(shows(0, 103));
    QTest::mouseMove(win, windowPoint(0, lowWhite + QPoint(1, 0)));
    EXPECT_EQ(notes(env.take()), releaseOf(36) + soundOf(36));
    QTest::mouseMove(win, windowPoint(2, lowWhite));
    EXPECT_EQ(notes(env.take()), releaseOf(36) + soundOf(38));
    EXPECT_TRUE(shows(0, 102) && shows(2, 103));
    // The upper part of the bed belongs to the black key lying above.
    QTest::mouseMove(win, windowPoint(1, QPoint(9, 30)));
    EXPECT_EQ(notes(env.take()), releaseOf(38) + soundOf(37));
    EXPECT_TRUE(shows(1, 105));
    QTest::mouseMove(win, w.Label1->geometry().center());
    EXPECT_EQ(env.take(), releaseOf(37));
    EXPECT_TRUE(shows(1, 104));
    EXPECT_EQ(w.LastNote, 1);
    QTest::mouseRelease(win, Qt::LeftButton, {}, w.Label1->geometry().center());

    // Without a button the keys stay quiet and the strip still mutes.
    QTest::mouseMove(win, windowPoint(5, lowWhite));
    EXPECT_TRUE(env.take().empty());
    QTest::mouseMove(win, w.Label1->geometry().center() + QPoint(0, 5));
    EXPECT_EQ(env.take(), releaseOf(37));

    // Disabled keys do not play.
    for (KeyPicture *key : w.Picture1)
        key->setEnabled(false);
    QTest::mousePress(win, Qt::LeftButton, {}, windowPoint(7, lowWhite));
    QTest::mouseRelease(win, Qt::LeftButton, {}, windowPoint(7, lowWhite));
    EXPECT_TRUE(env.take().empty());
}
