// The rhythm panel of the main window: the grid and the rhythm files.
#include "Form1Fixture.h"

#include "platform/AppPaths.h"

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
    env.deliverBoxes();
    EXPECT_EQ(env.messages.texts(), QStringList(2, QStringLiteral("打开节奏文件出错，请检查！")));

    // Deleting the selected file loads the first one whole: the comma title
    // reads then.
    w.File1->setListIndex(rowOf(w.File1, QStringLiteral("bad.bin")));
    w.Cmdcill_Click(0);
    EXPECT_FALSE(bad.exists());
    EXPECT_EQ(w.Label11->text(), QStringLiteral("comma.bin"));
    EXPECT_EQ(w.LblInst[1]->listIndex(), 3);
}
