#include "score_entry/EntryFiles.h"

#include "platform/FileLookup.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>

namespace dzq {

QString entrySaveFileName(const QString &chosen)
{
    return withSavedExtension(chosen, QStringLiteral(".txt"));
}

bool entryScoreSavable(const QString &score)
{
    // Characters, not UTF-16 units: a character outside the basic plane is one.
    return score.toUcs4().size() > 2;
}

EntryFileRead readEntryFile(const QString &path)
{
    EntryFileRead read;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return read;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return read;
    read.text = decodeTextBytes(bytes);
    read.text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    read.text.replace(u'\r', u'\n');
    read.ok = true;
    return read;
}

} // namespace dzq
