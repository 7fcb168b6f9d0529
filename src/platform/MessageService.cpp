#include "platform/MessageService.h"

#include "platform/StepTimer.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QTimer>

#include <utility>

namespace dzq {

namespace {

class QtMessageService final : public MessageService {
public:
    void timedInfo(const QString &caption, const QString &text, int timeoutMs) override
    {
        StepTimer::expectNoTick("a message box");
        QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok);
        if (timeoutMs > 0)
            QTimer::singleShot(timeoutMs, &box, &QMessageBox::accept);
        box.exec();
    }
    void plain(const QString &text) override
    {
        StepTimer::expectNoTick("a message box");
        QMessageBox box(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok);
        box.exec();
    }
    bool ask(const QString &caption, const QString &text) override
    {
        StepTimer::expectNoTick("a message box");
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }
    QString input(const QString &caption, const QString &prompt) override
    {
        bool ok = false;
        const QString answer = QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                                                     QLineEdit::Normal, QString(), &ok);
        return ok ? answer : QString();
    }
};

QtMessageService defaultService;
MessageService *current = &defaultService;

} // namespace

MessageService &MessageService::instance() { return *current; }

void MessageService::install(MessageService *service) { current = service ? service : &defaultService; }

void showBoxLater(std::function<void()> show)
{
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(show), Qt::QueuedConnection);
    else
        show();
}

QString programTitle() { return QStringLiteral("电子琴"); }

} // namespace dzq
