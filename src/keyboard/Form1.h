#pragma once
// The main keyboard window. Its controls are public members named as the
// handlers refer to them; control arrays are std::arrays indexed as the
// handlers index them (Xxk and Jiezhou have no element 3). The widgets hold
// the window's state. This file declares the window; Form1Layout.cpp builds
// and places every control, and each feature area adds its handlers in its
// own source file.
#include "keyboard/FileListBox.h"
#include "keyboard/KeyboardWindowApi.h"
#include "keyboard/KeyboardWidgets.h"
#include "keyboard/core/KeyLayout.h"
#include "keyboard/core/Tempo.h"
#include "platform/Controls.h"
#include "platform/PictureWindow.h"
#include "platform/StepTimer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QTextEdit>
#include <QUrl>

#include <array>
#include <functional>
#include <initializer_list>
#include <vector>

namespace dzq {

class Form1 : public PictureWindow, public KeyboardWindowApi {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // ---- geometry (pixels of the window's client area)
    static constexpr int ClientWidth = 980;
    static constexpr int ClientHeight = 340;
    // Panels and their text boxes sit in the left tray, the score box in the
    // right one.
    static constexpr QPoint PanelOrigin{8, 32};
    static constexpr int PanelWidth = 394;
    static constexpr int PanelHeight = 138;
    static constexpr QPoint ScoreBoxOrigin{580, 32};
    // The keyboard map, small below the display, large over the whole upper part.
    static constexpr QRect MapSmall{414, 136, 150, 48};
    static constexpr QRect MapLarge{0, 0, 980, 204};
    // Recorder buttons: released 25 x 25 at top 174; pressed 19 x 19.
    static constexpr int RecorderTop = 174;
    static constexpr std::array<int, 3> RecorderLeft{8, 40, 72};
    static constexpr int RecorderSize = 25;
    static constexpr QRect PlayPressed{13, 177, 19, 19};
    static constexpr QRect RecordPressed{75, 177, 19, 19};
    // On-screen keys: the 38 white keys share their border pixel (38 x 26 px
    // would be wider than the window), the black keys stand centred on the
    // border between their two white neighbours.
    static constexpr int KeyTop = 210;
    static constexpr int KeyboardLeft = 3;
    static constexpr int WhiteKeyStep = 25;
    static constexpr int WhiteKeyWidth = 26, WhiteKeyHeight = 121;
    static constexpr int BlackKeyWidth = 18, BlackKeyHeight = 69;
    // Place of on-screen key i (0..64).
    static QPoint keyPosition(int i);
    // Rhythm grid: cell i of every lane lies RhythmCellStep * i from the
    // grid's left edge (RhythmGrid's own coordinates), at the top of cell 0.
    static constexpr int RhythmCellStep = 13;
    static constexpr int RhythmCellCount = 17;

    // ---- playing surface
    KeyboardFocusButton *SFYXYZ = nullptr;
    std::array<KeyPicture *, 65> Picture1{};
    QLabel *Label1 = nullptr;           // mute strip

    // ---- score box and its buttons
    QPlainTextEdit *Text3 = nullptr;
    std::array<QPushButton *, 5> Yuepu{};
    QPushButton *XINJIAN = nullptr;

    // ---- status line, hint display
    QLabel *FJWZ = nullptr;
    QLabel *XSWB = nullptr;

    // ---- clocks
    StepTimer *Timer1 = nullptr;        // performance clock
    StepTimer *Timer2 = nullptr;        // status clock, 1000 ms
    StepTimer *Timer3 = nullptr;        // score clock
    StepTimer *BZDS = nullptr;          // rhythm clock
    StepTimer *HXYS = nullptr;          // chord preview clock

    // ---- tabs and panels (index 3 unused)
    std::array<OptionButton *, 6> Xxk{};
    std::array<QWidget *, 6> Jiezhou{};

