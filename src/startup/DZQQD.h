#pragma once
// The start-up window DZQQD: the start-up picture in a frameless window with
// rounded corners. Loading it keeps the program to one running copy, sets
// AppDir and writes the default settings file when it is missing; its first
// show saves the picture beside the program when that file is missing; three
// seconds after it was made, Timer1 has the main window shown and the start-up
// window closes itself (it deletes itself on closing).
#include "platform/PictureWindow.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace dzq {

class SingleInstance;
class StepTimer;

// Names of the files the start-up window writes into AppDir when missing.
QString startPictureFileName(); // "澜声电子琴201705.bmp"

// Writes the default settings text (string resource 508) to dir + the settings
// file name unless a file of that name exists. Returns false, with *error
// saying why, only when the file was missing and could not be written.
bool ensureDefaultSettingsFile(const QString &dir, QString *error = nullptr);

// Saves picture as a BMP file at path unless a file of that name exists.
// Returns false, with *error, only when the file was missing and could not be
// written.
bool ensurePictureFile(const QString &path, const QPixmap &picture, QString *error = nullptr);

class DZQQD final : public PictureWindow {
    Q_OBJECT
public:
    // Creates and shows the main window; runs once, on Timer1's tick.
    using MainWindowFactory = std::function<QWidget *()>;

    explicit DZQQD(MainWindowFactory showMainWindow, QWidget *parent = nullptr);
    ~DZQQD() override;

    // The window's start. False when another copy of the program runs: the
    // self-closing box has told the user so, and the caller ends the program
    // without showing any window. Otherwise instance holds the lock (keep it
    // for the whole run), AppDir is set (dataDir: the --data-dir folder, or
    // empty) and the settings file exists or problems() says why it does not.
    bool load(SingleInstance &instance, const QString &dataDir = {});

    // What went wrong without stopping the start: a data folder that cannot be
    // written, a settings or picture file that could not be made.
    const QStringList &problems() const { return problems_; }

    // The one-shot start clock (3000 ms), running from construction.
    StepTimer &timer1() { return *timer1_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void onTimer1();
    void report(const QString &problem);

    MainWindowFactory showMainWindow_;
    StepTimer *timer1_;
    QStringList problems_;
    bool pictureChecked_ = false;
    bool mainShown_ = false;
};

} // namespace dzq
