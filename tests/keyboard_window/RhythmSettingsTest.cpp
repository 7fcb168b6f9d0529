// The rhythm panel and the settings panel of the main window.
#include "Form1Fixture.h"

#include "keyboard/core/SettingsFile.h"
#include "keyboard/core/VirtualKeys.h"
#include "platform/AppPaths.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

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
    }
    QString rhythmPath(const QString &name) const { return AppDir + scoreFolderName() + QLatin1Char('/') + name; }
    void clickFile(const QString &name)
    {
        w.File1->refresh();
        w.File1->setListIndex(rowOf(w.File1, name));
        w.File1_Click();
    }
    // On, Note, Vol and Msg of lanes A, B, C, steps 0..16.
    std::vector<int> lanes() const
    {
        std::vector<int> out;
        for (std::size_t k = 0; k < 3; ++k)
            for (std::size_t i = 0; i < 17; ++i) {
                const RhythmCell &c = RhythmStepTable[k][i];
                out.insert(out.end(), {c.On, c.Note, c.Vol, int(c.Msg)});
            }
        return out;
    }
};

} // namespace

TEST_F(RhythmSettingsTest, GridEditsReachTheRhythmTableAtOnce)
{
    EXPECT_EQ(w.BZC[16]->x() - w.BZC[0]->x(), 16 * Form1::RhythmCellStep);
    EXPECT_TRUE(w.BZA[2]->styleSheet().contains(QStringLiteral("#ffff00")));

    QTest::mouseClick(w.BZB[5], Qt::LeftButton);
    EXPECT_EQ(RhythmStepTable[1][5].On, -1);
    QTest::mouseClick(w.BZB[5], Qt::LeftButton);
    EXPECT_EQ(RhythmStepTable[1][5].On, 0);

    w.LblInst[0]->setListIndex(3);
    EXPECT_EQ(RhythmStepTable[0][15].Msg, percussionMsg(38, 100));

    // 3/4 hides cells 12-15 and plays steps 0-11, which alone take a new
    // volume; a typed volume is held to 127.
    w.Option1[1]->setValue(true);
    EXPECT_EQ(RhythmLastStep, 11);
    EXPECT_TRUE(w.BZA[12]->isHidden() && !w.BZC[16]->isHidden());
    w.VsbVol->setText(QStringLiteral("200"));
    w.VsbVol_Click();
    EXPECT_EQ(RhythmStepTable[0][11].Msg, percussionMsg(38, 127));
    EXPECT_EQ(RhythmStepTable[0][12].Vol, 100);
    w.Option1[2]->setValue(true);
    EXPECT_FALSE(w.BZA[12]->isHidden());
}

