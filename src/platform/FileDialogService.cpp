#include "platform/FileDialogService.h"

#include <QFileDialog>

namespace dzq {

namespace {

class QtFileDialogService final : public FileDialogService {
public:
    QString openFile(const QString &title, const QString &startDir, const QString &filter) override
    {
        return QFileDialog::getOpenFileName(nullptr, title, startDir, filter);
    }
    QString saveFile(const QString &title, const QString &startDir, const QString &filter) override
    {
        return QFileDialog::getSaveFileName(nullptr, title, startDir, filter);
    }
};

QtFileDialogService defaultService;
FileDialogService *current = &defaultService;

} // namespace

FileDialogService &FileDialogService::instance() { return *current; }

void FileDialogService::install(FileDialogService *service) { current = service ? service : &defaultService; }

} // namespace dzq
