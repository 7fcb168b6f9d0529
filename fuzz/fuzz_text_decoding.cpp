// Text files as every reader gets them: bytes decoded as UTF-8 or GBK, split
// into lines at CR LF, LF and CR, and score files joined into one line.
// Decoding never yields more characters than there are bytes; lines hold no
// line break and put together give the text back; what is read from a file
// equals what is decoded from its bytes; lines written and read again are the
// same lines.
#include "FuzzCheck.h"

#include "keyboard/core/ScoreFiles.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QTemporaryDir>

using namespace dzq;

namespace {

QString writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(f.write(bytes) == bytes.size());
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    FUZZ_CHECK(dir.isValid());
    const QByteArray bytes = fuzz::bytesOf(data, size);

    const QString text = decodeTextBytes(bytes);
    FUZZ_CHECK(text.size() <= bytes.size());
    FUZZ_CHECK(decodeTextBytes(bytes) == text);
    bool ascii = true;
    for (char c : bytes)
        ascii &= uchar(c) < 0x80;
    if (ascii)
        FUZZ_CHECK(text == QString::fromLatin1(bytes));

    const QStringList lines = splitTextLines(text);
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (normalised.endsWith(u'\n'))
        normalised.chop(1);
    FUZZ_CHECK(lines.join(u'\n') == normalised);
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));

    // From a file: the same lines; a score file is its lines joined.
    const QString in = writeBytes(dir.filePath(QStringLiteral("读入.txt")), bytes);
    const TextFileContent read = readTextFile(in);
    FUZZ_CHECK(read.ok && read.lines == lines);
    const ScoreFileRead score = readScoreFile(in);
    FUZZ_CHECK(score.ok && score.score == lines.join(QString()));

    // Written as UTF-8 with CR LF and read again. A first line that starts
    // with U+FEFF is left out: written first in a file it is a byte-order mark.
    if (lines.isEmpty() || !lines.first().startsWith(QChar(0xFEFF))) {
        const QString out = dir.filePath(QStringLiteral("写出.txt"));
        FUZZ_CHECK(writeTextFile(out, lines));
        const TextFileContent back = readTextFile(out);
        FUZZ_CHECK(back.ok && back.lines == lines);
    }
    return 0;
}
