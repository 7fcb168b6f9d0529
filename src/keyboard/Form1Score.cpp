// The score player of the main window: the interpreter YSCX, the score clock
// Timer3 and the score box's buttons (play/stop, delete, open, clear, save).
#include "keyboard/EventHook.h"
#include "keyboard/Form1.h"

#include "keyboard/core/ScoreFiles.h"
#include "keyboard/core/ScoreLanguage.h"
#include "keyboard/core/Tempo.h"
#include "midi/MidiOut.h"
#include "platform/AppPaths.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "platform/Numbers.h"
#include "score_entry/YYLR.h"
#include "shared/Shared.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QTextCursor>

#include <utility>

namespace dzq {

namespace {

const QString Caption = QStringLiteral("提示");
const QString PlayCaption = QStringLiteral("试听");
const QString StopCaption = QStringLiteral("停止");
const QString PlayingHint = QStringLiteral("正在进行自动演奏,点击<保存>按钮可把音乐保存为txt格式的乐谱文件！");
const QString ScoreFilter = QStringLiteral("乐谱记录txt (*.txt)");
constexpr int ErrorBoxMs = 5000;

QString scoreFolder() { return AppDir + scoreFolderName() + QLatin1Char('/'); }

// StepMs from the tempo box. While the user is typing into it the text may be
// "", "0" or a word: the tick then stays as it is.
void takeTempo(const Form1 &w)
{
    const QString text = w.SD->text();
    if (!typedTempo(text))
        return;
    if (const auto ms = stepMsForTempo(Val(text)))
        StepMs = *ms;
}

// Marks the reading place: one character of the score box at the 0-based
// offset pos. The focus goes to the box only while the window is shown; a
// hidden window (the score entry window or the editor is open) plays on.
void markReadingPlace(Form1 &w, qsizetype pos)
{
    // Selecting in a long box costs time in proportion to its text; at a real
    // tempo notes are at least 54 ms apart, so a mark at most every 15 ms
    // shows every note and keeps a score driven faster from slowing down.
    if (w.ReadingPlaceMarked.isValid() && !w.ReadingPlaceMarked.hasExpired(15))
        return;
    w.ReadingPlaceMarked.start();
    const qsizetype length = w.Text3->document()->characterCount() - 1;
    if (pos >= 0 && pos < length) {
        QTextCursor cursor(w.Text3->document());
        cursor.setPosition(int(pos));
        cursor.setPosition(int(pos) + 1, QTextCursor::KeepAnchor);
        w.Text3->setTextCursor(cursor);
    }
    if (w.isVisible())
        w.Text3->setFocus();
}

void stopScoreClock(Form1 &w)
{
    w.Timer3->setInterval(0);
    w.Timer3->setEnabled(false);
}

void showStopped(Form1 &w)
{
    w.Yuepu[0]->setText(PlayCaption);
    w.ScorePlaying = false;
}

// Stops the score: its clock, its last note, the chord voices.
void stopScore(Form1 &w)
{
    stopScoreClock(w);
    w.releaseLastNote();
    w.HX1K();
    showStopped(w);
}

// The stop of the play/stop button: the score and the rhythm.
void stopPlayback(Form1 &w)
{
    stopScore(w);
    w.BZDS->setEnabled(false);
    w.BzQd->setValue(0);
}

// "JP" n (1..98): loads and starts the n-th rhythm file of the list, when the
// list has that entry and its file is still there.
void loadRhythmFile(Form1 &w, int n)
{
    const int index = n - 1;
    if (index >= w.File1->listCount())
        return;
    if (!QFileInfo(QDir(w.File1->path()).filePath(w.File1->list(index))).isFile())
        return;
    w.File1->setListIndex(index);
    w.openRhythmFileWhole(index, QString::number(n) + QStringLiteral("★") + w.File1->list(index));
    w.Check5->setValue(1);
}

} // namespace

void Form1::YSCX()
{
    // Commands take no time: they are applied one after the other within this
    // call, so a long run of them costs no stack. The loop ends at the first
    // note, rest, end or error.
    for (;;) {
        if (ScorePos < 1)
            ScorePos = 1;
        takeTempo(*this);
        ScoreLength = ScoreText.size();
        const qsizetype tokenPos = ScorePos;
        const auto t = readScoreToken(ScoreText, ScorePos, ScoreReadMode::Interpreter);
        const ScoreTokenKind kind = scoreTokenKind(t.text);
        ScoreToken = t.text;
        NoteDuration = noteDurationAfter(kind, t, NoteDuration);
        const int n = t.number.value_or(0);
        const bool valid = scoreCommandAccepts(kind, n);

        switch (kind) {
        case ScoreTokenKind::Key:
            if (valid) {
                YD->setListIndex(n - 1);
                KeyBase = keyBaseForKeyCommand(n);
                XSWB->setText(YD->text() + QStringLiteral("调"));
            }
            break;
        case ScoreTokenKind::Tempo:
            if (valid) {
                SD->setListIndex(n - 1);
                takeTempo(*this);
            }
            break;
        case ScoreTokenKind::Rhythm:
            if (n == RhythmSyncOffNumber)
                Check5->setValue(0);
            else if (valid)
                loadRhythmFile(*this, n);
            break;
        case ScoreTokenKind::Preset:
            if (valid) {
                for (std::size_t v = 0; v < 3; ++v)
                    MelodyProgram[v] = PresetTable[n - 1][v];
                for (std::size_t v = 0; v < 3; ++v) {
                    ComSounds[v]->setListIndex(MelodyProgram[v]);
                    MidiProgramChange(int(v), 0, ComSounds[v]->listIndex() - 1);
                }
            }
            break;
        default: {
            markReadingPlace(*this, tokenPos);
            // The clock keeps its phase while the tempo stays.
            if (Timer3->interval() != StepMs)
                Timer3->setInterval(StepMs);
            switch (kind) {
            case ScoreTokenKind::Note:
                CurNote = noteCode(t.text);
                NoteTick = 0;
                ScorePos = t.next;
                Timer3->setEnabled(true);
                return;
            case ScoreTokenKind::Rest:
                CurNote = RestCode;
                notesOff({0, 1, 2});
                Timer3->setEnabled(true);
                ScorePos = t.next;
                NoteTick = 0;
                return;
            case ScoreTokenKind::End:
            case ScoreTokenKind::EndOfText:
                // A score without "TZ" ends after its last note the same way.
                CurNote = NoNoteCode;
                Timer3->setEnabled(false);
                notesOff({0, 1, 2, 3, 4, 5});
                if (Check5->value() == 1)
                    BZDS->setEnabled(false);
                BzQd->setValue(0);
                showStopped(*this);
                ScorePos = 1;
                resetAccompCounters();
                showKeyUp(LastNote);
                return;
            default:
                // Everything stops now; the box opens after the tick or click
                // that read the token, and stays open for seconds while
                // nothing sounds or ticks.
                stopScore(*this);
                NoteTick = 0;
                showBoxLater([] {
                    MessageService::instance().timedInfo(Caption, QStringLiteral("乐谱中出现错误，请修改！"),
                                                         ErrorBoxMs);
                });
                return;
            }
        }
        }

        // A command: its resets, then the next token.
        if (scoreCommandResets(kind, n).counters)
            resetAccompCounters();
        NoteTick = 0;
        ScorePos = t.next;
    }
}

void Form1::Timer3_Timer()
{
    const bool accompany = !rhythmClockLeads();
    if (accompany)
        expressionRamp(true);
    if (NoteTick == 0 && CurNote >= 0 && CurNote < 64) {
        releaseLastNote();
        soundNote(CurNote + KeyBase);
        LastNote = CurNote;
        LastNoteMidi = CurNote + KeyBase;
    }
    if (accompany && AccompTick % 4 == 0 && Check5->value() == 1)
        accompanimentStep(AccompClock::Score);
    ++NoteTick;
    if (noteLengthUsedUp(NoteTick, NoteDuration)) {
        YSCX();
        NoteTick = 0;
    }
    if (accompany)
        advanceAccompTick();
    // The status line keeps what the play or open button wrote.
}

void Form1::Yuepu_MouseDown(int index)
{
    if (index != 0)
        return;
    // A live note clears ScorePlaying while the score clock runs on; the click
    // that follows must still stop, not start the score again.
    ScoreClockWasRunning = Timer3->isRunning();
    stopScoreClock(*this);
    releaseLastNote();
    HX1K();
    BZDS->setEnabled(false);
    Yuepu[0]->setText(PlayCaption);
}

void Form1::Yuepu_Click(int index)
{
    switch (index) {
    case 0:
        if (ScorePlaying || std::exchange(ScoreClockWasRunning, false)) {
            stopPlayback(*this);
            return;
        }
        showKeyUp(LastNote);
        if (const QString text = Text3->toPlainText(), upper = text.toUpper(); upper != text)
            Text3->setPlainText(upper);
        ScoreText = Text3->toPlainText();
        Yuepu[0]->setText(StopCaption);
        XSWB->setText(PlayingHint);
        ScorePos = 1;
        resetAccompCounters();
        AccompTick = 0;
        ScorePlaying = true;
        YSCX();
        return;

    case 1: {
        // Deletes the file last opened or saved, also a recording, and cannot
        // be undone: only an existing file, and only when the user agrees.
        const QFileInfo file(ScoreFile);
        if (ScoreFile.isEmpty() || !file.isFile()) {
            FJWZ->setText(QStringLiteral("没有可删除的文件。。。"));
            return;
        }
        if (!MessageService::instance().ask(
                Caption, QStringLiteral("确定要删除文件“%1”吗？删除后不可恢复！").arg(file.fileName())))
            return;
        if (!QFile::remove(ScoreFile)) {
            FJWZ->setText(QStringLiteral("删除文件失败。。。"));
            return;
        }
        if (ScorePlaying || Timer3->isRunning())
            stopPlayback(*this);
        ScoreText.clear();
        Text3->clear();
        FJWZ->setText(QStringLiteral("成功删除文件。。。"));
        return;
    }

    case 2: {
        stopScore(*this);
        const QString path =
            FileDialogService::instance().openFile(QStringLiteral("打开乐谱"), scoreFolder(), ScoreFilter);
        if (path.isEmpty())
            return;
        // The box keeps its score until another one has been read.
        const ScoreFileRead read = readScoreFile(path);
        if (!read.ok) {
            FJWZ->setText(read.error);
            return;
        }
        ScoreFile = path;
        ScoreText = read.score;
        File1->hide();
        Text3->setPlainText(ScoreText);
        resetAccompCounters();
        AccompTick = 0;
        ScoreLength = ScoreText.size();
        ScorePos = 1;
        ScorePlaying = true;
        Yuepu[0]->setText(StopCaption);
        XSWB->setText(PlayingHint);
        FJWZ->setText(QStringLiteral("自动演奏中。。。"));
        YSCX();
        return;
    }

    case 3:
        // Playback stops first: the interpreter would read on in an empty text.
        if (ScorePlaying || Timer3->isRunning())
            stopPlayback(*this);
        Text3->clear();
        ScoreText.clear();
        Timer1->setEnabled(false);
        ScorePos = 1;
        resetAccompCounters();
        FJWZ->setText(QStringLiteral("成功清空乐谱。。。"));
        return;

    case 4: {
        stopScore(*this);
        ScoreText = Text3->toPlainText();
        const QString chosen =
            FileDialogService::instance().saveFile(QStringLiteral("保存乐谱"), scoreFolder(), ScoreFilter);
        if (chosen.isEmpty() || ScoreText.isEmpty())
            return;
        // The dialog asked about the name chosen; the file written has another.
        const QString name = scoreSaveFileName(chosen);
        if (name != chosen && QFileInfo::exists(name) &&
            !MessageService::instance().ask(
                Caption, QStringLiteral("文件“%1”已存在，要替换它吗？").arg(QFileInfo(name).fileName())))
            return;
        if (!writeScoreFile(name, ScoreText)) {
            FJWZ->setText(QStringLiteral("保存乐谱失败。。。"));
            return;
        }
        ScoreFile = name;
        FJWZ->setText(QStringLiteral("成功保存乐谱。。。"));
        return;
    }

    default: return;
    }
}

void Form1::XINJIAN_Click()
{
    // The score entry window starts from the box's score; a score being played
    // keeps its own text.
    if (!ScorePlaying && !Timer3->isRunning())
        ScoreText = Text3->toPlainText();
    // The entry window takes the screen; it shows this window again when it
    // closes, which activates it. The clocks run on meanwhile.
    QPointer<Form1> self(this);
    auto *entry = new YYLR([self] {
        if (self)
            self->show();
    });
    entry->show();
    hide();
}

void Form1::wireScore()
{
    for (std::size_t i = 0; i < Yuepu.size(); ++i) {
        connect(Yuepu[i], &QPushButton::pressed, this, [this, i] { Yuepu_MouseDown(int(i)); });
        connect(Yuepu[i], &QPushButton::clicked, this, [this, i] { Yuepu_Click(int(i)); });
    }
    connect(XINJIAN, &QPushButton::clicked, this, [this] { XINJIAN_Click(); });

    // The interpreter marks its reading place in the box and gives it the
    // focus: while the score plays, a key typed there would overwrite the
    // score. The box then takes no edits, and Space stops everything as it
    // does on the keyboard, leaving the box's text as it is. Whether the box
    // can be edited is settled as each input event reaches it.
    const auto scoreBoxInput = [this](QEvent *event) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Space) {
                if (event->type() == QEvent::KeyPress && Timer3->isRunning()) {
                    stopAllPlaying();
                    SpaceStoppedScore = true;
                }
                // The repeats of the Space that stopped the score type nothing.
                if (SpaceStoppedScore) {
                    if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat())
                        SpaceStoppedScore = false;
                    return true;
                }
            }
            break;
        }
        case QEvent::FocusIn:
            SpaceStoppedScore = false;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::Drop:
        case QEvent::InputMethod:
            break;
        default:
            return false;
        }
        if (const bool playing = Timer3->isRunning(); Text3->isReadOnly() != playing)
            Text3->setReadOnly(playing);
        return false;
    };
    EventHook::installFilter(Text3, scoreBoxInput);
    EventHook::installFilter(Text3->viewport(), scoreBoxInput);
    connect(Timer3, &StepTimer::timeout, this, [this] { Timer3_Timer(); });
}

} // namespace dzq
