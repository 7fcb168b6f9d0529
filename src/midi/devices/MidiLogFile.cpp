// The message log: a locked swap buffer filled by record() and emptied by a
// writer thread every 2 ms; the line format and its parser.
#include "midi/devices/MidiLogFile.h"

#include <QFile>

#include <charconv>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace dzq {

namespace {

using Clock = std::chrono::steady_clock;

// Set while the program's static objects are made, before main() runs.
const Clock::time_point g_programStart = Clock::now();

constexpr auto kWriteInterval = std::chrono::milliseconds(2);
constexpr size_t kReserved = 8192; // entries; more only after a long stall of the writer

struct Entry {
    int64_t micros;
    uint32_t msg;
};

void appendLine(std::string &out, int64_t micros, uint32_t msg)
{
    char buf[48];
    char *p = std::to_chars(buf, buf + 24, micros / 1000).ptr;
    const int frac = int(micros % 1000);
    *p++ = '.';
    *p++ = char('0' + frac / 100);
    *p++ = char('0' + frac / 10 % 10);
    *p++ = char('0' + frac % 10);
    *p++ = ' ';
    static const char hex[] = "0123456789ABCDEF";
    for (int shift = 28; shift >= 0; shift -= 4)
        *p++ = hex[(msg >> shift) & 0xF];
    out.append(buf, p);
}

} // namespace

struct MidiLogFile::Impl {
    QFile file;
    std::mutex mutex;
    std::condition_variable wake; // only to end the wait early on stop
    std::vector<Entry> pending;   // guarded by mutex
    bool stop = false;            // guarded by mutex
    std::thread writer;

    void run();
};

void MidiLogFile::Impl::run()
{
    std::vector<Entry> batch;
    batch.reserve(kReserved);
    std::string text;
    text.reserve(kReserved * 24);
    for (;;) {
        bool stopping = false;
        {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, kWriteInterval, [this] { return stop; });
            batch.swap(pending); // pending keeps the reserved storage of batch
            stopping = stop;
        }
        if (!batch.empty()) {
            text.clear();
            for (const Entry &e : batch) {
                appendLine(text, e.micros, e.msg);
                text += '\n';
            }
            file.write(text.data(), qint64(text.size()));
            batch.clear();
        }
        if (stopping)
            return;
    }
}

MidiLogFile::MidiLogFile(const QString &path) : d(std::make_unique<Impl>())
{
    d->file.setFileName(path);
    // Unbuffered: each batch is one write() and reaches the file at once.
    if (!d->file.open(QIODevice::Append | QIODevice::Unbuffered))
        return;
    d->pending.reserve(kReserved);
    d->writer = std::thread([impl = d.get()] { impl->run(); });
}

MidiLogFile::~MidiLogFile()
{
    if (!d->writer.joinable())
        return;
    {
        std::lock_guard lock(d->mutex);
        d->stop = true;
    }
    d->wake.notify_one();
    d->writer.join();
}

bool MidiLogFile::isOpen() const { return d->file.isOpen(); }
QString MidiLogFile::errorString() const { return d->file.errorString(); }

void MidiLogFile::record(uint32_t msg)
{
    if (!d->writer.joinable())
        return;
    // The time is taken under the lock, so lines from several threads stay in
    // time order.
    std::lock_guard lock(d->mutex);
    d->pending.push_back(Entry{midiLogClockMicros(), msg});
}

int64_t midiLogClockMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - g_programStart).count();
}

std::string midiLogLine(int64_t micros, uint32_t msg)
{
    std::string line;
    appendLine(line, micros, msg);
    return line;
}

std::optional<MidiLogEntry> parseMidiLogLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const size_t dot = line.find('.');
    // digits "." three digits " " eight hex digits
    if (dot == 0 || dot == std::string_view::npos || line.size() != dot + 1 + 3 + 1 + 8 || line[dot + 4] != ' ')
        return std::nullopt;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto isHex = [&](char c) { return isDigit(c) || (c >= 'A' && c <= 'F'); };
    for (size_t i = 0; i < dot; ++i)
        if (!isDigit(line[i]))
            return std::nullopt;
    for (size_t i = dot + 1; i < dot + 4; ++i)
        if (!isDigit(line[i]))
            return std::nullopt;
    for (size_t i = dot + 5; i < line.size(); ++i)
        if (!isHex(line[i]))
            return std::nullopt;

    int64_t ms = 0;
    int frac = 0;
    uint32_t msg = 0;
    if (std::from_chars(line.data(), line.data() + dot, ms).ec != std::errc())
        return std::nullopt; // too many digits
    std::from_chars(line.data() + dot + 1, line.data() + dot + 4, frac);
    std::from_chars(line.data() + dot + 5, line.data() + line.size(), msg, 16);
    if (ms > (INT64_MAX - 999) / 1000)
        return std::nullopt;
    return MidiLogEntry{ms * 1000 + frac, msg};
}

} // namespace dzq
