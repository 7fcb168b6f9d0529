// Benchmarks of the main window in this process, offscreen.
//   keys [presses]  (a) key to synthesizer: a key press event delivered to the
//                   focus button SFYXYZ, to the moment the built-in synthesizer
//                   has applied the last note-on it causes (three voices on);
//                   presses 20 ms apart with the window's event loop running.
//   score           (g) score length: generated scores of 1,000 to 1,000,000
//                   characters played by the score clock's tick handler called
//                   as fast as possible; time per note and the deepest stack
//                   reached while sending, per length.
#include "BenchSupport.h"

#include "keyboard/Form1.h"
#include "keyboard/core/KeyLayout.h"
#include "midi/MidiOut.h"
#include "midi/devices/SynthDevice.h"
#include "platform/MessageService.h"
#include "platform/Resources.h"
#include "shared/Shared.h"
#include "startup/DZQQD.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <cstring>

using namespace dzq;
using namespace dzq::bench;

namespace {

// Boxes are noted on stderr, never shown: nothing may wait for a click.
class QuietMessages final : public MessageService {
public:
    void timedInfo(const QString &caption, const QString &text, int) override { note(caption + ": " + text); }
    void plain(const QString &text) override { note(text); }
    bool ask(const QString &caption, const QString &text) override
    {
        note(caption + ": " + text);
        return false;
    }

private:
    static void note(const QString &text) { std::fprintf(stderr, "[box] %s\n", qPrintable(text)); }
};

// The device the window opens: forwards to the real synthesizer (or to
// nothing) and notes when a note-on has been applied and how deep the stack is.
class MeasuringDevice final : public MidiDevice {
public:
    explicit MeasuringDevice(SynthDevice *synth) : synth_(synth) {}
    QString name() const override { return QStringLiteral("内置合成器"); }
    int open() override { return synth_ ? synth_->open() : MidiOk; }
    int close() override { return synth_ ? synth_->close() : MidiOk; }
    QString errorText(int code) const override { return midiResultText(code); }
    int send(uint32_t msg) override
    {
        const char here = 0;
        lowestStack = std::min(lowestStack, reinterpret_cast<uintptr_t>(&here));
        const int rc = synth_ ? synth_->send(msg) : MidiOk;
        if ((msg & 0xF0) == 0x90 && ((msg >> 16) & 0x7F) != 0) {
            lastNoteOn = Clock::now();
            ++noteOns;
        }
        return rc;
    }
    Clock::time_point lastNoteOn;
    long noteOns = 0;
    uintptr_t lowestStack = UINTPTR_MAX;

private:
    SynthDevice *synth_;
};

// A data folder, the services and the device, then the window as the
// start-up window leaves it.
struct Setup {
    QTemporaryDir data;
    QuietMessages messages;
    MeasuringDevice device;
    SingleDeviceSystem system{device};
    std::unique_ptr<Form1> window;