    // ---- panel 0: melody voices, key, device, tempo
    std::array<ChoiceList *, 3> ComSounds{};
    std::array<ChoiceList *, 3> Zxlyl{};
    std::array<CheckBox *, 3> Check3{};
    ChoiceList *YD = nullptr;
    ChoiceList *ComDevies = nullptr;
    ChoiceList *SD = nullptr;
    std::array<OptionButton *, 3> Option4{};

    // ---- panel 1: chord patterns, progression, chord voices
    QPlainTextEdit *Text4 = nullptr;
    QPlainTextEdit *Text5 = nullptr;
    QPlainTextEdit *Text7 = nullptr;
    QPlainTextEdit *Text6 = nullptr;
    CheckBox *Check4 = nullptr;
    CheckBox *Check7 = nullptr;
    CheckBox *Check9 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    ChoiceList *Combo1 = nullptr;
    ChoiceList *Combo2 = nullptr;
    ChoiceList *Combo3 = nullptr;
    ChoiceList *xuanyue = nullptr;
    ChoiceList *HxYL = nullptr;
    CheckBox *Check6 = nullptr;         // chord preview, drawn as a button

    // ---- panel 2: rhythm grid, lanes, metre, rhythm files, rhythm start
    QWidget *RhythmGrid = nullptr;      // holds the cells of the three lanes
    std::array<CheckBox *, RhythmCellCount> BZA{};  // cell 0 built here, 1..16 at start-up
    std::array<CheckBox *, RhythmCellCount> BZB{};
    std::array<CheckBox *, RhythmCellCount> BZC{};
    std::array<ChoiceList *, 3> LblInst{};
    ChoiceList *VsbVol = nullptr;
    std::array<OptionButton *, 3> Option1{};
    FileListBox *File1 = nullptr;
    QLabel *Label11 = nullptr;
    std::array<QPushButton *, 2> Cmdcill{};
    QTextEdit *Text2 = nullptr;
    CheckBox *Check5 = nullptr;         // "自动同步"
    CheckBox *BzQd = nullptr;           // rhythm start, drawn as a button

    // ---- panel 4: help
    std::array<OptionButton *, 7> Option2{};
    QPlainTextEdit *Text1 = nullptr;

    // ---- panel 5: shortcut settings
    CheckBox *Check1 = nullptr;
    std::array<OptionButton *, 28> Option3{};
    std::array<ChoiceList *, 4> YQSZ{};
    FileListBox *File2 = nullptr;
    QPushButton *BCSZ = nullptr;

    // ---- recorder and clock
    std::array<RecorderButton *, 3> Image1{};
    QPushButton *BcLY = nullptr;
    QLabel *SjXs = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label8 = nullptr;

    // ---- keyboard map, links, window switching
    QWidget *Picture2 = nullptr;
    QLabel *Image3 = nullptr;
    QLabel *Label3 = nullptr;
    std::array<QPushButton *, 2> Command2{};
    QPushButton *BJCK = nullptr;
    QPushButton *Command1 = nullptr;

    // =====================================================================
    // State of the window (the program-wide variables are in shared/Shared.h).

    // Key tables, filled by Form_Load.
    KeyCodeTable<int32_t> KeyNoteTable{};
    KeyCodeTable<QString> KeyNameTable{};
    KeyCodeTable<int32_t> KeyHelpTable{};

    // Live playing.
    std::array<bool, KeyCodeCount> KeyIsDown{};     // held keys (repeat guard)
    std::array<int32_t, KeyCodeCount> KeySoundedNote{}; // offset each key last sounded
    std::array<int, KeyCodeCount> KeySoundedMidi{};  // MIDI note it sounded (0 none)
    int PrevNoteKey = 0;          // key code of the last note key pressed
    int CurNote = 0;              // note offset just played / prepared (254 rest, 255 stopped)
    int PrevKeyBase = 36;         // KeyBase before the last key-choice key
    int LiveNoteTicks = 0;        // ticks since the live note started, 0..99
    int LiveNoteLength = 0;       // its recorded length
    qsizetype ScoreInsertPos = 0; // where recording appends in Text3
    bool SyncToggle = false;      // mirrors Check5; Shift flips it

