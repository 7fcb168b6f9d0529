#pragma once
// The music editor window. It shows one measure of the program-wide song at a
// time: seven melody boxes, five rows of percussion boxes built at run time
// for the time signature, and the settings of the measure (instrument and
// volume of every line, key, tempo, effects). Its controls are public members
// named as the handlers refer to them and hold the window's state; control
// arrays are std::arrays (the percussion rows vectors, as they grow and
// shrink with the time signature). This file declares the window; each
// feature area adds its handlers in its own source file:
//   YYBJLayout.cpp    every control, its caption, tip and place;
//   YYBJGrid.cpp      the percussion rows and the time signature;
//   YYBJMeasures.cpp  moving between measures and editing the current one;
//   YYBJSettings.cpp  line instruments and volumes, effects, the settings
//                     record of a measure;
//   YYBJDevice.cpp    output device, tempo and key;
//   YYBJFiles.cpp     edit files;
//   YYBJImport.cpp    a keyboard score imported, with its accompaniment;
//   YYBJLife.cpp      load, activation with the defaults, help, and the way
//                     back to the keyboard window.
#include "editor/core/MeasureEditing.h"
#include "editor/core/Song.h"
#include "platform/Controls.h"
#include "platform/StepTimer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

namespace dzq {

class KeyboardWindowApi;
struct Accompaniment;

class YYBJ : public QWidget {
    Q_OBJECT
public:
    // keyboard: the hidden keyboard window the editor returns to (not owned;
    // it outlives the editor).
    explicit YYBJ(KeyboardWindowApi &keyboard, QWidget *parent = nullptr);
    ~YYBJ() override;

    // ---- geometry (pixels)
    // Rows of the grid: line k at top RowPitch * k inside Picture1.
    static constexpr int RowPitch = 32;
    static constexpr int MelodyBoxHeight = 27;
    static constexpr int PercussionTop = 224; // line 7; lines 8..11 follow RowPitch apart
    static constexpr int BoxSize = 20;
    // The column of line labels, instruments and volumes left of Picture1.
    static constexpr int LineColumnWidth = 175;
    // Top of the grid panel and its neighbours.
    static constexpr int GridTop = 66;
    static constexpr int GridHeight = PercussionTop + 4 * RowPitch + BoxSize + 4;
    static constexpr int RecorderTop = GridTop + GridHeight + 62;
    static constexpr int ClientHeight = RecorderTop + 30;

    // Left edge of the percussion box of step i in its row, and its colour
    // (an index of the 16-colour palette).
    static int boxLeft(int step);
    static int boxColour(int step);
    static QColor paletteColour(int index);
    // Gives a percussion box its colour, by the grid's style sheet.
    static void colourBox(CheckBox *box, int colour);
    static QString percussionBoxStyle();

    // ---- the grid: melody boxes, percussion rows, measure bar
    QWidget *Picture1 = nullptr;               // grid panel
    QWidget *Picture3 = nullptr;               // settings panel right of it
    std::array<QLineEdit *, MelodyLineCount> YF1{};
    // DJY1 .. DJY5: the percussion rows of lines 7 .. 11, one box per step.
    std::vector<CheckBox *> DJY1, DJY2, DJY3, DJY4, DJY5;
    std::vector<CheckBox *> &percussionRow(int row); // row 0..4 = DJY1..DJY5
    ScrollBar *HScroll1 = nullptr;             // current measure, 0..TotalMeasures
    QLineEdit *XJZS = nullptr;                 // current measure number
    QLabel *XJXSS = nullptr;                   // the two bars of music it holds
    QLabel *JZLX = nullptr;
    std::array<OptionButton *, 3> JPFL{};      // 2/4, 3/4, 4/4
    std::array<QLabel *, 12> LineLabel{};
    QLabel *Label9 = nullptr;                  // what the cell tokens mean

    // ---- settings of the measure
    std::array<ChoiceList *, 12> SYYQ{};       // instrument of line i
    std::array<ChoiceList *, 12> YQYL{};       // volume of line i (typed too)
    ChoiceList *DQYD = nullptr;                // key
    ChoiceList *DQSUDU = nullptr;              // tempo (typed too)
    std::array<CheckBox *, 2> Check1{};        // vibrato, crescendo
    ScrollBar *HScroll3 = nullptr;             // crescendo depth -20..20
    QLabel *Label7 = nullptr;
    ChoiceList *ComDevies = nullptr;

    // ---- buttons
    QPushButton *QinKong = nullptr;            // clear the measure
    QPushButton *CHARU = nullptr;              // insert a measure
    QPushButton *ZDXJZS = nullptr;             // number of measures
    QPushButton *BCBXJ = nullptr;              // store the measure's settings
    QPushButton *BCBJ = nullptr;               // save the edit file
    QPushButton *DkBianji = nullptr;           // open an edit file
    QPushButton *DRYP = nullptr;               // import a keyboard score
    QPushButton *BZWJ = nullptr;               // help
    QPushButton *TUICHU = nullptr;             // back to the keyboard window

    // ---- playback
    OptionButton *ST1 = nullptr;               // audition the measure shown
    CheckBox *ST2 = nullptr;                   // play from the start / stop, drawn as a button
    StepTimer *YYDS = nullptr;                 // step clock

    // ---- recorder
    std::array<OptionButton *, 4> LUYINJI{};  // play a file, stop, record, save
    ChoiceList *yinzi = nullptr;               // recording quality
    StepTimer *Lyjsj = nullptr;                // recorder clock, 1000 ms
    QLabel *LYSJ = nullptr;                    // elapsed time

