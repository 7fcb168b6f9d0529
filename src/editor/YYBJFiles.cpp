// Edit files: the whole song, 13 lines a measure, saved and opened again. The
// file is read and checked as a whole before the song in the editor is
// replaced, and saved through a temporary file.
#include "editor/YYBJ.h"

#include "editor/core/EditFile.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "shared/Shared.h"

#include <QFileInfo>

namespace dzq {

namespace {

QString dialogFolder()
{
    return AppDir + QStringLiteral("演奏记录/");
}

} // namespace

void YYBJ::BCBJ_Click()
{
    commitTypedMelody();
    Song &song = programSong();
    prepareEditFileSave(song, *Strings, StepMax);

    const QString chosen = FileDialogService::instance().saveFile(QStringLiteral("保存编辑"), dialogFolder(),
                                                                  QStringLiteral("乐谱编辑 (*.lnk)"));
    if (chosen.isEmpty())
        return;
    const QString path = editFileName(chosen);
    // The dialog asked about the name chosen; a file under the name written
    // (another extension) is not replaced without asking too.
    if (path != chosen && QFileInfo::exists(path) &&
        !MessageService::instance().ask(QStringLiteral("提示"),
                                        QStringLiteral("%1 已存在，要替换它吗？").arg(QFileInfo(path).fileName())))
        return;
    DlgFile = path;
    QString error;
    if (!writeEditFile(path, song, *Strings, StepMax, &error))
        MessageService::instance().timedInfo(QStringLiteral("提示"),
                                             QStringLiteral("保存编辑文件出错！\r\n") + error, 5000);
}

void YYBJ::DkBianji_Click()
{
    commitTypedMelody();
    const QString chosen = FileDialogService::instance().openFile(QStringLiteral("打开编辑文件"), dialogFolder(),
                                                                  QStringLiteral("编辑记录 (*.lnk)"));
    // Cancelling keeps the song.
    if (chosen.isEmpty())
        return;
    DlgFile = chosen;
    const EditFileRead file = readEditFile(chosen);
    if (!file.song) {
        MessageService::instance().timedInfo(QStringLiteral("提示"),
                                             QStringLiteral("打开编辑文件出错，请检查！\r\n") + file.error, 5000);
        return;
    }
    loadEditFile(programSong(), *Strings, *file.song);
    StepMax = file.song->stepMax;
    DKBJ();
}

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
