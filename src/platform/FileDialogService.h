#pragma once
// File dialogs go through one service that tests replace by a scripted one.
// An empty result means the user cancelled.
#include <QString>

namespace dzq {

class FileDialogService {
public:
    virtual ~FileDialogService() = default;

    // filter is in Qt's form, e.g. "乐谱记录txt (*.txt)".
    virtual QString openFile(const QString &title, const QString &startDir, const QString &filter) = 0;
    // Asks before overwriting an existing file; no default suffix is added.
    virtual QString saveFile(const QString &title, const QString &startDir, const QString &filter) = 0;

    static FileDialogService &instance();
    static void install(FileDialogService *service); // not owned; nullptr restores the default
};

} // namespace dzq