    // =====================================================================
    // State of the window (the song itself is program-wide: programSong()).
    bool Initialised = false;
    int CurMeasure = 0;
    int StepMax = 15;          // steps per measure - 1
    int LoadedStepMax = 0;     // highest box index built in every row
    int ExprStart = 120;       // expression level the crescendo starts from
    int Depth = 0;             // crescendo depth, the value of HScroll3
    int PlayLastStep = 15;     // last absolute step of the song
    // Per melody line: the note code the player last started (0 at load).
    std::array<int, MelodyLineCount> LineLastNote{};
    // The step the editor's player is at; the editor's own cursor, never the
    // keyboard window's.
    int PlayStep = 0;
    int StepsLeft = 0;         // steps the clock still counts down
    int AccentLevel = 120;     // expression of channels 5, 6 and 9 on this step
    int AppliedMeasure = 0;    // measure whose record was last in force
    // Per measure: the settings record and the parts it was built from.
    std::unique_ptr<MeasureStrings> Strings = std::make_unique<MeasureStrings>();
    // The last length read from an imported score, in eighths of a beat; a
    // score starting without one goes on with it.
    int NoteLen = 0;
    // The file chosen last in the editor's file dialogs.
    QString DlgFile;
    // Recording format and the recorder clock.
    QString RecBits = QStringLiteral("8");
    QString RecRate = QStringLiteral("44100");
    int RecMinutes = 0;
    int RecSeconds = 0;
    QString RecFileName;

    int stepsPerMeasure() const { return StepMax + 1; }

    // =====================================================================
    // Handlers, grouped by the source file that holds them.

    // YYBJGrid.cpp
    void JZXSGC();
    void JPFL_Click(int index);
    void DKJZWJ();
    // Widths of the melody boxes, the grid and the window for time signature
    // index 0..2, the window centred.
    void applyTimeSignatureLayout(int index);
    // Picture3 and the measure bar beside and above the grid.
    void placePanels();
    // Boxes 1..StepMax of every percussion row, built afresh.
    void rebuildBoxes();

    // YYBJMeasures.cpp
    void HScroll1_Change();
    void YF1_LostFocus(int line);
    void DJY_Click(int row, int step);
    void QinKong_Click();
    void CHARU_Click();
    void ZDXJZS_Click();
    void QKYP();
    // The percussion boxes of the current measure from the song's cells.
    void showMeasureCells();
    void showMeasureNumber(int n);
    // A melody box being typed into is entered into the measure it shows.
    void commitTypedMelody();
    // The melody boxes emptied and the percussion boxes unticked.
    void clearBoxes();
    // The measure carries a settings record (a text longer than its number).
    bool hasRecord(int measure) const;
    // The measure bar and the last step follow TotalMeasures.
    void songLengthChanged();
    // The line texts follow a new measure length; the measure is shown again.
    void timeSignatureChanged();

    // YYBJSettings.cpp
    void SYYQ_Click(int line);
    void YQYL_Click(int line);
    void Check1_Click();
    void HScroll3_Change();
    void BCBXJ_Click();
    void BCXJ();
    void CXTSB();
    // Note-offs of what the player last started on a melody line.
    void releaseLine(int line);
    // Sends packed short messages in order.
    static void sendMessages(const std::vector<uint32_t> &messages);
    // Percussion note and message of a line at every step of the measure.
    void preparePercussion(int line);

    // YYBJDevice.cpp
    void ComDevies_Click();
    void DQSUDU_Click();
    void DQSUDU_LostFocus();
    void DQYD_Click();
    // Int(15000 / tempo); StepMs as it is for a tempo that is no positive
    // number.
    static int stepMsFor(double tempo);

    // YYBJFiles.cpp
    void BCBJ_Click();
    void DkBianji_Click();
    // The song just read is shown: layout, measure 0, its settings.
    void DKBJ();

    // YYBJImport.cpp
    void DRYP_Click();
    // The instruments and the tempo of an accompaniment written into the song.
    void applyAccompaniment(const Accompaniment &added);

    // YYBJPlayback.cpp
    void ST1_Click();
    void ST2_Click();
    void YYDS_Timer();
    void YYSB();
    void XJFS();
    // Note codes of the melody cells and the percussion lines' On flags from
    // the cells of the whole song.
    void convertSong();
    // Both play buttons released and enabled, the clock stopped.
    void resetPlayButtons();
    void startClock();
    // The clock stopped and the buttons released without running anything.
    void stopPlayback();

    // YYBJRecorder.cpp
    void LUYINJI_Click(int index);
    void yinzi_Click();
    void Lyjsj_Timer();
    // The clock stopped and shown at 00:00.
    void resetRecorderClock();

    // YYBJLife.cpp
    void Form_Load();
    void Form_Activate();
    void BJQD();
    void BZWJ_Click();
    void TUICHU_Click();
    // The way back: counters reset, channels 0-6 silenced, the keyboard's
    // device, rhythm and defaults restored, the keyboard window shown. Runs
    // once.
    void closeSequence();
    bool Closing = false;
    // Note-offs of KeyBase + 0..64 on channels 0..6, channel by channel.
    void silence();

protected:
    // The first showing is the activation.
    void showEvent(QShowEvent *event) override;
    // The close box leaves as the exit button does.
    void closeEvent(QCloseEvent *event) override;

private:
    KeyboardWindowApi &keyboard_;

    void buildGrid();
    void buildLineColumn();
    void buildSettingsPanel();
    void buildTopBar();

    void wireGrid();
    void wireMeasures();
    void wireSettings();
    void wireDevice();
    void wireFiles();
    void wireImport();
    void wireLife();
    void wirePlayback();
    void wireRecorder();
    void buildRecorder();
};

} // namespace dzq
