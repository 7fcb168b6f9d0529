// The rhythm panel and the settings panel of the main window: grid edits in
// the rhythm table, rhythm files saved and loaded, shortcut presets, keypad
// drums, effect keys and the settings file.
#include "Form1Fixture.h"

#include "keyboard/core/RhythmFile.h"
#include "keyboard/core/SettingsFile.h"
#include "keyboard/core/VirtualKeys.h"
#include "platform/AppPaths.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

using namespace dzq;

namespace {

int rowOf(const FileListBox *list, const QString &name)
{
    for (int i = 0; i < list->listCount(); ++i)
        if (list->list(i) == name)
            return i;
    return -1;
}

class RhythmSettingsTest : public test::Form1Test {
protected:
    RhythmSettingsTest()
    {
        w.buildRhythmCells();
        w.BZXS();
        QDir(data.path()).mkpath(scoreFolderName());
        QDir(data.path()).mkpath(effectsFolderName());
        w.File1->refresh();
    }
    QString rhythmPath(const QString &name) const { return AppDir + scoreFolderName() + QLatin1Char('/') + name; }
    void put(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void selectFile(const QString &name)
    {
        w.File1->refresh();
        w.File1->setListIndex(rowOf(w.File1, name));
    }
    std::array<RhythmCell, 17> lane(int k) const
    {
        std::array<RhythmCell, 17> out{};
        std::copy_n(RhythmStepTable[std::size_t(k)].begin(), 17, out.begin());
        return out;
    }
};

bool sameCells(const std::array<RhythmCell, 17> &a, const std::array<RhythmCell, 17> &b)
{
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].On != b[i].On || a[i].Note != b[i].Note || a[i].Vol != b[i].Vol || a[i].Msg != b[i].Msg)
            return false;
    return true;
}

} // namespace

TEST_F(RhythmSettingsTest, GridEditsReachTheRhythmTableAtOnce)
{
    // Cells 1..16 stand beside cell 0, coloured a beat (two cells) at a time.
    EXPECT_EQ(w.BZC[16]->geometry().left() - w.BZC[0]->geometry().left(), 16 * Form1::RhythmCellStep);
    EXPECT_TRUE(w.BZA[2]->styleSheet().contains(QStringLiteral("#ffff00")));
    EXPECT_TRUE(w.BZA[16]->styleSheet().contains(QStringLiteral("#ff0000")));

    QTest::mouseClick(w.BZB[5], Qt::LeftButton);
    EXPECT_EQ(RhythmStepTable[1][5].On, -1);
    QTest::mouseClick(w.BZB[5], Qt::LeftButton);
    EXPECT_EQ(RhythmStepTable[1][5].On, 0);
    w.BZC[16]->setValue(1);
    EXPECT_EQ(RhythmStepTable[2][16].On, -1);

    w.LblInst[0]->setListIndex(3);
    for (int step : {0, 11, 15})
        EXPECT_EQ(RhythmStepTable[0][std::size_t(step)].Msg, percussionMsg(38, 100)) << step;

    // 3/4 hides cells 12-15 and plays steps 0-11; a volume change then
    // reaches those steps only. A typed volume is held to 127.
    w.Option1[1]->setValue(true);
    EXPECT_EQ(RhythmLastStep, 11);
    EXPECT_TRUE(w.BZA[12]->isHidden() && w.BZC[15]->isHidden() && !w.BZC[16]->isHidden());
    EXPECT_EQ(StepsPerChord, 6);
    w.VsbVol->setText(QStringLiteral("200"));
    w.VsbVol_Click();
    EXPECT_EQ(RhythmStepTable[0][11].Vol, 127);
    EXPECT_EQ(RhythmStepTable[0][11].Msg, percussionMsg(38, 127));
    EXPECT_EQ(RhythmStepTable[0][12].Vol, 100);
    w.Option1[2]->setValue(true);
    EXPECT_EQ(RhythmLastStep, 15);
    EXPECT_FALSE(w.BZA[12]->isHidden());
    EXPECT_EQ(StepsPerChord, 8);
}

