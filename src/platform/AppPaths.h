#pragma once
// The program folder AppDir and its data folders. AppDir is the folder of the
// executable when it can be written to (a build tree, a portable copy), else
// the per-user data folder $XDG_DATA_HOME/dianziqin/; --data-dir overrides
// both. Below it lie "演奏记录" (scores, rhythm files, recordings) and "音效"
// (effect sounds); missing ones are created and the shipped effect sounds and
// sample files are copied in where the user has no file of that name.
#include <QString>

namespace dzq {

// dir as an absolute, clean path that ends in exactly one "/" (also the
// root folder), so that names can be appended to it.
QString folderWithSlash(const QString &dir);

// Names of the data folders below AppDir.
QString scoreFolderName();   // "演奏记录"
QString effectsFolderName(); // "音效"

struct AppDirResult {
    QString dir;   // the folder chosen, ending in "/"
    QString error; // empty when the folder and its data folders are ready
    bool ok() const { return error.isEmpty(); }
};

// Chooses and prepares the data folder without touching AppDir: overrideDir
// when it is not empty (created when missing, no fallback), else programDir
// when it can be written to and is no system folder, else userDir. Then makes
// the data folders and copies the files of shippedEffects into "音效" and of
// shippedSamples into "演奏记录" where they are missing. When no folder can be
// written, dir is the last candidate and error says that saving there fails.
AppDirResult prepareAppDir(const QString &overrideDir, const QString &programDir, const QString &userDir,
                           const QString &shippedEffects = QStringLiteral(":/effects"),
                           const QString &shippedSamples = QStringLiteral(":/samples"));

// The per-user data folder: the generic data location + "/dianziqin/".
QString userDataDir();

// prepareAppDir with the executable's folder and userDataDir(). The caller
// makes the folder chosen the program's data folder; the program runs on after
// an error, which the caller shows.
AppDirResult initAppDir(const QString &overrideDir = {});

// Copies every regular file of fromDir into toDir unless toDir already holds a
// file or folder of that name; copies are writable by their owner. Returns
// false when a copy failed (the other files are still copied).
bool copyMissingFiles(const QString &fromDir, const QString &toDir);

} // namespace dzq
