// Saves the file system refuses: a data folder that cannot be written, and a
// disk that fills up half-way through a file. The program starts and plays
// all the same; each kind of save (score, rhythm file, settings, pattern
// library, recording, score entry window) tells the user it failed, keeps
// what the user made, and leaves the file saved before exactly as it was.
#include "FaultsSupport.h"

#include "keyboard/core/PatternLibrary.h"
#include "keyboard/core/SettingsFile.h"
#include "midi/MidiOut.h"
#include "platform/AppPaths.h"
#include "score_entry/YYLR.h"
#include "shared/Shared.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

using namespace dzq;
using namespace dzq::test;

namespace {

const QString NewScore = QStringLiteral("KC4KD4KE4KF4KG4KA4KB4HC8TZ");
const QString NewPattern = QStringLiteral("HC--KG--KE--KGHC");
const QString RhythmName = QStringLiteral("1-四四拍基本节奏.bin");

// What one save left for the user to read.
struct Report {
    QString status;       // the status line FJWZ afterwards
    QStringList messages; // the message boxes it showed
    bool mentions(const QString &text) const { return status.contains(text) || !messages.filter(text).isEmpty(); }
};

class FileFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        fillDataFolder(dir);
        ASSERT_EQ(newPatternLines(readPatternLibrary(dir + patternLibraryName()), {NewPattern}),
                  QStringList{NewPattern});
    }
    ~FileFaults() override { MediaControl::install(&program.env.media); }

    Form1 &start()
    {
        EXPECT_TRUE(program.load());
        Form1 *w = program.showMainWindow();
        EXPECT_NE(w, nullptr);
        EXPECT_EQ(program.settingsErrors, 0);
        program.env.take();
        return *w;
    }

    // Plays a while: the key, the score and the rhythm all sound.
    void play(Form1 &w)
    {
        playAWhile(w);
        const auto sent = program.env.take();
        for (int note : {36, 60, 62, 64})
            EXPECT_NE(std::find(sent.begin(), sent.end(), packShortMsg(0x90, note, 85)), sent.end()) << note;
        EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](uint32_t m) { return (m & 0xFF) == 0x99; }))
            << "the first rhythm file of the folder drums";
        EXPECT_FALSE(w.ScorePlaying);
        EXPECT_TRUE(program.env.messages.shown.empty());
    }

    // Every kind of save, each over a file saved before.
    void saveEverything(Form1 &w)
    {
        Environment &env = program.env;
        auto run = [&](Report &r, const std::function<void()> &save) {
            const std::size_t before = env.messages.shown.size();
            w.FJWZ->clear();
            save();
            r.status = w.FJWZ->text();
            for (std::size_t i = before; i < env.messages.shown.size(); ++i)
                if (env.messages.shown[i].kind != ShownMessage::Ask)
                    r.messages << env.messages.shown[i].text;
        };
        const QString scores = dir + scoreFolderName() + QLatin1Char('/');

        run(score, [&] {
            w.Text3->setPlainText(NewScore);
            env.dialogs.answers.push_back(scores + QStringLiteral("旧歌"));
            w.Yuepu_Click(4);
        });
        run(rhythm, [&] {
            env.dialogs.answers.push_back(scores + RhythmName);
            w.Cmdcill_Click(1);
        });
        run(settings, [&] {
            PresetTable[0][0] = 7;
            w.BCSZ_Click();
        });
        run(library, [&] {
            w.Text4->setPlainText(NewPattern);
            w.Command4_Click();
        });
        run(recording, [&] {
            w.Image1_Click(2);
            w.Image1_Click(1);
            env.dialogs.answers.push_back(recordingPath(dir));
            w.BcLY_Click();
        });
        run(entry, [&] {
            w.XINJIAN_Click();
            YYLR *window = nullptr;
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *y = qobject_cast<YYLR *>(top); y && y->isVisible())
                    window = y;
            ASSERT_NE(window, nullptr);
            window->Text1->setPlainText(NewScore);
            env.dialogs.answers.push_back(scorePath(dir));
            window->Command1_Click();
            window->FANHUI_Click();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
    }

    // Each save said it failed, naming what; nothing the user made is lost.
    void expectEveryFailureReported(Form1 &w)
    {
        EXPECT_EQ(score.status, QStringLiteral("保存乐谱失败。。。"));
        EXPECT_EQ(w.Text3->toPlainText(), NewScore) << "the score stays in its box";
        EXPECT_TRUE(rhythm.mentions(RhythmName)) << rhythm.messages.join('|').toStdString();
        EXPECT_EQ(settings.status, QStringLiteral("保存设置失败。。。"));
        EXPECT_TRUE(settings.mentions(QStringLiteral("lansheng.ini")));
        EXPECT_TRUE(library.mentions(patternLibraryName())) << library.messages.join('|').toStdString();
        EXPECT_EQ(recording.status, QStringLiteral("没有保存录音。。。"));
        EXPECT_TRUE(entry.mentions(QFileInfo(scorePath(dir)).fileName())) << entry.messages.join('|').toStdString();
        for (const Report *r : {&score, &rhythm, &settings, &library, &recording, &entry})
            EXPECT_FALSE(r->status.startsWith(QStringLiteral("成功"))) << r->status.toStdString();

        // The recording is still there: saved elsewhere it is whole.
        const QString elsewhere = tmp.filePath(QStringLiteral("别处.wav"));
        const auto samples = qsizetype(backend->sound.samples.size());
        EXPECT_GT(samples, 0);
        program.env.dialogs.answers.push_back(elsewhere);
        w.BcLY_Click();
        EXPECT_EQ(w.FJWZ->text(), QStringLiteral("成功保存录音。。。"));
        EXPECT_EQ(bytesOf(elsewhere).size(), 44 + 2 * samples);
    }

    QTemporaryDir tmp;
    QString dir = tmp.path() + QStringLiteral("/数据/");
    Program program{dir};
    CaptureBackend *backend = nullptr;
    MediaInterpreter media{[this] {
        // A fiftieth of a second a take: small enough to sit in a write buffer.
        auto b = std::make_unique<CaptureBackend>();
        backend = b.get();
        return b;
    }()};
    Report score, rhythm, settings, library, recording, entry;
};

} // namespace

