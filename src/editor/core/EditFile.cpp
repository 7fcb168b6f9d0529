#include "editor/core/EditFile.h"

#include "editor/core/MeasureEditing.h"
#include "platform/FileLookup.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"

#include <algorithm>

namespace dzq {

namespace {

const QString SortsAfterFillers = QStringLiteral("1");

// The last measure a save reaches: TotalMeasures held to the step capacity.
int lastSavedMeasure(const Song &song, int stepMax)
{
    return std::min<int>(song.TotalMeasures, lastMeasureThatFits(stepsPerMeasure(stepMax)));
}

} // namespace

void prepareEditFileSave(Song &song, MeasureStrings &strings, int stepMax)
{
    const int s = stepsPerMeasure(stepMax);
    const int last = lastSavedMeasure(song, stepMax);
    for (int line = 0; line < SongLineCount; ++line) {
        auto &cells = song.StepArr[std::size_t(line)];
        for (int t = 0; t < s * (last + 1); ++t) {
            QString &cell = cells[std::size_t(t)];
            if (cell < SortsAfterFillers)
                cell = isMelodyLine(line) ? QStringLiteral("--") : QStringLiteral("-");
            else if (isMelodyLine(line))
                cell = melodyCellText(cell);
        }
        for (int m = 0; m <= last; ++m)
            song.MeasureArr[std::size_t(line)][std::size_t(m)] = measureLineText(song, line, m, s);
    }
    for (int m = 0; m <= last; ++m) {
        QString &head = strings.MeasureHead[std::size_t(m)];
        if (head.size() < 5)
            head = decimalField(m, 4);
    }
}

QStringList editFileLines(const Song &song, const MeasureStrings &strings, int stepMax)
{
    QStringList lines;
    const int last = lastSavedMeasure(song, stepMax);
    for (int m = 0; m <= last; ++m) {
        lines << strings.MeasureHead[std::size_t(m)];
        for (int line = 0; line < SongLineCount; ++line)
            lines << song.MeasureArr[std::size_t(line)][std::size_t(m)];
    }
    return lines;
}

QString editFileName(const QString &chosen)
{
    return withSavedExtension(chosen, QStringLiteral(".lnk"));
}

bool writeEditFile(const QString &path, const Song &song, const MeasureStrings &strings, int stepMax,
                   QString *error)
{
    return writeTextFile(path, editFileLines(song, strings, stepMax), error);
}

EditFileRead parseEditFile(const QStringList &fileLines)
{
    EditFileRead read;
    qsizetype n = fileLines.size();
    while (n > 0 && fileLines[n - 1].isEmpty())
        --n;
    if (n == 0) {
        read.error = QStringLiteral("文件是空的");
        return read;
    }
    if (n < 2 || !(fileLines[1].size() == 32 || fileLines[1].size() == 48 || fileLines[1].size() == 64)) {
        read.error = QStringLiteral("第2行应是32、48或64个字符的旋律（每小节16、24或32步）");
        return read;
    }
    const int s = int(fileLines[1].size() / 2);
    if (n % EditFileLinesPerMeasure != 0) {
        read.error = QStringLiteral("文件有%1行，不是每小节%2行").arg(n).arg(EditFileLinesPerMeasure);
        return read;
    }
    const int measures = int(n / EditFileLinesPerMeasure);
    const int fits = lastMeasureThatFits(s) + 1;
    if (measures > fits) {
        read.error = QStringLiteral("文件有%1个小节，每小节%2步时最多只能有%3个小节").arg(measures).arg(s).arg(fits);
        return read;
    }
    EditFileSong song;
    song.stepMax = s - 1;
    song.totalMeasures = measures - 1;
    song.measures.resize(std::size_t(measures));
    for (int m = 0; m < measures; ++m) {
        auto &measure = song.measures[std::size_t(m)];
        const int first = m * EditFileLinesPerMeasure;
        const QString &head = fileLines[first];
        if (head.size() <= 4 && !parseDecimalField(head)) {
            read.error = QStringLiteral("第%1行应是小节号或小节设置").arg(first + 1);
            return read;
        }
        measure[0] = head;
        for (int line = 0; line < SongLineCount; ++line) {
            const QString &text = fileLines[first + 1 + line];
            const int wanted = isMelodyLine(line) ? 2 * s : s;
            if (text.size() != wanted) {
                read.error = QStringLiteral("第%1行应有%2个字符，却有%3个").arg(first + 2 + line).arg(wanted).arg(text.size());
                return read;
            }
            measure[std::size_t(line + 1)] = text;
        }
    }
    read.song = std::move(song);
    return read;
}

EditFileRead readEditFile(const QString &path)
{
    EditFileRead read;
    const TextFileContent content = readTextFile(path);
    if (!content.ok) {
        read.error = content.error;
        return read;
    }
    read = parseEditFile(content.lines);
    if (!read.song)
        read.error = QStringLiteral("“%1”不是完整的编辑文件：%2。文件没有打开。").arg(path, read.error);
    return read;
}

void loadEditFile(Song &song, MeasureStrings &strings, const EditFileSong &file)
{
    clearAll(song, strings);
    const int s = stepsPerMeasure(file.stepMax);
    const int measures = std::min<int>(int(file.measures.size()), lastMeasureThatFits(s) + 1);
    for (int m = 0; m < measures; ++m) {
        const auto &texts = file.measures[std::size_t(m)];
        strings.MeasureHead[std::size_t(m)] = texts[0];
        for (int line = 0; line < SongLineCount; ++line) {
            const auto l = std::size_t(line);
            const QString &text = texts[l + 1];
            song.MeasureArr[l][std::size_t(m)] = text;
            for (int j = 0; j < s; ++j) {
                const auto t = std::size_t(s * m + j);
                if (isMelodyLine(line)) {
                    song.StepArr[l][t] = melodyCellText(text.mid(2 * j, 2));
                    song.NoteArr[l][t] = SYYPSB(song.StepArr[l][t]);
                } else {
                    song.StepArr[l][t] = text.mid(j, 1);
                }
            }
        }
    }
    song.TotalMeasures = std::max(0, measures - 1);
}

} // namespace dzq
