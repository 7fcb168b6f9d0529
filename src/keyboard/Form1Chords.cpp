// The chord panel: three pattern lines, the progression, the pattern library
// and the random draw; the chord sequence built from them; the three chord
// voices on channels 3, 4 and 5 with their instruments and volume; and the
// chord preview, which plays one progression cycle of the chord voices alone.
#include "keyboard/Form1.h"

#include "keyboard/core/ChordProgression.h"
#include "keyboard/core/PatternLibrary.h"
#include "keyboard/core/RhythmFile.h"
#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "platform/MessageService.h"
#include "platform/Resources.h"
#include "shared/Shared.h"

#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>

namespace dzq {

namespace {

constexpr int PatternLibraryString = 509;
constexpr int DegreeTableString = 511;

const DegreeCodeTable &degreeTable()
{
    static const DegreeCodeTable table = parseDegreeTable(LoadResString(DegreeTableString)).value_or(DegreeCodeTable{});
    return table;
}

bool threeFour() { return stepsPerChordForMetre(RhythmLastStep) == 6; }

QString textOf(const QPlainTextEdit *box) { return box->toPlainText(); }

void setTextOf(QPlainTextEdit *box, const QString &text)
{
    if (box->toPlainText() != text)
        box->setPlainText(text);
}

// The pattern and progression boxes are one-line boxes: Enter adds no line
// break, and their focus changes run the window's handlers. Focus moving to
// another window (a message box, another program) is no leaving of the box.
class LineBoxEvents final : public QObject {
public:
    LineBoxEvents(QObject *box, std::function<void()> gotFocus, std::function<void()> lostFocus)
        : QObject(box), gotFocus_(std::move(gotFocus)), lostFocus_(std::move(lostFocus))
    {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            return key == Qt::Key_Return || key == Qt::Key_Enter;
        }
        case QEvent::FocusIn:
            if (gotFocus_ && ownFocusChange(event))
                gotFocus_();
            break;
        case QEvent::FocusOut:
            if (lostFocus_ && ownFocusChange(event))
                lostFocus_();
            break;
        default:
            break;
        }
        return false;
    }

private:
    static bool ownFocusChange(QEvent *event)
    {
        const Qt::FocusReason r = static_cast<QFocusEvent *>(event)->reason();
        return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason;
    }
    std::function<void()> gotFocus_;
    std::function<void()> lostFocus_;
};

// One step of chord voice `voice` (1..3, channel 2 + voice) at AccompStep.
void chordVoiceStep(std::array<int, 4> &lastCode, int voice, const ChoiceList *instrument)
{
    const int channel = 2 + voice;
    ChordChannel = channel;
    LineVolume[std::size_t(channel)] = VoiceVelocity[3];
    const int code = chordSeqCode(voice, AccompStep);
    int &last = lastCode[std::size_t(voice)];
    if (code >= 0 && code < 64) {
        if (!Form1::voiceOn(instrument))
            return;
        if (last >= 0 && last < 64) {
            MidiNoteOff(channel, last + KeyBase);
        } else if (last >= 65 && last <= 85) {
            for (int i = 0; i < 64; ++i)
                MidiNoteOff(channel, KeyBase + i);
        }
        // What was struck in another key lies outside those releases.
        releaseSoundingNotes({channel});
        MidiNoteOn(channel, code + KeyBase, VoiceVelocity[3]);
        last = code;
    } else if (code >= 65 && code <= 85) {
        ChordCode = code;
        PlayChord();
        last = code;
    }
    // Rests and holds sound nothing new and leave the voice as it is.
}

} // namespace

// ---- chord voices -----------------------------------------------------------

void Form1::BZHX() { chordVoiceStep(ChordLastCode, 1, Combo1); }
void Form1::BZHX2() { chordVoiceStep(ChordLastCode, 2, Combo2); }
void Form1::ZHHXJ() { chordVoiceStep(ChordLastCode, 3, Combo3); }

void Form1::Combo1_Click() { MidiProgramChange(3, 0, Combo1->listIndex() - 1); }
void Form1::Combo2_Click() { MidiProgramChange(4, 0, Combo2->listIndex() - 1); }
void Form1::Combo3_Click() { MidiProgramChange(5, 0, Combo3->listIndex() - 1); }

