// The score entry window: names and contents of saved scores, opening with
// multi-byte text and line breaks, a cancelled or failed open that keeps the
// typed score, failed saves reported, and the way back to the main window.
#include "score_entry/EntryFiles.h"
#include "score_entry/YYLR.h"

#include "Fakes.h"
#include "shared/Shared.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

TEST(EntryFiles, SaveNameForcesTxtAndScoresAreCountedInCharacters)
{
    const std::pair<QString, QString> names[] = {
        {QStringLiteral("/s/歌.mid"), QStringLiteral("/s/歌.txt")},
        {QStringLiteral("/s/歌.ab"), QStringLiteral("/s/歌.ab.txt")},
        {QStringLiteral("/s/歌.mid1"), QStringLiteral("/s/歌.mid1.txt")},
        {QStringLiteral("/a.b/c"), QStringLiteral("/a.b/c.txt")},
    };
    for (const auto &[chosen, written] : names)
        EXPECT_EQ(entrySaveFileName(chosen), written) << chosen.toStdString();

    EXPECT_FALSE(entryScoreSavable(QString::fromUcs4(U"\U0001D11E\U0001D11E")));
    EXPECT_TRUE(entryScoreSavable(QStringLiteral("KC8")));
}

class ScoreEntryWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("演奏记录")));
        AppDir = dir.path() + QLatin1Char('/');
        w = new YYLR([this] { ++returns; });
    }
    void TearDown() override { delete w.data(); }

    QString scorePath(const QString &name) const { return AppDir + QStringLiteral("演奏记录/") + name; }
    QByteArray bytesOf(const QString &name) const
    {
        QFile f(scorePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void put(const QString &name, const QByteArray &bytes) const
    {
        QFile f(scorePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    // Types text into the box and saves it under the name chosen.
    void save(const QString &text, const QString &chosen)
    {
        w->Text1->setPlainText(text);
        env.dialogs.answers.push_back(chosen.isEmpty() ? QString() : scorePath(chosen));
        QTest::mouseClick(w->Command1, Qt::LeftButton);
    }
    void open(const QString &name)
    {
        env.dialogs.answers.push_back(name.isEmpty() ? QString() : scorePath(name));
        QTest::mouseClick(w->DKYP, Qt::LeftButton);
    }

    test::Environment env;
    QTemporaryDir dir;
    QPointer<YYLR> w;
    int returns = 0;
};

TEST_F(ScoreEntryWindow, SavesUnderTheTxtNameWithOneLineBreak)
{
    save(QStringLiteral("KC8KDKEKF4KGKAKB"), QStringLiteral("练习"));
    EXPECT_EQ(bytesOf(QStringLiteral("练习.txt")), "KC8KDKEKF4KGKAKB\r\n");
    EXPECT_EQ(w->EntryFile, scorePath(QStringLiteral("练习.txt")));
    EXPECT_EQ(env.dialogs.startDirs.value(0), AppDir + QStringLiteral("演奏记录/"));

    save(QStringLiteral("KC8\nKD8歌"), QStringLiteral("两行.mid"));
    EXPECT_EQ(bytesOf(QStringLiteral("两行.txt")), "KC8\r\nKD8\xE6\xAD\x8C\r\n");

    // Two characters, or a cancelled dialog: no file, no message.
    save(QStringLiteral("TZ"), QStringLiteral("停"));
    save(QStringLiteral("KC8KD"), QString());
    EXPECT_EQ(QDir(scorePath(QString())).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(env.messages.shown.empty());
    EXPECT_EQ(returns, 0);
}

TEST_F(ScoreEntryWindow, OverwritingAnotherNameIsAskedAndAFailedSaveReported)
{
    put(QStringLiteral("歌.txt"), "OLD\r\n");

    // The dialog asked about "歌.mid"; "歌.txt" is what would be replaced.
    env.messages.answers = {false};
    save(QStringLiteral("KC8KD"), QStringLiteral("歌.mid"));
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(env.messages.shown[0].kind, test::ShownMessage::Ask);
    EXPECT_TRUE(env.messages.shown[0].text.contains(QStringLiteral("歌.txt")));
    EXPECT_EQ(bytesOf(QStringLiteral("歌.txt")), "OLD\r\n");

    env.messages.answers = {true};
    save(QStringLiteral("KC8KD"), QStringLiteral("歌.mid"));
    EXPECT_EQ(bytesOf(QStringLiteral("歌.txt")), "KC8KD\r\n");

    // The name chosen is the name written: the dialog has asked already.
    save(QStringLiteral("KE8KF"), QStringLiteral("歌.txt"));
    EXPECT_EQ(env.messages.shown.size(), 2u);
    EXPECT_EQ(bytesOf(QStringLiteral("歌.txt")), "KE8KF\r\n");

    // A save that cannot be written says so.
    save(QStringLiteral("KC8KD"), QStringLiteral("没有这个文件夹/歌"));
    ASSERT_EQ(env.messages.shown.size(), 3u);
    EXPECT_EQ(env.messages.shown[2].kind, test::ShownMessage::Plain);
    EXPECT_TRUE(env.messages.shown[2].text.contains(QStringLiteral("歌.txt")));
}

TEST_F(ScoreEntryWindow, OpensTheWholeFileAndKeepsTheBoxWhenNothingWasRead)
{
    // GBK bytes of "电子琴", as files from the Chinese Windows code page hold them.
    put(QStringLiteral("老歌.txt"), "KC8\xB5\xE7\xD7\xD3\xC7\xD9\r\nKD8\r\n");
    open(QStringLiteral("老歌.txt"));
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("KC8电子琴\nKD8\n"));
    EXPECT_EQ(w->EntryScore, w->Text1->toPlainText());
    EXPECT_EQ(w->WJMC->text(), QStringLiteral("老歌.txt"));
    EXPECT_EQ(w->EntryFile, scorePath(QStringLiteral("老歌.txt")));

    put(QStringLiteral("新歌.txt"), "KE4\xE6\xAD\x8C\rKF4\nTZ");
    open(QStringLiteral("新歌.txt"));
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("KE4歌\nKF4\nTZ"));

    // Cancel, a missing file or a folder: the typed score and name stay.
    w->Text1->setPlainText(QStringLiteral("KG8KA"));
    open(QString());
    open(QStringLiteral("不存在.txt"));
    ASSERT_TRUE(QDir(scorePath(QString())).mkdir(QStringLiteral("文件夹.txt")));
    open(QStringLiteral("文件夹.txt"));
    EXPECT_EQ(w->Text1->toPlainText(), QStringLiteral("KG8KA"));
    EXPECT_EQ(w->WJMC->text(), QStringLiteral("新歌.txt"));
    EXPECT_TRUE(env.messages.shown.empty());
    EXPECT_EQ(env.dialogs.titles.size(), 5);
}

TEST_F(ScoreEntryWindow, BackToTheMainWindowOnceAndTheWindowIsGone)
{
    w->show();
    QTest::mouseClick(w->FANHUI, Qt::LeftButton);
    w->close(); // the frame's close box on the way out changes nothing
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(returns, 1);
}

TEST_F(ScoreEntryWindow, ScoreBoxShowsThePictureAndTheTextsFit)
{
    w->Text1->setPlainText(QStringLiteral("KC8KDKEKF4KGKAKB\n歌"));
    w->show();
    QTest::qWait(20);
    const QImage shot = w->grab().toImage().convertToFormat(QImage::Format_RGB32);

    // Below the text the box's viewport shows the window picture unchanged.
    QImage bare(w->size(), QImage::Format_RGB32);
    bare.fill(w->palette().color(QPalette::Window));
    QPainter(&bare).drawPixmap(0, 0, w->picture());
    const QWidget *viewport = w->Text1->viewport();
    const QRect empty(viewport->mapTo(w.data(), QPoint(4, viewport->height() / 2)),
                      QSize(viewport->width() - 8, viewport->height() / 2 - 4));
    int differing = 0;
    for (int y = empty.top(); y <= empty.bottom(); ++y)
        for (int x = empty.left(); x <= empty.right(); ++x)
            differing += shot.pixel(x, y) != bare.pixel(x, y);
    EXPECT_EQ(differing, 0);

    // The fixed texts are shown whole.
    EXPECT_LE(w->Label3->sizeHint().width(), w->Label3->width());
    EXPECT_LE(w->Label1->heightForWidth(w->Label1->width()), w->Label1->height());
}

} // namespace
