// Benchmarks of the running program, started as a user would start it.
//   startup [runs]          (f) from process start to the main window shown
//                           (the program's status line, printed right after
//                           the show), less the start-up window's 3 seconds;
//                           resident memory a second later.
//   sound [presses] [args]  (b) key to sound: under X (DISPLAY) with the
//                           built-in synthesizer playing into the PulseAudio
//                           default sink, a key press injected with XTest;
//                           the note's onset found in a recording of the
//                           sink's monitor (parecord). Extra args go to the
//                           program (e.g. --audio-period-size 64).
// The program is the one built beside this benchmark, or $DZQ_PROGRAM.
#include "BenchSupport.h"

#include "midi/devices/SynthDevice.h"

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
#include <cstdlib>
#include <cstring>
#include <mutex>

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

int soundBench(int presses, const std::vector<std::string> &extra)
{
    title("(b) key to sound", "key injected into the window under X -> note onset in the PulseAudio sink's monitor");
    Display *display = XOpenDisplay(nullptr);
    void *xtst = dlopen("libXtst.so.6", RTLD_NOW);
    auto fakeKey = xtst ? reinterpret_cast<FakeKeyEvent>(dlsym(xtst, "XTestFakeKeyEvent")) : nullptr;
    if (!display || !fakeKey) {
        std::printf("skipped: %s\n", !display ? "no X display (run under Xvfb)" : "libXtst.so.6 is missing");
        return 0;
    }
    SynthOptions defaults;
    int periodSize = defaults.periodSize, periods = defaults.periods;
    for (size_t i = 0; i + 1 < extra.size(); ++i) {
        if (extra[i] == "--audio-period-size")
            periodSize = std::atoi(extra[i + 1].c_str());
        if (extra[i] == "--audio-periods")
            periods = std::atoi(extra[i + 1].c_str());
    }
    QTemporaryDir data;
    MonitorRecorder recorder;
    if (!recorder.start()) {
        std::printf("skipped: parecord cannot be started\n");
        return 0;
    }
    std::vector<std::string> args{program(), "--data-dir", data.path().toStdString(), "--audio-driver", "pulseaudio"};
    args.insert(args.end(), extra.begin(), extra.end());
    qputenv("QT_QPA_PLATFORM", "xcb");
    Child app(args);
    Clock::time_point shown;
    std::string output;
    if (!app.waitFor(kShownLine, shown, &output) || output.find("PulseAudio") == std::string::npos) {
        std::printf("skipped: the program does not play through PulseAudio:\n%s\n", output.c_str());
        recorder.stop();
        return 0;
    }
    std::thread drain([&app] {
        std::string line;
        while (app.readLine(line)) {
        }
    });
    usleep(1500 * 1000);
    Window window = findWindow(display, DefaultRootWindow(display), "电子琴");
    if (!window) {
        std::printf("skipped: the main window is not found on the display\n");
        app.stop();
        drain.join();
        recorder.stop();
        return 0;
    }
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
    usleep(500 * 1000);

    // A note sounds until the next key: Backspace (a rest) silences the
    // melody voices, and the next note starts once their release has died
    // away (the string voice's tail takes over two seconds).
    auto tap = [&](KeySym key) {
        const KeyCode code = XKeysymToKeycode(display, key);
        const auto t = Clock::now();
        fakeKey(display, code, True, CurrentTime);
        XFlush(display);
        usleep(100 * 1000);
        fakeKey(display, code, False, CurrentTime);
        XFlush(display);
        return double(t.time_since_epoch().count());
    };
    const KeySym keys[] = {XK_g, XK_h, XK_j, XK_k, XK_l};
    std::vector<double> pressedAt;
    for (int i = 0; i < presses; ++i) {
        tap(XK_BackSpace);
        usleep(2600 * 1000);
        pressedAt.push_back(tap(keys[i % 5]));
        usleep(200 * 1000);
    }
    const std::string sinkLatency = sinkLatencyText();
    usleep(300 * 1000);
    app.stop();
    drain.join();
    recorder.stop();

    // The onset: the first frame read after the press that stands above the
    // near silence before it.
    const std::vector<float> audio = recorder.samples();
    std::vector<double> latency;
    int missed = 0;
    for (double pressed : pressedAt) {
        const int64_t from = recorder.firstFrameReadAfter(pressed);
        if (from < kRate / 10 || from + kRate / 5 >= int64_t(audio.size())) {
            ++missed;
            continue;
        }
        float floor = 0;
        for (int64_t i = from - kRate / 20; i < from; ++i)
            floor = std::max(floor, std::abs(audio[size_t(i)]));
        const float threshold = std::max(2 * floor, 3e-4f);
        int64_t onset = -1;
        for (int64_t i = from; i < from + kRate / 5 && onset < 0; ++i)
            if (std::abs(audio[size_t(i)]) > threshold)
                onset = i;
        if (onset < 0) {
            ++missed;
            continue;
        }
        // Conservatively when the onset could first be read from the monitor,
        // not when the sink rendered it (a read can come a little later).
        const double arrived = recorder.arrivalOf(onset);
        if (arrived <= 0) {
            ++missed;
            continue;
        }
        latency.push_back((arrived - pressed) / 1e6);
    }
    std::printf("synthesizer buffer: period size %d frames, %d periods, %d Hz (%.2f ms per period); PulseAudio "
                "stream target length one period\n",
                periodSize, periods, kRate, periodSize * 1000.0 / kRate);
    std::printf("sink: %s\n", sinkLatency.c_str());
    std::printf("%d presses, %zu onsets found, %d missed; recording %.1f s\n", presses, latency.size(), missed,
                double(audio.size()) / kRate);
    std::printf("%-30s %10s %10s %10s %10s\n", "", "p50 ms", "p90 ms", "min ms", "max ms");
    std::printf("%-30s %10.2f %10.2f %10.2f %10.2f\n", "key -> sound at the sink", median(latency),
                percentile(latency, 90), latency.empty() ? 0 : *std::min_element(latency.begin(), latency.end()),
                maxOf(latency));
    std::printf("target p50 <= 10 ms: %s\n", verdict(!latency.empty() && median(latency) <= 10));
    std::fflush(stdout);
    XCloseDisplay(display);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const char *what = argc > 1 ? argv[1] : "";
    if (std::strcmp(what, "startup") == 0)
        return startupBench(argc > 2 ? std::max(1, std::atoi(argv[2])) : 5);
    if (std::strcmp(what, "sound") == 0)
        return soundBench(argc > 2 ? std::max(5, std::atoi(argv[2])) : 50,
                          std::vector<std::string>(argv + std::min(argc, 3), argv + argc));
    std::fprintf(stderr, "usage: %s startup [runs] | sound [presses] [program options]\n", argv[0]);
    return 2;
}
