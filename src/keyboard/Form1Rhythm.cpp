// The rhythm panel: three percussion lanes of 17 cells, an instrument per
// lane, one volume, the metre, and the rhythm files of the score folder.
// Every edit goes at once into records 0..2 of RhythmStepTable, which the
// accompaniment clocks play step by step.
#include "keyboard/Form1.h"

#include "keyboard/EventHook.h"
#include "keyboard/core/ChordProgression.h"
#include "keyboard/core/RhythmFile.h"
#include "platform/AppPaths.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "platform/TextFile.h"
#include "shared/Shared.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>

namespace dzq {

namespace {

constexpr int MessageMs = 5000;
// Steps a lane's instrument is written to, whatever the metre.
constexpr int LaneInstrumentSteps = 16;

const QString Caption = QStringLiteral("提示");

QString rhythmFolder() { return AppDir + scoreFolderName(); }

QString cellColour(int i)
{
    // One beat is a pair of cells: red, yellow, red, ...
    return (i / 2) % 2 == 0 ? QStringLiteral("#ff0000") : QStringLiteral("#ffff00");
}

QByteArray readWholeFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int Form1::rhythmVelocity() const { return velocityFromText(VsbVol->text()); }

void Form1::buildRhythmCells()
{
    for (auto *lane : {&BZA, &BZB, &BZC}) {
        CheckBox *first = (*lane)[0];
        for (int i = 1; i < RhythmCellCount; ++i) {
            if ((*lane)[std::size_t(i)])
                continue;
            auto *cell = new CheckBox(RhythmGrid);
            cell->setGeometry(first->geometry().translated(RhythmCellStep * i, 0));
            cell->setToolTip(first->toolTip());
            cell->setStyleSheet(first->styleSheet());
            cell->setFocusPolicy(first->focusPolicy());
            (*lane)[std::size_t(i)] = cell;
            const int laneIndex = lane == &BZA ? 0 : lane == &BZB ? 1 : 2;
            cell->setClickHandler(this, [this, laneIndex, i] {
                if (laneIndex == 0)
                    BZA_Click(i);
                else if (laneIndex == 1)
                    BZB_Click(i);
                else
                    BZC_Click(i);
            });
            cell->show();
        }
    }
}

void Form1::BZXS()
{
    for (auto *lane : {&BZA, &BZB, &BZC})
        for (int i = 0; i < RhythmCellCount; ++i)
            if (CheckBox *cell = (*lane)[std::size_t(i)]) {
                cell->setStyleSheet(QStringLiteral("QCheckBox { background-color: %1; }").arg(cellColour(i)));
                if (i >= 12 && i <= 14)
                    cell->show();
            }
}

namespace {

void setCellOn(int lane, int i, const CheckBox *cell)
{
    RhythmStepTable[std::size_t(lane)][std::size_t(i)].On = int16_t(cell->value() == 1 ? -1 : 0);
}

} // namespace

void Form1::BZA_Click(int i) { setCellOn(0, i, BZA[std::size_t(i)]); }
void Form1::BZB_Click(int i) { setCellOn(1, i, BZB[std::size_t(i)]); }
void Form1::BZC_Click(int i) { setCellOn(2, i, BZC[std::size_t(i)]); }

void Form1::LblInst_Click(int lane)
{
    const int index = LblInst[std::size_t(lane)]->listIndex();
    if (index < 0)
        return;
    const int note = index + PercussionNoteOffset;
    const int velocity = rhythmVelocity();
    for (int step = 0; step < LaneInstrumentSteps; ++step) {
        RhythmCell &cell = RhythmStepTable[std::size_t(lane)][std::size_t(step)];
        cell.Note = int16_t(note);
        cell.Msg = percussionMsg(note, velocity);
    }
}

void Form1::VsbVol_Click()
{
    // A typed volume is held within 0..127, so no message ever carries an
    // invalid velocity byte.
    const int velocity = rhythmVelocity();
    for (int lane = 0; lane < 3; ++lane) {
        const int note = LblInst[std::size_t(lane)]->listIndex() + PercussionNoteOffset;
        for (int step = 0; step <= RhythmLastStep; ++step) {
            RhythmCell &cell = RhythmStepTable[std::size_t(lane)][std::size_t(step)];
            cell.Vol = int16_t(velocity);
            cell.Msg = percussionMsg(note, velocity);
        }
    }
}

void Form1::Option1_Click(int index)
{
    const bool threeFour = index == Metre34;
    RhythmLastStep = threeFour ? 11 : 15;
    for (int i = 12; i <= 15; ++i)
        for (auto *lane : {&BZA, &BZB, &BZC})
            if (CheckBox *cell = (*lane)[std::size_t(i)])
                cell->setVisible(!threeFour);
    StepsPerChord = stepsPerChordForMetre(RhythmLastStep);
    // The pattern boxes show the full lines, or in 3/4 their last six cells.
    const std::array<QPlainTextEdit *, 3> boxes{Text4, Text5, Text7};
    for (std::size_t k = 0; k < 3; ++k)
        boxes[k]->setPlainText(threeFour ? PatternTexts[k + 1].right(2 * StepsPerChord) : PatternTexts[k + 1]);
    HXYPSB();
    HXJS();
}

void Form1::OpenJZwj()
{
    const auto pattern = decodeRhythmText(decodeTextBytes(RhythmFileData));
    if (!pattern) {
        // Short, or a field outside its list: the grid stays as it is. The
        // box opens after the handler (the score's "JP" reads files in a tick).
        showBoxLater([] {
            MessageService::instance().timedInfo(Caption, QStringLiteral("打开节奏文件出错，请检查！"), MessageMs);
        });
        return;
    }
    VsbVol->setListIndex(pattern->volumeIndex);
    Option1[std::size_t(pattern->metre)]->setValue(true);
    for (std::size_t k = 0; k < 3; ++k)
        LblInst[k]->setListIndex(pattern->instruments[k]);
    const std::array<std::array<CheckBox *, RhythmCellCount> *, 3> lanes{&BZA, &BZB, &BZC};
    for (std::size_t k = 0; k < 3; ++k) {
        const int stored = k == 2 ? 17 : 16;
        for (int i = 0; i < stored; ++i)
            if (CheckBox *cell = (*lanes[k])[std::size_t(i)])
                cell->setValue(pattern->cells[k][std::size_t(i)] ? 1 : 0);
    }

    const int velocity = rhythmVelocity();
    for (std::size_t k = 0; k < 3; ++k) {
        const int note = LblInst[k]->listIndex() + PercussionNoteOffset;
        for (int step = 0; step <= RhythmLastStep; ++step) {
            RhythmCell &cell = RhythmStepTable[k][std::size_t(step)];
            cell.Vol = int16_t(velocity);
            cell.Msg = percussionMsg(note, velocity);
            const CheckBox *box = (*lanes[k])[std::size_t(step)];
            cell.On = int16_t(box && box->value() == 1 ? -1 : 0);
        }
    }
    for (std::size_t record : {3u, 4u})
        for (int step = 0; step <= RhythmLastStep; ++step)
            RhythmStepTable[record][std::size_t(step)].On = 0;
}

void Form1::File1_Click()
{
    const int index = File1->listIndex();
    if (index < 0)
        return;
    const QString name = File1->list(index);
    RhythmFileData.clear();
    Label11->setText(QString::number(index + 1) + QStringLiteral("★") + name);
    // The list reads the first data item of the file: its first line up to
    // a comma. A file that has gone reads as nothing and is refused.
    const QByteArray bytes = readWholeFile(File1->path() + QLatin1Char('/') + name);
    RhythmFileData = firstDataItem(decodeTextBytes(bytes)).toUtf8();
    OpenJZwj();
    File1->hide();
}

void Form1::openRhythmFileWhole(int index, const QString &label)
{
    if (index < 0 || index >= File1->listCount())
        return;
    Label11->setText(label);
    RhythmFileData = readWholeFile(File1->path() + QLatin1Char('/') + File1->list(index));
    OpenJZwj();
}

void Form1::loadFirstRhythmFile()
{
    File1->setPath(rhythmFolder());
    File1->setPattern(QStringLiteral("*.bin"));
    if (File1->listCount() > 0)
        openRhythmFileWhole(0, QStringLiteral("1★") + File1->list(0));
}

void Form1::Cmdcill_Click(int index)
{
    if (index == 0) {
        const int selected = File1->listIndex();
        if (selected >= 0) {
            // A file already gone is no error; one that stays (a folder that
            // cannot be written) is reported, and the list is left as it was.
            const QString path = File1->path() + QLatin1Char('/') + File1->list(selected);
            if (!QFile::remove(path) && QFileInfo::exists(path)) {
                MessageService::instance().timedInfo(
                    Caption, QStringLiteral("无法删除文件“%1”。").arg(File1->list(selected)), MessageMs);
                return;
            }
        }
        File1->refresh();
        if (File1->listCount() > 0)
            openRhythmFileWhole(0, File1->list(0));
        return;
    }

    QString path = FileDialogService::instance().saveFile(QStringLiteral("保存节奏"), rhythmFolder() + QLatin1Char('/'),
                                                          QStringLiteral("节奏bin (*.bin)"));
    if (path.isEmpty())
        return;
    // A name typed without an extension gets ".bin", so the list shows it.
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".bin");
        if (QFileInfo::exists(path)
            && !MessageService::instance().ask(
                Caption, QStringLiteral("%1 已存在。\n要替换它吗？").arg(QFileInfo(path).fileName())))
            return;
    }
    if (SaveJZwj(path))
        File1->refresh();
}

