#include "editor/core/MeasureEditing.h"

#include <algorithm>

namespace dzq {

namespace {

const QString Hold = QStringLiteral("--");
const QString NoHit = QStringLiteral("-");

// The line text of a line in measure m from its cells with the fillers in
// place of empty cells; empty when no cell of the line is written (m must fit).
QString filledLineText(const Song &song, int line, int first, int steps)
{
    const auto &cells = song.StepArr[std::size_t(line)];
    bool written = false;
    QString text;
    text.reserve(2 * steps);
    for (int t = first; t < first + steps; ++t) {
        const QString &cell = cells[std::size_t(t)];
        written = written || !cell.isEmpty();
        if (isMelodyLine(line))
            text += melodyCellText(cell);
        else
            text += cell.isEmpty() ? NoHit : cell;
    }
    return written ? text : QString();
}

} // namespace

bool measureFits(int measure, int stepMax)
{
    return measure >= 0 && measure <= lastMeasureThatFits(stepsPerMeasure(stepMax));
}

int playLastStep(int totalMeasures, int stepMax)
{
    return stepsPerMeasure(stepMax) * totalMeasures + stepMax;
}

QString barsCaption(int measure)
{
    return QStringLiteral("实际小节数是(%1-%2)小节").arg(2 * measure + 1).arg(2 * measure + 2);
}

QString melodyCellText(const QString &cell)
{
    if (cell.isEmpty())
        return Hold;
    if (cell.size() == 1)
        return cell + QLatin1Char('-');
    return cell;
}

QString enterMelodyLine(Song &song, int line, int measure, int stepMax, const QString &typed)
{
    const int s = stepsPerMeasure(stepMax);
    QString text = typed.toUpper();
    if (text.size() < 2 * s)
        text += QString(2 * s - text.size(), QLatin1Char('-'));
    if (!isMelodyLine(line) || !measureFits(measure, stepMax))
        return text;
    const auto l = std::size_t(line);
    song.MeasureArr[l][std::size_t(measure)] = text;
    for (int k = 0; k < s; ++k) {
        const auto t = std::size_t(s * measure + k);
        song.StepArr[l][t] = text.mid(2 * k, 2);
        song.NoteArr[l][t] = SYYPSB(song.StepArr[l][t]);
    }
    return text;
}

void enterPercussionStep(Song &song, int line, int measure, int stepMax, int step, bool ticked)
{
    const int s = stepsPerMeasure(stepMax);
    if (!isPercussionLine(line) || !measureFits(measure, stepMax) || step < 0 || step >= s)
        return;
    auto &cells = song.StepArr[std::size_t(line)];
    const int first = s * measure;
    cells[std::size_t(first + step)] = ticked ? QStringLiteral("O") : NoHit;
    for (int t = first; t < first + s; ++t)
        if (cells[std::size_t(t)].isEmpty())
            cells[std::size_t(t)] = NoHit;
    song.MeasureArr[std::size_t(line)][std::size_t(measure)] = measureLineText(song, line, measure, s);
}

void clearMeasure(Song &song, int measure, int stepMax)
{
    if (!measureFits(measure, stepMax))
        return;
    const int s = stepsPerMeasure(stepMax);
    for (int line = 0; line < SongLineCount; ++line) {
        const auto l = std::size_t(line);
        song.MeasureArr[l][std::size_t(measure)].clear();
        for (int t = s * measure; t < s * (measure + 1); ++t) {
            song.StepArr[l][std::size_t(t)].clear();
            if (isMelodyLine(line))
                song.NoteArr[l][std::size_t(t)] = HoldCode;
        }
    }
}

std::optional<int> insertMeasure(Song &song, int curMeasure, int stepMax)
{
    const int inserted = curMeasure + 1;
    const int total = song.TotalMeasures <= inserted ? inserted + 1 : song.TotalMeasures;
    if (curMeasure < 0 || !measureFits(inserted, stepMax) || !measureFits(total, stepMax))
        return std::nullopt;
    clearMeasure(song, inserted, stepMax);
    song.TotalMeasures = total;
    return inserted;
}

MeasureCountAnswer parseMeasureCountAnswer(const QString &answer, int stepMax)
{
    MeasureCountAnswer result;
    const QString text = answer.trimmed();
    if (text.isEmpty())
        return result;
    const int last = lastMeasureThatFits(stepsPerMeasure(stepMax));
    const bool digits = std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    bool ok = false;
    const qlonglong v = digits && text.size() <= 9 ? text.toLongLong(&ok) : -1;
    if (ok && v == 0)
        return result;
    if (ok && v >= 1 && v <= last)
        result.count = int(v);
    else
        result.message = QStringLiteral("请输入1到%1之间的整数！小节总数没有改变。").arg(last);
    return result;
}

void clearAll(Song &song, MeasureStrings &strings)
{
    for (int line = 0; line < SongLineCount; ++line) {
        const auto l = std::size_t(line);
        for (QString &cell : song.StepArr[l])
            cell.clear();
        for (QString &text : song.MeasureArr[l])
            text.clear();
        if (isMelodyLine(line))
            song.NoteArr[l].fill(HoldCode);
    }
    for (auto *table : {&strings.MeasureHead, &strings.MeasureFx, &strings.MeasureDepth, &strings.MeasureKey,
                        &strings.MeasureTempo})
        for (QString &text : *table)
            text.clear();
    song.TotalMeasures = 0;
}

void rebuildLineTexts(Song &song, int stepMax)
{
    const int s = stepsPerMeasure(stepMax);
    const int last = lastMeasureThatFits(s);
    for (int line = 0; line < SongLineCount; ++line)
        for (int m = 0; m <= last; ++m)
            song.MeasureArr[std::size_t(line)][std::size_t(m)] = filledLineText(song, line, s * m, s);
}

QString measureCapacityMessage(int stepMax)
{
    const int s = stepsPerMeasure(stepMax);
    return QStringLiteral("每小节%1步时音乐最多只能编辑到软件第%2小节，不能再增加小节！")
        .arg(s)
        .arg(lastMeasureThatFits(s));
}

} // namespace dzq
