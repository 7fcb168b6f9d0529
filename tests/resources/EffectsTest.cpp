// The effect sounds shipped with the program: each one the default settings
// name is found the way the effect keys look it up, and is a short, audible,
// unclipped PCM WAV.
#include "platform/FileLookup.h"
#include "platform/Resources.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using dzq::resourceFile;

namespace {

const QStringList ShippedEffects{QStringLiteral("拍手1.wav"), QStringLiteral("雷声3.WAV"),
                                 QStringLiteral("锣2.wav"),   QStringLiteral("民族笛子3.wav"),
                                 QStringLiteral("涨潮.wav"),  QStringLiteral("钟声.wav")};

struct Wav {
    quint16 format = 0, channels = 0, bits = 0;
    quint32 rate = 0;
    QVector<qint16> samples;
    QString error;
};

// Reads a RIFF WAVE file chunk by chunk; error is set when it is not one.
Wav readWav(const QByteArray &bytes)
{
    Wav wav;
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    char tag[4];
    quint32 size = 0;
    in.readRawData(tag, 4);
    in >> size;
    if (QByteArray(tag, 4) != "RIFF" || size + 8 != quint32(bytes.size())) {
        wav.error = QStringLiteral("no RIFF header or wrong RIFF size");
        return wav;
    }
    in.readRawData(tag, 4);
    if (QByteArray(tag, 4) != "WAVE") {
        wav.error = QStringLiteral("not WAVE");
        return wav;
    }
    bool haveFormat = false;
    while (!in.atEnd()) {
        if (in.readRawData(tag, 4) != 4)
            break;
        in >> size;
        const QByteArray id(tag, 4);
        const qint64 next = in.device()->pos() + size + (size & 1);
        if (next > bytes.size()) {
            wav.error = QStringLiteral("chunk runs past the end");
            return wav;
        }
        if (id == "fmt ") {
            quint32 byteRate;
            quint16 blockAlign;
            in >> wav.format >> wav.channels >> wav.rate >> byteRate >> blockAlign >> wav.bits;
            haveFormat = byteRate == wav.rate * wav.channels * wav.bits / 8;
        } else if (id == "data") {
            wav.samples.resize(size / 2);
            for (qint16 &s : wav.samples)
                in >> s;
        }
        in.device()->seek(next);
    }
    if (!haveFormat || wav.samples.isEmpty())
        wav.error = QStringLiteral("missing or inconsistent fmt or data chunk");
    return wav;
}

} // namespace

TEST(Effects, EachIsAShortAudibleUnclippedPcmWav)
{
    qint64 total = 0;
    for (const QString &name : ShippedEffects) {
        SCOPED_TRACE(name.toStdString());
        QFile f(resourceFile(QStringLiteral("effects/") + name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        total += bytes.size();
        const Wav wav = readWav(bytes);
        ASSERT_TRUE(wav.error.isEmpty()) << wav.error.toStdString();
        EXPECT_EQ(wav.format, 1);
        EXPECT_EQ(wav.channels, 1);
        EXPECT_EQ(wav.rate, 22050u);
        EXPECT_EQ(wav.bits, 16);

        const double seconds = double(wav.samples.size()) / wav.rate;
        EXPECT_GE(seconds, 0.5);
        EXPECT_LE(seconds, 3.0);

        int peak = 0;
        double energy = 0;
        for (qint16 s : wav.samples) {
            peak = std::max(peak, std::abs(int(s)));
            energy += double(s) * s;
        }
        const double rms = std::sqrt(energy / wav.samples.size()) / 32768.0;
        EXPECT_GT(peak, 32768 / 4) << "too quiet";
        EXPECT_LT(peak, 32767) << "clipped";
        EXPECT_GT(rms, 0.02) << "nearly silent";
        // Starts and ends without a click.
        EXPECT_LT(std::abs(wav.samples.first()), 1000);
        EXPECT_LT(std::abs(wav.samples.last()), 1000);
    }
    EXPECT_LT(total, 1024 * 1024);
}

TEST(Effects, DefaultSettingsNamesFindTheShippedFiles)
{
    // The names as the default settings file gives them ("钟声.wav " with its
    // trailing blank, "雷声3.WAV" in capitals) must find the copies in the
    // effects folder.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const QString &name : ShippedEffects)
        ASSERT_TRUE(QFile::copy(resourceFile(QStringLiteral("effects/") + name), dir.filePath(name)));

    const QStringList lines = dzq::LoadResString(508).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 52);
    for (int line = 47; line <= 52; ++line) {
        const QString name = lines[line - 1];
        const QString found = dzq::findFileLikeWindows(dir.path(), name);
        EXPECT_FALSE(found.isEmpty()) << "line " << line << " \"" << name.toStdString() << "\"";
    }
    // The shipped files are exactly the six effect keys' sounds.
    QDir shipped(resourceFile(QStringLiteral("effects")));
    EXPECT_EQ(shipped.entryList(QDir::Files).size(), ShippedEffects.size());
}
