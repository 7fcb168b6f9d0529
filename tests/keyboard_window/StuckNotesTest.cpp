// Random playing sessions on the main window, each ending with a stop: after
// it no note may sound on any device, judged from the messages the fake
// devices received (hold pedals included). A device let go of (another one
// chosen, the exit) must have been told to end what it sounds. Every tenth
// session also writes the --midi-log file, which must end silent as well.
//
// Sessions are made from a seed. DZQ_STUCK_SESSIONS sets how many run (300 by
// default), DZQ_STUCK_SEED the first seed; a failing session is printed with
// its seed and shrunk to the fewest actions that still fail. The faults they
// found have tests of their own among the playing tests.
#include "Form1Fixture.h"

#include "keyboard/Form1.h"
#include "keyboard/core/VirtualKeys.h"
#include "midi/HangingNotes.h"
#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "midi/devices/MidiLogFile.h"
#include "platform/AppPaths.h"
#include "platform/Resources.h"
#include "shared/Shared.h"
#include "startup/Form3.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

using namespace dzq;

namespace {

// ---- actions ------------------------------------------------------------------

enum class Act {
    KeyDown,     // a: key code, b: shift argument
    KeyUp,       // a: key code
    Release,     // Check1 "抬手静音": a
    Drag,        // the mouse drags over on-screen key a
    Mute,        // the mouse passes over the mute strip
    ScoreText,   // the score box holds text
    ScoreButton, // Yuepu(a) pressed (0 play/stop, 2 open, 3 clear, 4 save; dialogs cancelled)
    Tick,        // b rounds; each ticks the running clocks (a: 0 all, 1 Timer1, 2 Timer3, 3 BZDS, 4 HXYS)
    Rhythm,      // BzQd set to a
    Preview,     // Check6 set to a
    Sync,        // Check5 set to a
    KeyList,     // YD list index a
    Instrument,  // list a (0..2 ComSounds, 3..5 Combo1..3, 6 xuanyue) set to index b
    Vibrato,     // Check3(a) set to b
    Velocity,    // velocity list a (0..2 Zxlyl, 3 HxYL) set to index b
    Metre,       // Option1(a)
    Progression, // text typed into Text6
    NewChords,   // the random progression button
    Activate,    // the window shown again
    Device,      // ComDevies list index a
    ChordTime,   // time passes: chord notes waiting for their turn are sent
    // The session's end.
    StopSpace,
    StopScore,   // the score's stop button; when no score plays, text is played a ticks first
    StopTZ,      // a score ending in "TZ" (text) played to its end
    StopRhythm,  // the rhythm button; when it is off, the rhythm runs a ticks first
    Exit,        // the exit button
};

struct Action {
    Action(Act act, int a = 0, int b = 0, QString text = {}) : act(act), a(a), b(b), text(std::move(text)) {}
    Act act;
    int a;
    int b;
    QString text;
};

// One line of the shrunk session's report: "KeyDown(71, 0)", "ScoreText(0, 0, "KC8")".
QString describe(const Action &x)
{
    static const QStringList names = QStringLiteral(
        "KeyDown KeyUp Release Drag Mute ScoreText ScoreButton Tick Rhythm Preview Sync KeyList Instrument Vibrato "
        "Velocity Metre Progression NewChords Activate Device ChordTime StopSpace StopScore StopTZ StopRhythm Exit")
        .split(QLatin1Char(' '));
    QString out = QStringLiteral("%1(%2, %3").arg(names.value(int(x.act))).arg(x.a).arg(x.b);
    if (!x.text.isEmpty())
        out += QStringLiteral(", \"%1\"").arg(x.text);
    return out + QLatin1Char(')');
}

// ---- random sessions ------------------------------------------------------

using Rng = std::mt19937;

int uniform(Rng &rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
bool chance(Rng &rng, double p) { return std::bernoulli_distribution(p)(rng); }

template <typename T>
const T &pick(Rng &rng, const std::vector<T> &v)
{
    return v[std::size_t(uniform(rng, 0, int(v.size()) - 1))];
}

std::vector<int> keysWhere(bool (*kind)(int))
{
    std::vector<int> out;
    for (int k = 0; k < KeyCodeCount; ++k)
        if (kind(k))
            out.push_back(k);
    return out;
}

int randomKey(Rng &rng)
{
    static const std::vector<int> noteKeys = keysWhere(isNoteKey);
    static const std::vector<int> keyChoice = keysWhere(isKeyChoiceKey);
    static const std::vector<int> chordInstrument = keysWhere(isChordInstrumentKey);
    static const std::vector<int> effects{vk::Insert, vk::Home, vk::Prior, vk::Delete, vk::End, vk::Next};
    static const std::vector<int> others{vk::Tab, vk::Return, vk::Control, 37, 38, 39, 40, vk::Multiply, vk::Divide};
    const int r = uniform(rng, 0, 99);
    if (r < 50) return pick(rng, noteKeys);
    if (r < 60) return pick(rng, keyChoice);
    if (r < 64) return pick(rng, chordInstrument);
    if (r < 70) return uniform(rng, vk::F1, vk::F12);
    if (r < 74) return vk::Back;
    if (r < 76) return vk::Space;
    if (r < 82) return uniform(rng, vk::Numpad0, vk::Numpad9);
    if (r < 88) return chance(rng, 0.5) ? vk::Add : vk::Subtract;
    if (r < 89) return vk::Decimal;
    if (r < 94) return pick(rng, effects);
    return pick(rng, others);
}

const std::vector<QString> &noteNames()
{
    static const std::vector<QString> names = [] {
        std::vector<QString> out;
        for (int offset = 0; offset <= HighestNoteOffset; ++offset)
            if (const QString name = noteName(offset); !name.isEmpty())
                out.push_back(name);
        return out;
    }();
    return names;
}

// Notes (mostly short), rests, every command with numbers in and out of
// range, now and then a wrong pair, a chord name or an early "TZ"; a clean
// score has neither.
QString randomScore(Rng &rng, int tokens, bool clean = false)
{
    QString s;
    for (int i = 0; i < tokens; ++i) {
        const int r = uniform(rng, 0, clean ? 89 : 99);
        bool number = true;
        if (r < 60) {
            s += pick(rng, noteNames());
        } else if (r < 68) {
            s += QStringLiteral("XZ");
        } else if (r < 74) {
            s += QStringLiteral("YD") + QString::number(uniform(rng, 0, 13));
            number = false;
        } else if (r < 79) {
            s += QStringLiteral("VS") + QString::number(uniform(rng, 0, 21));
            number = false;
        } else if (r < 84) {
            static const std::vector<int> jp{1, 2, 3, 4, 99};
            s += QStringLiteral("JP") + QString::number(pick(rng, jp));
            number = false;
        } else if (r < 90) {
            s += QStringLiteral("YQ") + QString::number(uniform(rng, 0, 14));
            number = false;
        } else if (r < 93) {
            s += QStringLiteral("TZ");
        } else {
            static const std::vector<QString> wrong{QStringLiteral("CL"), QStringLiteral("MA"), QStringLiteral("kc"),
                                                    QStringLiteral("--"), QStringLiteral(" ")};
            s += pick(rng, wrong);
        }
        if (number) {
            const int n = uniform(rng, 0, 9);
            if (n < 6)
                s += QString::number(uniform(rng, 1, 8));
            else if (n == 6)
                s += QStringLiteral("0");
            else if (n == 7)
                s += QString::number(uniform(rng, 9, 40));
        }
    }
    return s;
}

QString randomProgression(Rng &rng)
{
    QString s;
    const int n = uniform(rng, 0, 8);
    for (int i = 0; i < n; ++i)
        s += QChar(u'1' + uniform(rng, 0, 6));
    if (chance(rng, 0.05))
        s += QStringLiteral("9"); // refused
    return s;
}

std::vector<Action> randomSession(uint32_t seed)
{
    Rng rng(seed);
    std::vector<Action> out;
    std::vector<int> held;
    const int length = uniform(rng, 5, 160);
    for (int i = 0; i < length; ++i) {
        const int r = uniform(rng, 0, 999);
        if (r < 250) {
            const int key = randomKey(rng);
            const int shift = key == vk::Shift ? ShiftBit : (chance(rng, 0.02) ? ShiftBit : 0);
            out.push_back({Act::KeyDown, key, shift});
            if (std::find(held.begin(), held.end(), key) == held.end())
                held.push_back(key);
        } else if (r < 280) {
            out.push_back({Act::KeyDown, vk::Shift, ShiftBit});
            out.push_back({Act::KeyUp, vk::Shift});
        } else if (r < 420) {
            if (!held.empty() && chance(rng, 0.85)) {
                const auto at = held.begin() + uniform(rng, 0, int(held.size()) - 1);
                out.push_back({Act::KeyUp, *at});
                held.erase(at);
            } else {
                out.push_back({Act::KeyUp, randomKey(rng)});
            }
        } else if (r < 440) {
            out.push_back({Act::Release, uniform(rng, 0, 1)});
        } else if (r < 500) {
            // A drag: a walk over neighbouring keys, sometimes onto the strip.
            int key = uniform(rng, 0, OnScreenKeyCount - 1);
            for (int n = uniform(rng, 1, 8); n > 0; --n) {
                out.push_back({Act::Drag, key});
                key = std::clamp(key + uniform(rng, -2, 2), 0, OnScreenKeyCount - 1);
            }
            if (chance(rng, 0.5))
                out.push_back({Act::Mute});
        } else if (r < 510) {
            out.push_back({Act::Mute});
        } else if (r < 545) {
            out.push_back({Act::ScoreText, 0, 0, randomScore(rng, uniform(rng, 1, 14))});
        } else if (r < 585) {
            static const std::vector<int> buttons{0, 0, 0, 0, 0, 2, 3, 4};
            out.push_back({Act::ScoreButton, pick(rng, buttons)});
        } else if (r < 800) {
            out.push_back({Act::Tick, chance(rng, 0.8) ? 0 : uniform(rng, 1, 4), uniform(rng, 1, 24)});
        } else if (r < 830) {
            out.push_back({Act::Rhythm, uniform(rng, 0, 1)});
        } else if (r < 855) {
            out.push_back({Act::Preview, uniform(rng, 0, 1)});
        } else if (r < 875) {
            out.push_back({Act::Sync, uniform(rng, 0, 1)});
        } else if (r < 895) {
            out.push_back({Act::KeyList, uniform(rng, 0, 11)});
        } else if (r < 925) {
            out.push_back({Act::Instrument, uniform(rng, 0, 6), chance(rng, 0.3) ? 0 : uniform(rng, 1, 128)});
        } else if (r < 935) {
            if (chance(rng, 0.6))
                out.push_back({Act::Vibrato, uniform(rng, 0, 2), uniform(rng, 0, 1)});
            else
                out.push_back({Act::Velocity, uniform(rng, 0, 3), uniform(rng, 0, 7)});
        } else if (r < 940) {
            out.push_back({Act::Metre, uniform(rng, 0, 2)});
        } else if (r < 945) {
            out.push_back({Act::Progression, 0, 0, randomProgression(rng)});
        } else if (r < 952) {
            out.push_back({Act::NewChords});
        } else if (r < 958) {
            out.push_back({Act::Activate});
        } else if (r < 972) {
            out.push_back({Act::Device, uniform(rng, 0, 2)});
        } else {
            out.push_back({Act::ChordTime});
        }
    }
    switch (uniform(rng, 0, 9)) {
    case 0: case 1: case 2: out.push_back({Act::StopSpace}); break;
    case 3: case 4:
        out.push_back({Act::StopScore, uniform(rng, 0, 40), 0, randomScore(rng, uniform(rng, 1, 12), true)});
        break;
    case 5: case 6:
        out.push_back({Act::StopTZ, 0, 0, randomScore(rng, uniform(rng, 0, 6), true) + QStringLiteral("TZ")});
        break;
    case 7: case 8: out.push_back({Act::StopRhythm, uniform(rng, 0, 40)}); break;
    default: out.push_back({Act::Exit}); break;
    }
    if (chance(rng, 0.2) && out.back().act != Act::Exit)
        out.push_back({Act::Exit});
    return out;
}

// ---- a session on a fresh window ------------------------------------------

constexpr int ExtraDevices = 2;
constexpr int WindDownRounds = 5000;

class Session {
public:
    // logged: every message also goes to a --midi-log file, which must end
    // silent as well.
    explicit Session(bool logged)
    {
        for (int i = 0; i < ExtraDevices; ++i)
            env.midi.devices.push_back(std::make_unique<test::RecordingDevice>(QStringLiteral("外接设备 %1").arg(i + 1)));
        AppDir = data.path() + QLatin1Char('/');
        QDir(data.path()).mkpath(scoreFolderName());
        QDir(data.path()).mkpath(effectsFolderName());
        copyMissingFiles(QStringLiteral(DZQ_SOURCE_DIR "/resources/samples"), AppDir + scoreFolderName());
        fillChordTable(LoadResString(510));
        w = std::make_unique<Form1>();
        w->Form_Load();
        w->buildRhythmCells();
        w->BZXS();
        w->readSettings();
        w->show();
        if (logged) {
            log = std::make_unique<MidiLogFile>(data.filePath(QStringLiteral("midi.log")));
            setMidiTap(log.get());
        }
    }
    ~Session()
    {
        for (StepTimer *clock : {w->Timer1, w->Timer2, w->Timer3, w->BZDS, w->HXYS})
            clock->setEnabled(false);
        w.reset();
        for (QWidget *top : QApplication::topLevelWidgets())
            if (qobject_cast<Form3 *>(top))
                delete top;
    }

    // The first fault of the actions, or an empty text.
    QString run(const std::vector<Action> &actions)
    {
        for (std::size_t i = 0; i < actions.size() && fault.isEmpty(); ++i) {
            silentAtEnd = false;
            apply(actions[i]);
        }
        if (log && fault.isEmpty() && silentAtEnd) {
            setMidiTap(nullptr);
            log.reset(); // writes what is left
            const MidiLogMessages read = readMidiLogMessages(data.filePath(QStringLiteral("midi.log")));
            if (!read.ok || read.badLines != 0)
                fault = QStringLiteral("the message log cannot be read back: ") + read.error;
            else if (const auto hanging = hangingNotes(read.msgs); !hanging.empty())
                fault = QStringLiteral("the message log ends with:\n") + describeHangingNotes(hanging);
        }
        return fault;
    }

private:
    std::vector<test::RecordingDevice *> devices()
    {
        std::vector<test::RecordingDevice *> out{env.midi.mapperDevice.get()};
        for (const auto &d : env.midi.devices)
            out.push_back(d.get());
        return out;
    }

    static void sendWaitingChordNotes()
    {
        for (int channel = 0; channel < 16; ++channel)
            flushChordNotes(channel);
    }

    // Hanging notes on every device, chord notes waiting for their turn sent first.
    QString checkSilence(const QString &when)
    {
        sendWaitingChordNotes();
        QString out;
        for (test::RecordingDevice *d : devices())
            if (const auto hanging = hangingNotes(d->sent); !hanging.empty())
                out += QStringLiteral("%1, device %2:\n%3").arg(when, d->name(), describeHangingNotes(hanging));
        silentAtEnd = out.isEmpty();
        return out;
    }

    // One tick of each running clock (which 0), or of clock which only.
    void tickRound(int which)
    {
        const auto due = [which](int n, StepTimer *clock) { return (which == 0 || which == n) && clock->isRunning(); };
        if (due(1, w->Timer1)) w->Timer1_Timer();
        if (due(2, w->Timer3)) w->Timer3_Timer();
        if (due(3, w->BZDS)) w->BZDS_Timer();
        if (due(4, w->HXYS)) w->HXYS_Timer();
    }

    void pressScoreButton(int index)
    {
        w->Yuepu_MouseDown(index);
        w->Yuepu_Click(index);
    }

    bool scoreRuns() const { return w->ScorePlaying || w->Timer3->isRunning(); }

    // The score's button until the score has stopped. A note key played
    // meanwhile marks the score as not playing while its clock runs on: the
    // first press then starts it again from its beginning, the second stops it.
    void stopScore()
    {
        for (int press = 0; press < 2 && scoreRuns(); ++press)
            pressScoreButton(0);
    }

    // The player lets go of every key before the stop, as a held key may
    // sound on. Before a stop that leaves the live melody alone (the score's
    // stop, the rhythm button) the player ends that too: a note struck without
    // "抬手静音" sounds until the next note key or the performance clock's idle
    // end; when that clock was stopped (Shift, keypad -, the clear button) the
    // rest key ends it. The mouse's note sounds until the mute strip.
    enum class Melody { Stopped, Kept, KeptWithMouse };
    void letGo(Melody melody)
    {
        for (int k = 0; k < KeyCodeCount; ++k)
            if (w->KeyIsDown[std::size_t(k)])
                w->SFYXYZ_KeyUp(k, 0);
        if (melody == Melody::Stopped)
            return;
        if (!w->Timer1->isRunning()) {
            w->SFYXYZ_KeyDown(vk::Back, 0);
            w->SFYXYZ_KeyUp(vk::Back, 0);
        }
        if (melody == Melody::KeptWithMouse)
            w->Label1_MouseMove();
    }

    // After the chosen stop the rhythm, which never ends by itself, is
    // stopped by its button; whatever else still runs ends as it ends by
    // itself (the idle performance, the score, the chord preview).
    void windDown()
    {
        if (w->BzQd->value() == 1)
            w->BzQd->setValue(0);
        for (int round = 0; round < WindDownRounds; ++round) {
            if (!w->Timer1->isRunning() && !w->Timer3->isRunning() && !w->HXYS->isRunning())
                break;
            tickRound(0);
        }
        QStringList running;
        const std::pair<StepTimer *, const char *> clocks[] = {
            {w->Timer1, "Timer1"}, {w->Timer3, "Timer3"}, {w->BZDS, "BZDS"}, {w->HXYS, "HXYS"}};
        for (const auto &[clock, name] : clocks)
            if (clock->isRunning())
                running << QString::fromLatin1(name);
        if (!running.isEmpty())
            fault = QStringLiteral("still running after the stop: %1\n").arg(running.join(QLatin1Char(' ')));
        else
            fault = checkSilence(QStringLiteral("after the stop"));
    }

    void apply(const Action &x)
    {
        if (exited)
            return;
        switch (x.act) {
        case Act::KeyDown: w->SFYXYZ_KeyDown(x.a, x.b); break;
        case Act::KeyUp: w->SFYXYZ_KeyUp(x.a, 0); break;
        case Act::Release: w->Check1->setValue(x.a); break;
        case Act::Drag: w->Picture1_DragOver(x.a); break;
        case Act::Mute: w->Label1_MouseMove(); break;
        case Act::ScoreText: w->Text3->setPlainText(x.text); break;
        case Act::ScoreButton: pressScoreButton(x.a); break;
        case Act::Tick:
            for (int i = 0; i < x.b; ++i)
                tickRound(x.a);
            break;
        case Act::Rhythm: w->BzQd->setValue(x.a); break;
        case Act::Preview: w->Check6->setValue(x.a); break;
        case Act::Sync: w->Check5->setValue(x.a); break;
        case Act::KeyList: w->YD->setListIndex(x.a); break;
        case Act::Instrument: {
            const std::array<ChoiceList *, 7> lists{w->ComSounds[0], w->ComSounds[1], w->ComSounds[2], w->Combo1,
                                                    w->Combo2, w->Combo3, w->xuanyue};
            lists[std::size_t(x.a)]->setListIndex(x.b);
            break;
        }
        case Act::Vibrato: w->Check3[std::size_t(x.a)]->setValue(x.b); break;
        case Act::Velocity: {
            ChoiceList *list = x.a < 3 ? w->Zxlyl[std::size_t(x.a)] : w->HxYL;
            list->setListIndex(std::min(x.b, list->count() - 1));
            break;
        }
        case Act::Metre: w->Option1[std::size_t(x.a)]->setValue(true); break;
        case Act::Progression:
            w->Text6_GotFocus();
            w->Text6->setPlainText(x.text);
            w->Text6_LostFocus();
            break;
        case Act::NewChords: w->Command3_Click(); break;
        case Act::Activate: w->Form_Activate(); break;
        case Act::Device: {
            MidiDevice *before = openMidiDevice();
            w->ComDevies->setListIndex(x.a);
            for (test::RecordingDevice *d : devices())
                if (d == before)
                    if (const auto hanging = hangingNotes(d->sent); !hanging.empty())
                        fault = QStringLiteral("device %1 let go of while sounding:\n%2")
                                    .arg(d->name(), describeHangingNotes(hanging));
            break;
        }
        case Act::ChordTime: sendWaitingChordNotes(); break;
        case Act::StopSpace:
            letGo(Melody::Stopped);
            w->SFYXYZ_KeyDown(vk::Space, 0);
            w->SFYXYZ_KeyUp(vk::Space, 0);
            windDown();
            break;
        case Act::StopScore:
            if (!scoreRuns()) {
                w->Text3->setPlainText(x.text);
                pressScoreButton(0);
                for (int i = 0; i < x.a; ++i)
                    tickRound(0);
            }
            letGo(Melody::Kept);
            stopScore();
            windDown();
            break;
        case Act::StopTZ:
            letGo(Melody::Stopped);
            stopScore();
            w->Text3->setPlainText(x.text);
            pressScoreButton(0);
            for (int round = 0; round < WindDownRounds && w->Timer3->isRunning(); ++round)
                tickRound(0);
            windDown();
            break;
        case Act::StopRhythm:
            if (w->BzQd->value() == 0) {
                w->BzQd->setValue(1);
                for (int i = 0; i < x.a; ++i)
                    tickRound(0);
            }
            letGo(Melody::KeptWithMouse);
            w->BzQd->setValue(0);
            windDown();
            break;
        case Act::Exit:
            w->Command1_Click();
            exited = true;
            fault = checkSilence(QStringLiteral("after the exit"));
            break;
        }
    }

    test::Environment env;
    QTemporaryDir data;
    std::unique_ptr<Form1> w;
    std::unique_ptr<MidiLogFile> log;
    QString fault;
    bool exited = false;
    bool silentAtEnd = false;
};

QString runSession(const std::vector<Action> &actions, bool logged)
{
    Session s(logged);
    return s.run(actions);
}

// The fewest actions (removing runs of them, then single ones) that still fail.
std::vector<Action> shrink(std::vector<Action> actions, bool logged)
{
    for (std::size_t chunk = actions.size() / 2; chunk >= 1; chunk /= 2) {
        for (std::size_t at = 0; at + chunk <= actions.size();) {
            std::vector<Action> fewer = actions;
            fewer.erase(fewer.begin() + std::ptrdiff_t(at), fewer.begin() + std::ptrdiff_t(at + chunk));
            if (!runSession(fewer, logged).isEmpty())
                actions = std::move(fewer);
            else
                at += chunk;
        }
    }
    return actions;
}

int envNumber(const char *name, int fallback)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok ? n : fallback;
}

} // namespace

TEST(StuckNotes, RandomSessionsEndSilent)
{
    const int sessions = envNumber("DZQ_STUCK_SESSIONS", 300);
    const auto first = uint32_t(envNumber("DZQ_STUCK_SEED", 1));
    int failures = 0;
    for (int i = 0; i < sessions && failures < 3; ++i) {
        const uint32_t seed = first + uint32_t(i);
        const std::vector<Action> actions = randomSession(seed);
        const bool logged = seed % 10 == 0;
        const QString fault = runSession(actions, logged);
        if (fault.isEmpty())
            continue;
        ++failures;
        const std::vector<Action> minimal = shrink(actions, logged);
        QString steps;
        for (const Action &x : minimal)
            steps += QStringLiteral("  ") + describe(x) + QLatin1Char('\n');
        ADD_FAILURE() << "seed " << seed << " (DZQ_STUCK_SEED=" << seed << " DZQ_STUCK_SESSIONS=1):\n"
                      << qPrintable(fault) << "shrunk to " << minimal.size() << " of " << actions.size()
                      << " actions:\n" << qPrintable(steps) << qPrintable(runSession(minimal, logged));
    }
    RecordProperty("sessions", sessions);
}
