// dianziqin: an electronic keyboard instrument for the Linux desktop.
#include "app/CommandLine.h"
#include "editor/YYBJ.h"
#include "keyboard/Form1.h"
#include "midi/MidiOut.h"
#include "midi/devices/MidiLogFile.h"
#include "midi/devices/PlatformMidiSystem.h"
#include "platform/Resources.h"
#include "platform/KeyRepeat.h"
#include "platform/SingleInstance.h"
#include "shared/Shared.h"
#include "startup/DZQQD.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>

#include <cstdio>
#include <memory>

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
    // A held note key sounds once and its release acts once, however late
    // the program reads the keyboard.
    dzq::useDetectableKeyRepeat();

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
    // A size given on the command line is kept as given.
    synth.pinBuffer = cmd.periodSize > 0 || cmd.periods > 0;
    dzq::PlatformMidiSystem midi(synth);
    dzq::setMidiSystem(&midi);
    // Chords sound their real notes from the start, not three times the key note.
    dzq::fillChordTable(dzq::LoadResString(510));

    // What keeps the program from sounding or saving is said in the main
    // window's status line, not only on the terminal. The sound part follows
    // the sound server as it goes and comes back; someone else's text in the
    // line is replaced only by a new problem.
    QPointer<QLabel> statusLine;
    QStringList otherProblems;
    QString shownStatus, lastSound;
    auto showProblems = [&](bool first) {
        dzq::SynthDevice &synthDevice = midi.synth();
        const QString sound = synthDevice.statusText();
        if (sound == lastSound && !first)
            return;
        lastSound = sound;
        std::fprintf(stderr, "%s\n", qPrintable(sound));
        if (!statusLine)
            return;
        QStringList problems = otherProblems;
        const bool silent = synthDevice.audioDriver().isEmpty() || synthDevice.soundfontPath().isEmpty();
        if (silent)
            problems.prepend(sound);
        if (!first && !silent && statusLine->text() != shownStatus)
            return;
        const QString text = problems.isEmpty() ? (first ? QString() : sound) : problems.join(QStringLiteral("；"));
        if (text.isEmpty())
            return;
        statusLine->setText(text);
        statusLine->setToolTip(problems.join(QLatin1Char('\n')));
        shownStatus = text;
    };

    // Three seconds after the start-up window, the main window: loaded,
    // then shown, which runs its first activation. It ends the program
    // through the farewell window and is destroyed when it closes.
    dzq::DZQQD *start = nullptr;
    start = new dzq::DZQQD([&]() -> QWidget * {
        auto *window = new dzq::Form1;
        window->setAttribute(Qt::WA_DeleteOnClose);
        // The editor button opens a music editor of its own each time; it is
        // destroyed when it closes and hands the screen back to this window.
        window->openEditor = [window] {
            auto *editor = new dzq::YYBJ(*window);
            editor->setAttribute(Qt::WA_DeleteOnClose);
            editor->Form_Load();
            editor->show();
        };
        window->Form_Load();
        window->show();
        statusLine = window->FJWZ;
        otherProblems = start->problems();
        showProblems(true);
        midi.synth().setStatusListener([&app, &showProblems] {
            QMetaObject::invokeMethod(&app, [&showProblems] { showProblems(false); }, Qt::QueuedConnection);
        });
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
    midi.synth().setStatusListener(nullptr);
    dzq::CloseMidiOut();
    dzq::setMidiSystem(nullptr);
    dzq::setMidiTap(nullptr);
    return rc;
}