TEST_F(RhythmSettingsTest, RhythmFilesSavedLoadedRefusedAndDeleted)
{
    w.VsbVol->setListIndex(5);
    w.Option1[2]->setValue(true);
    for (std::size_t k = 0; k < 3; ++k)
        w.LblInst[k]->setListIndex(std::array<int, 3>{1, 3, 7}[k]);
    for (int i : {0, 4, 8, 12})
        w.BZA[std::size_t(i)]->setValue(1);
    w.BZC[16]->setValue(1);
    const auto saved = std::array{lane(0), lane(1), lane(2)};

    // Saved under a name typed without its extension.
    env.dialogs.answers.push_back(rhythmPath(QStringLiteral("mine")));
    w.Cmdcill_Click(1);
    const QByteArray line = bytesOf(rhythmPath(QStringLiteral("mine.bin")));
    EXPECT_EQ(line.left(12), QByteArray("050201030700"));
    EXPECT_EQ(line.size(), 79);
    EXPECT_TRUE(line.endsWith("mine.bin        \r\n"));

    // Changed, then loaded back from the list.
    w.LblInst[0]->setListIndex(20);
    w.BZA[4]->setValue(0);
    w.Option1[1]->setValue(true);
    selectFile(QStringLiteral("mine.bin"));
    w.File1_Click();
    EXPECT_EQ(w.Label11->text(), QStringLiteral("1★mine.bin"));
    EXPECT_TRUE(w.Option1[2]->value());
    EXPECT_EQ(w.BZA[4]->value(), 1);
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(sameCells(lane(k), saved[std::size_t(k)])) << k;
    EXPECT_TRUE(env.messages.shown.empty());

    // A field out of range (volume 08) or a title starting with a comma read
    // from the list: the message, and nothing changes.
    QByteArray bad = line;
    bad.replace(0, 2, "08");
    put(rhythmPath(QStringLiteral("bad.bin")), bad);
    QByteArray comma = line;
    comma.replace(61, 1, ",");
    put(rhythmPath(QStringLiteral("comma.bin")), comma);
    w.LblInst[1]->setListIndex(9);
    const auto before = std::array{lane(0), lane(1), lane(2)};
    for (const char *name : {"bad.bin", "comma.bin"}) {
        selectFile(QString::fromLatin1(name));
        w.File1_Click();
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(sameCells(lane(k), before[std::size_t(k)])) << name;
    }
    EXPECT_EQ(env.messages.texts(), QStringList(2, QStringLiteral("打开节奏文件出错，请检查！")));
    EXPECT_EQ(w.LblInst[1]->listIndex(), 9);

    // Deleting the selected file loads the first one whole: the comma title
    // reads then.
    selectFile(QStringLiteral("bad.bin"));
    w.Cmdcill_Click(0);
    EXPECT_FALSE(QFile::exists(rhythmPath(QStringLiteral("bad.bin"))));
    EXPECT_EQ(w.Label11->text(), QStringLiteral("comma.bin"));
    EXPECT_EQ(w.LblInst[1]->listIndex(), 3);
    EXPECT_EQ(env.messages.shown.size(), 2u);

    // Cancelling the save dialog writes nothing.
    w.Cmdcill_Click(1);
    EXPECT_EQ(QDir(AppDir + scoreFolderName()).entryList(QDir::Files).size(), 2);
}