TEST_F(RhythmSettingsTest, RhythmFilesSavedLoadedRefusedAndDeleted)
{
    w.Option1[2]->setValue(true);
    for (std::size_t k = 0; k < 3; ++k)
        w.LblInst[k]->setListIndex(std::array<int, 3>{1, 3, 7}[k]);
    w.BZA[4]->setValue(1);
    w.BZC[16]->setValue(1);
    const std::vector<int> saved = lanes();

    // Saved under a name typed without its extension.
    env.dialogs.answers.push_back(rhythmPath(QStringLiteral("mine")));
    w.Cmdcill_Click(1);
    QFile file(rhythmPath(QStringLiteral("mine.bin")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray line = file.readAll();
    EXPECT_EQ(line.left(12), QByteArray("050201030700"));
    EXPECT_TRUE(line.endsWith("----*mine.bin        \r\n"));

    // Changed, then loaded back from the list.
    w.LblInst[0]->setListIndex(20);
    w.BZA[4]->setValue(0);
    w.Option1[1]->setValue(true);
    clickFile(QStringLiteral("mine.bin"));
    EXPECT_EQ(w.Label11->text(), QStringLiteral("1★mine.bin"));
    EXPECT_TRUE(w.Option1[2]->value());
    EXPECT_EQ(lanes(), saved);

    // Volume 08, or a title that starts with a comma read from the list: the
    // message, and nothing changes.
    QFile bad(rhythmPath(QStringLiteral("bad.bin")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(line).replace(0, 2, "08"));
    bad.close();
    QFile comma(rhythmPath(QStringLiteral("comma.bin")));
    ASSERT_TRUE(comma.open(QIODevice::WriteOnly));
    comma.write(QByteArray(line).replace(61, 1, ","));
    comma.close();
    w.LblInst[1]->setListIndex(9);
    const std::vector<int> before = lanes();
    clickFile(QStringLiteral("bad.bin"));
    clickFile(QStringLiteral("comma.bin"));
    EXPECT_EQ(lanes(), before);
    EXPECT_EQ(env.messages.texts(), QStringList(2, QStringLiteral("打开节奏文件出错，请检查！")));

    // Deleting the selected file loads the first one whole: the comma title
    // reads then.
    w.File1->setListIndex(rowOf(w.File1, QStringLiteral("bad.bin")));
    w.Cmdcill_Click(0);
    EXPECT_FALSE(bad.exists());
    EXPECT_EQ(w.Label11->text(), QStringLiteral("comma.bin"));
    EXPECT_EQ(w.LblInst[1]->listIndex(), 3);
}

TEST_F(RhythmSettingsTest, PresetsEditedOnThePanelAreSavedAndReadAgain)
{
    ASSERT_TRUE(w.readSettings()); // no file yet: the default settings
    w.Option3[2]->setValue(true);
    EXPECT_EQ(w.YQSZ[0]->listIndex(), 74);
    w.YQSZ[1]->setListIndex(41);
    EXPECT_EQ(PresetTable[2][1], 41);
    w.SFYXYZ_KeyDown(vk::F1 + 2, 0);
    w.SFYXYZ_KeyUp(vk::F1 + 2, 0);
    EXPECT_EQ(w.ComSounds[1]->listIndex(), 41);

    w.Check1->setValue(1);
    w.BCSZ_Click();
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("成功保存本次设置"));
    resetSharedState();
    w.Check1->setValue(0);
    ASSERT_TRUE(w.readSettings());
    EXPECT_EQ(PresetTable[2][1], 41);
    EXPECT_EQ(w.Check1->value(), 1);

    // A file of 52 lines is refused and changes nothing.
    const QString path = settingsFilePath(AppDir);
    QStringList lines = readTextFile(path).lines.mid(0, 52);
    lines[7] = QStringLiteral(" 9 ");
    ASSERT_TRUE(writeTextFile(path, lines));
    EXPECT_FALSE(w.readSettings());
    EXPECT_EQ(PresetTable[2][1], 41);

    // A save that cannot be written says so.
    QFile::remove(path);
    QDir(AppDir).mkdir(QStringLiteral("lansheng.ini"));
    w.BCSZ_Click();
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("保存设置失败。。。"));
    EXPECT_EQ(env.messages.shown.size(), 1u);
}

TEST_F(RhythmSettingsTest, KeypadDigitsSoundTheirDrumsAndEffectKeysTheirSounds)
{
    ASSERT_TRUE(w.readSettings());
    // Choosing digit 3 sounds its drum (17: note 52) twice, at the rhythm volume.
    w.Option3[12 + 3]->setValue(true);
    EXPECT_EQ(env.take(), (std::vector<uint32_t>(2, packShortMsg(0x99, 52, 100))));
    w.VsbVol->setListIndex(7);
    w.YQSZ[3]->setListIndex(4);
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{packShortMsg(0x99, 39, 120)}));
    // Saved and read again, the key sounds it at velocity 100.
    w.BCSZ_Click();
    ASSERT_TRUE(w.readSettings());
    w.SFYXYZ_KeyDown(vk::Numpad0 + 3, 0);
    w.SFYXYZ_KeyUp(vk::Numpad0 + 3, 0);
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{packShortMsg(0x99, 39, 100)}));

    // PageDown's default "钟声.wav " finds the shipped "钟声.wav"; a file
    // chosen in the list is stored for the selected key only.
    const QString effects = AppDir + effectsFolderName() + QLatin1Char('/');
    for (const QString &name : {QStringLiteral("钟声.wav"), QStringLiteral("锣2.wav")})
        ASSERT_TRUE(QFile::copy(resourceFile(QStringLiteral("effects/") + name), effects + name));
    w.Option3[22 + 5]->setValue(true);
    EXPECT_EQ(env.effects.played, QStringList{effects + QStringLiteral("钟声.wav")});
    EXPECT_EQ(w.XSWB->text(), QStringLiteral("钟声.wav _音效"));
    w.File2->setListIndex(rowOf(w.File2, QStringLiteral("锣2.wav")));
    w.File2_Click();
    EXPECT_EQ(EffectNames[5], QStringLiteral("锣2.wav"));
    EXPECT_EQ(EffectNames[4], QStringLiteral("涨潮.wav"));
}
