#pragma once
// Message boxes go through one service so that windows never block a test on a
// modal box: tests install a scripted service that records what was shown and
// answers questions from a script.
#include <QString>

namespace dzq {

class MessageService {
public:
    virtual ~MessageService() = default;

    // Information box with the given caption that closes itself after timeoutMs.
    virtual void timedInfo(const QString &caption, const QString &text, int timeoutMs) = 0;
    // Box with only an OK button and the program's own title (MIDI driver errors).
    virtual void plain(const QString &text) = 0;
    // Yes/No question; true when the user answers yes.
    virtual bool ask(const QString &caption, const QString &text) = 0;
    // One-line input box with an OK and a Cancel button and no default
    // answer; what was typed, or an empty text when the user cancelled (a
    // service without input boxes cancels).
    virtual QString input(const QString &caption, const QString &prompt)
    {
        (void)caption;
        (void)prompt;
        return {};
    }

    // The service in use; a Qt message-box service until another is installed.
    static MessageService &instance();
    // Installs a service (not owned); nullptr restores the default one.
    static void install(MessageService *service);
};

// Title of the program's own boxes.
QString programTitle();

} // namespace dzq
