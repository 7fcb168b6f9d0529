// The --midi-log file: the exact line format and its parser, lines reaching
// the file promptly while the program runs, nothing lost at the end.
#include "midi/devices/MidiLogFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace dzq;

namespace {

std::vector<std::string> fileLines(const QString &path)
{
    QFile file(path);
    std::vector<std::string> lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            lines.push_back(line.toStdString());
    return lines;
}

class LogFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("演奏.log"));
};

} // namespace

TEST(LogLine, FormatAndParseRoundTripAndOtherShapesAreRefused)
{
    const struct {
        int64_t micros;
        uint32_t msg;
        const char *line;
    } cases[] = {{12345, 0x00553C90, "12.345 00553C90"}, {0, 0xFFFFFFC0, "0.000 FFFFFFC0"},
                 {7, 0x99, "0.007 00000099"}, {1000000001, 0x7F7FEF, "1000000.001 007F7FEF"}};
    for (const auto &c : cases) {
        EXPECT_EQ(midiLogLine(c.micros, c.msg), c.line);
        const auto parsed = parseMidiLogLine(c.line);
        ASSERT_TRUE(parsed) << c.line;
        EXPECT_TRUE(parsed->micros == c.micros && parsed->msg == c.msg) << c.line;
    }
    const auto crlf = parseMidiLogLine("3.250 00003C80\r");
    EXPECT_TRUE(crlf && crlf->micros == 3250);
    for (const char *line : {"", "12.345", "3.250 003C80\r", "12.34 00553C90", "12.3456 00553C90", ".345 00553C90",
                             "12,345 00553C90", "12.345  00553C90", "12.345 00553c90", "12.345 00553C9G",
                             "12.345 00553C90 ", "-1.000 00553C90", "x2.345 00553C90",
                             "99999999999999999999.000 00000090"})
        EXPECT_FALSE(parseMidiLogLine(line)) << '"' << line << '"';
}

TEST_F(LogFile, LinesReachTheFileWhileTheWriterRuns)
{
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("1.000 00003C80\n");
    }
    MidiLogFile log(path);
    ASSERT_TRUE(log.isOpen());
    const int64_t before = midiLogClockMicros();
    log.record(0x00553C90);
    log.record(0xFFFFFFC0);
    const int64_t after = midiLogClockMicros();

    // Poll: the writer delivers every few milliseconds.
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> lines;
    while ((lines = fileLines(path)).size() < 3 && std::chrono::steady_clock::now() - start < std::chrono::milliseconds(100))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(lines.size(), 3u) << "not in the file within 100 ms";

    EXPECT_EQ(lines[0], "1.000 00003C80"); // appended, not overwritten
    const auto first = parseMidiLogLine(lines[1]);
    const auto second = parseMidiLogLine(lines[2]);
    ASSERT_TRUE(first && second) << lines[1] << " / " << lines[2];
    EXPECT_EQ(first->msg, 0x00553C90u);
    EXPECT_EQ(second->msg, 0xFFFFFFC0u);
    EXPECT_GE(first->micros, before);
    EXPECT_LE(second->micros, after);
    EXPECT_LE(first->micros, second->micros);
}

TEST_F(LogFile, EverythingRecordedIsWrittenInOrderByTheEnd)
{
    constexpr int perThread = 20000;
    {
        MidiLogFile log(path);
        ASSERT_TRUE(log.isOpen());
        // Two senders at once; each one's messages keep their order.
        auto send = [&log](uint32_t tag) {
            for (int i = 0; i < perThread; ++i)
                log.record(tag | uint32_t(i));
        };
        std::thread other(send, 0x01000000);
        send(0x02000000);
        other.join();
    }
    const std::vector<std::string> lines = fileLines(path);
    ASSERT_EQ(lines.size(), size_t(2 * perThread));
    int next[3] = {0, 0, 0};
    int64_t lastMicros = 0;
    for (const std::string &line : lines) {
        const auto entry = parseMidiLogLine(line);
        ASSERT_TRUE(entry) << line;
        const int tag = int(entry->msg >> 24);
        ASSERT_TRUE(tag == 1 || tag == 2) << line;
        ASSERT_EQ(int(entry->msg & 0xFFFFFF), next[tag]++) << line;
        ASSERT_GE(entry->micros, lastMicros) << line;
        lastMicros = entry->micros;
    }
}

TEST_F(LogFile, UnwritablePathIsReportedAndRecordingIsHarmless)
{
    MidiLogFile log(dir.filePath(QStringLiteral("没有的文件夹/midi.log")));
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.errorString().isEmpty());
    log.record(0x643C90);
}
