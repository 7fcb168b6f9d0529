#pragma once
// Text files of the program, read and written as lists of lines. Reading
// accepts UTF-8 (with or without a byte-order mark) and falls back to GBK for
// files written in the Chinese Windows code page; CR LF, LF and CR all end a
// line. Writing produces UTF-8 with CR LF after every line, through a
// temporary file that replaces the old one only when everything was written.
// Positions and lengths in the returned texts count characters, not bytes.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace dzq {

struct TextFileContent {
    bool ok = false;
    QStringList lines;
    QString error; // Chinese text for the user when !ok
};

// Decodes the bytes of a text file: UTF-8 when they are valid UTF-8 (a leading
// byte-order mark is dropped), otherwise GBK.
QString decodeTextBytes(const QByteArray &bytes);

// Splits text into lines at CR LF, LF and CR. A line break at the very end
// ends the last line and does not start another: "a\r\nb\r\n" is {"a", "b"},
// "" is no line at all, "\r\n" is one empty line.
QStringList splitTextLines(const QString &text);

// Reads the whole file as lines. Fails, with a message naming the file, when
// it does not exist, is not a regular file or cannot be read.
TextFileContent readTextFile(const QString &path);

// Replaces (or creates) the file with lines, each followed by CR LF; a line
// break inside a line is written as CR LF as well. On failure the earlier file
// is left as it was, false is returned and *error (when given) says why.
bool writeTextFile(const QString &path, const QStringList &lines, QString *error = nullptr);

// Adds lines at the end of the file, creating it when it does not exist. The
// file's earlier lines are kept (a last line without its line break gets one,
// so the new lines never run into it) and the whole file is written back as
// writeTextFile does, so a failure leaves it unchanged.
bool appendTextFile(const QString &path, const QStringList &lines, QString *error = nullptr);

} // namespace dzq
