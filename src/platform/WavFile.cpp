#include "platform/WavFile.h"

#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>

namespace dzq {

namespace {

constexpr int HeaderSize = 44;

// One channel of the output at a source frame: mono takes the mean of every
// captured channel, stereo takes the first two (or the single one twice).
double channelValue(const PcmSound &sound, std::size_t frame, int outChannel, int outChannels)
{
    const int16_t *f = sound.samples.data() + frame * std::size_t(sound.channels);
    if (outChannels == 1 && sound.channels > 1) {
        double sum = 0;
        for (int c = 0; c < sound.channels; ++c)
            sum += f[c];
        return sum / sound.channels;
    }
    return f[std::min(outChannel, sound.channels - 1)];
}

void putLe16(QByteArray &out, int value)
{
    const auto v = qToLittleEndian(uint16_t(value));
    out.append(reinterpret_cast<const char *>(&v), 2);
}

void putLe32(QByteArray &out, uint32_t value)
{
    const auto v = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&v), 4);
}

} // namespace

bool isValidWavFormat(const WavFormat &format)
{
    return (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
           (format.channels == 1 || format.channels == 2) && format.sampleRate >= MinSampleRate &&
           format.sampleRate <= MaxSampleRate;
}

QByteArray convertPcm(const PcmSound &sound, const WavFormat &format)
{
    if (!isValidWavFormat(format) || sound.channels < 1 || sound.sampleRate < 1)
        return {};
    const std::size_t inFrames = sound.frames();
    const double step = double(sound.sampleRate) / format.sampleRate;
    const auto outFrames = std::size_t(std::llround(double(inFrames) / step));
    const int bytes = format.bitsPerSample / 8;

    QByteArray out;
    out.reserve(qsizetype(outFrames) * format.channels * bytes);
    for (std::size_t t = 0; t < outFrames; ++t) {
        const double pos = double(t) * step;
        const auto i = std::min(std::size_t(pos), inFrames - 1);
        const std::size_t next = std::min(i + 1, inFrames - 1);
        const double frac = pos - double(i);
        for (int c = 0; c < format.channels; ++c) {
            const double a = channelValue(sound, i, c, format.channels);
            const double b = frac > 0 ? channelValue(sound, next, c, format.channels) : a;
            const long v = std::clamp(std::lround(a + (b - a) * frac), -32768L, 32767L);
            if (bytes == 2)
                putLe16(out, int(v));
            else // 8-bit WAV samples are unsigned, silence at 128
                out.append(char(std::min((v + 32768 + 128) >> 8, 255L)));
        }
    }
    return out;
}

QByteArray encodeWav(const PcmSound &sound, const WavFormat &format)
{
    if (!isValidWavFormat(format))
        return {};
    const QByteArray data = convertPcm(sound, format);
    const bool pad = data.size() % 2 != 0;
    const qint64 riffSize = 4 + (8 + 16) + 8 + qint64(data.size()) + (pad ? 1 : 0);
    if (riffSize > std::numeric_limits<uint32_t>::max())
        return {};
    const int blockAlign = format.channels * format.bitsPerSample / 8;

    QByteArray out;
    out.reserve(HeaderSize + data.size() + 1);
    out.append("RIFF");
    putLe32(out, uint32_t(riffSize));
    out.append("WAVEfmt ");
    putLe32(out, 16);
    putLe16(out, 1); // PCM
    putLe16(out, format.channels);
    putLe32(out, uint32_t(format.sampleRate));
    putLe32(out, uint32_t(format.sampleRate * blockAlign));
    putLe16(out, blockAlign);
    putLe16(out, format.bitsPerSample);
    out.append("data");
    putLe32(out, uint32_t(data.size()));
    out.append(data);
    if (pad)
        out.append('\0');
    return out;
}

bool writeWavFile(const QString &path, const PcmSound &sound, const WavFormat &format, QString *error)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    const QByteArray bytes = encodeWav(sound, format);
    if (bytes.isEmpty())
        return fail(QStringLiteral("录音太长或格式不对"));
    QSaveFile file(path);
    // commit() does not see a buffered write that fails on its way to the
    // disk (a full disk, the file size limit): the flush must say so first.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace dzq
