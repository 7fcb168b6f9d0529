#include "startup/DZQQD.h"
#include "keyboard/core/SettingsFile.h"

#include "Fakes.h"
#include "platform/Resources.h"
#include "platform/SingleInstance.h"
#include "platform/StepTimer.h"
#include "platform/TextFile.h"
#include "shared/Shared.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace dzq {
namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class StartupWindowTest : public ::testing::Test {
protected:
    void SetUp() override { savedAppDir = AppDir; }
    void TearDown() override
    {
        delete window.data();
        AppDir = savedAppDir;
    }

    // A start-up window whose main-window factory counts its calls.
    DZQQD *makeWindow()
    {
        window = new DZQQD([this]() -> QWidget * {
            ++mainWindows;
            return nullptr;
        });
        return window.data();
    }

    DZQQD *loadedWindow(const QString &dir)
    {
        DZQQD *w = makeWindow();
        EXPECT_TRUE(w->load(instance, dir));
        return w;
    }

    QString dataDir() const { return tmp.path() + QStringLiteral("/data/"); }

    test::Environment env;
    QTemporaryDir tmp;
    SingleInstance instance{tmp.filePath(QStringLiteral("dzq.lock"))};
    QString savedAppDir;
    QPointer<DZQQD> window;
    int mainWindows = 0;
};

TEST_F(StartupWindowTest, SecondCopyShowsTheMessageAndStartsNothing)
{
    SingleInstance first(tmp.filePath(QStringLiteral("dzq.lock")));
    ASSERT_TRUE(first.tryAcquire());
    DZQQD *w = makeWindow();
    EXPECT_FALSE(w->load(instance, dataDir()));

    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(env.messages.shown[0].kind, test::ShownMessage::TimedInfo);
    EXPECT_FALSE(w->timer1().isRunning());
    EXPECT_FALSE(QFileInfo::exists(settingsFilePath(dataDir())));
    EXPECT_EQ(mainWindows, 0);
    EXPECT_TRUE(first.isHeld());
}

TEST_F(StartupWindowTest, MissingSettingsAndPictureFilesAreWritten)
{
    DZQQD *w = loadedWindow(dataDir());
    EXPECT_TRUE(instance.isHeld());
    EXPECT_TRUE(env.messages.shown.empty());
    EXPECT_EQ(AppDir, dataDir());

    // The default text, every line ended by CR LF, and the one CR LF written
    // after it: an empty last line.
    EXPECT_EQ(readBytes(settingsFilePath(dataDir())),
              (splitTextLines(LoadResString(508)).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n")).toUtf8());

    // The picture is saved on the first show, as a BMP of the window's picture.
    const QString picturePath = dataDir() + startPictureFileName();
    EXPECT_FALSE(QFileInfo::exists(picturePath));
    w->show();
    EXPECT_TRUE(readBytes(picturePath).startsWith("BM"));
    const QImage saved(picturePath, "BMP");
    EXPECT_EQ(saved.size(), QSize(360, 360));
    EXPECT_EQ(saved.pixel(180, 180), LoadResPicture(106).toImage().pixel(180, 180));
    EXPECT_TRUE(w->problems().isEmpty()) << w->problems().join(QLatin1Char('\n')).toStdString();
}

TEST_F(StartupWindowTest, ExistingUserFilesAreNeverOverwritten)
{
    ASSERT_TRUE(QDir().mkpath(dataDir()));
    const QByteArray mine = "1\r\n2\r\n";
    writeBytes(settingsFilePath(dataDir()), mine);
    writeBytes(dataDir() + startPictureFileName(), "not a picture");

    DZQQD *w = loadedWindow(dataDir());
    w->show();
    w->hide();
    w->show();
    EXPECT_EQ(readBytes(settingsFilePath(dataDir())), mine);
    EXPECT_EQ(readBytes(dataDir() + startPictureFileName()), QByteArray("not a picture"));
    EXPECT_TRUE(w->problems().isEmpty());
}

TEST_F(StartupWindowTest, UnwritableFolderIsReportedAndTheStartGoesOn)
{
    // A plain file where the data folder should be: nothing can be made in it.
    const QString blocker = tmp.filePath(QStringLiteral("blocker"));
    writeBytes(blocker, "x");
    DZQQD *w = loadedWindow(blocker + QStringLiteral("/data"));
    w->show();

    const QString problems = w->problems().join(QLatin1Char('\n'));
    EXPECT_TRUE(problems.contains(QStringLiteral("lansheng.ini"))) << problems.toStdString();
    EXPECT_TRUE(problems.contains(startPictureFileName())) << problems.toStdString();
    EXPECT_TRUE(env.messages.shown.empty());

    emit w->timer1().timeout();
    EXPECT_EQ(mainWindows, 1);
}

TEST_F(StartupWindowTest, TickShowsTheMainWindowOnceAndCloses)
{
    DZQQD *w = loadedWindow(dataDir());
    w->show();
    EXPECT_TRUE(w->timer1().isRunning());
    EXPECT_EQ(mainWindows, 0);

    emit w->timer1().timeout();
    EXPECT_EQ(mainWindows, 1);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->timer1().isRunning());
    emit w->timer1().timeout();
    EXPECT_EQ(mainWindows, 1);

    // Closing deletes the window.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(StartupWindowTest, WindowIsTheRoundedPicture)
{
    DZQQD *w = loadedWindow(dataDir());
    EXPECT_EQ(w->size(), QSize(360, 360));
    const QRegion mask = w->mask();
    for (const QPoint p : {QPoint(180, 180), QPoint(2, 180), QPoint(355, 180), QPoint(12, 12)})
        EXPECT_TRUE(mask.contains(p)) << p.x() << "," << p.y();
    // The edges and the rounded corners are cut off.
    for (const QPoint p : {QPoint(1, 180), QPoint(356, 180), QPoint(180, 357), QPoint(4, 4), QPoint(354, 354)})
        EXPECT_FALSE(mask.contains(p)) << p.x() << "," << p.y();

    // Painted only inside the shape, for window systems without input masks.
    const QImage shot = w->grab().toImage();
    EXPECT_EQ(qAlpha(shot.pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(shot.pixel(358, 358)), 0);
    EXPECT_EQ(shot.pixel(180, 180), LoadResPicture(106).toImage().pixel(180, 180));
}

} // namespace
} // namespace dzq
