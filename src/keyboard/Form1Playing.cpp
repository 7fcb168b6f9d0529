// Playing from the computer keyboard through the focus button SFYXYZ, and the
// performance clock Timer1 that times the live notes, records their lengths
// into the score box and keeps the accompaniment in step.
#include "keyboard/Form1.h"

#include "keyboard/core/VirtualKeys.h"
#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "platform/EffectPlayer.h"
#include "platform/Resources.h"
#include "shared/Shared.h"

#include <QTextCursor>

#include <algorithm>

namespace dzq {

namespace {

// Longest length the score language writes, and the idle limit of a performance.
constexpr int MaxLiveTicks = 99;

// The length recorded for a note that has lasted `ticks` ticks: rounded up to
// an even number, 2 at least (a length 0 would never end when played back),
// 99 at most.
int recordedLength(int ticks)
{
    return std::clamp((ticks + 1) / 2 * 2, 2, MaxLiveTicks);
}

// Writes text into the score box where recording appends.
void insertIntoScore(QPlainTextEdit *box, qsizetype at, const QString &text)
{
    QTextCursor cursor(box->document());
    const qsizetype length = box->document()->characterCount() - 1;
    cursor.setPosition(int(std::clamp<qsizetype>(at, 0, length)));
    cursor.insertText(text);
    box->setTextCursor(cursor);
}

// Ends the live notes still sounding from earlier key presses: every one, or
// only those whose key is no longer held. A note struck without "抬手静音"
// and let go sounds on after its key-up, also when the box is ticked before
// the next note.
void releaseLiveNotes(Form1 &w, bool heldToo)
{
    for (std::size_t k = 0; k < w.KeySoundedMidi.size(); ++k)
        if (w.KeySoundedMidi[k] != 0 && (heldToo || !w.KeyIsDown[k])) {
            w.releaseNote(w.KeySoundedMidi[k]);
            w.KeySoundedMidi[k] = 0;
        }
}

} // namespace

void Form1::SFYXYZ_KeyDown(int keyCode, int shift)
{
    if (keyCode < 0 || keyCode >= KeyCodeCount)
        return;
    const auto k = std::size_t(keyCode);

    if (shift == ShiftBit) {
        // A key held with Shift repeats; only its first press toggles.
        if (!KeyIsDown[k]) {
            SyncToggle = !SyncToggle;
            if (SyncToggle) {
                Timer1->setEnabled(false);
                HX1K();
                Check5->setValue(1);
            } else {
                Check5->setValue(0);
            }
        }
        KeyIsDown[k] = true;
        return;
    }
    if (KeyIsDown[k])
        return;

    EffectKey = keyCode;
    // Records text behind the last recorded note: the length of what has been
    // sounding, then x. Nothing while the box is empty.
    const auto recordAfterLength = [this](const QString &x) {
        LiveNoteLength = recordedLength(LiveNoteTicks);
        if (!Text3->toPlainText().isEmpty())
            insertIntoScore(Text3, ScoreInsertPos, QString::number(LiveNoteLength) + x);
    };

    if (keyCode == vk::Decimal) {
        // The platform's default sound; not marked, so it repeats while held.
        EffectPlayer::instance().beep();
        return;
    }
    switch (keyCode) {
    case vk::Insert:
    case vk::Home:
    case vk::Prior:
    case vk::Delete:
    case vk::End:
    case vk::Next:
        XSWB->setText(PlaySoundEffect());
        break;
    case vk::Space:
        stopAllPlaying();
        recordAfterLength(QStringLiteral("TZ"));
        ScoreText = Text3->toPlainText();
        break;
    case vk::Back:
        notesOff({0, 1, 2});
        recordAfterLength(QStringLiteral("XZ"));
        // The rest is timed from its own start.
        if (Timer1->isRunning())
            LiveNoteTicks = 0;
        break;
    default:
        if (keyCode >= vk::F1 && keyCode <= vk::F12) {
            const int p = keyCode - vk::F1;
            // A preset outside the list (a damaged settings file) leaves its voice as it is.
            const auto valid = [&](std::size_t v) {
                return PresetTable[p][v] >= 0 && PresetTable[p][v] < ComSounds[v]->count();
            };
            for (std::size_t v = 0; v < 3; ++v)
                if (valid(v))
                    MelodyProgram[v] = PresetTable[p][v];
            for (std::size_t v = 0; v < 3; ++v)
                if (valid(v))
                    ComSounds[v]->setListIndex(MelodyProgram[v]);
            for (std::size_t v = 0; v < 3; ++v)
                MidiProgramChange(int(v), 0, ComSounds[v]->listIndex() - 1);
            XSWB->setText(QStringLiteral("你已经选择了\r\n       乐器组合 ") + QString::number(p + 1));
        } else if (isChordInstrumentKey(keyCode)) {
            MidiProgramChange(3, 0, KeyNoteTable[k] - 1);
            Combo1->setListIndex(KeyNoteTable[k]);
        } else if (isKeyChoiceKey(keyCode)) {
            PrevKeyBase = KeyBase;
            KeyBase = KeyNoteTable[k];
            YD->setListIndex(KeyHelpTable[k]);
            XSWB->setText(KeyNameTable[k]);
        } else if (keyCode >= vk::Numpad0 && keyCode <= vk::Numpad9) {
            KeypadDrumIndex = keyCode - vk::Numpad0;
            PlayKeypadDrum();
            const int entry = DrumKeyTable[std::size_t(KeypadDrumIndex)];
            if (entry >= 0 && entry < YQSZ[3]->count())
                XSWB->setText(YQSZ[3]->itemText(entry) + QStringLiteral("_打击乐"));
        } else if (keyCode == vk::Add) {
            if (Check5->value() == 1) {
                resetAccompCounters();
                Timer1->setInterval(StepMs);
                Timer1->setEnabled(true);
            } else {
                BzQd->setValue(1);
            }
        } else if (keyCode == vk::Subtract) {
            if (Check5->value() == 1) {
                resetAccompCounters();
                Timer1->setEnabled(false);
                // The accompaniment's chords end with it, as at the rhythm button.
                HX1K();
            } else {
                BzQd->setValue(0);
            }
        } else if (isNoteKey(keyCode)) {
            CurNote = KeyNoteTable[k];
            // The note sounds first; the display, the pressed key and the
            // score box follow it, as they cost more than the messages do.
            QString recorded;
            if (Check1->value() == 0) {
                const int prev = KeySoundedNote[std::size_t(PrevNoteKey)];
                releaseNote(prev + KeyBase);
                if (PrevKeyBase != KeyBase)
                    releaseNote(prev + PrevKeyBase);
                // The note the previous key really sounded, when the key has
                // changed more than once since.
                const int sounded = KeySoundedMidi[std::size_t(PrevNoteKey)];
                if (sounded != 0 && sounded != prev + KeyBase && sounded != prev + PrevKeyBase)
                    releaseNote(sounded);
                KeySoundedMidi[std::size_t(PrevNoteKey)] = 0;
                releaseLiveNotes(*this, true);
                if (Text3->document()->isEmpty()) {
                    recorded = KeyNameTable[k];
                } else {
                    LiveNoteLength = recordedLength(LiveNoteTicks);
                    recorded = QString::number(LiveNoteLength) + KeyNameTable[k];
                }
            } else {
                releaseLiveNotes(*this, false);
            }
            ScorePlaying = false;
            Timer1->setInterval(StepMs);
            LiveNoteTicks = 0;
            soundNote(CurNote + KeyBase);
            XSWB->setText(LoadResString(KeyHelpTable[k]));
            if (!recorded.isEmpty()) {
                showKeyDown(CurNote);
                insertIntoScore(Text3, ScoreInsertPos, recorded);
            }
            if (!Timer1->isEnabled()) {
                // The first note of a performance starts the accompaniment,
                // unless the rhythm clock is already playing it.
                if (!rhythmClockLeads()) {
                    if (Check5->value() == 1) {
                        MidiShortMsg(0xB9, 11, 127);
                        if (voiceOn(xuanyue)) {
                            ZHHXJ();
                            BZHX2();
                            BZHX();
                        }
                        PlayRhythmStep();
                    }
                    CurStep = 1;
                    AccompStep = 1;
                    ChordStep = 1;
                    AccompTick = 1;
                }
                LiveNoteTicks = 1;
            }
            Timer1->setEnabled(true);
            PrevNoteKey = keyCode;
            KeySoundedNote[k] = CurNote;
            KeySoundedMidi[k] = CurNote + KeyBase;
        }
        break;
    }
    KeyIsDown[k] = true;
}

void Form1::stopAllPlaying()
{
    Timer1->setEnabled(false);
    Timer3->setEnabled(false);
    notesOff({0, 1, 2, 3, 4});
    BzQd->setValue(0);
    showKeyUp(LastNote);
    Yuepu[0]->setText(QStringLiteral("试听"));
    resetAccompCounters();
    ScorePlaying = false;
    releaseLastNote();
    HX1K();
    Check6->setValue(0); // and the chord preview (its handler stops it)
}

void Form1::SFYXYZ_KeyUp(int keyCode, int)
{
    if (keyCode < 0 || keyCode >= KeyCodeCount)
        return;
    const auto k = std::size_t(keyCode);
    KeyIsDown[k] = false;
    if (!isNoteKey(keyCode))
        return;
    showKeyUp(KeyNoteTable[k]);
    if (Check1->value() == 1) {
        const int midi = KeyNoteTable[k] + KeyBase;
        releaseNote(midi);
        // The key may have changed since the note was struck.
        if (KeySoundedMidi[k] != 0 && KeySoundedMidi[k] != midi)
            releaseNote(KeySoundedMidi[k]);
        KeySoundedMidi[k] = 0;
    }
}

void Form1::SFYXYZ_Click()
{
    SFYXYZ->setEnabled(true);
    FJWZ->setText(QStringLiteral("现在允许演奏。。。"));
    SFYXYZ->setFocus();
    resetAccompCounters();
}

void Form1::SFYXYZ_GotFocus()
{
    for (KeyPicture *key : Picture1)
        key->setEnabled(true);
    Label1->show();
    resetAccompCounters();
    // A key released while the focus was elsewhere must not stay blocked.
    std::fill(KeyIsDown.begin() + 1, KeyIsDown.end(), false);
}

void Form1::SFYXYZ_LostFocus()
{
    for (KeyPicture *key : Picture1)
        key->setEnabled(false);
    Label1->hide();
}

void Form1::Text3_Change()
{
    // Recording always appends, also after the user has edited the box.
    ScoreInsertPos = Text3->toPlainText().size();
    File1->hide();
}

void Form1::Timer1_Timer()
{
    const bool accompany = !rhythmClockLeads();
    if (accompany) {
        expressionRamp(true);
        if (AccompTick == 0)
            HX1K();
        if (Check5->value() == 1 && AccompTick % 4 == 0)
            accompanimentStep(AccompClock::Performance);
    }

    if (++LiveNoteTicks > MaxLiveTicks) {
        // Idle for too long: the performance ends by itself.
        LiveNoteTicks = MaxLiveTicks;
        if (!Text3->toPlainText().isEmpty())
            insertIntoScore(Text3, ScoreInsertPos, QStringLiteral("99TZ"));
        ScoreText = Text3->toPlainText();
        Timer1->setEnabled(false);
        releaseLastNote();
        // The live notes themselves, which LastNote does not name.
        const auto prev = std::size_t(PrevNoteKey);
        if (KeySoundedMidi[prev] == LastNote + KeyBase)
            KeySoundedMidi[prev] = 0;
        releaseLiveNotes(*this, true);
        // The chord voices belong to the rhythm clock while it runs.
        if (accompany)
            HX1K();
    }
    LiveNoteLength = std::min((LiveNoteTicks + 1) / 2 * 2, MaxLiveTicks);
    if (accompany)
        advanceAccompTick();
}

void Form1::wirePlaying()
{
    connect(SFYXYZ, &KeyboardFocusButton::keyDown, this, [this](int vk, int shift) { SFYXYZ_KeyDown(vk, shift); });
    connect(SFYXYZ, &KeyboardFocusButton::keyUp, this, [this](int vk, int shift) { SFYXYZ_KeyUp(vk, shift); });
    connect(SFYXYZ, &QPushButton::clicked, this, [this] { SFYXYZ_Click(); });
    connect(SFYXYZ, &KeyboardFocusButton::gotFocus, this, [this] { SFYXYZ_GotFocus(); });
    connect(SFYXYZ, &KeyboardFocusButton::lostFocus, this, [this] { SFYXYZ_LostFocus(); });
    connect(Text3, &QPlainTextEdit::textChanged, this, [this] { Text3_Change(); });
    connect(Timer1, &StepTimer::timeout, this, [this] { Timer1_Timer(); });
}

} // namespace dzq
