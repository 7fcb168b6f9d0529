#pragma once
// Score files as the score entry window saves and opens them: the name its
// "保存" writes under, the shortest score it saves, and the whole text of a
// file with its line breaks.
#include <QString>

namespace dzq {

// The file "保存" writes for the name chosen in the dialog: a four-character
// extension (a "." fourth from the end) is replaced by ".txt", any other name
// gets ".txt" after it. "歌.mid" gives "歌.txt", "歌" gives "歌.txt", "歌.ab"
// gives "歌.ab.txt". A dot in a folder of the path is no extension.
QString entrySaveFileName(const QString &chosen);

// Scores of two characters or fewer ("TZ") are not saved.
bool entryScoreSavable(const QString &score);

struct EntryFileRead {
    bool ok = false;
    QString text; // the whole file, every line break (also the last) as "\n"
};

// Reads a score file as one text, UTF-8 or GBK, keeping its line breaks.
EntryFileRead readEntryFile(const QString &path);

} // namespace dzq
