// Benchmarks of the running program, started as a user would start it.
//   startup [runs]          (f) from process start to the main window shown
//                           (the program's status line, printed right after
//                           the show), less the start-up window's 3 seconds;
//                           resident memory a second later.
//   sound [presses] [opts]  (b) what a listener hears: under X (DISPLAY) with
//                           the built-in synthesizer playing into the sound
//                           server's default sink, G pressed with XTest and
//                           held 100 ms every 0.5-0.7 s; the sink's monitor
//                           recorded (parecord): latency from the press to the
//                           onset, gaps inside the held note, the underflows
//                           the server reported to the program. --piano: one
//                           piano voice (preset F1); --busy: one busy process
//                           per core; --vmpk: VMPK on its own FluidSynth at its
//                           default settings instead of this program.
//   dense [seconds] [opts]  (b) the densest accompaniment played in real time
//                           by this build's synthesizer; gaps in the music.
//   header                  the table's title and columns.
// The program is the one built beside this benchmark, or $DZQ_PROGRAM.
#include "BenchSupport.h"

#include "Accompaniment.h"
#include "keyboard/core/SettingsFile.h"
#include "midi/MidiDevice.h"
#include "midi/devices/SynthDevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <QTemporaryDir>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>

extern char **environ;

using namespace dzq;
using namespace dzq::bench;

namespace {

constexpr int kStartWindowMs = 3000;
constexpr int kRate = 44100;

std::string program()
{
    const char *p = std::getenv("DZQ_PROGRAM");
    return p ? p : DZQ_PROGRAM;
}

// A child process whose standard error (or output) is read line by line.
class Child {
public:
    Child() = default; // reads whatever fd is set to
    Child(const std::vector<std::string> &args, bool readStdout = false)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], readStdout ? 1 : 2);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        started = Clock::now();
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        fd = fds[0];
    }
    ~Child() { stop(); }
    void stop()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            for (int i = 0; i < 100 && waitpid(pid, &status, WNOHANG) == 0; ++i)
                usleep(20000);
            if (waitpid(pid, &status, WNOHANG) == 0) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
            }
            pid = -1;
        }
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    // The next line, or false at the end of the stream.
    bool readLine(std::string &line)
    {
        line.clear();
        char c;
        while (read(fd, &c, 1) == 1) {
            if (c == '\n')
                return true;
            line += c;
        }
        return !line.empty();
    }
    // Reads lines until one contains text; the time it arrived.
    bool waitFor(const char *text, Clock::time_point &at, std::string *seen = nullptr)
    {
        std::string line;
        while (readLine(line)) {
            if (seen)
                *seen += line + "\n";
            if (line.find(text) != std::string::npos) {
                at = Clock::now();
                return true;
            }
        }
        return false;
    }
    long residentKb() const
    {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string key;
        long kb = 0;
        while (status >> key)
            if (key == "VmRSS:") {
                status >> kb;
                return kb;
            }
        return 0;
    }
    pid_t pid = -1;
    int fd = -1;
    Clock::time_point started;
};

// The status line the program prints once its main window is shown.
constexpr const char *kShownLine = "内置合成器";

