#pragma once
// Score files of the score box: the name "保存" writes under, and reading and
// writing a score as a text file (UTF-8 or GBK in, UTF-8 with CR LF out).
#include <QString>

namespace dzq {

// The file "保存" writes for the name chosen in the dialog: the name less a
// four-character extension (a "." fourth from the end) followed by
// "(乐谱).txt". "歌.txt" gives "歌(乐谱).txt", "歌" and "歌.mid1" keep their
// whole name before "(乐谱).txt". Only the last part of a path loses its
// extension: in "/a.b/c" the dot belongs to a folder and nothing is cut.
QString scoreSaveFileName(const QString &chosen);

struct ScoreFileRead {
    bool ok = false;
    QString score; // the file's lines joined without separators
    QString error; // Chinese text for the user when !ok
};
// Reads a score file and joins its lines, so line breaks (CR LF, LF or CR)
// never reach the interpreter.
ScoreFileRead readScoreFile(const QString &path);

// Writes the score followed by one line break, replacing the file only when
// everything was written.
bool writeScoreFile(const QString &path, const QString &score, QString *error = nullptr);

} // namespace dzq