    explicit Setup(SynthDevice *synth) : device(synth)
    {
        AppDir = data.path() + QLatin1Char('/');
        ensureDefaultSettingsFile(AppDir);
        MessageService::install(&messages);
        setMidiSystem(&system);
        fillChordTable(LoadResString(510));
        window = std::make_unique<Form1>();
        window->Form_Load();
        window->show();
    }
    ~Setup()
    {
        window.reset();
        CloseMidiOut();
        setMidiSystem(nullptr);
        MessageService::install(nullptr);
    }
};

int keyBench(int presses)
{
    SynthOptions options; // the program's defaults: its soundfont and audio driver
    SynthDevice synth(options);
    Setup setup(&synth);
    Form1 &w = *setup.window;
    title("(a) key to synthesizer", "key press delivered to SFYXYZ -> last note-on applied in the built-in synthesizer");
    std::printf("synthesizer: %s\n", qPrintable(synth.statusText()));
    std::printf("voices on: %s / %s / %s\n", qPrintable(w.ComSounds[0]->text()), qPrintable(w.ComSounds[1]->text()),
                qPrintable(w.ComSounds[2]->text()));

    std::vector<Qt::Key> keys;
    for (int k = Qt::Key_A; k <= Qt::Key_Z; ++k)
        if (isNoteKey(k))
            keys.push_back(Qt::Key(k));
    // The first message of a press (its releases) shows how much of the time
    // the handler spends before it sounds anything.
    struct FirstMessage final : MidiTap {
        Clock::time_point at;
        bool seen = false;
        void record(uint32_t) override
        {
            if (!seen)
                at = Clock::now();
            seen = true;
        }
    } first;
    setMidiTap(&first);
    std::vector<double> latency, toFirst;
    std::vector<long> noteOnsPerPress;
    int done = 0;
    QTimer presser;
    presser.setTimerType(Qt::PreciseTimer);
    presser.setInterval(20);
    QObject::connect(&presser, &QTimer::timeout, [&] {
        const Qt::Key key = keys[size_t(done) % keys.size()];
        const QString text = QString(QChar(key)).toLower();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        const long before = setup.device.noteOns;
        first.seen = false;
        const auto t0 = Clock::now();
        QApplication::sendEvent(w.SFYXYZ, &press);
        if (setup.device.noteOns > before)
            latency.push_back(ms(setup.device.lastNoteOn - t0));
        if (first.seen)
            toFirst.push_back(ms(first.at - t0));
        noteOnsPerPress.push_back(setup.device.noteOns - before);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(w.SFYXYZ, &release);
        if (++done == presses) {
            presser.stop();
            QCoreApplication::quit();
        }
    });
    presser.start();
    QCoreApplication::exec();

    setMidiTap(nullptr);
    const double p99 = percentile(latency, 99);
    const size_t tenth = std::max<size_t>(1, latency.size() / 10);
    const std::vector<double> early(latency.begin(), latency.begin() + long(tenth));
    const std::vector<double> late(latency.end() - long(tenth), latency.end());
    std::printf("%d presses, %zu sounded, note-ons per press %ld..%ld; score box now %lld characters\n", presses,
                latency.size(), *std::min_element(noteOnsPerPress.begin(), noteOnsPerPress.end()),
                *std::max_element(noteOnsPerPress.begin(), noteOnsPerPress.end()),
                (long long)w.Text3->toPlainText().size());
    std::printf("%-34s %10s %10s %10s\n", "", "p50 ms", "p99 ms", "max ms");
    std::printf("%-34s %10.3f %10.3f %10.3f\n", "key -> last note-on applied", median(latency), p99, maxOf(latency));
    std::printf("%-34s %10.3f %10.3f %10.3f\n", "key -> first message (a release)", median(toFirst),
                percentile(toFirst, 99), maxOf(toFirst));
    std::printf("%-34s %10.3f %10.3f %10.3f\n", "  first tenth of the presses", median(early), percentile(early, 99),
                maxOf(early));
    std::printf("%-34s %10.3f %10.3f %10.3f\n", "  last tenth (longer recording)", median(late), percentile(late, 99),
                maxOf(late));
    std::printf("target p99 <= 0.5 ms: %s\n", verdict(p99 <= 0.5 && int(latency.size()) == presses));
    std::fflush(stdout);
    return 0;
}

// "KC1KD1...": notes of one tick each, cycling over two octaves.
QString generatedScore(qsizetype length)
{
    static const char *const names[] = {"KC", "KD", "KE", "KF", "KG", "KA", "KB",
                                        "LC", "LD", "LE", "LF", "LG", "LA", "LB"};
    QString s;
    s.reserve(length + 8);
    for (int i = 0; s.size() + 3 <= length - 2; ++i)
        s += QLatin1String(names[i % 14]) + QLatin1Char('1');
    s += QStringLiteral("TZ");
    return s;
}

int scoreBench()
{
    title("(g) score length", "generated scores played by the score clock's handler, ticks as fast as possible");
    std::printf("%12s %8s %10s %14s %16s\n", "characters", "notes", "ticks", "us per note", "deepest stack B");
    std::vector<double> perNote;
    std::vector<long> stack;
    for (qsizetype length : {qsizetype(1000), qsizetype(10000), qsizetype(100000), qsizetype(1000000)}) {
        Setup setup(nullptr);
        Form1 &w = *setup.window;
        w.Text3->setPlainText(generatedScore(length));
        const char top = 0;
        const uintptr_t base = reinterpret_cast<uintptr_t>(&top);
        setup.device.lowestStack = UINTPTR_MAX;
        const long notesBefore = setup.device.noteOns;
        long ticks = 0;
        const auto t0 = Clock::now();
        w.Yuepu_Click(0);
        while (w.ScorePlaying && ticks < 10 * length) {
            w.Timer3_Timer();
            ++ticks;
        }
        const double elapsed = ms(Clock::now() - t0);
        // Three voices and the lower doubling: four note-ons per note.
        const long notes = (setup.device.noteOns - notesBefore) / 4;
        const double us = notes > 0 ? elapsed * 1000 / double(notes) : 0;
        const long depth = long(base - std::min(base, setup.device.lowestStack));
        perNote.push_back(us);
        stack.push_back(depth);
        std::printf("%12lld %8ld %10ld %14.2f %16ld\n", (long long)length, notes, ticks, us, depth);
        std::fflush(stdout);
    }
    const double growth = perNote.front() > 0 ? perNote.back() / perNote.front() : 0;
    std::printf("time per note 1,000,000 vs 1,000 characters: %.2fx; stack %s\n", growth,
                stack.back() <= stack.front() + 256 ? "flat" : "GROWS");
    std::printf("target: flat time per token and stack: %s\n", verdict(growth <= 1.5 && stack.back() <= stack.front() + 256));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QApplication app(argc, argv);
    const char *what = argc > 1 ? argv[1] : "";
    if (std::strcmp(what, "keys") == 0)
        return keyBench(argc > 2 ? std::max(10, std::atoi(argv[2])) : 1000);
    if (std::strcmp(what, "score") == 0)
        return scoreBench();
    std::fprintf(stderr, "usage: %s keys [presses] | score\n", argv[0]);
    return 2;
}
