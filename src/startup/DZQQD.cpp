#include "startup/DZQQD.h"

#include "keyboard/core/SettingsFile.h"

#include "platform/AppPaths.h"
#include "platform/MessageService.h"
#include "platform/Resources.h"
#include "platform/SingleInstance.h"
#include "platform/StepTimer.h"
#include "platform/TextFile.h"
#include "shared/Shared.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QSaveFile>
#include <QShowEvent>

namespace dzq {

namespace {

constexpr int kWindowSize = 360;
constexpr int kStartDelayMs = 3000;
constexpr int kSecondCopyBoxMs = 5000;

// The rounded rectangle from (2, 2) up to, not including, (356, 356) with a
// 35 x 35 corner ellipse.
QPainterPath roundedShape()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(2, 2, kWindowSize - 6, kWindowSize - 6), 17.5, 17.5);
    return path;
}

} // namespace

QString startPictureFileName()
{
    return QStringLiteral("澜声电子琴201705.bmp");
}

bool ensureDefaultSettingsFile(const QString &dir, QString *error)
{
    const QString path = settingsFilePath(dir);
    if (QFileInfo::exists(path))
        return true;
    return writeDefaultSettingsFile(path, error);
}

bool ensurePictureFile(const QString &path, const QPixmap &picture, QString *error)
{
    if (QFileInfo::exists(path))
        return true;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("无法写入文件“%1”：%2").arg(path, file.errorString());
        return false;
    }
    QImageWriter writer(&file, "BMP");
    // The flush reports the last buffered bytes that did not reach the disk,
    // which commit() would not notice.
    if (picture.isNull() || !writer.write(picture.toImage()) || !file.flush() || !file.commit()) {
        if (error)
            *error = QStringLiteral("无法写入文件“%1”：%2")
                         .arg(path, picture.isNull()                                   ? QStringLiteral("没有图片")
                                    : writer.error() != QImageWriter::UnknownError ? writer.errorString()
                                                                                   : file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

DZQQD::DZQQD(MainWindowFactory showMainWindow, QWidget *parent)
    : PictureWindow(parent), showMainWindow_(std::move(showMainWindow)), timer1_(new StepTimer(this))
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::SplashScreen);
    setAttribute(Qt::WA_DeleteOnClose);
    // Where the window system takes a mask for input only, the corners are
    // left transparent by the painting.
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(programTitle());
    setFixedSize(kWindowSize, kWindowSize);
    connect(timer1_, &StepTimer::timeout, this, &DZQQD::onTimer1);
    timer1_->setInterval(kStartDelayMs);
    timer1_->setEnabled(true);
}

DZQQD::~DZQQD() = default;

bool DZQQD::load(SingleInstance &instance, const QString &dataDir)
{
    setMask(QRegion(roundedShape().toFillPolygon().toPolygon()));
    if (!instance.tryAcquire()) {
        timer1_->setEnabled(false);
        MessageService::instance().timedInfo(QStringLiteral("提示"), QStringLiteral("你已经运行这个应用程序了！"),
                                             kSecondCopyBoxMs);
        return false;
    }
    if (!instance.problem().isEmpty())
        report(instance.problem());
    const AppDirResult dir = initAppDir(dataDir);
    AppDir = dir.dir;
    if (!dir.ok())
        report(dir.error);
    setPicture(LoadResPicture(106));
    QString error;
    if (!ensureDefaultSettingsFile(AppDir, &error))
        report(error);
    return true;
}

void DZQQD::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipPath(roundedShape());
    p.fillRect(rect(), palette().window());
    p.drawPixmap(0, 0, picture());
}

void DZQQD::showEvent(QShowEvent *event)
{
    PictureWindow::showEvent(event);
    if (pictureChecked_ || AppDir.isEmpty())
        return;
    pictureChecked_ = true;
    QString error;
    if (!ensurePictureFile(AppDir + startPictureFileName(), picture(), &error))
        report(error);
}

void DZQQD::onTimer1()
{
    timer1_->setEnabled(false);
    if (mainShown_)
        return;
    mainShown_ = true;
    if (showMainWindow_)
        showMainWindow_();
    close();
}

void DZQQD::report(const QString &problem)
{
    problems_ << problem;
    qWarning("%s", qPrintable(problem));
}

} // namespace dzq
