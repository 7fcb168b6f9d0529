// (e) Render cost: the densest accompaniment rendered offline by the built-in
// synthesizer, in 128-frame periods as an audio driver asks for them. Tempo 130
// (58 ms per tick): every tick the expression ramp and a new note on each of
// the three melody voices (the second also five lower); every fourth tick a
// three-note chord, spread 10 ms, on each of the three chord voices and a hit
// on each of the three drum lanes. Figure: seconds of music per second of CPU
// on one core, with the default soundfont and with the test soundfont, at the
// program's polyphony and at 64 voices, each beside a render without a voice
// limit: how many voices the music asks for and how much a limit leaves out.
// Usage: dzq_bench_render [seconds]   (default 60)
#include "Accompaniment.h"
#include "BenchSupport.h"

#include "midi/MidiDevice.h"
#include "midi/devices/SynthDevice.h"

#include <QCoreApplication>
#include <QFile>

#include <cmath>
#include <ctime>
#include <limits>
#include <map>

using namespace dzq;
using namespace dzq::bench;

namespace {

constexpr int kRate = 44100;
constexpr int kPeriod = 128;

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Result {
    QString soundfont;
    double cpu = 0;
    double wall = 0;
    double voices = 0;        // sounding, on average over the periods
    std::vector<float> audio; // interleaved stereo
};

Result renderDensest(const QString &soundfont, double seconds, int polyphony)
{
    SynthOptions options;
    options.soundfont = soundfont;
    options.audio = false;
    if (polyphony > 0)
        options.polyphony = polyphony;
    SynthDevice synth(options);
    Result r;
    r.soundfont = synth.soundfontPath();
    if (synth.open() != MidiOk)
        return r;
    const auto messages = densestAccompaniment(seconds);
    const int64_t total = int64_t(seconds * kRate) / kPeriod * kPeriod;
    r.audio.resize(size_t(total) * 2);
    double voiceSum = 0;
    auto next = messages.begin();
    const double cpu0 = cpuSeconds();
    const auto wall0 = Clock::now();
    for (int64_t frame = 0; frame < total; frame += kPeriod) {
        for (; next != messages.end() && next->first < frame + kPeriod; ++next)
            synth.send(next->second);
        synth.render(r.audio.data() + frame * 2, kPeriod);
        voiceSum += synth.activeVoices();
    }
    r.cpu = cpuSeconds() - cpu0;
    r.wall = ms(Clock::now() - wall0) / 1000;
    r.voices = voiceSum / double(total / kPeriod);
    return r;
}

// How far below the reference the difference of the two renders lies, in dB:
// what a voice limit leaves out, against the music itself.
double differenceDb(const std::vector<float> &audio, const std::vector<float> &reference)
{
    double signal = 0, difference = 0;
    for (size_t i = 0; i < reference.size() && i < audio.size(); ++i) {
        signal += double(reference[i]) * reference[i];
        difference += double(audio[i] - reference[i]) * (audio[i] - reference[i]);
    }
    if (difference <= 0)
        return -std::numeric_limits<double>::infinity();
    return 10 * std::log10(difference / std::max(signal, 1e-30));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(5.0, std::atof(argv[1])) : 60.0;
    title("(e) render cost", "densest accompaniment: 3 melody voices, 3 chord voices, 3 drum lanes, tempo 130");
    std::printf("%.0f s of music rendered in %d-frame periods at %d Hz, one core\n", seconds, kPeriod, kRate);
    std::printf("%-46s %6s %7s %8s %12s %12s\n", "soundfont", "limit", "voices", "cpu s", "x real time",
                "left out dB");
    const QString testSoundfont = qEnvironmentVariableIsEmpty("DZQ_TEST_SOUNDFONT")
                                      ? QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2")
                                      : qEnvironmentVariable("DZQ_TEST_SOUNDFONT");
    const int program = SynthOptions{}.polyphony;
    constexpr int kUnlimited = 4096; // more than the material ever sounds at once
    bool met = true;
    for (const QString &sf : {QString(), testSoundfont}) {
        const Result all = renderDensest(sf, seconds, kUnlimited);
        if (all.soundfont.isEmpty()) {
            std::printf("%-46s (no soundfont)\n", sf.isEmpty() ? "default" : qPrintable(sf));
            continue;
        }
        const QString name = (sf.isEmpty() ? QStringLiteral("default: ") : QStringLiteral("test: ")) + all.soundfont;
        std::printf("%-46s %6s %7.0f %8.2f %12.1f %12s\n", qPrintable(name), "none", all.voices, all.cpu,
                    seconds / all.cpu, "-");
        for (const int polyphony : {program, 64}) {
            const Result r = renderDensest(sf, seconds, polyphony);
            const double speed = seconds / r.cpu;
            if (polyphony == program)
                met = met && speed >= 50;
            std::printf("%-46s %5d%s %7.0f %8.2f %12.1f %12.1f\n", "", polyphony, polyphony == program ? "*" : " ",
                        r.voices, r.cpu, speed, differenceDb(r.audio, all.audio));
        }
    }
    std::printf("* the program's polyphony. voices: sounding on average. left out: the difference from the\n"
                "  render without a voice limit, in dB below the music (-30: masked by the music, -8: plainly heard)\n");
    std::printf("target >= 50x real time at the program's polyphony: %s\n", verdict(met));
    std::fflush(stdout);
    return 0;
}
