#pragma once
// Helpers for tests that listen to the built-in synthesizer: the test
// soundfont, an offline synthesizer, and the loudness of rendered audio.
#include "midi/devices/SynthDevice.h"

#include <QFile>
#include <QString>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace dzq::test {

constexpr int kRate = 44100;

inline QString testSoundfont()
{
    const QString path = qEnvironmentVariable("DZQ_TEST_SOUNDFONT");
    return path.isEmpty() ? QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2") : path;
}

inline bool haveTestSoundfont() { return QFile::exists(testSoundfont()); }

#define DZQ_REQUIRE_SOUNDFONT()                                                                      \
    if (!dzq::test::haveTestSoundfont())                                                             \
    GTEST_SKIP() << "test soundfont " << dzq::test::testSoundfont().toStdString()                    \
                 << " is missing (install timgm6mb-soundfont or set DZQ_TEST_SOUNDFONT)"

inline SynthOptions offlineOptions(const QString &soundfont = testSoundfont())
{
    SynthOptions options;
    options.soundfont = soundfont;
    options.audio = false;
    return options;
}

// Renders seconds of float stereo and returns it.
inline std::vector<float> renderFloat(SynthDevice &synth, double seconds)
{
    std::vector<float> buf(size_t(seconds * kRate) * 2);
    synth.render(buf.data(), int(buf.size() / 2));
    return buf;
}

inline double rms(const std::vector<float> &buf)
{
    double sum = 0;
    for (float x : buf)
        sum += double(x) * x;
    return buf.empty() ? 0.0 : std::sqrt(sum / double(buf.size()));
}

inline double rmsFloat(SynthDevice &synth, double seconds) { return rms(renderFloat(synth, seconds)); }

// RMS of 16-bit output (FluidSynth dithers it by about one LSB), full scale = 1.
inline double rmsInt16(SynthDevice &synth, double seconds)
{
    std::vector<int16_t> buf(size_t(seconds * kRate) * 2);
    synth.render(buf.data(), int(buf.size() / 2));
    double sum = 0;
    for (int16_t x : buf)
        sum += (x / 32768.0) * (x / 32768.0);
    return buf.empty() ? 0.0 : std::sqrt(sum / double(buf.size()));
}

} // namespace dzq::test
