#pragma once
// Runs a function for every event that reaches an object, before the object
// handles it, for the window events the controls have no signal for (leaving
// a box, the pointer passing over a label). install leaves the event to the
// object; installFilter takes it away when the function returns true.
#include <QEvent>
#include <QFocusEvent>
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

    // Runs handler when target loses the keyboard focus to another control of
    // its window: opening its own drop-down list or switching to another
    // window is not leaving it.
    static void onLostFocus(QObject *target, std::function<void()> handler)
    {
        install(target, [handler = std::move(handler)](QEvent *event) {
            if (event->type() != QEvent::FocusOut)
                return;
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                handler();
        });
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override { return filter_(event); }

private:
    EventHook(QObject *target, std::function<bool(QEvent *)> filter)
        : QObject(target), filter_(std::move(filter)) {}
    std::function<bool(QEvent *)> filter_;
};

} // namespace dzq
