// Writes the starting inputs of the fuzz targets, one folder per target below
// the folder given, from what the program ships: the sample rhythm files, the
// default settings (string 508), the pattern library (509), the chord tables
// (510, 511), a help text in Chinese, the sample scores in seeds/score
// (with a long one and one in GBK for the editor's import) and the editor's
// edit files in seeds/edit.
// Texts are written as the program writes them (UTF-8, CR LF) and also in GBK.
#include "keyboard/core/PatternLibrary.h"
#include "keyboard/core/SettingsFile.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringEncoder>

#include <cstdio>

using namespace dzq;

namespace {

bool ok = true;

QString folder(const QString &root, const char *target)
{
    const QString dir = root + QLatin1Char('/') + QLatin1String(target);
    ok &= QDir().mkpath(dir);
    return dir + QLatin1Char('/');
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ok = false;
    }
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        ok = false;
        return {};
    }
    return f.readAll();
}

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.isValid() ? QByteArray(encoder.encode(text)) : text.toUtf8();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);

    const QString rhythm = folder(root, "fuzz_rhythm_file");
    const QString settings = folder(root, "fuzz_settings_file");
    const QString patterns = folder(root, "fuzz_chord_patterns");
    const QString text = folder(root, "fuzz_text_decoding");
    const QString language = folder(root, "fuzz_score_language");
    const QString player = folder(root, "fuzz_score_player");
    const QString import = folder(root, "fuzz_score_import");
    const QString edit = folder(root, "fuzz_edit_file");

    const QDir samples(resourceFile(QStringLiteral("samples")));
    for (const QString &name : samples.entryList(QDir::Files)) {
        const QByteArray bytes = readAll(samples.filePath(name));
        put(rhythm + name, bytes);
        put(rhythm + QStringLiteral("gbk-") + name, gbk(decodeTextBytes(bytes)));
        put(text + name, bytes);
    }

    ok &= writeDefaultSettingsFile(settings + QStringLiteral("lansheng.ini"));
    put(settings + QStringLiteral("gbk.ini"), gbk(defaultSettingsText() + QStringLiteral("\r\n")));

    ok &= createPatternLibrary(patterns + patternLibraryName(), LoadResString(509));
    put(patterns + QStringLiteral("510.txt"), LoadResString(510).toUtf8());
    put(patterns + QStringLiteral("511.txt"), LoadResString(511).toUtf8());

    for (int id : {502, 508, 509, 511}) {
        const QString s = LoadResString(id);
        put(text + QStringLiteral("%1-utf8.txt").arg(id), s.toUtf8());
        put(text + QStringLiteral("%1-bom.txt").arg(id), "\xEF\xBB\xBF" + s.toUtf8());
        put(text + QStringLiteral("%1-gbk.txt").arg(id), gbk(s));
    }

    const QDir scores(QStringLiteral(DZQ_FUZZ_DIR "/seeds/score"));
    for (const QString &name : scores.entryList(QDir::Files)) {
        const QByteArray bytes = readAll(scores.filePath(name));
        put(language + name, bytes);
        put(player + name, bytes);
        put(text + QStringLiteral("score-") + name, bytes);
        put(import + name, bytes);
    }
    // For the editor's import: a score longer than the song tables hold, and
    // one with a title in GBK before the notes.
    put(import + QStringLiteral("long.txt"), QByteArray("KC99KE98").repeated(200) + "TZ\r\n");
    put(import + QStringLiteral("gbk-title.txt"), gbk(QStringLiteral("两只老虎\r\nKC4KD4KE4KC4TZ\r\n")));
    const QDir edits(QStringLiteral(DZQ_FUZZ_DIR "/seeds/edit"));
    for (const QString &name : edits.entryList(QDir::Files))
        put(edit + name, readAll(edits.filePath(name)));
    return ok ? 0 : 1;
}
