#pragma once
// The program's resources by number, as the windows ask for them: string
// texts (line breaks inside a text are CR LF) and pictures.
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace dzq {

// Text of string resource id; empty when there is none.
QString LoadResString(int id);
// The texts of count string resources from first on, in order (the
// instrument names 201.. and the percussion names 335.. fill choice lists).
QStringList LoadResStrings(int first, int count);
// Picture resource id (102..105 key pictures, 106 start-up picture, ...); a
// null pixmap when there is none.
QPixmap LoadResPicture(int id);
// Path inside the compiled-in resources of a shipped file (effect sounds,
// sample files, window backgrounds), e.g. resourceFile("effects/钟声.wav").
QString resourceFile(const QString &relativePath);

} // namespace dzq
