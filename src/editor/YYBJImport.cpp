// Importing a score the keyboard window recorded or saved: its melody becomes
// a new song in lines 0 and 1, and the accompaniment the keyboard window is
// set up with at this moment (its chord progression, rhythm grid, instruments
// and tempo) fills lines 4 to 9. The song in the editor is replaced only once
// a file has been read.
#include "editor/YYBJ.h"

#include "editor/core/ScoreImport.h"
#include "keyboard/KeyboardWindowApi.h"
#include "keyboard/core/ScoreFiles.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "shared/Shared.h"

namespace dzq {

void YYBJ::DRYP_Click()
{
    // What is being typed stays in the song should the user cancel.
    commitTypedMelody();
    const QString chosen = FileDialogService::instance().openFile(
        QStringLiteral("导入记录乐谱"), AppDir + QStringLiteral("演奏记录/"), QStringLiteral("编辑记录txt (*.txt)"));
    if (chosen.isEmpty())
        return;
    DlgFile = chosen;
    const ScoreFileRead read = readScoreFile(chosen);
    if (!read.ok) {
        MessageService::instance().timedInfo(QStringLiteral("提示"),
                                             QStringLiteral("导入乐谱出错，请检查！\r\n") + read.error, 5000);
        return;
    }

    ScoreText = read.score;
    Song &song = programSong();
    const ScoreImport imported = importScore(song, *Strings, ScoreText, StepMax, NoteLen);
    for (QLineEdit *box : YF1) {
        box->setMaxLength(stepsPerMeasure() * 2);
        box->clear();
    }
    songLengthChanged();
    {
        // Measure 0 is shown once everything is in place.
        const QSignalBlocker block(HScroll1);
        HScroll1->setValue(0);
    }
    CurMeasure = 0;

    // The keyboard window is hidden, not gone: what it holds now is what the
    // user set up there.
    const Accompaniment added = ZNHXTJ(song, StepMax, keyboard_.accompanimentInputs());
    if (added.applied)
        applyAccompaniment(added);
    HScroll1_Change();
    if (imported.cut)
        MessageService::instance().timedInfo(QStringLiteral("提示"), scoreCutMessage(imported, StepMax), 5000);
}

void YYBJ::applyAccompaniment(const Accompaniment &added)
{
    // Each list's handler does what choosing it does: the percussion lines
    // prepare their steps, the chord lines send their programs. A choice the
    // keyboard window has none for leaves the editor's.
    for (int k = 0; k < 3; ++k) {
        const int lane = added.laneInstrument[std::size_t(k)];
        if (lane >= 0)
            SYYQ[std::size_t(7 + k)]->setListIndex(lane);
    }
    for (int k = 0; k < 3; ++k) {
        const int instrument = added.chordInstrument[std::size_t(k)];
        if (instrument >= 0)
            SYYQ[std::size_t(4 + k)]->setListIndex(instrument);
    }
    if (added.tempoIndex >= 0) {
        DQSUDU->setListIndex(added.tempoIndex);
    } else if (!added.tempoText.isEmpty()) {
        DQSUDU->setText(added.tempoText);
        DQSUDU_Click();
    }
}

void YYBJ::wireImport()
{
    connect(DRYP, &QPushButton::clicked, this, &YYBJ::DRYP_Click);
}

} // namespace dzq
