#pragma once
// The settings file "lansheng.ini" in the program folder: the user's
// shortcuts, 53 lines each ended by CR LF:
//   1-36   instrument list index (0..128) of F1..F12, three voices each
//          (line 3p + v + 1 is key p, voice v)
//   37-46  percussion list index (0..46) of keypad digits 0..9
//   47-52  effect sound file names of Insert, Home, PageUp, Delete, End,
//          PageDown (names are kept as they are, blanks included)
//   53     release notes when the key goes up: 0 or 1
// Numbers are written " 89 " (a blank, the digits, a blank); reading takes a
// whole number with blanks around it. A file with fewer lines, a line that is
// no number where one belongs, or a number outside its list is refused as a
// whole, so a bad file never leaves half-read tables behind.
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace dzq {

constexpr int SettingsLineCount = 53;
constexpr int PresetKeys = 12;
constexpr int PresetVoices = 3;
constexpr int KeypadDigits = 10;
constexpr int EffectKeys = 6;
// The keypad drums sound at this velocity once read from the file.
constexpr int KeypadDrumVelocity = 100;

// The settings file in folder dir (ending in "/").
QString settingsFilePath(const QString &dir);

struct ShortcutSettings {
    std::array<std::array<int, PresetVoices>, PresetKeys> presets{};
    std::array<int, KeypadDigits> drums{};
    std::array<QString, EffectKeys> effects;
    int releaseOnKeyUp = 0;
    bool operator==(const ShortcutSettings &) const = default;
};

// The default text (string resource 508): 53 lines, each ended by CR LF.
QString defaultSettingsText();
// The settings of the default text.
ShortcutSettings defaultSettings();

// Reads the first 53 of lines; *error (when given) names the first bad line.
std::optional<ShortcutSettings> parseSettings(const QStringList &lines, QString *error = nullptr);

// A number line as the file holds it: " 89 ", "-3 ".
QString formatNumberLine(int value);
// The 53 lines of the file.
QStringList formatSettings(const ShortcutSettings &settings);

enum class SettingsRead { Missing, Ok, Malformed };

// Reads the file at path into *settings (left alone unless Ok).
SettingsRead readSettingsFile(const QString &path, ShortcutSettings *settings, QString *error = nullptr);
// Replaces the file with the settings. The old file stays as it was when the
// new one cannot be written completely; *error then says why.
bool writeSettingsFile(const QString &path, const ShortcutSettings &settings, QString *error = nullptr);
// Replaces the file with the default text and one empty line after it.
bool writeDefaultSettingsFile(const QString &path, QString *error = nullptr);

// Puts the settings into the program-wide tables: PresetTable, DrumKeyTable
// with the keypad drum records of RhythmStepTable (at KeypadDrumVelocity) and
// EffectNames. The release flag belongs to the window's check box.
void applySettings(const ShortcutSettings &settings);
// The settings the program-wide tables hold, with the given release flag.
ShortcutSettings currentSettings(int releaseOnKeyUp);

// The prepared keypad drum of digit d: percussion list index drum at velocity.
void setKeypadDrum(int digit, int drum, int velocity);

} // namespace dzq
