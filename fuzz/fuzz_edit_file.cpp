// The editor's edit file as the program opens it. A text is either refused,
// with a message, or it loads into the song tables with every invariant of
// the song in place: one of the three time signatures, the song within the
// step capacity, cells of the right width with their note codes, nothing
// left beyond the song. A loaded song saves to lines that open again and
// save to the same lines.
#include "FuzzCheck.h"

#include "editor/core/EditFile.h"
#include "editor/core/MeasureRecord.h"
#include "platform/TextFile.h"

#include <memory>

using namespace dzq;

namespace {

void checkSong(const Song &song, const EditFileSong &file)
{
    const int s = stepsPerMeasure(file.stepMax);
    FUZZ_CHECK(s == 16 || s == 24 || s == 32);
    FUZZ_CHECK(song.TotalMeasures == file.totalMeasures);
    FUZZ_CHECK(song.TotalMeasures >= 0 && song.TotalMeasures <= lastMeasureThatFits(s));
    const int end = s * (song.TotalMeasures + 1);
    for (int line = 0; line < SongLineCount; ++line) {
        const auto l = std::size_t(line);
        for (int t = 0; t < SongStepCapacity; ++t) {
            const QString &cell = song.StepArr[l][std::size_t(t)];
            if (t >= end) {
                FUZZ_CHECK(cell.isEmpty());
                continue;
            }
            if (isMelodyLine(line)) {
                FUZZ_CHECK(cell.size() == 2);
                FUZZ_CHECK(song.NoteArr[l][std::size_t(t)] == SYYPSB(cell));
            } else {
                FUZZ_CHECK(cell.size() == 1);
            }
        }
        for (int m = 0; m <= song.TotalMeasures; ++m)
            FUZZ_CHECK(song.MeasureArr[l][std::size_t(m)].size() == (isMelodyLine(line) ? 2 * s : s));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const auto strings = std::make_unique<MeasureStrings>();
    Song &song = programSong();

    const QStringList lines = splitTextLines(decodeTextBytes(fuzz::bytesOf(data, size)));
    const EditFileRead read = parseEditFile(lines);
    if (!read.song) {
        FUZZ_CHECK(!read.error.isEmpty());
        return 0;
    }
    const EditFileSong &file = *read.song;
    FUZZ_CHECK(file.measures.size() == std::size_t(file.totalMeasures + 1));
    loadEditFile(song, *strings, file);
    checkSong(song, file);

    // A record is either refused or holds settings that build a valid record.
    for (int m = 0; m <= song.TotalMeasures; ++m) {
        if (const std::optional<MeasureSettings> s = takeMeasureRecord(*strings, m)) {
            const QString rebuilt = buildMeasureRecord(m, *s);
            FUZZ_CHECK(rebuilt.size() == MeasureRecordLength);
            FUZZ_CHECK(decodeMeasureRecord(rebuilt) == s);
        }
    }

    // Saved, opened and saved again: the same lines.
    prepareEditFileSave(song, *strings, file.stepMax);
    const QStringList saved = editFileLines(song, *strings, file.stepMax);
    FUZZ_CHECK(saved.size() == EditFileLinesPerMeasure * (song.TotalMeasures + 1));
    const EditFileRead again = parseEditFile(saved);
    FUZZ_CHECK(again.song);
    FUZZ_CHECK(again.song->stepMax == file.stepMax);
    loadEditFile(song, *strings, *again.song);
    checkSong(song, *again.song);
    prepareEditFileSave(song, *strings, file.stepMax);
    FUZZ_CHECK(editFileLines(song, *strings, file.stepMax) == saved);
    return 0;
}
