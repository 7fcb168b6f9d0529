// Random sessions in the music editor, each ending with a stop: random edits
// (notes, chords, rests, end cells, drums, measures, time signatures, settings
// records), auditions, plays from the start, clock ticks, instrument, volume,
// key, tempo and device changes, then the stop button, the song played to its
// end, or the window closed. Afterwards no melody note may sound on any
// device, judged from the messages the fake devices received.
//
// DZQ_EDITOR_STUCK_SESSIONS sets how many run (100 by default), DZQ_STUCK_SEED
// the first seed; a failing session is printed with its seed and its actions.
#include "YYBJFixture.h"

#include "midi/HangingNotes.h"
#include "midi/Prepared.h"

#include <random>

namespace dzq::test {

namespace {

enum class Act { Melody, Drum, Measure, Insert, Count, Audition, PlayStart, Tick, Instrument, Volume, Key, Tempo,
                 Store, TimeSig, Device, ChordTime };

struct Action {
    Action(Act act, int a = 0, int b = 0, QString text = {}) : act(act), a(a), b(b), text(std::move(text)) {}
    Act act;
    int a;
    int b;
    QString text;
};

QString describe(const Action &x)
{
    static const QStringList names = QStringLiteral(
        "Melody Drum Measure Insert Count Audition PlayStart Tick Instrument Volume Key Tempo Store TimeSig Device "
        "ChordTime").split(QLatin1Char(' '));
    return QStringLiteral("%1(%2, %3%4)").arg(names.value(int(x.act))).arg(x.a).arg(x.b)
        .arg(x.text.isEmpty() ? QString() : QStringLiteral(", \"%1\"").arg(x.text));
}

// A melody line of random cells: notes, chords, holds, rests, now and then
// an end cell or something that is no token.
QString randomLine(std::mt19937 &rng, int cells)
{
    static const QStringList tokens = QStringLiteral(
        "KC KD KE KF KG KA KB LC WG HC HE MG CC FC GC AL BM CL -- -- -- -- XZ XZ TZ kc Q").split(QLatin1Char(' '));
    QString out;
    for (int i = 0; i < cells; ++i)
        out += tokens[int(rng() % uint32_t(tokens.size()))];
    return out;
}

std::vector<Action> randomSession(uint32_t seed)
{
    std::mt19937 rng(seed);
    const auto uniform = [&rng](int lo, int hi) { return lo + int(rng() % uint32_t(hi - lo + 1)); };
    std::vector<Action> out;
    const int n = uniform(5, 40);
    for (int i = 0; i < n; ++i) {
        const int r = uniform(0, 99);
        if (r < 20)
            out.push_back({Act::Melody, uniform(0, 6), 0, randomLine(rng, uniform(1, 16))});
        else if (r < 30)
            out.push_back({Act::Drum, uniform(0, 4), uniform(0, 15), QString()});
        else if (r < 35)
            out.push_back({Act::Measure, uniform(0, 3)});
        else if (r < 38)
            out.push_back({Act::Insert});
        else if (r < 40)
            out.push_back({Act::Count, uniform(1, 4)});
        else if (r < 47)
            out.push_back({Act::Audition});
        else if (r < 53)
            out.push_back({Act::PlayStart});
        else if (r < 73)
            out.push_back({Act::Tick, uniform(1, 20)});
        else if (r < 79)
            out.push_back({Act::Instrument, uniform(0, 6), uniform(0, 3) == 0 ? 0 : uniform(1, 128)});
        else if (r < 82)
            out.push_back({Act::Volume, uniform(0, 11), uniform(0, 10)});
        else if (r < 87)
            out.push_back({Act::Key, uniform(0, 11)});
        else if (r < 89)
            out.push_back({Act::Tempo, uniform(0, 18)});
        else if (r < 92)
            out.push_back({Act::Store});
        else if (r < 94)
            out.push_back({Act::TimeSig, uniform(0, 2)});
        else if (r < 96)
            out.push_back({Act::Device, uniform(0, 2)});
        else
            out.push_back({Act::ChordTime});
    }
    // The end: 0 the stop button, 1 played to the end, 2 the window closed.
    out.push_back({Act::ChordTime, uniform(0, 2)});
    return out;
}

class EditorSession : public YYBJTest {
public:
    EditorSession()
    {
        for (int i = 0; i < 2; ++i)
            env.midi.devices.push_back(std::make_unique<RecordingDevice>(QStringLiteral("外接设备 %1").arg(i + 1)));
        ListMidiOutDevices(*w->ComDevies);
        dropChordNotes();
    }
    ~EditorSession() override { dropChordNotes(); }
    void TestBody() override {}

