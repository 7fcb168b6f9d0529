#pragma once
// Runs a function for every event that reaches an object, before the object
// handles it, for the window events the controls have no signal for (leaving
// a box, the pointer passing over a label). The event is not taken away.
#include <QEvent>
#include <QObject>

#include <functional>
#include <utility>

namespace dzq {

class EventHook final : public QObject {
public:
    // Watches target for as long as it lives (the hook is its child).
    static void install(QObject *target, std::function<void(QEvent *)> handler)
    {
        target->installEventFilter(new EventHook(target, std::move(handler)));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        handler_(event);
        return false;
    }

private:
    EventHook(QObject *target, std::function<void(QEvent *)> handler)
        : QObject(target), handler_(std::move(handler)) {}
    std::function<void(QEvent *)> handler_;
};

} // namespace dzq
