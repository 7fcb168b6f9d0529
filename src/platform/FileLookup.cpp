#include "platform/FileLookup.h"

#include <QDir>
#include <QFileInfo>

namespace dzq {

namespace {

QString regularFile(const QDir &dir, const QString &name)
{
    const QFileInfo info(dir.filePath(name));
    return info.isFile() ? info.filePath() : QString();
}

} // namespace

QString findFileLikeWindows(const QString &dirPath, const QString &name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return {};
    QString trimmed = name;
    while (!trimmed.isEmpty() && (trimmed.endsWith(QLatin1Char(' ')) || trimmed.endsWith(QLatin1Char('.'))))
        trimmed.chop(1);
    if (trimmed.isEmpty())
        return {};
    const QDir dir(dirPath);
    if (QString p = regularFile(dir, name); !p.isEmpty())
        return p;
    if (QString p = regularFile(dir, trimmed); !p.isEmpty())
        return p;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &entry : entries)
        if (entry.compare(trimmed, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return {};
}

QString withSavedExtension(const QString &chosen, const QString &extension)
{
    const QString last = chosen.right(4);
    const bool hasExtension = last.size() == 4 && last.front() == u'.' && !last.contains(u'/');
    return (hasExtension ? chosen.chopped(4) : chosen) + extension;
}

} // namespace dzq