TEST_F(FileFaults, ReadOnlyDataFolderStartsAndPlaysAndEverySaveSaysItFailed)
{
    const FolderSnapshot before = snapshot(dir);
    UnwritableFolders readOnly({dir, dir + scoreFolderName(), dir + effectsFolderName()});
    if (!readOnly.ok())
        GTEST_SKIP() << "the folders stay writable here";

    Form1 &w = start();
    EXPECT_FALSE(program.problems.filter(dir).isEmpty()) << program.problems.join('\n').toStdString();
    play(w);
    MediaControl::install(&media);
    saveEverything(w);
    expectEveryFailureReported(w);

    // Deleting a rhythm file there fails too, and says so instead of
    // showing the list as after a delete.
    const QString label = w.Label11->text();
    w.File1->setListIndex(1);
    const QString selected = w.File1->list(1);
    const std::size_t boxes = program.env.messages.shown.size();
    w.Cmdcill_Click(0);
    ASSERT_EQ(program.env.messages.shown.size(), boxes + 1);
    EXPECT_TRUE(program.env.messages.shown.back().text.contains(selected));
    EXPECT_EQ(w.Label11->text(), label);
    EXPECT_EQ(changedFiles(before, snapshot(dir)), "");
}

TEST_F(FileFaults, FullDiskDuringEverySaveKeepsTheEarlierFilesAndSaysSo)
{
    Form1 &w = start();
    play(w);
    MediaControl::install(&media);
    const FolderSnapshot before = snapshot(dir);
    {
        // Every file stops growing after a few bytes.
        FileSizeLimit full(8);
        saveEverything(w);
    }
    expectEveryFailureReported(w);
    EXPECT_EQ(changedFiles(before, snapshot(dir)), "") << "no file changed, no temporary file left";
}

// The start-up's own writes (the default settings, the start-up picture) on a
// disk that fills up: each is reported and leaves no half-written file, which
// the next start would take for the user's; the program starts all the same.
TEST(StartUpWrites, FullDiskLeavesNoHalfWrittenFileAndTheProgramStarts)
{
    QTemporaryDir tmp;
    const QString picture = startPictureFileName();
    QByteArray pictureBytes;
    {
        const QString dir = tmp.filePath(QStringLiteral("先"));
        Program program(dir);
        ASSERT_TRUE(program.load());
        pictureBytes = bytesOf(AppDir + picture);
        ASSERT_GT(pictureBytes.size(), 20000);
    }
    // Everything stops after a few bytes; then only the picture's last bytes.
    int run = 0;
    for (const rlim_t limit : {rlim_t(8), rlim_t(pictureBytes.size() - 10)}) {
        SCOPED_TRACE(limit);
        const QString dir = tmp.filePath(QString::number(++run)) + QLatin1Char('/');
        Program program(dir);
        {
            FileSizeLimit full(limit);
            ASSERT_TRUE(program.load());
        }
        EXPECT_FALSE(QFileInfo::exists(dir + picture));
        EXPECT_FALSE(program.problems.filter(picture).isEmpty()) << program.problems.join('\n').toStdString();
        const bool settingsWritten = limit > 1000;
        EXPECT_EQ(QFileInfo::exists(settingsFilePath(dir)), settingsWritten);
        // Shipped files are copied whole or not at all.
        for (const auto &[folder, shipped] : {std::pair{effectsFolderName(), QStringLiteral(":/effects/")},
                                             std::pair{scoreFolderName(), QStringLiteral(":/samples/")}}) {
            const FolderSnapshot copied = snapshot(dir + folder);
            for (auto it = copied.begin(); it != copied.end(); ++it)
                EXPECT_EQ(it.value(), bytesOf(shipped + it.key())) << it.key().toStdString();
        }
        EXPECT_EQ(program.problems.filter(QStringLiteral("lansheng.ini")).isEmpty(), settingsWritten);

        Form1 *w = program.showMainWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(program.settingsErrors, 0);
        EXPECT_EQ(PresetTable[0][1], 89) << "the default settings hold without their file";
        program.env.take();
        w->SFYXYZ_KeyDown(71, 0);
        const auto sent = program.env.take();
        EXPECT_NE(std::find(sent.begin(), sent.end(), packShortMsg(0x90, 60, 85)), sent.end());
        EXPECT_TRUE(program.env.messages.shown.empty());
    }
}
