#pragma once
// Helpers for tests that listen to the built-in synthesizer: the test
// soundfont, an offline synthesizer, and the loudness of rendered audio.
#include "midi/devices/SynthDevice.h"

#include <QFile>
#include <QString>

#include <cmath>
#include <cstdint>
#include <vector>

namespace dzq::test {

constexpr int kRate = 44100;

inline QString testSoundfont()
{
    const QString path = qEnvironmentVariable("DZQ_TEST_SOUNDFONT");
    return path.isEmpty() ? QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2") : path;
}

#define DZQ_REQUIRE_SOUNDFONT()                                                                      \
    if (!QFile::exists(dzq::test::testSoundfont()))                                                  \
    GTEST_SKIP() << "test soundfont " << dzq::test::testSoundfont().toStdString()                    \
                 << " is missing (install timgm6mb-soundfont or set DZQ_TEST_SOUNDFONT)"

inline SynthOptions offlineOptions(const QString &soundfont = testSoundfont())
{
    SynthOptions options;
    options.soundfont = soundfont;
    options.audio = false;
    return options;
}

inline std::vector<float> renderFloat(SynthDevice &synth, double seconds)
{
    std::vector<float> buf(size_t(seconds * kRate) * 2);
    synth.render(buf.data(), int(buf.size() / 2));
    return buf;
}

// Root mean square, full scale = 1.
template <class Sample> double rms(const std::vector<Sample> &buf, double fullScale = 1.0)
{
    double sum = 0;
    for (Sample x : buf)
        sum += (x / fullScale) * (x / fullScale);
    return buf.empty() ? 0.0 : std::sqrt(sum / double(buf.size()));
}

inline double rmsFloat(SynthDevice &synth, double seconds) { return rms(renderFloat(synth, seconds)); }

// Of the 16-bit output, which FluidSynth dithers by about one LSB.
inline double rmsInt16(SynthDevice &synth, double seconds)
{
    std::vector<int16_t> buf(size_t(seconds * kRate) * 2);
    synth.render(buf.data(), int(buf.size() / 2));
    return rms(buf, 32768.0);
}

} // namespace dzq::test