    // Score playback.
    bool ScorePlaying = false;
    qsizetype ScorePos = 1;       // 1-based read position in ScoreText
    qsizetype ScoreLength = 0;
    QString ScoreToken;
    int NoteDuration = 0;         // current length in ticks
    int LastNote = 0;             // on-screen key last played by the score or the mouse
    int LastNoteMidi = 0;         // the MIDI note that key sounded (0 none)
    QString ScoreFile;            // last file opened or saved through the score box
    bool ScoreClockWasRunning = false; // the score clock ran when the play button went down
    QElapsedTimer ReadingPlaceMarked; // when the reading place was last marked in Text3
    bool SpaceStoppedScore = false; // Space in the box stopped the score and is still held

    // Window.
    bool InitDone = false;
    bool MiniWindow = false;
    bool MapEnlarged = false;

    // =====================================================================
    // Handlers, grouped by the source file that holds them.

    // Form1Voices.cpp: the melody and chord voices, shared by every player.
    // release(n): note-off of MIDI note n on channels 0, 1, 2, then n - 5 on 2.
    void releaseNote(int midiNote);
    // sound(n): note-on on each voice whose instrument list index is above 0,
    // with its velocity; voice 2 also 5 semitones lower.
    void soundNote(int midiNote);
    // release(LastNote + KeyBase), and the note LastNote really sounded if the
    // key has changed since.
    void releaseLastNote();
    // off(channels): note-offs of KeyBase + 0..63, note by note across the
    // channels, then of anything else still sounding on them.
    void notesOff(std::initializer_list<int> channels);
    // QbTZ: KeyBase + 0..63 off on channels 0..6, channel after channel.
    void QbTZ();
    // The chord voices off (channels 3, 4, 5).
    void HX1K();
    // On-screen key pictures of the key's own kind (white or black).
    void showKeyUp(int key);
    void showKeyDown(int key);
    // Instrument list index > 0 (the voice sounds).
    static bool voiceOn(const ChoiceList *list);

    // Form1Accompaniment.cpp: the routine the four clocks share.
    enum class AccompClock { Rhythm, Performance, Score, Preview };
    // Control change 11 = 120 - 2 x AccompTick on channels 3, 4 (and 9).
    void expressionRamp(bool percussion);
    // One accompaniment step: chord voices, chord change, rhythm step.
    void accompanimentStep(AccompClock clock);
    // AccompTick + 1, back to 0 past 2 x RhythmLastStep + 1.
    void advanceAccompTick();
    // While the rhythm clock runs it alone drives the accompaniment: the
    // performance and score clocks then neither ramp, step nor count it, and
    // a live note resets nothing. Two clocks advancing the one set of
    // counters would hit the step gate twice as often or never.
    bool rhythmClockLeads() const { return BZDS->isRunning(); }
    void BZDS_Timer();
    void BzQd_Click();
    void Check5_Click();

