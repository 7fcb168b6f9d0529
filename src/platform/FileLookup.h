#pragma once
// File-name lookup as the Windows file system does it, so that names written
// for it ("钟声.wav " with a trailing blank, "雷声3.WAV" in capitals) find
// their files here.
#include <QString>

namespace dzq {

// Looks name up in folder dir: the exact name first, then the name without
// trailing blanks and dots, then the same ignoring case. Returns the full path
// of a regular file, or an empty string. An empty name, a name of only blanks
// and dots, or a name holding a path separator finds nothing.
QString findFileLikeWindows(const QString &dir, const QString &name);

// The name a file is saved under for the name chosen in a dialog: a
// four-character extension (a "." fourth from the end) is replaced by
// extension (".txt", with its dot), any other name gets it appended. "歌.mid"
// gives "歌.txt", "歌" and "歌.ab" get ".txt" after them; a dot in a folder of
// the path is no extension.
QString withSavedExtension(const QString &chosen, const QString &extension);

} // namespace dzq
