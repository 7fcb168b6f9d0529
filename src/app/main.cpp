// dianziqin: an electronic keyboard instrument for the Linux desktop.
#include "app/CommandLine.h"
#include "midi/MidiOut.h"
#include "midi/Shared.h"
#include "midi/devices/MidiLogFile.h"
#include "midi/devices/PlatformMidiSystem.h"
#include "platform/SingleInstance.h"
#include "platform/PictureWindow.h"
#include "platform/Resources.h"
#include "startup/DZQQD.h"
#include "startup/Form3.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

#include <cstdio>
#include <memory>

namespace {

// Stands in for the main keyboard window until it exists: shows the device
// list and the synthesizer's state, and sounds middle C while a key is held.
// Closing it leads to the farewell window.
class StartWindow final : public dzq::PictureWindow {
public:
    StartWindow(const QString &status)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("电子琴"));
        setPicture(QPixmap(dzq::resourceFile(QStringLiteral("pictures/form1.png"))));
        setFixedSize(picture().isNull() ? QSize(980, 340) : picture().size());
        auto *devices = new QComboBox(this);
        devices->setGeometry(24, 60, 360, 28);
        dzq::ListMidiOutDevices(*devices);
        if (devices->count() > 0)
            dzq::OpenMidiOut(devices->itemData(0).toInt());
        connect(devices, &QComboBox::activated, this,
                [devices](int index) { dzq::OpenMidiOut(devices->itemData(index).toInt()); });
        auto *label = new QLabel(status, this);
        label->setGeometry(24, 100, 360, 80);
        label->setWordWrap(true);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void closeEvent(QCloseEvent *e) override
    {
        dzq::CloseMidiOut();
        (new dzq::Form3)->show();
        dzq::PictureWindow::closeEvent(e);
    }
    void keyPressEvent(QKeyEvent *e) override
    {
        if (!e->isAutoRepeat())
            dzq::MidiNoteOn(0, 60, 100);
    }
    void keyReleaseEvent(QKeyEvent *e) override
    {
        if (!e->isAutoRepeat())
            dzq::MidiNoteOff(0, 60);
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Qt's ffmpeg media backend crashes in this Qt version; gstreamer plays and records.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    // --help, --version and errors in the command line need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const dzq::CommandLine cmd = dzq::parseCommandLine(arguments);
    if (!cmd.error.isEmpty()) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(cmd.error), qPrintable(cmd.helpText));
        return 2;
    }
    if (cmd.help) {
        std::fputs(qPrintable(cmd.helpText), stdout);
        return 0;
    }
    if (cmd.version) {
        std::printf("dianziqin %s\n", DZQ_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dianziqin"));
    QApplication::setApplicationVersion(QStringLiteral(DZQ_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    // One running copy: the start-up window checks the lock, prepares the
    // data folder and the default settings, then opens the main window.
    dzq::SingleInstance instance;

    std::unique_ptr<dzq::MidiLogFile> log;
    if (!cmd.midiLog.isEmpty()) {
        log = std::make_unique<dzq::MidiLogFile>(cmd.midiLog);
        if (!log->isOpen()) {
            std::fprintf(stderr, "%s\n", qPrintable(log->errorString()));
            return 1;
        }
        dzq::setMidiTap(log.get());
    }

    dzq::SynthOptions synth;
    synth.soundfont = cmd.soundfont;
    synth.audioDriver = cmd.audioDriver;
    if (cmd.periodSize > 0)
        synth.periodSize = cmd.periodSize;
    if (cmd.periods > 0)
        synth.periods = cmd.periods;
    dzq::PlatformMidiSystem midi(synth);
    dzq::setMidiSystem(&midi);
    // Chords sound their real notes from the start, not three times the key note.
    dzq::fillChordTable(dzq::LoadResString(510));

    auto *start = new dzq::DZQQD([&midi]() -> QWidget * {
        auto *window = new StartWindow(midi.synth().statusText());
        window->show();
        return window;
    });
    int rc = 0;
    if (start->load(instance, cmd.dataDir)) {
        for (const QString &problem : start->problems())
            std::fprintf(stderr, "%s\n", qPrintable(problem));
        start->show();
        rc = app.exec();
    } else {
        delete start;
    }
    dzq::CloseMidiOut();
    dzq::setMidiSystem(nullptr);
    dzq::setMidiTap(nullptr);
    return rc;
}