    // Form1Rhythm.cpp: the rhythm grid and rhythm files.
    QByteArray RhythmFileData;    // the rhythm file last read
    // Reads the rhythm file selected in File1 into RhythmFileData, shows it in
    // Label11 and applies it (OpenJZwj), as a click on the list does.
    void File1_Click();
    // Applies RhythmFileData to the grid, the lanes and RhythmStepTable.
    void OpenJZwj();
    // (A click on File1 runs File1_Click; setting its list index from code
    // does not, so code that selects an entry calls it itself.)
    // Start-up: creates cells 1..16 of the three lanes beside cell 0.
    void buildRhythmCells();
    // Colours the grid, pairs of cells (one beat) red and yellow in turn.
    void BZXS();
    // Reads entry index of File1 whole into RhythmFileData, shows label in
    // Label11 and applies it (start-up, delete, the score's "JP").
    void openRhythmFileWhole(int index, const QString &label);
    // Start-up: File1 lists the score folder's rhythm files; the first one
    // is applied with Label11 "1★name".
    void loadFirstRhythmFile();
    // Velocity of the rhythm volume box (0..127).
    int rhythmVelocity() const;
    void BZA_Click(int i);
    void BZB_Click(int i);
    void BZC_Click(int i);
    void LblInst_Click(int lane);
    void VsbVol_Click();
    void Option1_Click(int index);
    void Cmdcill_Click(int index);  // 0 delete, 1 save
    // Writes the grid to path; false (and a message) when it cannot.
    bool SaveJZwj(const QString &path);
    void Label11_MouseMove();
    void Jiezhou_MouseMove(int index, QPoint pos);

    // Form1Settings.cpp: shortcut presets, keypad drums, effect keys and the
    // settings file.
    bool SettingsLoaded = false;  // the tables hold settings (file or defaults)
    QString SettingsError;        // why the settings file was refused
    // Reads "lansheng.ini" into the shortcut tables and Check1. A missing file
    // is no error (the first time the default settings are used); false, with
    // SettingsError, for a file that cannot be read or holds bad values,
    // which then changes nothing.
    bool readSettings();
    void Option3_Click(int index);
    void YQSZ_Click(int index);
    void File2_Click();
    void BCSZ_Click();

    // Form1Chords.cpp: pattern lines, progression, pattern library, the chord
    // voices (channels 3, 4, 5) and the chord preview.
    std::array<std::array<int, 8>, 3> PatternCodes{}; // cells of Text4, Text5, Text7
    std::array<QString, 4> PatternTexts{};  // 1..3: full lines of Text4, Text5, Text7
    QString ProgressionUndo;                // Text6 when it got the focus
    std::array<int, 4> ChordLastCode{};     // 1..3: code each voice last sounded
    // One voice step each at AccompStep: voice 1 (Combo1), 2 (Combo2), 3 (Combo3).
    void BZHX();
    void BZHX2();
    void ZHHXJ();
    void HXYPSB();  // PatternCodes from the three pattern boxes
    void HXJS();    // ChordSeq and ChordSeqLen from PatternCodes and the progression
    void HXCSH();   // creates the pattern library, or draws the pattern boxes from it
    void CSHX();    // a random built-in progression, drawn patterns, the sequence built
    // CSHX with the steps per chord of the metre first and PatternTexts
    // after: the random progression button and every activation.
    void randomProgression();
    void Command3_Click();
    void Command4_Click();
    void Text4_LostFocus();
    void Text5_LostFocus();
    void Text7_LostFocus();
    void Text6_GotFocus();
    void Text6_LostFocus();
    void Combo1_Click();
    void Combo2_Click();
    void Combo3_Click();
    void xuanyue_Change();
    void xuanyue_Click();
    void HxYL_Click();
    void Check6_Click();
    void HXYS_Timer();

    // Form1Playing.cpp: the computer keyboard and the performance clock.
    void SFYXYZ_KeyDown(int keyCode, int shift);
    void SFYXYZ_KeyUp(int keyCode, int shift);
    void SFYXYZ_Click();
    void SFYXYZ_GotFocus();
    void SFYXYZ_LostFocus();
    void Text3_Change();
    void Timer1_Timer();
    // What Space stops, from the keyboard or the score box: the clocks, the
    // rhythm, the score, the chord preview and every note.
    void stopAllPlaying();

    // Form1Score.cpp: the interpreter, the score clock and the score box.
    void YSCX();
    void Timer3_Timer();
    void Yuepu_MouseDown(int index);
    void Yuepu_Click(int index);
    void XINJIAN_Click();

    // Form1Mouse.cpp: mouse playing on the on-screen keys.
    void Picture1_DragOver(int index);
    void Label1_MouseMove();

