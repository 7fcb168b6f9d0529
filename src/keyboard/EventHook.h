#pragma once
// Runs a function for every event that reaches an object, before the object
// handles it, for the window events the controls have no signal for (leaving
// a box, the pointer passing over a label). install leaves the event to the
// object; installFilter takes it away when the function returns true.
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
        installFilter(target, [handler = std::move(handler)](QEvent *event) {
            handler(event);
            return false;
        });
    }
    static void installFilter(QObject *target, std::function<bool(QEvent *)> filter)
    {
        target->installEventFilter(new EventHook(target, std::move(filter)));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override { return filter_(event); }

private:
    EventHook(QObject *target, std::function<bool(QEvent *)> filter)
        : QObject(target), filter_(std::move(filter)) {}
    std::function<bool(QEvent *)> filter_;
};

} // namespace dzq
