#pragma once
// The editor's edit file "*.lnk": a whole song as text, 13 lines per measure
// m = 0..TotalMeasures:
//   1      MeasureHead(m): the 60-character settings record, or the measure
//          number as 4 decimal digits ("0000") when the measure has none
//   2-8    line texts of melody lines 0..6: S cells of 2 characters
//   9-13   line texts of percussion lines 7..11: S cells of 1 character
// The time signature follows from the length of the melody lines, the
// number of measures from the number of lines. Files are written in UTF-8
// with CR LF; files in the Chinese Windows code page (GBK) are read as well.
//
// Opening reads and checks the whole file first (readEditFile) and changes
// the song only when it is sound (loadEditFile); a refused file leaves the
// song as it was and gives a message for the user.
#include "editor/core/Song.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace dzq {

constexpr int EditFileLinesPerMeasure = 1 + SongLineCount;

// Saving, before the dialog: every cell of measures 0..TotalMeasures that
// sorts before "1" (character codes; the empty cell, "-", "--" among them)
// becomes the filler of its line ("--" melody, "-" percussion) and a
// one-character melody cell is completed with "-" so no later cell can
// shift; the line texts are rebuilt from the cells; a head shorter than 5
// characters becomes the measure number in 4 digits. Measures past the step
// capacity are never reached.
void prepareEditFileSave(Song &song, MeasureStrings &strings, int stepMax);

// The lines of the file for measures 0..TotalMeasures (held to the step
// capacity): the head and the 12 line texts of each.
QStringList editFileLines(const Song &song, const MeasureStrings &strings, int stepMax);

// The name the file is written under for the name chosen in the dialog: a
// three-letter extension is replaced by ".lnk", any other name gets ".lnk"
// appended ("a.txt" gives "a.lnk", "a" and "a.abcd" get ".lnk" after them).
QString editFileName(const QString &chosen);

// Writes editFileLines to path through a temporary file that replaces the
// old one only when everything was written. False, with *error (when given)
// for the user, when it could not be saved; an earlier file stays then.
bool writeEditFile(const QString &path, const Song &song, const MeasureStrings &strings, int stepMax,
                   QString *error = nullptr);

// A song read from an edit file and found sound, not yet in the tables.
struct EditFileSong {
    int stepMax = 15;       // S - 1: 15, 23 or 31
    int totalMeasures = 0;  // highest measure index
    // Per measure: the head line, then the 12 line texts.
    std::vector<std::array<QString, EditFileLinesPerMeasure>> measures;
};

struct EditFileRead {
    std::optional<EditFileSong> song;
    QString error; // Chinese text for the user when there is no song
};

// Checks the lines of a file. Refused: no lines; a first melody line that is
// not 32, 48 or 64 characters (16, 24 or 32 steps); a number of lines that is
// not a whole number of measures (13 lines each; empty lines at the very end
// do not count); a melody line that is not 2S characters or a percussion line
// that is not S; a head of 4 characters or fewer that is not a number; more
// measures than the step capacity holds. A head longer than 4 characters is
// kept as it stands (a damaged record is then never applied, but survives).
EditFileRead parseEditFile(const QStringList &lines);

// Reads the file (UTF-8 or GBK) and checks it as parseEditFile does; the
// message names the file.
EditFileRead readEditFile(const QString &path);

// Puts a song that was read into the tables: clear all first, then each
// measure's head, line texts and cells (melody codes by SYYPSB), and
// TotalMeasures. The window then takes stepMax for its time signature and
// shows measure 0 (applying its record when it has one).
void loadEditFile(Song &song, MeasureStrings &strings, const EditFileSong &file);

} // namespace dzq
