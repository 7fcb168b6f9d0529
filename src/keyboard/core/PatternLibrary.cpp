#include "keyboard/core/PatternLibrary.h"

#include "platform/TextFile.h"

#include <QFileInfo>

namespace dzq {

QString patternLibraryName() { return QStringLiteral("HxJzMx.txt"); }

bool createPatternLibrary(const QString &path, const QString &defaultText, QString *error)
{
    return writeTextFile(path, splitTextLines(defaultText + QStringLiteral("\r\n")), error);
}

QStringList readPatternLibrary(const QString &path)
{
    TextFileContent content = readTextFile(path);
    if (!content.ok)
        return {};
    if (content.lines.size() > PatternLibraryMaxLines)
        content.lines.resize(PatternLibraryMaxLines);
    return content.lines;
}

QStringList newPatternLines(const QStringList &library, const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        if (!library.contains(line, Qt::CaseSensitive))
            out << line;
    return out;
}

bool savePatternLines(const QString &path, const QStringList &lines, QString *error)
{
    if (!QFileInfo(path).isFile())
        return true;
    // The whole file is compared, so a line kept beyond the lines the draw
    // uses is not added a second time.
    const TextFileContent content = readTextFile(path);
    if (!content.ok) {
        if (error)
            *error = content.error;
        return false;
    }
    const QStringList added = newPatternLines(content.lines, lines);
    if (added.isEmpty())
        return true;
    return appendTextFile(path, added, error);
}

} // namespace dzq