    void tick()
    {
        if (w->YYDS->isEnabled())
            w->YYDS_Timer();
    }

    void run(const Action &x)
    {
        switch (x.act) {
        case Act::Melody:
            w->YF1[std::size_t(x.a)]->setText(x.text);
            w->YF1_LostFocus(x.a);
            break;
        case Act::Drum: {
            auto &row = w->percussionRow(x.a);
            if (std::size_t(x.b) < row.size())
                row[std::size_t(x.b)]->setValue(row[std::size_t(x.b)]->value() == 1 ? 0 : 1);
            break;
        }
        case Act::Measure:
            w->HScroll1->setValue(x.a);
            break;
        case Act::Insert:
            w->CHARU->click();
            break;
        case Act::Count:
            env.messages.inputs.push_back(QString::number(x.a));
            w->ZDXJZS->click();
            break;
        case Act::Audition:
            w->ST1->click();
            break;
        case Act::PlayStart:
            w->ST2->click();
            break;
        case Act::Tick:
            for (int i = 0; i < x.a; ++i)
                tick();
            break;
        case Act::Instrument:
            w->SYYQ[std::size_t(x.a)]->setListIndex(x.b);
            break;
        case Act::Volume:
            w->YQYL[std::size_t(x.a)]->setListIndex(x.b);
            break;
        case Act::Key:
            w->DQYD->setListIndex(x.a);
            break;
        case Act::Tempo:
            w->DQSUDU->setListIndex(x.a);
            break;
        case Act::Store:
            w->BCBXJ->click();
            break;
        case Act::TimeSig:
            w->JPFL[std::size_t(x.a)]->click();
            break;
        case Act::Device:
            w->ComDevies->setListIndex(x.a);
            break;
        case Act::ChordTime:
            flushChordNotes(-1);
            break;
        }
    }

    void end(int how)
    {
        if (how == 0) {
            // The stop button of a song that plays; an audition (which has
            // no stop) runs to its end; a song that does not play is started
            // and stopped a few steps later.
            if (w->ST2->value() == 1) {
                w->ST2->click();
            } else if (w->YYDS->isEnabled()) {
                for (int i = 0; i < 100 && w->YYDS->isEnabled(); ++i)
                    tick();
            } else {
                w->ST2->click();
                for (int i = 0; i < 5; ++i)
                    tick();
                if (w->ST2->value() == 1)
                    w->ST2->click();
            }
        } else if (how == 1) {
            if (!w->YYDS->isEnabled())
                w->ST2->click();
            for (int i = 0; i < 5000 && w->YYDS->isEnabled(); ++i)
                tick();
        } else {
            w->close();
            deletePending();
        }
        flushChordNotes(-1);
    }

    QString faults()
    {
        QString out;
        std::vector<RecordingDevice *> devices{env.midi.mapperDevice.get()};
        for (auto &d : env.midi.devices)
            devices.push_back(d.get());
        for (RecordingDevice *d : devices) {
            const std::vector<HangingNote> hanging = hangingNotes(d->sent);
            if (!hanging.empty())
                out += d->name() + QStringLiteral(":\n") + describeHangingNotes(hanging);
        }
        return out;
    }
};

QString runSession(const std::vector<Action> &actions)
{
    EditorSession s;
    for (std::size_t i = 0; i + 1 < actions.size(); ++i)
        s.run(actions[i]);
    s.end(actions.back().a);
    return s.faults();
}

int envNumber(const char *name, int fallback)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok ? n : fallback;
}

} // namespace

TEST(EditorStuckNotes, RandomSessionsEndSilent)
{
    const int sessions = envNumber("DZQ_EDITOR_STUCK_SESSIONS", 100);
    const auto first = uint32_t(envNumber("DZQ_STUCK_SEED", 1));
    int failures = 0;
    for (int i = 0; i < sessions && failures < 3; ++i) {
        const uint32_t seed = first + uint32_t(i);
        const std::vector<Action> actions = randomSession(seed);
        const QString fault = runSession(actions);
        if (fault.isEmpty())
            continue;
        ++failures;
        QString steps;
        for (const Action &x : actions)
            steps += QStringLiteral("  ") + describe(x) + QLatin1Char('\n');
        ADD_FAILURE() << "seed " << seed << ":\n" << qPrintable(fault) << "after:\n" << qPrintable(steps);
    }
}

} // namespace dzq::test
