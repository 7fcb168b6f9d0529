// The chord panel's readers: the pattern library file, the random draw of its
// lines into the three pattern boxes, a typed or listed progression, and the
// chord sequence built from them, as the window does it. Draws stay within the
// library, cell codes are known codes, the sequence holds only known codes,
// its length is chords x steps within the table, every step outside it holds,
// and reads of it by voice and step never leave it.
//
// The input is the library file's bytes; the panel's choices (metre, draws,
// progression) are taken from its end.
#include "FuzzCheck.h"

#include "keyboard/core/ChordProgression.h"
#include "keyboard/core/PatternLibrary.h"
#include "platform/Resources.h"
#include "shared/Shared.h"

#include <QFile>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

using namespace dzq;

namespace {

bool knownCode(int code)
{
    return (code >= 0 && code < 64) || (code >= 65 && code <= 85) || code == RestCode
        || code == HoldCode;
}

bool patternCode(int code)
{
    for (int c : {0, 4, 7, 9, 12, 16, 19, 21, 24, 28, 31, 33, 36, 40, 43, 65, 72, 79, RestCode, HoldCode})
        if (code == c)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(patternLibraryName());
    static const std::optional<DegreeCodeTable> table = parseDegreeTable(LoadResString(511));
    FUZZ_CHECK(dir.isValid() && table);

    FuzzedDataProvider in(data, size);
    const bool threeFour = in.ConsumeBool();
    const int steps = stepsPerChordForMetre(threeFour ? 11 : 15);
    const int listed = in.ConsumeIntegralInRange(-1, ProgressionListCount + 1);
    const bool typedProgression = in.ConsumeBool();
    const std::string typed = in.ConsumeRandomLengthString(24);
    const double draws[3] = {in.ConsumeProbability<double>(), in.ConsumeProbability<double>(),
                             in.ConsumeProbability<double>()};
    const std::vector<uint8_t> file = in.ConsumeRemainingBytes<uint8_t>();

    {
        QFile f(path);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char *>(file.data()), qsizetype(file.size()));
    }
    const QStringList library = readPatternLibrary(path);
    const int n = int(library.size());
    FUZZ_CHECK(n <= PatternLibraryMaxLines);

    PatternCells cells{};
    QStringList boxes;
    for (std::size_t v = 0; v < 3; ++v) {
        const int k = drawIndex(draws[v], n);
        FUZZ_CHECK(n == 0 ? k == 0 : (k >= 1 && k <= n));
        QString line = n == 0 ? QString() : library[k - 1];
        if (threeFour)
            line = line.right(2 * steps);
        // The box as the user leaves it.
        const QString box = normalisePatternLine(line, 2 * steps);
        FUZZ_CHECK(box.size() >= 2 * steps);
        for (int i = 0; i < 2 * steps; ++i)
            FUZZ_CHECK(!box[i].isSpace());
        for (const QString &text : {line, box}) {
            const std::vector<int> codes = patternLineCodes(text, steps);
            FUZZ_CHECK(int(codes.size()) == steps);
            for (int c : codes)
                FUZZ_CHECK(patternCode(c));
        }
        const std::vector<int> codes = patternLineCodes(box, steps);
        cells[v].fill(HoldCode);
        std::copy(codes.begin(), codes.end(), cells[v].begin());
        boxes << box;
    }
    for (const QString &added : newPatternLines(library, boxes))
        FUZZ_CHECK(boxes.contains(added) && !library.contains(added));

    const QString progression = typedProgression ? QString::fromUtf8(typed.data(), qsizetype(typed.size()))
                                                 : progressionListEntry(listed);
    const std::optional<std::vector<int>> degrees = parseProgression(progression);
    int cycle = 0;
    std::array<int, MaxProgressionLength + 1> chords{};
    if (degrees) {
        FUZZ_CHECK(int(degrees->size()) == progression.size() && degrees->size() <= MaxProgressionLength);
        cycle = int(degrees->size());
        for (int c = 0; c < cycle; ++c) {
            FUZZ_CHECK((*degrees)[std::size_t(c)] >= 1 && (*degrees)[std::size_t(c)] <= 7);
            chords[std::size_t(c + 1)] = (*degrees)[std::size_t(c)];
        }
    }

    ChordSequence &seq = ChordSeq;
    for (auto &voice : seq)
        voice.fill(-7); // anything left from before must not survive the build
    ChordSeqLen = buildChordSequence(cells, chords, cycle, steps, *table, seq);
    FUZZ_CHECK(ChordSeqLen == cycle * steps && ChordSeqLen < ChordSeqSteps);
    for (int v = 1; v <= 3; ++v)
        for (int i = 0; i < ChordSeqSteps; ++i) {
            const int code = seq[std::size_t(v)][std::size_t(i)];
            FUZZ_CHECK(knownCode(code));
            if (i >= ChordSeqLen)
                FUZZ_CHECK(code == HoldCode);
            if (i < steps && i < ChordSeqLen)
                FUZZ_CHECK(code == cells[std::size_t(v - 1)][std::size_t(i)]);
        }
    // The voices read the sequence by voice and step, also out of range.
    for (int v = -1; v <= 5; ++v)
        for (int i = -2; i <= ChordSeqLen + 2; ++i) {
            const int code = chordSeqCode(v, i);
            FUZZ_CHECK(knownCode(code));
            if (v < 1 || v > 3 || i < 0 || i >= ChordSeqLen)
                FUZZ_CHECK(code == HoldCode);
        }
    return 0;
}