TEST_F(RhythmSettingsTest, PresetsEditedOnThePanelAreSavedAndReadAgain)
{
    ASSERT_TRUE(w.readSettings()); // no file yet: the default settings
    EXPECT_EQ(PresetTable[2][0], 74);

    w.Option3[2]->setValue(true);
    EXPECT_FALSE(w.YQSZ[1]->isHidden());
    EXPECT_TRUE(w.YQSZ[3]->isHidden());
    EXPECT_EQ(w.YQSZ[0]->listIndex(), 74);
    w.YQSZ[1]->setListIndex(41);
    EXPECT_EQ(PresetTable[2][1], 41);
    // F3 chooses it at once.
    w.SFYXYZ_KeyDown(vk::F1 + 2, 0);
    w.SFYXYZ_KeyUp(vk::F1 + 2, 0);
    EXPECT_EQ(w.ComSounds[1]->listIndex(), 41);

    w.Check1->setValue(1);
    w.BCSZ_Click();
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("成功保存本次设置"));
    const QString path = settingsFilePath(AppDir);
    EXPECT_EQ(readTextFile(path).lines.value(7), QStringLiteral(" 41 "));

    // The next run reads them back.
    resetSharedState();
    w.Check1->setValue(0);
    ASSERT_TRUE(w.readSettings());
    EXPECT_EQ(PresetTable[2][1], 41);
    EXPECT_EQ(w.Check1->value(), 1);

    // A save that fails half-way keeps the file and says so.
    const QByteArray kept = bytesOf(path);
    PresetTable[2][1] = 5;
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &small);
    w.BCSZ_Click();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("保存设置失败。。。"));
    EXPECT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(bytesOf(path), kept);

    // A file of 52 lines is refused and changes nothing.
    QStringList lines = readTextFile(path).lines.mid(0, 52);
    lines[7] = QStringLiteral(" 9 ");
    ASSERT_TRUE(writeTextFile(path, lines));
    EXPECT_FALSE(w.readSettings());
    EXPECT_FALSE(w.SettingsError.isEmpty());
    EXPECT_EQ(PresetTable[2][1], 5);
}

TEST_F(RhythmSettingsTest, KeypadDigitsSoundTheirDrumsAndEffectKeysTheirSounds)
{
    ASSERT_TRUE(w.readSettings());
    // Choosing digit 3 sounds its drum (17: note 52) twice, at the rhythm volume.
    w.Option3[12 + 3]->setValue(true);
    EXPECT_FALSE(w.YQSZ[3]->isHidden());
    EXPECT_EQ(env.take(), (std::vector<uint32_t>(2, packShortMsg(0x99, 52, 100))));

    w.VsbVol->setListIndex(7);
    w.YQSZ[3]->setListIndex(4);
    EXPECT_EQ(DrumKeyTable[3], 4);
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{packShortMsg(0x99, 39, 120)}));
    w.SFYXYZ_KeyDown(vk::Numpad0 + 3, 0);
    w.SFYXYZ_KeyUp(vk::Numpad0 + 3, 0);
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{packShortMsg(0x99, 39, 120)}));
    // Saved and read again, the drum sounds at velocity 100.
    w.BCSZ_Click();
    ASSERT_TRUE(w.readSettings());
    w.SFYXYZ_KeyDown(vk::Numpad0 + 3, 0);
    w.SFYXYZ_KeyUp(vk::Numpad0 + 3, 0);
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{packShortMsg(0x99, 39, 100)}));

    // PageDown's default "钟声.wav " finds the shipped "钟声.wav".
    const QString effects = AppDir + effectsFolderName();
    ASSERT_TRUE(QFile::copy(resourceFile(QStringLiteral("effects/钟声.wav")), effects + QStringLiteral("/钟声.wav")));
    ASSERT_TRUE(QFile::copy(resourceFile(QStringLiteral("effects/锣2.wav")), effects + QStringLiteral("/锣2.wav")));
    w.Option3[22 + 5]->setValue(true);
    EXPECT_FALSE(w.File2->isHidden());
    EXPECT_EQ(env.effects.played, QStringList{effects + QStringLiteral("/钟声.wav")});
    EXPECT_EQ(w.XSWB->text(), QStringLiteral("钟声.wav _音效"));
    // A file chosen in the list is stored for the selected key only.
    w.File2->setListIndex(rowOf(w.File2, QStringLiteral("锣2.wav")));
    w.File2_Click();
    EXPECT_EQ(EffectNames[5], QStringLiteral("锣2.wav"));
    EXPECT_EQ(EffectNames[4], QStringLiteral("涨潮.wav"));
    // A key whose file is missing plays nothing.
    env.effects.played.clear();
    w.Option3[22 + 4]->setValue(true);
    EXPECT_TRUE(env.effects.played.isEmpty());
}
