// Moving from measure to measure and editing the measure shown: the measure
// bar, the melody boxes (a line reaches the song when its box is left), the
// percussion boxes, clearing and inserting a measure, the number of measures
// and clearing the whole song. The tables themselves change through the song
// operations; this file keeps the controls in step with them.
#include "editor/YYBJ.h"

#include "editor/core/MeasureEditing.h"
#include "keyboard/EventHook.h"
#include "platform/MessageService.h"

#include <algorithm>

namespace dzq {

namespace {

const QString Prompt = QStringLiteral("请输入音乐需要的小节总数\r\n     （音乐每两小节为软件的一小节）");
const QString PromptTitle = QStringLiteral("选择小节总数");

} // namespace

void YYBJ::showMeasureNumber(int n)
{
    XJZS->setText(QString::number(n));
}

void YYBJ::commitTypedMelody()
{
    // A melody box being typed into belongs to the measure still shown: what
    // was typed goes there before the boxes show another measure.
    for (int i = 0; i < MelodyLineCount; ++i) {
        QLineEdit *box = YF1[std::size_t(i)];
        if (box->hasFocus() && box->isModified())
            YF1_LostFocus(i);
    }
}

void YYBJ::HScroll1_Change()
{
    commitTypedMelody();
    CurMeasure = HScroll1->value();
    const int n = CurMeasure;
    showMeasureNumber(n);
    XJXSS->setText(barsCaption(n));
    if (hasRecord(n))
        CXTSB();
    const Song &song = programSong();
    for (int i = 0; i < MelodyLineCount; ++i) {
        YF1[std::size_t(i)]->setText(song.MeasureArr[std::size_t(i)][std::size_t(n)]);
        YF1[std::size_t(i)]->setModified(false);
    }
    showMeasureCells();
}

void YYBJ::showMeasureCells()
{
    const Song &song = programSong();
    const int S = stepsPerMeasure();
    for (int s = 0; s <= StepMax && s <= LoadedStepMax; ++s) {
        for (int row = 0; row < PercussionLineCount; ++row) {
            const int step = S * CurMeasure + s;
            const bool hit = step < SongStepCapacity &&
                             song.StepArr[std::size_t(MelodyLineCount + row)][std::size_t(step)] == QLatin1String("O");
            // A box that changes runs its handler, which writes the cell back.
            percussionRow(row)[std::size_t(s)]->setValue(hit ? 1 : 0);
        }
    }
}

void YYBJ::YF1_LostFocus(int line)
{
    QLineEdit *box = YF1[std::size_t(line)];
    const QString text = enterMelodyLine(programSong(), line, CurMeasure, StepMax, box->text());
    box->setText(text);
    box->setModified(false);
}

void YYBJ::DJY_Click(int row, int step)
{
    const bool ticked = percussionRow(row)[std::size_t(step)]->value() == 1;
    enterPercussionStep(programSong(), FirstPercussionLine + row, CurMeasure, StepMax, step, ticked);
}

void YYBJ::clearBoxes()
{
    for (QLineEdit *box : YF1)
        box->clear();
    // Each box that was ticked runs its handler, which fills its line of the
    // measure with "-".
    for (int s = 0; s <= LoadedStepMax; ++s)
        for (int row = 0; row < PercussionLineCount; ++row)
            percussionRow(row)[std::size_t(s)]->setValue(0);
}

void YYBJ::QinKong_Click()
{
    clearMeasure(programSong(), CurMeasure, StepMax);
    clearBoxes();
}

void YYBJ::songLengthChanged()
{
    const int T = programSong().TotalMeasures;
    PlayLastStep = playLastStep(T, StepMax);
    HScroll1->setMaximum(T);
}

void YYBJ::CHARU_Click()
{
    commitTypedMelody();
    const std::optional<int> next = insertMeasure(programSong(), CurMeasure, StepMax);
    if (!next) {
        MessageService::instance().timedInfo(QStringLiteral("提示"), measureCapacityMessage(StepMax), 5000);
        return;
    }
    // The bar and the bars caption go on showing the measure before until
    // the user moves the bar.
    CurMeasure = *next;
    showMeasureNumber(CurMeasure);
    clearBoxes();
    songLengthChanged();
}

void YYBJ::ZDXJZS_Click()
{
    const MeasureCountAnswer answer =
        parseMeasureCountAnswer(MessageService::instance().input(PromptTitle, Prompt), StepMax);
    if (!answer.count) {
        if (!answer.message.isEmpty())
            MessageService::instance().timedInfo(QStringLiteral("提示"), answer.message, 5000);
        return;
    }
    programSong().TotalMeasures = *answer.count;
    songLengthChanged();
}

void YYBJ::QKYP()
{
    clearAll(programSong(), *Strings);
}

void YYBJ::timeSignatureChanged()
{
    Song &song = programSong();
    rebuildLineTexts(song, StepMax);
    // A song longer than the new measures allow ends at the last one that fits.
    song.TotalMeasures = std::min(song.TotalMeasures, lastMeasureThatFits(stepsPerMeasure()));
    if (CurMeasure > song.TotalMeasures)
        CurMeasure = song.TotalMeasures;
    songLengthChanged();
    // The boxes show the current measure in the new length.
    const QSignalBlocker block(HScroll1);
    HScroll1->setValue(CurMeasure);
    HScroll1_Change();
}

void YYBJ::wireMeasures()
{
    HScroll1->setChangeHandler(this, [this] { HScroll1_Change(); });
    for (int i = 0; i < MelodyLineCount; ++i)
        EventHook::onLostFocus(YF1[std::size_t(i)], [this, i] { YF1_LostFocus(i); });
    for (int row = 0; row < PercussionLineCount; ++row) {
        std::vector<CheckBox *> &boxes = percussionRow(row);
        boxes.front()->setClickHandler(this, [this, row] { DJY_Click(row, 0); });
    }
    connect(QinKong, &QPushButton::clicked, this, &YYBJ::QinKong_Click);
    connect(CHARU, &QPushButton::clicked, this, &YYBJ::CHARU_Click);
    connect(ZDXJZS, &QPushButton::clicked, this, &YYBJ::ZDXJZS_Click);
}

} // namespace dzq
