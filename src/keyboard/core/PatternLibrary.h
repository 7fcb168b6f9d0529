#pragma once
// The chord pattern library "HxJzMx.txt" in the program folder: one pattern
// line per text line. It starts as the text of string resource 509 (113 lines
// and two empty ones), the random draw picks lines from it, and the user adds
// his own lines to its end.
#include <QString>
#include <QStringList>

namespace dzq {

// File name of the library below AppDir.
QString patternLibraryName();
// Lines used from the library; any further lines are ignored.
constexpr int PatternLibraryMaxLines = 1000;

// Creates the library at path from the text of resource 509 followed by one
// line break. False, with *error, when the file cannot be written.
bool createPatternLibrary(const QString &path, const QString &defaultText, QString *error = nullptr);

// The first (at most 1000) lines of the library, as read; empty when the file
// is missing, unreadable or empty.
QStringList readPatternLibrary(const QString &path);

// The texts of `lines` that equal no line of the library (exact, whole line),
// in their order; equal texts among them are all kept.
QStringList newPatternLines(const QStringList &library, const QStringList &lines);

// Appends the lines of the three pattern boxes that the library does not hold
// yet. Nothing is done when the library does not exist. Returns false, with
// *error, only when writing failed (the file is then unchanged).
bool savePatternLines(const QString &path, const QStringList &lines, QString *error = nullptr);

} // namespace dzq
