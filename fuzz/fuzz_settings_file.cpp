// The settings file "lansheng.ini" as the program reads it. A text is either
// refused, with a message, or every value lies in its list; accepted settings
// are written through the real file writer and read back the same, and their
// formatted lines read back the same.
#include "FuzzCheck.h"

#include "keyboard/core/SettingsFile.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QTemporaryDir>

using namespace dzq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = settingsFilePath(dir.path() + QLatin1Char('/'));

    const QStringList lines = splitTextLines(decodeTextBytes(fuzz::bytesOf(data, size)));
    QString error;
    const std::optional<ShortcutSettings> s = parseSettings(lines, &error);
    if (!s) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(lines.size() >= SettingsLineCount);
    for (const auto &preset : s->presets)
        for (int v : preset)
            FUZZ_CHECK(v >= 0 && v <= 128);
    for (int d : s->drums)
        FUZZ_CHECK(d >= 0 && d < 47);
    FUZZ_CHECK(s->releaseOnKeyUp == 0 || s->releaseOnKeyUp == 1);
    for (int e = 0; e < EffectKeys; ++e)
        FUZZ_CHECK(s->effects[std::size_t(e)] == lines[46 + e]);

    const QStringList formatted = formatSettings(*s);
    FUZZ_CHECK(formatted.size() == SettingsLineCount);
    FUZZ_CHECK(parseSettings(formatted) == s);
    // Put into the program's tables and taken back out unchanged.
    applySettings(*s);
    FUZZ_CHECK(currentSettings(s->releaseOnKeyUp) == *s);

    // Saved and read back as the program does.
    FUZZ_CHECK(dir.isValid());
    QString writeError;
    FUZZ_CHECK(writeSettingsFile(path, *s, &writeError));
    ShortcutSettings back;
    FUZZ_CHECK(readSettingsFile(path, &back) == SettingsRead::Ok);
    FUZZ_CHECK(back == *s);
    QFile::remove(path);
    return 0;
}
