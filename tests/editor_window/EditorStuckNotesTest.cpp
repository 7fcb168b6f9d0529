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

#include <functional>
#include <random>

namespace dzq::test {

namespace {

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
    using YYBJTest::env;
    using YYBJTest::w;

    void tick(int rounds)
    {
        for (int i = 0; i < rounds && w->YYDS->isEnabled(); ++i)
            w->YYDS_Timer();
    }

    // The end: 0 the stop button (an audition, which has none, runs out; a
    // song that does not play is started and stopped), 1 played to its end,
    // 2 the window closed.
    void end(int how)
    {
        const bool playing = w->YYDS->isEnabled();
        if (how == 2) {
            w->close();
            deletePending();
        } else if (how == 1 || (playing && w->ST2->value() != 1)) {
            if (!playing)
                w->ST2->click();
            tick(5000);
        } else {
            if (!playing) {
                w->ST2->click();
                tick(5);
            }
            if (w->ST2->value() == 1)
                w->ST2->click();
        }
        flushChordNotes(-1);
    }

    QString faults()
    {
        QString out;
        std::vector<RecordingDevice *> devices{env.midi.mapperDevice.get()};
        for (auto &d : env.midi.devices)
            devices.push_back(d.get());
        for (RecordingDevice *d : devices)
            if (const std::vector<HangingNote> hanging = hangingNotes(d->sent); !hanging.empty())
                out += d->name() + QStringLiteral(":\n") + describeHangingNotes(hanging);
        return out;
    }
};

// One action: its name and what it does, with its random arguments.
struct Action {
    QString name;
    std::function<void(EditorSession &)> run;
};

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
    // Weights out of 100, in order.
    using Make = std::function<Action()>;
    const std::vector<std::pair<int, Make>> kinds{
        {20, [&] { const int l = uniform(0, 6); const QString t = randomLine(rng, uniform(1, 16));
                   return Action{QStringLiteral("melody %1 %2").arg(l).arg(t),
                                 [l, t](EditorSession &s) { s.w->YF1[std::size_t(l)]->setText(t); s.w->YF1_LostFocus(l); }}; }},
        {10, [&] { const int r = uniform(0, 4), k = uniform(0, 15);
                   return Action{QStringLiteral("drum %1 %2").arg(r).arg(k), [r, k](EditorSession &s) {
                       CheckBox *box = s.w->percussionRow(r).at(std::size_t(k));
                       box->setValue(1 - box->value()); }}; }},
        {5, [&] { const int m = uniform(0, 3);
                  return Action{QStringLiteral("measure %1").arg(m), [m](EditorSession &s) { s.w->HScroll1->setValue(m); }}; }},
        {3, [&] { return Action{QStringLiteral("insert"), [](EditorSession &s) { s.w->CHARU->click(); }}; }},
        {2, [&] { const int n = uniform(1, 4);
                  return Action{QStringLiteral("count %1").arg(n), [n](EditorSession &s) {
                      s.env.messages.inputs.push_back(QString::number(n)); s.w->ZDXJZS->click(); }}; }},
        {7, [&] { return Action{QStringLiteral("audition"), [](EditorSession &s) { s.w->ST1->click(); }}; }},
        {6, [&] { return Action{QStringLiteral("play/stop"), [](EditorSession &s) { s.w->ST2->click(); }}; }},
        {20, [&] { const int n = uniform(1, 20);
                   return Action{QStringLiteral("tick %1").arg(n), [n](EditorSession &s) { s.tick(n); }}; }},
        {6, [&] { const int l = uniform(0, 6), i = uniform(0, 3) == 0 ? 0 : uniform(1, 128);
                  return Action{QStringLiteral("instrument %1 %2").arg(l).arg(i),
                                [l, i](EditorSession &s) { s.w->SYYQ[std::size_t(l)]->setListIndex(i); }}; }},
        {3, [&] { const int l = uniform(0, 11), v = uniform(0, 10);
                  return Action{QStringLiteral("volume %1 %2").arg(l).arg(v),
                                [l, v](EditorSession &s) { s.w->YQYL[std::size_t(l)]->setListIndex(v); }}; }},
        {5, [&] { const int k = uniform(0, 11);
                  return Action{QStringLiteral("key %1").arg(k), [k](EditorSession &s) { s.w->DQYD->setListIndex(k); }}; }},
        {2, [&] { const int t = uniform(0, 18);
                  return Action{QStringLiteral("tempo %1").arg(t), [t](EditorSession &s) { s.w->DQSUDU->setListIndex(t); }}; }},
        {3, [&] { return Action{QStringLiteral("store"), [](EditorSession &s) { s.w->BCBXJ->click(); }}; }},
        {2, [&] { const int k = uniform(0, 2);
                  return Action{QStringLiteral("metre %1").arg(k), [k](EditorSession &s) { s.w->JPFL[std::size_t(k)]->click(); }}; }},
        {2, [&] { const int d = uniform(0, 2);
                  return Action{QStringLiteral("device %1").arg(d), [d](EditorSession &s) { s.w->ComDevies->setListIndex(d); }}; }},
        {4, [&] { return Action{QStringLiteral("chord time"), [](EditorSession &) { flushChordNotes(-1); }}; }},
    };
    std::vector<Action> out;
    for (int i = uniform(5, 40); i > 0; --i) {
        int r = uniform(0, 99);
        for (const auto &[weight, make] : kinds) {
            if (r < weight) {
                out.push_back(make());
                break;
            }
            r -= weight;
        }
    }
    const int how = uniform(0, 2);
    out.push_back({QStringLiteral("end %1").arg(how), [how](EditorSession &s) { s.end(how); }});
    return out;
}

} // namespace

TEST(EditorStuckNotes, RandomSessionsEndSilent)
{
    bool ok = false;
    const int sessions = qEnvironmentVariableIntValue("DZQ_EDITOR_STUCK_SESSIONS", &ok);
    const int first = qEnvironmentVariableIntValue("DZQ_STUCK_SEED");
    int failures = 0;
    for (int i = 0; i < (ok ? sessions : 100) && failures < 3; ++i) {
        const uint32_t seed = uint32_t(std::max(first, 1) + i);
        const std::vector<Action> actions = randomSession(seed);
        EditorSession s;
        for (const Action &x : actions)
            x.run(s);
        const QString fault = s.faults();
        if (fault.isEmpty())
            continue;
        ++failures;
        QStringList steps;
        for (const Action &x : actions)
            steps << x.name;
        ADD_FAILURE() << "seed " << seed << ":\n" << qPrintable(fault) << "after: " << qPrintable(steps.join(", "));
    }
}

} // namespace dzq::test
