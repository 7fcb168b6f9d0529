#pragma once
// Message boxes go through one service so that windows never block a test on a
// modal box: tests install a scripted service that records what was shown and
// answers questions from a script.
#include <QString>

#include <functional>

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

// Runs show (which opens a box) once the handler running now has returned: a
// queued call on the event loop. A box's own event loop would otherwise run
// other clock ticks and handlers, and could even close the window, in the
// middle of a tick or a MIDI send. Without an event loop show runs at once.
void showBoxLater(std::function<void()> show);

// Title of the program's own boxes.
QString programTitle();

} // namespace dzq
