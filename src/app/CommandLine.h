#pragma once
// The program's command line: dianziqin [--data-dir DIR] [--soundfont FILE]
// [--audio-driver NAME] [--midi-log FILE] [--help] [--version].
#include <QString>
#include <QStringList>

namespace dzq {

struct CommandLine {
    QString dataDir;
    QString soundfont;
    QString audioDriver;
    QString midiLog;
    int periodSize = 0; // 0 = the synthesizer's default
    int periods = 0;
    bool help = false;
    bool version = false;
    QString error;      // not empty: the line could not be understood
    QString helpText;   // what --help prints
};

// Parses arguments (argv including the program name).
CommandLine parseCommandLine(const QStringList &arguments);

} // namespace dzq