int startupBench(int runs)
{
    title("(f) start-up", "process start -> main window shown, less the start-up window's 3 s; resident memory");
    std::printf("program: %s; QT_QPA_PLATFORM=%s\n", program().c_str(),
                qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? "(default)" : qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM")));
    QTemporaryDir data;
    std::vector<double> beyond;
    std::vector<double> rss;
    for (int run = 0; run < runs; ++run) {
        Child child({program(), "--data-dir", data.path().toStdString()});
        Clock::time_point shown;
        std::string output;
        if (!child.waitFor(kShownLine, shown, &output)) {
            std::printf("run %d: the main window was never shown; the program said:\n%s\n", run + 1, output.c_str());
            return 1;
        }
        usleep(1000 * 1000);
        const double kb = double(child.residentKb());
        const double ms = bench::ms(shown - child.started) - kStartWindowMs;
        std::printf("run %d%s: %.1f ms beyond the start-up window, %.1f MB resident\n", run + 1,
                    run == 0 ? " (new data folder)" : "", ms, kb / 1024);
        beyond.push_back(ms);
        rss.push_back(kb / 1024);
        child.stop();
    }
    std::printf("%-40s %10s %10s\n", "", "p50", "max");
    std::printf("%-40s %10.1f %10.1f\n", "beyond the start-up window, ms", median(beyond), maxOf(beyond));
    std::printf("%-40s %10.1f %10.1f\n", "resident memory, MB", median(rss), maxOf(rss));
    std::printf("target <= 300 ms: %s\n", verdict(median(beyond) <= 300));
    std::fflush(stdout);
    return 0;
}

// Records the sink's monitor through parecord (about a millisecond per read)
// and keeps, for every read, how many frames had arrived and when.
class MonitorRecorder {
public:
    bool start()
    {
        child_ = std::make_unique<Child>(std::vector<std::string>{"parecord", "--raw", "--format=float32le",
                                                                  "--channels=1", "--rate=44100",
                                                                  "--latency-msec=1", "-d", monitorName()},
                                         true);
        if (child_->pid <= 0)
            return false;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    void stop()
    {
        if (child_)
            child_->stop();
        if (thread_.joinable())
            thread_.join();
    }
    int64_t frames() const { return frames_.load(); }
    std::vector<float> samples() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return samples_;
    }
    // The first frame of the read that came at or after steady time t (ns):
    // nothing before it can be the answer to something done at t.
    int64_t firstFrameReadAfter(double t) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = std::lower_bound(reads_.begin(), reads_.end(), t,
                                         [](const std::pair<int64_t, double> &r, double v) { return r.second < v; });
        if (it == reads_.end())
            return -1;
        return it == reads_.begin() ? 0 : std::prev(it)->first;
    }
    // When frame `frame` could first be read: the arrival of the read that
    // brought it (steady ns), or 0.
    double arrivalOf(int64_t frame) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = std::upper_bound(reads_.begin(), reads_.end(), frame,
                                         [](int64_t f, const std::pair<int64_t, double> &r) { return f < r.first; });
        return it == reads_.end() ? 0 : it->second;
    }

private:
    static std::string monitorName()
    {
        const char *sink = std::getenv("DZQ_BENCH_SINK");
        return std::string(sink ? sink : "vsink") + ".monitor";
    }
    void run()
    {
        std::vector<float> buf(4096);
        size_t pending = 0; // bytes of a partial float
        char *raw = reinterpret_cast<char *>(buf.data());
        for (;;) {
            const ssize_t n = read(child_->fd, raw + pending, buf.size() * sizeof(float) - pending);
            if (n <= 0)
                break;
            const double now = double(Clock::now().time_since_epoch().count());
            pending += size_t(n);
            const size_t count = pending / sizeof(float);
            std::lock_guard<std::mutex> lock(mutex_);
            samples_.insert(samples_.end(), buf.begin(), buf.begin() + long(count));
            frames_ = int64_t(samples_.size());
            reads_.emplace_back(frames_.load(), now);
            const size_t rest = pending - count * sizeof(float);
            std::memmove(raw, raw + count * sizeof(float), rest);
            pending = rest;
        }
    }
    std::unique_ptr<Child> child_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<float> samples_;
    std::vector<std::pair<int64_t, double>> reads_; // frames read so far, arrival
    std::atomic<int64_t> frames_{0};
};

// The default sink's own latency as the server reports it.
std::string sinkLatencyText()
{
    Child pactl({"pactl", "list", "sinks"}, true);
    std::string line, name, found;
    while (pactl.readLine(line)) {
        if (line.find("Name:") != std::string::npos)
            name = line.substr(line.find(':') + 2);
        if (line.find("Latency:") != std::string::npos && found.empty())
            found = name + ", " + line.substr(line.find(':') + 2);
    }
    return found.empty() ? "unknown" : found;
}

// XTest through the runtime library (only its one function is needed).
using FakeKeyEvent = int (*)(Display *, unsigned int, Bool, unsigned long);

