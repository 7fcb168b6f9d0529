// Handing the screen to the music editor, and the end of the program: the exit
// button and the close box both stop the clocks, close the MIDI device and the
// recorder and leave the farewell window, which ends the program.
#include "keyboard/Form1.h"

#include "midi/MidiOut.h"
#include "shared/Shared.h"
#include "startup/Form3.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace dzq {

void Form1::BJCK_Click()
{
    // The editor starts from ScoreText; what was played or typed into the box
    // and not yet stopped or saved goes along instead of being lost.
    if (!ScorePlaying)
        ScoreText = Text3->toPlainText();
    if (!openEditor)
        return;
    handRecorderOver();
    openEditor();
    hide();
}

void Form1::Command1_Click()
{
    Form_Unload();
}

void Form1::Form_Unload()
{
    if (Closing)
        return;
    Closing = true;

    // No tick may run on a closed device or a window on its way out.
    for (StepTimer *clock : {Timer1, Timer2, Timer3, BZDS, HXYS})
        clock->setEnabled(false);
    CloseMidiOut();
    closeRecorder();

    auto *farewell = new Form3;
    // Quitting leaves the event loop; the farewell window goes with it.
    connect(qApp, &QCoreApplication::aboutToQuit, farewell, &QObject::deleteLater);
    farewell->show();

    // Hides the window; one with Qt::WA_DeleteOnClose is destroyed later.
    close();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void Form1::wireExit()
{
    connect(BJCK, &QPushButton::clicked, this, &Form1::BJCK_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
}

} // namespace dzq
