#pragma once
// The score entry window YYLR: a score is typed by hand into the box Text1,
// which shows the window's picture behind its text, saved as a text file and
// opened again. The window does not play and leaves the main window's score
// alone. Leaving it, by "返回主窗口" or by closing it, hands the screen back
// to the main window once and deletes the window.
#include "platform/PictureWindow.h"

#include <QString>

#include <functional>

class QCloseEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace dzq {

class YYLR final : public PictureWindow {
    Q_OBJECT
public:
    // showMainWindow: shows the main window again; runs once, when this window
    // closes.
    explicit YYLR(std::function<void()> showMainWindow, QWidget *parent = nullptr);
    ~YYLR() override;

    QPlainTextEdit *Text1;  // the score being typed
    QLineEdit *WJMC;        // song name: the opened file's name; never saved
    QPushButton *Command1;  // "保存"
    QPushButton *DKYP;      // "打开"
    QPushButton *FANHUI;    // "返回主窗口"
    QLabel *Label1;         // help on the notation
    QLabel *Label2;
    QLabel *Label3;

    QString EntryScore; // the score being saved or just opened
    QString EntryFile;  // full path of the file being saved or opened

    void Command1_Click();
    void DKYP_Click();
    void FANHUI_Click();

    // The folder the file dialogs start in: "演奏记录/" under AppDir.
    const QString &dialogFolder() const { return dialogFolder_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Unload();

    std::function<void()> showMainWindow_;
    QString dialogFolder_;
    bool returned_ = false;
};

} // namespace dzq
