#include "platform/Resources.h"

#include <QFile>
#include <QHash>

namespace dzq {

namespace {

// The string table is one UTF-8 text file: a line "@@@ <id>" starts an entry
// and every line up to the next such line belongs to its text. The lines of a
// text are joined with CR LF, so texts that end in line breaks end in empty
// lines in the file.
QHash<int, QString> parseStringTable(const QString &data)
{
    QHash<int, QString> table;
    int id = -1;
    QStringList lines;
    auto finish = [&] {
        if (id >= 0)
            table.insert(id, lines.join(QStringLiteral("\r\n")));
        lines.clear();
    };
    const QStringList all = data.split(QLatin1Char('\n'));
    for (int i = 0; i < all.size(); ++i) {
        QString line = all[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QStringLiteral("@@@ "))) {
            finish();
            id = line.mid(4).trimmed().toInt();
            continue;
        }
        // The file's own final line break ends the last line, it is not text.
        if (i == all.size() - 1 && line.isEmpty())
            break;
        lines << line;
    }
    finish();
    return table;
}

const QHash<int, QString> &stringTable()
{
    static const QHash<int, QString> table = [] {
        QFile f(QStringLiteral(":/strings.txt"));
        if (!f.open(QIODevice::ReadOnly))
            return QHash<int, QString>{};
        return parseStringTable(QString::fromUtf8(f.readAll()));
    }();
    return table;
}

} // namespace

QString LoadResString(int id) { return stringTable().value(id); }

QStringList LoadResStrings(int first, int count)
{
    QStringList texts;
    for (int id = first; id < first + count; ++id)
        texts << LoadResString(id);
    return texts;
}

QPixmap LoadResPicture(int id) { return QPixmap(QStringLiteral(":/pictures/%1.png").arg(id)); }

QString resourceFile(const QString &relativePath) { return QStringLiteral(":/") + relativePath; }

} // namespace dzq