Window findWindow(Display *display, Window root, const char *title)
{
    Window parent, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XTextProperty prop;
        if (XGetWMName(display, children[i], &prop) && prop.value) {
            char **list = nullptr;
            int n = 0;
            if (Xutf8TextPropertyToTextList(display, &prop, &list, &n) >= Success && n > 0 &&
                std::strcmp(list[0], title) == 0) {
                XWindowAttributes attrs;
                if (XGetWindowAttributes(display, children[i], &attrs) && attrs.map_state == IsViewable)
                    found = children[i];
            }
            if (list)
                XFreeStringList(list);
            XFree(prop.value);
        }
        if (!found)
            found = findWindow(display, children[i], title);
    }
    if (children)
        XFree(children);
    return found;
}

// One busy process per core at normal priority, for the life of the object.
class BusyCores {
public:
    explicit BusyCores(bool on)
    {
        const unsigned n = on ? std::max(1u, std::thread::hardware_concurrency()) : 0;
        for (unsigned i = 0; i < n; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                volatile unsigned long spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0)
                pids_.push_back(pid);
        }
    }
    ~BusyCores()
    {
        for (pid_t pid : pids_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    size_t count() const { return pids_.size(); }

private:
    std::vector<pid_t> pids_;
};

// What the program says on standard error while it runs: the underflows its
// sound server reported (with their times) and the buffer it settled on.
class ProgramLog {
public:
    void read(Child &app)
    {
        std::string line;
        while (app.readLine(line))
            take(line);
    }
    void take(const std::string &line)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (line.find("欠载") != std::string::npos)
            underflows_.push_back(double(Clock::now().time_since_epoch().count()));
        const auto at = line.find("缓冲 ");
        if (line.find("音频输出：缓冲") != std::string::npos && at != std::string::npos)
            buffer_ = std::atoi(line.c_str() + at + std::strlen("缓冲 "));
    }
    int underflowsBetween(double from, double to) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return int(std::count_if(underflows_.begin(), underflows_.end(),
                                 [&](double t) { return t >= from && t <= to; }));
    }
    int total() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return int(underflows_.size());
    }
    int bufferFrames() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return buffer_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<double> underflows_;
    int buffer_ = 0;
};

// Runs of near silence (exact zeros or below -90 dBFS) at least 1 ms long in
// audio[from, to): the gaps a listener hears inside a sounding note.
struct Gaps {
    int runs = 0;
    double ms = 0;
};
constexpr float kSilent = 3.1623e-5f; // -90 dBFS
Gaps gapsIn(const std::vector<float> &audio, int64_t from, int64_t to)
{
    Gaps g;
    int64_t run = 0;
    const auto end = [&] {
        if (run >= kRate / 1000) {
            ++g.runs;
            g.ms += run * 1000.0 / kRate;
        }
        run = 0;
    };
    for (int64_t i = std::max<int64_t>(0, from); i < std::min<int64_t>(to, int64_t(audio.size())); ++i) {
        if (std::abs(audio[size_t(i)]) < kSilent)
            ++run;
        else
            end();
    }
    end();
    return g;
}

