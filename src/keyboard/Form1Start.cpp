// How the main window prepares itself: once when it is created (Form_Load),
// every time it is shown (Form_Activate), and the first time it is shown
// (QDCSH), which fills the lists and sets every control to its default through
// the control's own handler, exactly as a user's choice would.
#include "keyboard/Form1.h"

#include "keyboard/core/SettingsFile.h"
#include "midi/MidiOut.h"
#include "platform/AppPaths.h"
#include "platform/EffectPlayer.h"
#include "platform/MessageService.h"
#include "platform/Resources.h"
#include "shared/Shared.h"

#include <QCoreApplication>
#include <QShowEvent>

namespace dzq {

namespace {

// Pan per channel 0..7; the others stay in the middle of nowhere (0), as
// nothing plays on them.
constexpr std::array<int, 8> StartPan{64, 50, 78, 40, 88, 35, 93, 64};

// String resources of the instrument names (129, "0.无声" first) and of the
// percussion names (47, note = index + 35).
constexpr int FirstInstrumentString = 201;
constexpr int InstrumentCount = 129;
constexpr int FirstPercussionString = 335;

// Effect sounds play a little below full scale, as the wave output volume
// 0xE000 of 0xFFFF did.
constexpr double EffectVolume = double(0xE000) / double(0xFFFF);

} // namespace

void Form1::Form_Load()
{
    // The start-up window has chosen the data folder; a window created on
    // its own (tests, tools) falls back to the program's folder.
    if (AppDir.isEmpty()) {
        AppDir = QCoreApplication::applicationDirPath();
        if (!AppDir.endsWith(QLatin1Char('/')))
            AppDir += QLatin1Char('/');
    }
    InitDone = false;
    EffectPlayer::instance().setVolume(EffectVolume);

    // An empty device list selects nothing: the program then runs silent
    // rather than failing on an entry that is not there.
    ListMidiOutDevices(*ComDevies);
    if (ComDevies->count() > 0)
        ComDevies->setListIndex(0);

    ChannelPan.fill(0);
    for (std::size_t c = 0; c < StartPan.size(); ++c)
        ChannelPan[c] = StartPan[c];

    YFSZDY(KeyNoteTable);
    YFDHDY(KeyNameTable);
    YFXSDY(KeyHelpTable);
}

void Form1::showEvent(QShowEvent *event)
{
    PictureWindow::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void Form1::Form_Activate()
{
    // Only a settings file that cannot be read takes the way out: it is
    // replaced by the default text and the program ends, to start afresh.
    if (!readSettings()) {
        QString error;
        const bool replaced = writeDefaultSettingsFile(settingsFilePath(AppDir), &error);
        MessageService::instance().timedInfo(QStringLiteral("提示"),
                                             QStringLiteral("读取设置文件出错，软件需重新启动!"), 5000);
        // A file that cannot be replaced would stop every later start as
        // well: the user is told which file it is.
        if (!replaced)
            MessageService::instance().timedInfo(QStringLiteral("提示"), error, 5000);
        if (onSettingsError)
            onSettingsError();
        else
            QCoreApplication::exit(1);
        return;
    }
    Text3->setPlainText(ScoreText);
    if (!InitDone)
        QDCSH();

    // Focus requests to a hidden box (the keyboard map covers it while it is
    // enlarged) do nothing.
    if (Text3->isVisible())
        Text3->setFocus();
    SFYXYZ->setEnabled(true);
    SFYXYZ->setFocus();
    // While another window of the program still holds the desktop's focus
    // (the score entry window that is closing), the button only becomes
    // this window's focus widget, with no focus event. The keys reach it as
    // soon as the window takes them, which on a desktop without a window
    // manager happens without an activation: the playing surface is readied
    // now, not at a focus event that may never come.
    if (focusWidget() == SFYXYZ && !SFYXYZ->hasFocus())
        SFYXYZ_GotFocus();

    InitDone = true;
    Timer2->setEnabled(true);
    MiniWindow = false;

    // A new progression for the chords at every activation.
    randomProgression();

    // The flag mirrors the sync box: after a return to this window the next
    // Shift must turn sync off when the box is still checked.
    SyncToggle = Check5->value() == 1;
}

void Form1::QDCSH()
{
    RhythmLastStep = 15;
    buildRhythmCells();
    BZXS();

    XSWB->setText(QStringLiteral("    当键盘演奏无声时请将输入法切换为英语(美国)输入方式，演奏当中可用空格键终止演奏！"));

    for (int i = 0; i < OnScreenKeyCount; ++i)
        showKeyUp(i);

    QStringList instruments;
    for (int i = 0; i < InstrumentCount; ++i)
        instruments << LoadResString(FirstInstrumentString + i);
    for (ChoiceList *list : {Combo1, Combo2, Combo3, xuanyue, ComSounds[0], ComSounds[1], ComSounds[2],
                             YQSZ[0], YQSZ[1], YQSZ[2]})
        list->addItems(instruments);
    QStringList percussion;
    for (int i = 0; i < PercussionCount; ++i)
        percussion << LoadResString(FirstPercussionString + i);
    for (ChoiceList *list : {LblInst[0], LblInst[1], LblInst[2], YQSZ[3]})
        list->addItems(percussion);

    // Defaults, in this order; each runs the control's handler.
    ComSounds[0]->setListIndex(50);
    ComSounds[1]->setListIndex(10);
    ComSounds[2]->setListIndex(55);
    xuanyue->setListIndex(25);
    HxYL->setListIndex(2);
    MelodyProgram[0] = 50;
    MelodyProgram[1] = 10;
    MelodyProgram[2] = 55;
    Combo1->setListIndex(3);
    Combo2->setListIndex(26);
    Combo3->setListIndex(47);
    Zxlyl[0]->setListIndex(4);
    Zxlyl[1]->setListIndex(3);
    Zxlyl[2]->setListIndex(2);
    YD->setListIndex(0);
    SD->setListIndex(DefaultTempoIndex);

    KeyBase = keyBaseForKeyIndex(YD->listIndex());
    StepMs = 107;
    Timer1->setInterval(StepMs);
    VoiceVelocity[0] = 85;
    VoiceVelocity[1] = 70;
    VoiceVelocity[2] = 55;
    VoiceVelocity[3] = 55;

    for (int v = 0; v < 3; ++v)
        MidiProgramChange(v, 0, ComSounds[std::size_t(v)]->listIndex() - 1);
    MidiProgramChange(3, 0, Combo1->listIndex() - 1);
    MidiProgramChange(4, 0, Combo2->listIndex() - 1);
    MidiProgramChange(5, 0, Combo3->listIndex() - 1);

    VsbVol->setListIndex(5);

    loadFirstRhythmFile();
    CSHX();

    ScoreText.clear();
    LiveNoteTicks = 0;
}

void Form1::wireStart() {}

} // namespace dzq