void Form1::xuanyue_Change()
{
    MidiProgramChange(3, 0, xuanyue->listIndex() - 1);
    Combo3->setListIndex(xuanyue->listIndex());
}

void Form1::xuanyue_Click()
{
    MidiProgramChange(3, 0, xuanyue->listIndex() - 1);
    Combo1->setListIndex(xuanyue->listIndex());
}

void Form1::HxYL_Click() { VoiceVelocity[3] = velocityFromText(HxYL->text()); }

// ---- pattern lines and the chord sequence ----------------------------------

void Form1::HXYPSB()
{
    const std::array<const QPlainTextEdit *, 3> boxes{Text4, Text5, Text7};
    const int steps = std::clamp(StepsPerChord, 0, MaxStepsPerChord);
    for (std::size_t v = 0; v < 3; ++v) {
        PatternCodes[v].fill(HoldCode);
        const std::vector<int> codes = patternLineCodes(textOf(boxes[v]), steps);
        std::copy(codes.begin(), codes.end(), PatternCodes[v].begin());
    }
}

void Form1::HXJS()
{
    ChordSeqLen = buildChordSequence(PatternCodes, ProgressionDegrees, ChordCycle, StepsPerChord, degreeTable(), ChordSeq);
    // A clock running on over a shorter sequence starts it again rather than
    // reading past its end.
    if (AccompStep >= ChordSeqLen)
        AccompStep = 0;
}

namespace {

// PatternTexts keep the full lines of the boxes. In 3/4 a box shows the last
// twelve characters of its full line; while it still does, the full line is
// kept for the return to 2/4 or 4/4.
void keepPatternTexts(std::array<QString, 4> &texts, const std::array<const QPlainTextEdit *, 3> &boxes)
{
    for (std::size_t v = 0; v < 3; ++v) {
        const QString box = textOf(boxes[v]);
        QString &full = texts[v + 1];
        if (threeFour() && full.size() > box.size() && full.endsWith(box))
            continue;
        full = box;
    }
}

// The chords of a new progression; playing starts again at its first chord.
void takeProgression(const std::vector<int> &degrees)
{
    ChordCycle = int(std::min<std::size_t>(degrees.size(), MaxProgressionLength));
    ProgressionDegrees.fill(0);
    std::copy_n(degrees.begin(), ChordCycle, ProgressionDegrees.begin() + 1);
    ChordStep = 1;
}

} // namespace

void Form1::HXCSH()
{
    const QString path = AppDir + patternLibraryName();
    if (!QFileInfo::exists(path)) {
        // A folder that cannot be written keeps the boxes as they are.
        createPatternLibrary(path, LoadResString(PatternLibraryString));
        return;
    }
    const QStringList library = readPatternLibrary(path);
    const int n = int(library.size());
    if (n == 0)
        return;
    const std::array<QPlainTextEdit *, 4> boxes{nullptr, Text4, Text5, Text7};
    auto put = [&](std::size_t v, const QString &line) {
        PatternTexts[v] = line;
        setTextOf(boxes[v], threeFour() ? line.right(2 * stepsPerChordForMetre(RhythmLastStep)) : line);
    };
    auto draw = [&] { return library[drawIndex(chordRandom(), n) - 1]; };

    const QString first = draw();
    if (Check7->value() == 0)
        put(2, first);
    const QString second = draw();
    if (Check4->value() == 0) {
        put(1, second);
        Text2->setPlainText(textOf(Text4) + textOf(Text5));
    }
    const QString third = draw();
    if (Check9->value() == 0)
        put(3, third);
}

void Form1::CSHX()
{
    const QString progression = progressionListEntry(drawIndex(chordRandom(), ProgressionListCount));
    setTextOf(Text6, progression);
    takeProgression(parseProgression(progression).value_or(std::vector<int>{}));
    HXCSH();
    HXYPSB();
    HXJS();
}

