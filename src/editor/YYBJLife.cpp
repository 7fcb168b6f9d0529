// How the editor starts and ends: loaded when the keyboard window's editor
// button opens it, activated when it is shown (the defaults of every line, the
// device, an empty song, the controllers reset), and the way back, which
// hands the shared state back to the keyboard window before showing it again.
#include "editor/YYBJ.h"

#include "editor/core/MeasureRecord.h"
#include "keyboard/KeyboardWindowApi.h"
#include "midi/MidiOut.h"
#include "shared/Shared.h"
#include "platform/EffectPlayer.h"
#include "platform/MessageService.h"
#include "platform/Numbers.h"
#include "platform/Resources.h"

#include <QCloseEvent>
#include <QShowEvent>

namespace dzq {

namespace {

// String resources of the instrument names (129, "0.无声" first) and of the
// percussion names (47, note = index + 35).
constexpr int FirstInstrumentString = 201;
constexpr int InstrumentCount = 129;
constexpr int FirstPercussionString = 335;
constexpr int HelpString = 99;

// The defaults of every line: instrument list index and volume list index.
struct LineDefault {
    int instrument;
    int volume;
};
constexpr std::array<LineDefault, 12> LineDefaults{{
    {1, 6}, {50, 6}, {79, 6}, {83, 6}, {35, 4}, {25, 4}, {5, 4}, // melody: piano, strings, whistle, ...
    {1, 6}, {3, 6}, {4, 6}, {41, 6}, {17, 4},                    // percussion: drum, snare, clap, block, cymbal
}};
// Order in which the volumes are set: lines 0 and 7, 1 and 8, 2 and 9, 3 and
// 10, then 4, 5, 6, 11.
constexpr std::array<int, 12> VolumeOrder{0, 7, 1, 8, 2, 9, 3, 10, 4, 5, 6, 11};
constexpr int DefaultKeyIndex = 0;    // C
constexpr int DefaultTempoIndex = 6;  // 70

// The editor plays its sounds at 0x7000 of full scale, the wave volume it
// sets at every activation.
constexpr double EditorWaveVolume = double(0x7000) / double(0xFFFF);

constexpr int SilencedNotes = 65;     // KeyBase + 0..64

} // namespace

void YYBJ::Form_Load()
{
    RecBits = QStringLiteral("8");
    RecRate = QStringLiteral("44100");
    yinzi->setListIndex(1);
    Initialised = false;
}

void YYBJ::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Showing the window activates it; restoring it from the task bar does not.
    if (!event->spontaneous())
        Form_Activate();
}

void YYBJ::Form_Activate()
{
    if (!Initialised) {
        CurMeasure = 0;
        StepMax = 15;
        setWindowTitle(QStringLiteral("音乐编辑器"));
        BJQD();
    }
    // An empty device list (no output at all) selects nothing.
    ListMidiOutDevices(*ComDevies);
    if (ComDevies->count() > 0)
        ComDevies->setListIndex(0);
    EffectPlayer::instance().setVolume(EditorWaveVolume);
    QKYP();
    ExprStart = 120;
    MidiShortMsg(0xB0, 11, 120);
    for (int c = 0; c < 3; ++c)
        MidiShortMsg(0xB0 + c, 1, 0);
    Initialised = true;
}

void YYBJ::BJQD()
{
    StepMax = 15;
    for (QLineEdit *box : YF1)
        box->setMaxLength(stepsPerMeasure() * 2);
    for (int row = 0; row < PercussionLineCount; ++row)
        colourBox(percussionRow(row).front(), boxColour(0));
    JZXSGC();

    const QStringList instruments = LoadResStrings(FirstInstrumentString, InstrumentCount);
    const QStringList percussion = LoadResStrings(FirstPercussionString, PercussionListCount);
    for (int i = 0; i < int(SYYQ.size()); ++i)
        SYYQ[std::size_t(i)]->addItems(i < MelodyLineCount ? instruments : percussion);

    // Each choice runs its handler: program changes, percussion notes, and
    // the expression controller of every volume.
    for (std::size_t i = 0; i < SYYQ.size(); ++i)
        SYYQ[i]->setListIndex(LineDefaults[i].instrument);
    for (int i : VolumeOrder)
        YQYL[std::size_t(i)]->setListIndex(LineDefaults[std::size_t(i)].volume);

    DQYD->setListIndex(DefaultKeyIndex);
    DQSUDU->setListIndex(DefaultTempoIndex);
    StepMs = stepMsFor(Val(DQSUDU->text()));
    KeyBase = DQYD->listIndex() + 36;
    for (int i = 0; i < MelodyLineCount; ++i)
        MidiProgramChange(i, 0, SYYQ[std::size_t(i)]->listIndex() - 1);
}

void YYBJ::BZWJ_Click()
{
    MessageService::instance().timedInfo(QStringLiteral("提示"), LoadResString(HelpString), 5000);
}

void YYBJ::TUICHU_Click()
{
    close();
}

void YYBJ::closeEvent(QCloseEvent *event)
{
    closeSequence();
    event->accept();
}

void YYBJ::silence()
{
    for (int channel = 0; channel < MelodyLineCount; ++channel)
        for (int n = 0; n < SilencedNotes; ++n)
            MidiNoteOff(channel, KeyBase + n);
    // Notes struck in another key lie outside that range.
    releaseSoundingNotes({0, 1, 2, 3, 4, 5, 6});
}

void YYBJ::closeSequence()
{
    if (Closing)
        return;
    Closing = true;
    // No step or recorder tick may run on a window on its way out.
    stopPlayback();
    Lyjsj->setEnabled(false);

    resetAccompCounters();
    AccompTick = 0;
    silence();

    // The keyboard window's list shows its device: that one sounds again,
    // not the one the editor chose.
    const int device = keyboard_.selectedOutputDevice();
    if (device >= -1 && device != openMidiOutId())
        OpenMidiOut(device);
    // The keyboard's rhythm has three lanes; the editor's fourth and fifth
    // percussion lines must not go on playing under it.
    for (int step = 0; step < RhythmSteps; ++step) {
        RhythmStepTable[3][std::size_t(step)].On = 0;
        RhythmStepTable[4][std::size_t(step)].On = 0;
    }
    keyboard_.RestoreKeyboardDefaults();
    keyboard_.showKeyboardWindow();
}

void YYBJ::wireLife()
{
    connect(BZWJ, &QPushButton::clicked, this, &YYBJ::BZWJ_Click);
    connect(TUICHU, &QPushButton::clicked, this, &YYBJ::TUICHU_Click);
}

} // namespace dzq
