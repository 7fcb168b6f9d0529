#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace dzq {

namespace {

QString cannotRead(const QString &path) { return QStringLiteral("无法读取文件“%1”。").arg(path); }
QString cannotSave(const QString &path) { return QStringLiteral("无法保存文件“%1”。").arg(path); }

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// One line as it goes into a file: its own line breaks become CR LF, and a CR
// LF ends it.
QByteArray encodeLine(QString line)
{
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    line.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return line.toUtf8() + "\r\n";
}

} // namespace

QString decodeTextBytes(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    if (gbk.isValid())
        return gbk.decode(bytes);
    return text;
}

QStringList splitTextLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

TextFileContent readTextFile(const QString &path)
{
    TextFileContent result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.error = QStringLiteral("找不到文件“%1”。").arg(path);
        return result;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        result.error = cannotRead(path);
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = cannotRead(path);
        return result;
    }
    result.lines = splitTextLines(decodeTextBytes(bytes));
    result.ok = true;
    return result;
}

bool writeTextFile(const QString &path, const QStringList &lines, QString *error)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += encodeLine(line);
    QSaveFile file(path);
    // An unfinished QSaveFile removes its temporary file and leaves the old one.
    // The explicit flush matters: commit() does not notice a buffered write
    // that fails on its way to the disk (a full disk, the file size limit).
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        setError(error, cannotSave(path));
        return false;
    }
    return true;
}

bool appendTextFile(const QString &path, const QStringList &lines, QString *error)
{
    QStringList all;
    if (QFileInfo::exists(path)) {
        TextFileContent existing = readTextFile(path);
        if (!existing.ok) {
            setError(error, existing.error);
            return false;
        }
        all = std::move(existing.lines);
    }
    all += lines;
    return writeTextFile(path, all, error);
}

} // namespace dzq
