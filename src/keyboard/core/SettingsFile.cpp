#include "keyboard/core/SettingsFile.h"

#include "keyboard/core/RhythmFile.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"
#include "shared/Shared.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace dzq {

namespace {

constexpr int DefaultSettingsString = 508;
constexpr int InstrumentCount = 129;
constexpr int FirstDrumLine = PresetKeys * PresetVoices;  // 36
constexpr int FirstEffectLine = FirstDrumLine + KeypadDigits; // 46
constexpr int ReleaseLine = FirstEffectLine + EffectKeys;  // 52

// A whole number of the 16-bit range with blanks around it, within 0..limit - 1.
std::optional<int> readNumberLine(const QString &line, int limit)
{
    static const QRegularExpression number(QStringLiteral("^[ \\t]*([+-]?[0-9]{1,6})[ \\t]*$"));
    const QRegularExpressionMatch m = number.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    const int v = m.captured(1).toInt();
    if (v < 0 || v >= limit)
        return std::nullopt;
    return v;
}

} // namespace

QString settingsFilePath(const QString &dir) { return dir + QStringLiteral("lansheng.ini"); }

QString defaultSettingsText() { return LoadResString(DefaultSettingsString); }

ShortcutSettings defaultSettings()
{
    // The default text is part of the program; it always reads.
    return parseSettings(splitTextLines(defaultSettingsText())).value_or(ShortcutSettings{});
}

std::optional<ShortcutSettings> parseSettings(const QStringList &lines, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (lines.size() < SettingsLineCount)
        return fail(QStringLiteral("设置文件只有 %1 行，应有 %2 行").arg(lines.size()).arg(SettingsLineCount));
    auto badLine = [&](int i) { return fail(QStringLiteral("设置文件第 %1 行“%2”不可用").arg(i + 1).arg(lines[i])); };

    ShortcutSettings s;
    for (int i = 0; i < FirstDrumLine; ++i) {
        const auto v = readNumberLine(lines[i], InstrumentCount);
        if (!v)
            return badLine(i);
        s.presets[std::size_t(i / PresetVoices)][std::size_t(i % PresetVoices)] = *v;
    }
    for (int d = 0; d < KeypadDigits; ++d) {
        const auto v = readNumberLine(lines[FirstDrumLine + d], PercussionCount);
        if (!v)
            return badLine(FirstDrumLine + d);
        s.drums[std::size_t(d)] = *v;
    }
    for (int e = 0; e < EffectKeys; ++e)
        s.effects[std::size_t(e)] = lines[FirstEffectLine + e];
    const auto release = readNumberLine(lines[ReleaseLine], 2);
    if (!release)
        return badLine(ReleaseLine);
    s.releaseOnKeyUp = *release;
    return s;
}

QString formatNumberLine(int value)
{
    return value < 0 ? QStringLiteral("-%1 ").arg(-qint64(value)) : QStringLiteral(" %1 ").arg(value);
}

QStringList formatSettings(const ShortcutSettings &settings)
{
    QStringList lines;
    for (const auto &preset : settings.presets)
        for (int v : preset)
            lines << formatNumberLine(v);
    for (int d : settings.drums)
        lines << formatNumberLine(d);
    for (const QString &name : settings.effects)
        lines << name;
    lines << formatNumberLine(settings.releaseOnKeyUp);
    return lines;
}

SettingsRead readSettingsFile(const QString &path, ShortcutSettings *settings, QString *error)
{
    if (!QFileInfo::exists(path))
        return SettingsRead::Missing;
    const TextFileContent content = readTextFile(path);
    if (!content.ok) {
        if (error)
            *error = content.error;
        return SettingsRead::Malformed;
    }
    const auto parsed = parseSettings(content.lines, error);
    if (!parsed)
        return SettingsRead::Malformed;
    *settings = *parsed;
    return SettingsRead::Ok;
}

bool writeSettingsFile(const QString &path, const ShortcutSettings &settings, QString *error)
{
    return writeTextFile(path, formatSettings(settings), error);
}

bool writeDefaultSettingsFile(const QString &path, QString *error)
{
    return writeTextFile(path, splitTextLines(defaultSettingsText()) << QString(), error);
}

void setKeypadDrum(int digit, int drum, int velocity)
{
    RhythmCell &cell = RhythmStepTable[5][std::size_t(digit)];
    cell.Note = int16_t(drum + PercussionNoteOffset);
    cell.Vol = int16_t(velocity);
    cell.Msg = percussionMsg(cell.Note, velocity);
}

void applySettings(const ShortcutSettings &settings)
{
    for (int p = 0; p < PresetKeys; ++p)
        for (int v = 0; v < PresetVoices; ++v)
            PresetTable[p][v] = settings.presets[std::size_t(p)][std::size_t(v)];
    for (int d = 0; d < KeypadDigits; ++d) {
        DrumKeyTable[std::size_t(d)] = settings.drums[std::size_t(d)];
        setKeypadDrum(d, settings.drums[std::size_t(d)], KeypadDrumVelocity);
    }
    for (int e = 0; e < EffectKeys; ++e)
        EffectNames[std::size_t(e)] = settings.effects[std::size_t(e)];
}

ShortcutSettings currentSettings(int releaseOnKeyUp)
{
    ShortcutSettings s;
    for (int p = 0; p < PresetKeys; ++p)
        for (int v = 0; v < PresetVoices; ++v)
            s.presets[std::size_t(p)][std::size_t(v)] = PresetTable[p][v];
    for (int d = 0; d < KeypadDigits; ++d)
        s.drums[std::size_t(d)] = DrumKeyTable[std::size_t(d)];
    for (int e = 0; e < EffectKeys; ++e)
        s.effects[std::size_t(e)] = EffectNames[std::size_t(e)];
    s.releaseOnKeyUp = releaseOnKeyUp;
    return s;
}

} // namespace dzq
