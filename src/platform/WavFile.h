#pragma once
// Recorded sound and the PCM WAV files the recorder saves it as. A recording
// is kept as 16-bit samples in the format it was captured in; saving converts
// it to the format asked for (sample size, rate and channel count).
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace dzq {

// Interleaved signed 16-bit samples, channels per frame, frames per second.
struct PcmSound {
    int sampleRate = 44100;
    int channels = 2;
    std::vector<int16_t> samples;
    std::size_t frames() const { return channels > 0 ? samples.size() / std::size_t(channels) : 0; }
};

// The format of a WAV file: PCM, 8 bits (unsigned) or 16 bits (signed, little
// endian), 1 or 2 channels.
struct WavFormat {
    int bitsPerSample = 16;
    int sampleRate = 44100;
    int channels = 2;
    bool operator==(const WavFormat &) const = default;
};

// What a WAV file may hold here.
bool isValidWavFormat(const WavFormat &format);
constexpr int MinSampleRate = 1000;
constexpr int MaxSampleRate = 192000;

// sound converted to format: resampled by linear interpolation, stereo mixed
// down to mono or mono copied to both sides, 16 bits rounded to 8. Returns the
// sample bytes of a WAV data chunk (without a pad byte).
QByteArray convertPcm(const PcmSound &sound, const WavFormat &format);

// A whole RIFF WAVE file: 44-byte header, the data, a pad byte when the data
// has an odd length. Empty when format is not valid or the data is too large
// for a WAV file (4 GiB).
QByteArray encodeWav(const PcmSound &sound, const WavFormat &format);

// Writes encodeWav() to path, replacing the file only once all of it was
// written. error gets a short text when it fails.
bool writeWavFile(const QString &path, const PcmSound &sound, const WavFormat &format, QString *error = nullptr);

} // namespace dzq
