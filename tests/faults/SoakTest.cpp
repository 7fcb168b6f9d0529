// An hour of music at tempo 70 (one tick is 107 ms: 33,600 ticks of the score
// clock) with the rhythm and the chord accompaniment following the score,
// driven as fast as the ticks run. Nothing may grow with the length of the
// piece: the live heap and the resident memory at the end are what they were
// after the first minute, nothing leaks (the sanitizer build checks), and
// when the score ends no note is left sounding.
//
// DZQ_SOAK_MINUTES sets the length of the piece (default 60).
#include "FaultsSupport.h"

#include "midi/HangingNotes.h"
#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "midi/SoundingNotes.h"
#include "shared/Shared.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>

#include <malloc.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define DZQ_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DZQ_ASAN 1
#endif
#endif

#ifdef DZQ_ASAN
#include <sanitizer/lsan_interface.h>
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace dzq;
using namespace dzq::test;

namespace {

constexpr int TicksPerMinute = 60000 / 107 + 1; // 561 at tempo 70

// Bytes of memory the process holds in RAM.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    const QList<QByteArray> fields = statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ') : QList<QByteArray>();
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

// Bytes the program has allocated and not freed.
qint64 liveHeapBytes()
{
#ifdef DZQ_ASAN
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 m = ::mallinfo2();
    return qint64(m.uordblks + m.hblkhd);
#endif
}

int soakMinutes()
{
    const int minutes = qEnvironmentVariableIntValue("DZQ_SOAK_MINUTES");
    return minutes > 0 ? minutes : 60;
}

// One 48-tick phrase: notes, a rest, a key change and back, a preset.
const QString Phrase = QStringLiteral("KC4KE4KG4HC4XZ4KG4KE4KC4YD3KD8YD1YQ7KF8");
constexpr int PhraseTicks = 48;

} // namespace

TEST(Soak, AnHourOfScoreWithRhythmAndChordsKeepsMemoryFlatAndEndsSilent)
{
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QStringLiteral("/数据/");
    fillDataFolder(dir);
    Program program(dir);
    ASSERT_TRUE(program.load());
    Form1 *w = program.showMainWindow();
    ASSERT_NE(w, nullptr);
    program.env.take();

    // Fixed pattern lines and progression (start-up draws them at random):
    // arpeggio, chords and bass over I-vi-ii-V.
    w->Text4->setPlainText(QStringLiteral("LC--LE--LG--LE--"));
    w->Text4_LostFocus();
    w->Text5->setPlainText(QStringLiteral("CC--CC--CC--CC--"));
    w->Text5_LostFocus();
    w->Text7->setPlainText(QStringLiteral("WC------WG------"));
    w->Text7_LostFocus();
    w->Text6_GotFocus();
    w->Text6->setPlainText(QStringLiteral("1625"));
    w->Text6_LostFocus();

    const int minutes = soakMinutes();
    const int phrases = (minutes * TicksPerMinute + PhraseTicks - 1) / PhraseTicks;
    // The first rhythm file, with the accompaniment following the score.
    w->Text3->setPlainText(QStringLiteral("JP1") + Phrase.repeated(phrases) + QStringLiteral("TZ"));
    w->Yuepu_Click(0);
    ASSERT_TRUE(w->ScorePlaying);
    ASSERT_EQ(w->Check5->value(), 1);
    ASSERT_EQ(StepMs, 107);

    HangingNoteChecker checker;
    std::size_t chords = 0, drums = 0, messages = 0;
    auto drain = [&] {
        const std::vector<uint32_t> sent = program.env.take();
        messages += sent.size();
        for (const uint32_t m : sent)
            if ((m & 0xF0) == 0x90 && (m >> 16 & 0xFF) > 0) {
                const int channel = int(m & 0x0F);
                chords += channel >= 3 && channel <= 5;
                drums += channel == 9;
            }
        checker.observe(sent);
    };

    QElapsedTimer clock;
    clock.start();
    qint64 heapAtStart = 0, residentAtStart = 0;
    int ticks = 0;
    const int maxTicks = phrases * PhraseTicks + 100;
    while (w->ScorePlaying && ticks < maxTicks) {
        w->Timer3_Timer();
        ++ticks;
        if (ticks % 100 == 0) {
            // What the window posted for itself (repaints, cursor moves) is
            // delivered as it would be between ticks; no clock fires here.
            QCoreApplication::sendPostedEvents();
            drain();
        }
        if (ticks == TicksPerMinute) {
            heapAtStart = liveHeapBytes();
            residentAtStart = residentBytes();
        }
    }
    QCoreApplication::sendPostedEvents();
    drain();
    const qint64 heapAtEnd = liveHeapBytes();
    const qint64 residentAtEnd = residentBytes();
    const qint64 ms = clock.elapsed();

    std::printf("soak: %d ticks (%.1f min of music) in %.2f s; live heap %.2f -> %.2f MB, resident %.1f -> %.1f MB; "
                "%zu chord notes, %zu drum notes, %zu messages\n",
                ticks, ticks * 107.0 / 60000.0, ms / 1000.0, heapAtStart / 1048576.0, heapAtEnd / 1048576.0,
                residentAtStart / 1048576.0, residentAtEnd / 1048576.0, chords, drums, messages);
    EXPECT_FALSE(w->ScorePlaying) << "the score played to its end";
    EXPECT_GE(ticks, phrases * PhraseTicks);
    EXPECT_GT(chords, std::size_t(ticks / 8)) << "the chord voices played along";
    EXPECT_GT(drums, std::size_t(ticks / 8)) << "the rhythm played along";

    // Memory held after the first minute does not grow with the piece.
    EXPECT_LT(heapAtEnd - heapAtStart, 2 * 1048576) << "live heap grew";
#ifndef DZQ_ASAN
    // (The sanitizer keeps freed memory aside for a while, so its resident
    // size follows the amount allocated; its live heap and leak check count.)
    EXPECT_LT(residentAtEnd - residentAtStart, 16 * 1048576) << "resident memory grew";
#endif

    // Nothing is left sounding, on the device or in the chord spread.
    EXPECT_FALSE(chordNotesPending());
    EXPECT_EQ(describeHangingNotes(checker.hanging()).toStdString(), "");
    EXPECT_TRUE(program.env.messages.shown.empty()) << program.env.messages.texts().join('|').toStdString();

#ifdef DZQ_ASAN
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "leaks, listed above";
#endif
}
