// The settings panel: which instruments F1..F12 choose, which drum each
// keypad digit sounds, which sound each of the six effect keys plays, and the
// settings file that keeps them between runs.
#include "keyboard/Form1.h"

#include "keyboard/core/SettingsFile.h"
#include "midi/Prepared.h"
#include "platform/AppPaths.h"
#include "platform/EffectPlayer.h"
#include "platform/FileLookup.h"
#include "platform/MessageService.h"
#include "shared/Shared.h"

namespace dzq {

namespace {

constexpr int FirstDigitOption = PresetKeys;                  // 12
constexpr int FirstEffectOption = PresetKeys + KeypadDigits;  // 22
constexpr int MessageMs = 5000;

QString effectsFolder() { return AppDir + effectsFolderName(); }

} // namespace

bool Form1::readSettings()
{
    ShortcutSettings settings;
    switch (readSettingsFile(settingsFilePath(AppDir), &settings, &SettingsError)) {
    case SettingsRead::Missing:
        // Without a file the tables keep what they hold; the first time that
        // is the default settings rather than silent presets.
        if (SettingsLoaded)
            return true;
        settings = defaultSettings();
        break;
    case SettingsRead::Malformed:
        return false;
    case SettingsRead::Ok:
        break;
    }
    applySettings(settings);
    Check1->setValue(settings.releaseOnKeyUp);
    SettingsLoaded = true;
    SettingsError.clear();
    return true;
}

void Form1::Option3_Click(int index)
{
    const bool preset = index < FirstDigitOption;
    const bool digit = index >= FirstDigitOption && index < FirstEffectOption;
    for (std::size_t v = 0; v < 3; ++v)
        YQSZ[v]->setVisible(preset);
    YQSZ[3]->setVisible(digit);
    File2->setVisible(!preset && !digit);

    if (preset) {
        for (std::size_t v = 0; v < 3; ++v)
            YQSZ[v]->setListIndex(PresetTable[index][v]);
    } else if (digit) {
        YQSZ[3]->setListIndex(DrumKeyTable[std::size_t(index - FirstDigitOption)]);
        PlayKeypadDrum();
    } else {
        File2->setPath(effectsFolder());
        const QString &name = EffectNames[std::size_t(index - FirstEffectOption)];
        const QString path = findFileLikeWindows(effectsFolder(), name);
        if (!path.isEmpty()) {
            EffectPlayer::instance().play(path);
            XSWB->setText(name + QStringLiteral("_音效"));
        }
    }
}

void Form1::YQSZ_Click(int index)
{
    int selected = -1;
    for (std::size_t i = 0; i < Option3.size(); ++i)
        if (Option3[i]->value())
            selected = int(i);
    const int value = YQSZ[std::size_t(index)]->listIndex();
    if (selected < 0 || value < 0)
        return;
    if (selected < FirstDigitOption && index < 3) {
        PresetTable[selected][index] = value;
    } else if (selected >= FirstDigitOption && selected < FirstEffectOption && index == 3) {
        const int d = selected - FirstDigitOption;
        DrumKeyTable[std::size_t(d)] = value;
        // Chosen here the drum sounds at the rhythm volume; read from the
        // settings file, at velocity 100.
        setKeypadDrum(d, value, rhythmVelocity());
        KeypadDrumIndex = d;
        PlayKeypadDrum();
    }
}

void Form1::File2_Click()
{
    const QString name = File2->list(File2->listIndex());
    if (name.isEmpty())
        return;
    EffectPlayer::instance().play(effectsFolder() + QLatin1Char('/') + name);
    XSWB->setText(name + QStringLiteral("_音效"));
    for (int k = 0; k < EffectKeys; ++k)
        if (Option3[std::size_t(FirstEffectOption + k)]->value())
            EffectNames[std::size_t(k)] = name;
}

void Form1::BCSZ_Click()
{
    // The file is replaced only once the new one is complete, so a failed
    // save keeps the settings saved before.
    QString error;
    if (writeSettingsFile(settingsFilePath(AppDir), currentSettings(Check1->value()), &error)) {
        FJWZ->setText(QStringLiteral("成功保存本次设置"));
    } else {
        FJWZ->setText(QStringLiteral("保存设置失败。。。"));
        MessageService::instance().timedInfo(QStringLiteral("提示"), error, MessageMs);
    }
}

void Form1::wireSettings()
{
    for (int i = 0; i < int(Option3.size()); ++i)
        Option3[std::size_t(i)]->setClickHandler(this, [this, i] { Option3_Click(i); });
    for (int v = 0; v < int(YQSZ.size()); ++v)
        YQSZ[std::size_t(v)]->setClickHandler(this, [this, v] { YQSZ_Click(v); });
    connect(File2, &QListWidget::itemClicked, this, [this] { File2_Click(); });
    connect(BCSZ, &QPushButton::clicked, this, [this] { BCSZ_Click(); });
}

} // namespace dzq