// The settings file of the data folder: a note ends when its key goes up, and
// with `piano` the preset of F1 is one acoustic piano voice.
void writeSettings(const QString &dir, bool piano)
{
    QStringList lines = formatSettings(defaultSettings());
    lines[52] = formatNumberLine(1);
    if (piano) {
        lines[0] = formatNumberLine(1);
        lines[1] = formatNumberLine(0);
        lines[2] = formatNumberLine(0);
    }
    QFile f(settingsFilePath(dir + QLatin1Char('/')));
    if (f.open(QIODevice::WriteOnly))
        f.write(lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
}

struct SoundCase {
    std::string label;
    bool piano = false;
    bool busy = false;
    bool vmpk = false;
    int presses = 100;
    std::vector<std::string> extra; // program options
};

void printHeader()
{
    std::printf("%-44s %6s %7s %7s %7s %7s %9s %9s %9s %9s\n", "case", "onsets", "p50 ms", "p90 ms", "p99 ms",
                "max ms", "gapped", "gap runs", "underfl.", "buffer");
}

int soundBench(const SoundCase &c)
{
    Display *display = XOpenDisplay(nullptr);
    void *xtst = dlopen("libXtst.so.6", RTLD_NOW);
    auto fakeKey = xtst ? reinterpret_cast<FakeKeyEvent>(dlsym(xtst, "XTestFakeKeyEvent")) : nullptr;
    if (!display || !fakeKey) {
        std::printf("%-44s skipped: %s\n", c.label.c_str(), !display ? "no X display (run under Xvfb)" : "libXtst.so.6 is missing");
        return 0;
    }
    QTemporaryDir data;
    std::vector<std::string> args;
    const char *title = "电子琴";
    const QByteArray oldHome = qgetenv("HOME");
    if (c.vmpk) {
        // Its own FluidSynth output at its default settings, the program's
        // default soundfont; settings in a home of its own.
        QDir(data.path()).mkpath(QStringLiteral(".config/vmpk.sourceforge.net"));
        QFile conf(data.filePath(QStringLiteral(".config/vmpk.sourceforge.net/VMPK.conf")));
        if (conf.open(QIODevice::WriteOnly))
            conf.write("[Connections]\nInEnabled=false\nOutputDriver=FluidSynth\n");
        conf.close();
        qputenv("HOME", data.path().toUtf8());
        args = {"vmpk"};
        title = "Virtual MIDI Piano Keyboard";
    } else {
        writeSettings(data.path(), c.piano);
        args = {program(), "--data-dir", data.path().toStdString(), "--audio-driver", "pulseaudio"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
    }
    BusyCores busy(c.busy);
    MonitorRecorder recorder;
    if (!recorder.start()) {
        std::printf("%-44s skipped: parecord cannot be started\n", c.label.c_str());
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    Child app(args);
    if (c.vmpk)
        qputenv("HOME", oldHome);
    const double started = double(Clock::now().time_since_epoch().count());
    ProgramLog log;
    Window window = 0;
    std::thread drain;
    if (!c.vmpk) {
        Clock::time_point shown;
        std::string output;
        if (!app.waitFor(kShownLine, shown, &output)) {
            std::printf("%-44s skipped: the program did not start:\n%s\n", c.label.c_str(), output.c_str());
            recorder.stop();
            return 0;
        }
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);)
            log.take(line);
    }
    drain = std::thread([&] { log.read(app); });
    for (int i = 0; i < 100 && !window; ++i) {
        usleep(100 * 1000);
        window = findWindow(display, DefaultRootWindow(display), title);
    }
    auto finish = [&] {
        app.stop();
        drain.join();
        recorder.stop();
    };
    if (!window) {
        std::printf("%-44s skipped: the window is not found on the display\n", c.label.c_str());
        finish();
        return 0;
    }
    usleep(1500 * 1000);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    usleep(500 * 1000);
    auto key = [&](KeySym sym, bool down) {
        fakeKey(display, XKeysymToKeycode(display, sym), down ? True : False, CurrentTime);
        XFlush(display);
        return double(Clock::now().time_since_epoch().count());
    };
    if (c.piano && !c.vmpk) {
        key(XK_F1, true);
        usleep(50 * 1000);
        key(XK_F1, false);
        usleep(300 * 1000);
    }

    // G held for 100 ms, every 0.5 to 0.7 s.
    struct Press {
        double down = 0, up = 0;
    };
    std::vector<Press> presses;
    srand(17);
    for (int i = 0; i < c.presses; ++i) {
        Press p;
        p.down = key(XK_g, true);
        usleep(100 * 1000);
        p.up = key(XK_g, false);
        presses.push_back(p);
        usleep(useconds_t(400 + rand() % 200) * 1000);
    }
    usleep(300 * 1000);
    finish();

    const std::vector<float> audio = recorder.samples();
    std::vector<double> latency;
    int gapped = 0, gappedAfter5s = 0, runs = 0, inPresses = 0;
    double firstGapAt = -1;
    for (const Press &p : presses) {
        const int64_t from = recorder.firstFrameReadAfter(p.down);
        if (from < kRate / 10 || from + kRate / 2 >= int64_t(audio.size()))
            continue;
        float floor = 0;
        for (int64_t i = from - kRate / 20; i < from; ++i)
            floor = std::max(floor, std::abs(audio[size_t(i)]));
        // The onset: the first sample 50 dB below full scale, or twice what
        // was sounding before the press (a release tail).
        const float threshold = std::max(2 * floor, 3.1623e-3f);
        int64_t onset = -1;
        for (int64_t i = from; i < from + kRate / 2 && onset < 0; ++i)
            if (std::abs(audio[size_t(i)]) > threshold)
                onset = i;
        const double arrived = onset >= 0 ? recorder.arrivalOf(onset) : 0;
        if (onset < 0 || arrived <= 0)
            continue;
        latency.push_back((arrived - p.down) / 1e6);
        // Between the onset and the release as heard: as long as the key was held.
        const Gaps g = gapsIn(audio, onset, onset + int64_t((p.up - p.down) / 1e9 * kRate));
        runs += g.runs;
        inPresses += log.underflowsBetween(p.down, p.up + 0.2e9);
        if (g.runs > 0) {
            ++gapped;
            if ((p.down - started) / 1e9 >= 5)
                ++gappedAfter5s;
            if (firstGapAt < 0)
                firstGapAt = (p.down - started) / 1e9;
        }
    }
    char buffer[32] = "-";
    if (log.bufferFrames() > 0)
        std::snprintf(buffer, sizeof buffer, "%.1f ms", log.bufferFrames() * 1000.0 / kRate);
    char underflows[32] = "-";
    if (!c.vmpk)
        std::snprintf(underflows, sizeof underflows, "%d/%d", inPresses, log.total());
    std::printf("%-44s %6zu %7.1f %7.1f %7.1f %7.1f %5d/%-3d %9d %9s %9s\n", c.label.c_str(), latency.size(),
                median(latency), percentile(latency, 90), percentile(latency, 99), maxOf(latency), gapped,
                int(presses.size()), runs, underflows, buffer);
    if (gapped > 0)
        std::printf("%-44s   gapped presses after the first 5 s: %d; first gap %.1f s after the start\n", "",
                    gappedAfter5s, firstGapAt);
    std::fflush(stdout);
    XCloseDisplay(display);
    return 0;
}

// Standard error of this process, read line by line while it runs (the
// synthesizer's own reports when it plays in this process).
class OwnStderr {
public:
    OwnStderr()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        saved_ = dup(2);
        dup2(fds[1], 2);
        close(fds[1]);
        child_.fd = fds[0];
        thread_ = std::thread([this] { log.read(child_); });
    }
    ~OwnStderr()
    {
        if (saved_ < 0)
            return;
        dup2(saved_, 2); // the pipe's last writer closes: the reader ends
        close(saved_);
        thread_.join();
    }
    ProgramLog log;

private:
    Child child_;
    int saved_ = -1;
    std::thread thread_;
};

