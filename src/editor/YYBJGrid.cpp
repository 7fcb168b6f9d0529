// The grid of the measure: the percussion rows built at run time, one box per
// step, and the time signature, which sets the steps per measure and with
// them the width of the melody boxes, the grid and the window.
#include "editor/YYBJ.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

namespace dzq {

namespace {

struct TimeSignature {
    int stepMax;
    int melodyWidth;   // YF1
    int gridWidth;     // Picture1
    int windowWidth;   // the window, pixels
};
// 2/4, 3/4, 4/4. The window widths are 11300, 11670 and 14100 twips at 15
// twips a pixel.
constexpr std::array<TimeSignature, 3> TimeSignatures{{
    {15, 325, 465, 753},
    {23, 486, 490, 778},
    {31, 648, 652, 940},
}};

// Boxes past this step keep element 0's place and colour.
constexpr int LastPlacedStep = 31;
// Colours of the groups of four steps, in turn: magenta, green, blue, yellow.
constexpr std::array<int, 4> GroupColours{13, 10, 9, 14};

// Picture1 stands a little left of the line column's end; Picture3 at
// Picture1's width + 175.
constexpr int GridLeft = YYBJ::LineColumnWidth - 5;
constexpr int SettingsPanelGap = 175;

} // namespace

int YYBJ::boxLeft(int step)
{
    if (step < 1 || step > LastPlacedStep)
        return 0;
    // Boxes touch within a beat of four steps; a 1-px gap follows each beat.
    return BoxSize * step + step / 4;
}

int YYBJ::boxColour(int step)
{
    if (step < 1 || step > LastPlacedStep)
        return GroupColours[0];
    return GroupColours[std::size_t((step / 4) % 4)];
}

namespace {

} // namespace

void YYBJ::colourBox(CheckBox *box, int colour)
{
    // The grid's style sheet colours a box by this property (one sheet for
    // all boxes keeps restyling cheap when a measure is shown).
    box->setProperty("colour", colour);
    box->style()->unpolish(box);
    box->style()->polish(box);
}

QString YYBJ::percussionBoxStyle()
{
    // A ticked box is a dark square on its colour, plain to see on every one
    // of the four.
    QString sheet = QStringLiteral("QCheckBox::indicator { width: 12px; height: 12px; margin-left: 3px;"
                                   " background: white; border: 1px solid #303030; }"
                                   "QCheckBox::indicator:checked { background: #202020; }");
    for (int colour : GroupColours)
        sheet += QStringLiteral("QCheckBox[colour=\"%1\"] { background: %2; }").arg(colour).arg(paletteColour(colour).name());
    return sheet;
}

void YYBJ::JZXSGC()
{
    const int n = StepMax;
    for (int i = 1; i <= n; ++i) {
        for (int row = 0; row < PercussionLineCount; ++row) {
            std::vector<CheckBox *> &boxes = percussionRow(row);
            CheckBox *first = boxes.front();
            auto *box = new CheckBox(Picture1);
            box->setGeometry(first->geometry().translated(boxLeft(i), 0));
            colourBox(box, boxColour(i));
            box->setToolTip(first->toolTip());
            box->setClickHandler(this, [this, row, i] { DJY_Click(row, i); });
            boxes.push_back(box);
            box->show();
        }
    }
    LoadedStepMax = n;
}

namespace {

// Removes boxes 1.. of every row. A box may be the one whose handler is
// running, so it is deleted from the event loop, silent until then.
void removeBoxes(std::vector<CheckBox *> &boxes)
{
    for (std::size_t j = 1; j < boxes.size(); ++j) {
        boxes[j]->blockSignals(true);
        boxes[j]->hide();
        boxes[j]->deleteLater();
    }
    boxes.resize(1);
}

} // namespace

void YYBJ::applyTimeSignatureLayout(int index)
{
    const TimeSignature &t = TimeSignatures[std::size_t(index)];
    for (QLineEdit *box : YF1) {
        box->resize(t.melodyWidth, MelodyBoxHeight);
        box->setMaxLength(stepsPerMeasure() * 2);
    }
    Picture1->setGeometry(GridLeft, GridTop, t.gridWidth, GridHeight);
    setFixedSize(t.windowWidth, ClientHeight);
    if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().x() + (screen->availableGeometry().width() - t.windowWidth) / 2, y());
}

void YYBJ::placePanels()
{
    const int panelLeft = Picture1->width() + SettingsPanelGap;
    Picture3->setGeometry(panelLeft, 4, width() - panelLeft - 2, ClientHeight - 8);
    const int barLeft = 230;
    HScroll1->setGeometry(barLeft, 36, Picture1->geometry().right() - barLeft, 20);
    Label9->setGeometry(Picture1->x() + 4, GridTop + GridHeight + 6, Picture1->width() - 4, 52);
}

void YYBJ::rebuildBoxes()
{
    for (int row = 0; row < PercussionLineCount; ++row)
        removeBoxes(percussionRow(row));
    JZXSGC();
}

void YYBJ::JPFL_Click(int index)
{
    if (index < 0 || index >= int(TimeSignatures.size()))
        return;
    StepMax = TimeSignatures[std::size_t(index)].stepMax;
    applyTimeSignatureLayout(index);
    placePanels();
    rebuildBoxes();
    // The song's line texts follow the new measure length, so a melody box
    // never shows, and on leaving writes back, a line of the old layout.
    timeSignatureChanged();
}

void YYBJ::DKJZWJ()
{
    for (std::size_t k = 0; k < TimeSignatures.size(); ++k) {
        if (TimeSignatures[k].stepMax != StepMax)
            continue;
        // Selecting the option from code does not run its handler here: the
        // layout follows at once, for the song just read.
        {
            const QSignalBlocker block(JPFL[k]);
            JPFL[k]->setValue(true);
        }
        applyTimeSignatureLayout(int(k));
    }
    // Any other measure length keeps the option and the window as they are,
    // but the melody boxes take the file's length.
    for (QLineEdit *box : YF1)
        box->setMaxLength(stepsPerMeasure() * 2);
    placePanels();
    rebuildBoxes();
}

void YYBJ::wireGrid()
{
    for (int k = 0; k < int(JPFL.size()); ++k)
        JPFL[std::size_t(k)]->setClickHandler(this, [this, k] { JPFL_Click(k); });
}

} // namespace dzq