bool Form1::SaveJZwj(const QString &path)
{
    RhythmPattern p;
    // A typed volume that is no entry of the list is saved as the nearest one.
    const int listed = VsbVol->listIndex();
    p.volumeIndex = listed >= 0 && VsbVol->itemText(listed) == VsbVol->text() ? listed
                                                                            : rhythmVolumeIndexForText(VsbVol->text());
    p.metre = Metre44;
    for (int m = 0; m < MetreCount; ++m)
        if (Option1[std::size_t(m)]->value())
            p.metre = m;
    const std::array<const std::array<CheckBox *, RhythmCellCount> *, 3> lanes{&BZA, &BZB, &BZC};
    for (std::size_t k = 0; k < 3; ++k) {
        p.instruments[k] = LblInst[k]->listIndex();
        for (int i = 0; i < RhythmCellCount; ++i) {
            const CheckBox *cell = (*lanes[k])[std::size_t(i)];
            p.cells[k][std::size_t(i)] = cell && cell->value() == 1;
        }
    }
    QString error;
    if (!writeTextFile(path, {encodeRhythmLine(p, path)}, &error)) {
        MessageService::instance().timedInfo(Caption, error, MessageMs);
        return false;
    }
    return true;
}

void Form1::Label11_MouseMove()
{
    File1->refresh();
    File1->show();
}

