// The effect sounds shipped with the program: each one the default settings
// name is found the way the effect keys look it up, and is a short, audible,
// unclipped PCM WAV.
#include "platform/FileLookup.h"
#include "platform/Resources.h"
#include "platform/WavFile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>

using dzq::resourceFile;

namespace {

const QString EffectsFolder = resourceFile(QStringLiteral("effects"));

QStringList shippedEffects() { return QDir(EffectsFolder).entryList(QDir::Files); }

} // namespace

TEST(Effects, EachIsAShortAudibleUnclippedPcmWav)
{
    qint64 total = 0;
    for (const QString &name : shippedEffects()) {
        SCOPED_TRACE(name.toStdString());
        QFile f(EffectsFolder + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        total += bytes.size();
        ASSERT_GT(bytes.size(), 44);

        // 16-bit mono at 22050/s: the file is exactly the WAV of its samples.
        dzq::PcmSound sound;
        sound.sampleRate = 22050;
        sound.channels = 1;
        for (qsizetype at = 44; at + 1 < bytes.size(); at += 2)
            sound.samples.push_back(qFromLittleEndian<qint16>(bytes.constData() + at));
        EXPECT_EQ(dzq::encodeWav(sound, {16, 22050, 1}), bytes) << "not a plain PCM WAV of that format";

        const double seconds = double(sound.samples.size()) / 22050;
        EXPECT_GE(seconds, 0.5);
        EXPECT_LE(seconds, 3.0);
        int peak = 0;
        double energy = 0;
        for (qint16 s : sound.samples) {
            peak = std::max(peak, std::abs(int(s)));
            energy += double(s) * s;
        }
        EXPECT_GT(peak, 32768 / 4) << "too quiet";
        EXPECT_LT(peak, 32767) << "clipped";
        EXPECT_GT(std::sqrt(energy / double(sound.samples.size())) / 32768.0, 0.02) << "nearly silent";
        // Starts and ends without a click.
        EXPECT_LT(std::abs(sound.samples.front()), 1000);
        EXPECT_LT(std::abs(sound.samples.back()), 1000);
    }
    EXPECT_LT(total, 1024 * 1024);
}

TEST(Effects, TheDefaultSettingsNamesFindExactlyTheShippedFiles)
{
    // As the settings give them: "钟声.wav " with its trailing blank, "雷声3.WAV"
    // in capitals.
    const QStringList lines = dzq::LoadResString(508).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 52);
    QSet<QString> found;
    for (int line = 47; line <= 52; ++line) {
        found << dzq::findFileLikeWindows(EffectsFolder, lines[line - 1]);
        EXPECT_FALSE(found.contains(QString())) << "line " << line << " \"" << lines[line - 1].toStdString() << "\"";
    }
    EXPECT_EQ(found.size(), shippedEffects().size());
}