    // Form1Melody.cpp: melody voices, key, device, effect controllers, tempo.
    void ComSounds_Click(int v);
    void ComSounds_Change(int v);
    void Zxlyl_Click(int v);
    void YD_Click();
    void YD_Change();
    void ComDevies_Click();
    void Check3_Click(int v);
    void SD_Click();
    void SD_LostFocus();
    void Option4_Click(int index);

    // Form1Start.cpp: load, activation, first-time initialisation.
    void Form_Load();
    void Form_Activate();
    void QDCSH();
    // Ends the program after an unreadable settings file (tests replace it).
    std::function<void()> onSettingsError;

    // Form1Tabs.cpp: tabs, help, compact window, keyboard map, web pages.
    void Xxk_Click(int index);
    void Option2_Click(int index);
    void Form_Click();
    void Image3_Click();
    void Command2_Click(int index);
    void OpenDownloadPage();
    // Opens a page or folder in the desktop's browser or file manager; false
    // when that failed. QDesktopServices::openUrl unless replaced (tests).
    std::function<bool(const QUrl &)> openUrl;

    // Form1Exit.cpp: window switching and the end.
    // Opens the music editor (main() installs it); this window hides then.
    std::function<void()> openEditor;
    void BJCK_Click();
    void Command1_Click();
    // The end: clocks stopped, device closed, farewell window shown, the
    // window closed (destroyed when it has Qt::WA_DeleteOnClose). Runs once.
    void Form_Unload();
    bool Closing = false;

    // Form1Others.cpp: what other windows read from and ask of this one.
    void suspendClocks() override;
    void resumeClocks() override;
    AccompanimentInputs accompanimentInputs() const override;
    bool ClocksSuspended = false;
    std::vector<StepTimer *> SuspendedClocks; // the clocks that ran at the suspend

    // Form1Restore.cpp: what the music editor hands back on its way out.
    int selectedOutputDevice() const override;
    void RestoreKeyboardDefaults() override;
    void showKeyboardWindow() override;

    // Form1Recorder.cpp: the recorder and audio player on the media-control
    // alias "NN", and the status clock Timer2.
    bool IsRecording = false;     // a recording runs
    bool IsPlayingFile = false;   // an opened audio file plays
    bool RecorderBusy = false;    // recording or playback started: the elapsed time shows
    StepTimer::Clock::time_point RecordStartTime{}; // when it started (monotonic)
    QString PlayerFilePath;       // the audio file chosen last
    void Image1_Click(int index); // 0 play, 1 stop, 2 record
    void BcLY_Click();
    void Timer2_Timer();
    // For the window's end: sends "CLOSE NN" (an unsaved recording is given
    // up) and leaves the recorder idle.
    void closeRecorder();
    // The editor's recorder drives the same alias while the editor is open:
    // this window forgets that it plays or records, so its status clock never
    // stops or closes what the editor plays or records on it.
    void handRecorderOver();

protected:
    // Every showing of the window is an activation.
    void showEvent(QShowEvent *event) override;
    // The close box ends the program as the exit button does.
    void closeEvent(QCloseEvent *event) override;

private:
    // Each feature file connects the signals of its controls to its handlers.
    void wireVoices();
    void wireAccompaniment();
    void wirePlaying();
    void wireScore();
    void wireMouse();
    void wireMelody();
    void wireStart();
    void wireRhythm();
    void wireSettings();
    void wireTabs();
    void wireExit();
    void wireRecorder();
    void wireChords();

    void buildPlayingSurface();
    void buildScoreBox();
    void buildCentre();
    void buildTabs();
    void buildMelodyPanel(QWidget *panel);
    void buildChordPanel(QWidget *panel);
    void buildRhythmPanel(QWidget *panel);
    void buildHelpPanel(QWidget *panel);
    void buildSettingsPanel(QWidget *panel);
    void buildRecorder();
    void buildClocks();
};

} // namespace dzq