void Form1::randomProgression()
{
    StepsPerChord = stepsPerChordForMetre(RhythmLastStep);
    CSHX();
    keepPatternTexts(PatternTexts, {Text4, Text5, Text7});
}

void Form1::Command3_Click() { randomProgression(); }

void Form1::Command4_Click()
{
    QString error;
    if (!savePatternLines(AppDir + patternLibraryName(), {textOf(Text4), textOf(Text5), textOf(Text7)}, &error))
        MessageService::instance().timedInfo(QStringLiteral("提示"), error, 5000);
}

namespace {

void normaliseBox(QPlainTextEdit *box)
{
    setTextOf(box, normalisePatternLine(textOf(box), 2 * stepsPerChordForMetre(RhythmLastStep)));
}

} // namespace

void Form1::Text4_LostFocus()
{
    normaliseBox(Text4);
    Text2->setPlainText(textOf(Text4) + textOf(Text5));
    keepPatternTexts(PatternTexts, {Text4, Text5, Text7});
}

void Form1::Text5_LostFocus()
{
    normaliseBox(Text5);
    keepPatternTexts(PatternTexts, {Text4, Text5, Text7});
}

void Form1::Text7_LostFocus()
{
    normaliseBox(Text7);
    Text2->setPlainText(textOf(Text4) + textOf(Text5));
    keepPatternTexts(PatternTexts, {Text4, Text5, Text7});
}

void Form1::Text6_GotFocus() { ProgressionUndo = textOf(Text6); }

void Form1::Text6_LostFocus()
{
    // Up to 17 digits 1..7; an empty box means no chords. Anything else
    // brings the previous progression back and changes nothing.
    const auto degrees = parseProgression(textOf(Text6));
    if (!degrees) {
        setTextOf(Text6, ProgressionUndo);
        return;
    }
    takeProgression(*degrees);
    HXYPSB();
    HXJS();
}

// ---- chord preview ------------------------------------------------------------

void Form1::Check6_Click()
{
    resetAccompCounters();
    StepsPerChord = stepsPerChordForMetre(RhythmLastStep);
    AccompTick = 0;
    HXYPSB();
    HXJS();
    if (Check6->value() == 1) {
        HXYS->setInterval(StepMs);
        HXYS->setEnabled(true);
        Check6->setText(QStringLiteral("停止"));
        keepPatternTexts(PatternTexts, {Text4, Text5, Text7});
    } else {
        HXYS->setEnabled(false);
        HX1K();
        Check6->setText(QStringLiteral("启动"));
    }
}

void Form1::HXYS_Timer()
{
    expressionRamp(false);
    if (AccompTick == 0)
        HX1K();
    if (AccompTick % 4 == 0)
        accompanimentStep(AccompClock::Preview);
    advanceAccompTick();
}

void Form1::wireChords()
{
    // The metre may copy these back into the boxes before any draw.
    PatternTexts[1] = textOf(Text4);
    PatternTexts[2] = textOf(Text5);
    PatternTexts[3] = textOf(Text7);

    Combo1->setClickHandler(this, [this] { Combo1_Click(); });
    Combo2->setClickHandler(this, [this] { Combo2_Click(); });
    Combo3->setClickHandler(this, [this] { Combo3_Click(); });
    xuanyue->setClickHandler(this, [this] { xuanyue_Click(); });
    xuanyue->setChangeHandler(this, [this] { xuanyue_Change(); });
    HxYL->setClickHandler(this, [this] { HxYL_Click(); });
    HxYL->setChangeHandler(this, [this] { HxYL_Click(); });
    Check6->setClickHandler(this, [this] { Check6_Click(); });
    connect(HXYS, &StepTimer::timeout, this, [this] { HXYS_Timer(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });

    new LineBoxEvents(Text4, nullptr, [this] { Text4_LostFocus(); });
    new LineBoxEvents(Text5, nullptr, [this] { Text5_LostFocus(); });
    new LineBoxEvents(Text7, nullptr, [this] { Text7_LostFocus(); });
    new LineBoxEvents(Text6, [this] { Text6_GotFocus(); }, [this] { Text6_LostFocus(); });
}

} // namespace dzq