void Form1::Jiezhou_MouseMove(int index, QPoint pos)
{
    // The list stays while the pointer is on its way between the file name
    // and the list.
    if (index == 2 && !File1->geometry().united(Label11->geometry()).contains(pos))
        File1->hide();
}

void Form1::wireRhythm()
{
    BZA[0]->setClickHandler(this, [this] { BZA_Click(0); });
    BZB[0]->setClickHandler(this, [this] { BZB_Click(0); });
    BZC[0]->setClickHandler(this, [this] { BZC_Click(0); });
    for (int k = 0; k < 3; ++k)
        LblInst[std::size_t(k)]->setClickHandler(this, [this, k] { LblInst_Click(k); });
    VsbVol->setClickHandler(this, [this] { VsbVol_Click(); });
    VsbVol->setChangeHandler(this, [this] { VsbVol_Click(); });
    for (int m = 0; m < MetreCount; ++m)
        Option1[std::size_t(m)]->setClickHandler(this, [this, m] { Option1_Click(m); });
    connect(File1, &QListWidget::itemClicked, this, [this] { File1_Click(); });
    for (int i = 0; i < 2; ++i)
        connect(Cmdcill[std::size_t(i)], &QPushButton::clicked, this, [this, i] { Cmdcill_Click(i); });

    Label11->setMouseTracking(true);
    Jiezhou[2]->setMouseTracking(true);
    EventHook::install(Label11, [this](QEvent *e) {
        if (e->type() == QEvent::MouseMove)
            Label11_MouseMove();
    });
    EventHook::install(Jiezhou[2], [this](QEvent *e) {
        if (e->type() == QEvent::MouseMove)
            Jiezhou_MouseMove(2, static_cast<QMouseEvent *>(e)->position().toPoint());
    });
}

} // namespace dzq
