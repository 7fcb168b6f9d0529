#include "keyboard/core/ScoreFiles.h"

#include "platform/TextFile.h"

#include <QStringList>

namespace dzq {

QString scoreSaveFileName(const QString &chosen)
{
    const QString suffix = QStringLiteral("(乐谱).txt");
    const qsizetype n = chosen.size();
    if (n >= 4 && chosen[n - 4] == u'.') {
        const QStringView extension = QStringView(chosen).last(4);
        if (!extension.contains(u'/'))
            return chosen.first(n - 4) + suffix;
    }
    return chosen + suffix;
}

ScoreFileRead readScoreFile(const QString &path)
{
    TextFileContent content = readTextFile(path);
    ScoreFileRead read;
    read.ok = content.ok;
    read.error = content.error;
    if (content.ok)
        read.score = content.lines.join(QString());
    return read;
}

bool writeScoreFile(const QString &path, const QString &score, QString *error)
{
    return writeTextFile(path, QStringList{score}, error);
}

} // namespace dzq
