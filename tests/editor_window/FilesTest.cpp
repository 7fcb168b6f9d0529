// Saving and opening edit files through the window, with the dialogs and
// message boxes scripted.
#include "YYBJFixture.h"

#include "platform/TextFile.h"

#include <QDir>
#include <QFile>

namespace dzq::test {

namespace {

class EditFiles : public YYBJTest {
protected:
    QString path(const QString &name) const { return data.filePath(name); }
    void save(const QString &chosen)
    {
        env.dialogs.answers.push_back(chosen);
        w->BCBJ->click();
    }
    void open(const QString &chosen)
    {
        env.dialogs.answers.push_back(chosen);
        w->DkBianji->click();
    }
    // A two-measure song: notes in both, a drum in the second, the settings
    // of the second stored with key A and tempo 100.
    void writeTwoMeasures()
    {
        typeMelody(0, QStringLiteral("KCKDKE"));
        w->CHARU->click();
        w->HScroll1->setValue(1);
        typeMelody(1, QStringLiteral("CC"));
        w->DJY3[4]->setValue(1);
        w->DQYD->setListIndex(9);
        w->DQSUDU->setListIndex(12);
        w->BCBXJ->click();
        w->DQYD->setListIndex(0);
        w->DQSUDU->setListIndex(6);
    }
};

} // namespace

TEST_F(EditFiles, ASavedSongOpensAgainAsItWas)
{
    writeTwoMeasures();
    save(path(QStringLiteral("歌.txt")));
    ASSERT_TRUE(env.messages.shown.empty()) << env.messages.texts().join(QLatin1Char('\n')).toStdString();
    const TextFileContent written = readTextFile(path(QStringLiteral("歌.lnk")));
    ASSERT_TRUE(written.ok);
    // Three measures (inserting at the last one adds another) of 13 lines;
    // the core tests check what the lines hold.
    EXPECT_EQ(written.lines.size(), 39);

    // Another song in the editor, then the file: everything comes back.
    w->QinKong->click();
    env.messages.inputs.push_back(QStringLiteral("7"));
    w->ZDXJZS->click();
    w->JPFL[1]->click();
    env.messages.shown.clear();
    open(path(QStringLiteral("歌.lnk")));
    ASSERT_TRUE(env.messages.shown.empty()) << env.messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w->StepMax, 15);
    EXPECT_TRUE(w->JPFL[0]->value());
    EXPECT_EQ(programSong().TotalMeasures, 2);
    EXPECT_EQ(w->HScroll1->maximum(), 2);
    EXPECT_EQ(w->CurMeasure, 0);
    EXPECT_EQ(w->YF1[0]->text().left(6), QStringLiteral("KCKDKE"));
    EXPECT_EQ(programSong().StepArr[1][16], QStringLiteral("CC"));
    EXPECT_EQ(programSong().NoteArr[1][16], 72);
    EXPECT_EQ(programSong().StepArr[9][20], QStringLiteral("O"));

    // Measure 1 brings its settings with it.
    w->HScroll1->setValue(1);
    EXPECT_EQ(w->DQYD->listIndex(), 9);
    EXPECT_EQ(KeyBase, 45);
    EXPECT_EQ(w->DQSUDU->text(), QStringLiteral("100"));
    EXPECT_EQ(StepMs, 150);
    EXPECT_EQ(w->DJY3[4]->value(), 1);
}

TEST_F(EditFiles, A44FileSetsTheTimeSignature)
{
    w->JPFL[2]->click();
    typeMelody(0, QStringLiteral("HC"));
    save(path(QStringLiteral("四拍")));
    w->JPFL[0]->click();
    open(path(QStringLiteral("四拍.lnk")));
    EXPECT_EQ(w->StepMax, 31);
    EXPECT_TRUE(w->JPFL[2]->value());
    EXPECT_EQ(w->DJY5.size(), 32u);
    EXPECT_EQ(w->YF1[0]->text().size(), 64);
}

TEST_F(EditFiles, AFileThatIsNotAnEditFileChangesNothing)
{
    typeMelody(2, QStringLiteral("WG"));
    env.messages.inputs.push_back(QStringLiteral("2"));
    w->ZDXJZS->click();
    const QStringList before = cells(2, 0, 4);

    // Lines missing (the core's reader knows every other kind of damage).
    const QString file = path(QStringLiteral("坏.lnk"));
    ASSERT_TRUE(writeTextFile(file, {QStringLiteral("0000"), QStringLiteral("KC")}));
    env.messages.shown.clear();
    open(file);
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_TRUE(env.messages.shown[0].text.startsWith(QStringLiteral("打开编辑文件出错，请检查！")));
    EXPECT_EQ(cells(2, 0, 4), before);
    EXPECT_EQ(programSong().TotalMeasures, 2);
    EXPECT_EQ(w->StepMax, 15);

    // Cancelling the dialog keeps the song too.
    env.messages.shown.clear();
    w->DkBianji->click();
    EXPECT_TRUE(env.messages.shown.empty());
    EXPECT_EQ(cells(2, 0, 4), before);
}

TEST_F(EditFiles, SavingAsksBeforeReplacingTheFileItWritesAndSaysWhenItFails)
{
    typeMelody(0, QStringLiteral("KC"));
    ASSERT_TRUE(writeTextFile(path(QStringLiteral("旧.lnk")), {QStringLiteral("别动")}));
    env.messages.answers.push_back(false);
    save(path(QStringLiteral("旧.wav")));
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(env.messages.shown[0].kind, ShownMessage::Ask);
    EXPECT_EQ(readTextFile(path(QStringLiteral("旧.lnk"))).lines, QStringList{QStringLiteral("别动")});

    env.messages.shown.clear();
    save(path(QStringLiteral("没有这个文件夹/歌.lnk")));
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_TRUE(env.messages.shown[0].text.startsWith(QStringLiteral("保存编辑文件出错")));
}

} // namespace dzq::test