// The densest accompaniment played in real time by the built-in synthesizer
// of this build, as the window's clock would send it; gaps counted over the
// whole of the music after its first 5 s.
int denseBench(const std::string &label, double seconds, bool busyCores)
{
    BusyCores busy(busyCores);
    MonitorRecorder recorder;
    if (!recorder.start()) {
        std::printf("%-44s skipped: parecord cannot be started\n", label.c_str());
        return 0;
    }
    int buffer = 0, underflowsAfter5s = 0, underflows = 0;
    Gaps gaps;
    int64_t frames = 0;
    {
        OwnStderr err;
        SynthOptions options;
        options.soundfont = QStringLiteral("/usr/share/sounds/sf2/FluidR3_GM.sf2");
        options.audioDriver = QStringLiteral("pulseaudio");
        SynthDevice synth(options);
        if (synth.open() != MidiOk || synth.audioDriver().isEmpty()) {
            recorder.stop();
            std::printf("%-44s skipped: the synthesizer does not play through the sound server\n", label.c_str());
            return 0;
        }
        usleep(500 * 1000);
        const auto messages = densestAccompaniment(seconds, kRate);
        const auto t0 = Clock::now() + std::chrono::milliseconds(100);
        const double start = double(t0.time_since_epoch().count());
        for (const auto &[frame, msg] : messages) {
            const auto at = t0 + std::chrono::nanoseconds(frame * 1000000000 / kRate);
            std::this_thread::sleep_until(at);
            synth.sendAt(msg, at);
        }
        std::this_thread::sleep_until(t0 + std::chrono::milliseconds(int64_t(seconds * 1000) + 100));
        const int64_t first = recorder.firstFrameReadAfter(start + 5e9 + 0.1e9);
        const int64_t last = recorder.firstFrameReadAfter(double(Clock::now().time_since_epoch().count()) - 0.2e9);
        const std::vector<float> audio = recorder.samples();
        if (first > 0 && last > first) {
            gaps = gapsIn(audio, first, last);
            frames = last - first;
        }
        synth.close();
        underflowsAfter5s = err.log.underflowsBetween(start + 5e9, start + (seconds + 1) * 1e9);
        underflows = err.log.total();
        (void)buffer;
        buffer = err.log.bufferFrames();
    }
    recorder.stop();
    char bufferText[32] = "-";
    if (buffer > 0)
        std::snprintf(bufferText, sizeof bufferText, "%.1f ms", buffer * 1000.0 / kRate);
    std::printf("%-44s %6s %7s %7s %7s %7s %9s %9d %4d/%-4d %9s\n", label.c_str(), "-", "-", "-", "-", "-", "-",
                gaps.runs, underflowsAfter5s, underflows, bufferText);
    std::printf("%-44s   %.1f s of music after its first 5 s; %.1f ms of gaps in it\n", "", double(frames) / kRate,
                gaps.ms);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const char *what = argc > 1 ? argv[1] : "";
    if (std::strcmp(what, "startup") == 0)
        return startupBench(argc > 2 ? std::max(1, std::atoi(argv[2])) : 5);
    // Options of the sound cases; what follows "--" goes to the program.
    SoundCase c;
    double seconds = 60;
    bool header = std::strcmp(what, "header") == 0;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") {
            c.extra.assign(argv + i + 1, argv + argc);
            break;
        }
        if (a == "--label" && i + 1 < argc)
            c.label = argv[++i];
        else if (a == "--piano")
            c.piano = true;
        else if (a == "--busy")
            c.busy = true;
        else if (a == "--vmpk")
            c.vmpk = true;
        else if (a == "--header")
            header = true;
        else if (std::isdigit(static_cast<unsigned char>(a[0])))
            c.presses = std::max(5, std::atoi(a.c_str())), seconds = std::max(10.0, std::atof(a.c_str()));
    }
    if (header) {
        title("(b) key to sound",
              "G held 100 ms every 0.5-0.7 s under X (XTest), the sink's monitor recorded: latency from the press to "
              "the onset (-50 dBFS); gaps = runs of >= 1 ms below -90 dBFS between the onset and the heard release; "
              "underflows the server reported to the program during the presses / in the whole run; the buffer the "
              "server granted at the end");
        std::printf("sink: %s\n", sinkLatencyText().c_str());
        printHeader();
        std::fflush(stdout);
    }
    if (std::strcmp(what, "sound") == 0) {
        if (c.label.empty())
            c.label = "key to sound";
        return soundBench(c);
    }
    if (std::strcmp(what, "dense") == 0) {
        QCoreApplication app(argc, argv);
        return denseBench(c.label.empty() ? "densest accompaniment" : c.label, seconds, c.busy);
    }
    if (header)
        return 0;
    std::fprintf(stderr,
                 "usage: %s startup [runs]\n"
                 "       %s sound [presses] [--label TEXT] [--piano] [--busy] [--vmpk] [--header] [-- program options]\n"
                 "       %s dense [seconds] [--label TEXT] [--busy]\n"
                 "       %s header\n",
                 argv[0], argv[0], argv[0], argv[0]);
    return 2;
}
