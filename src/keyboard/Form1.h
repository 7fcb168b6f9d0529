#pragma once
// The main keyboard window. Its controls are public members named as the
// handlers refer to them; control arrays are std::arrays indexed as the
// handlers index them (Xxk and Jiezhou have no element 3). The widgets hold
// the window's state. This file declares the window; Form1Layout.cpp builds
// and places every control, and each feature area adds its handlers in its
// own source file.
#include "keyboard/FileListBox.h"
#include "keyboard/KeyboardWidgets.h"
#include "platform/Controls.h"
#include "platform/PictureWindow.h"
#include "platform/StepTimer.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QTextEdit>

#include <array>

namespace dzq {

class Form1 : public PictureWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);

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

private:
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
