#include "platform/window_timers.h"

#include <QBasicTimer>
#include <QTimerEvent>
#include <QWidget>
#include <map>

namespace platform {

namespace {

WindowTimerBackend g_backend;

// Carries the timers of one window: a child object of the window, so it goes with it.
class TimerCarrier final : public QObject {
public:
    explicit TimerCarrier(QWidget* window) : QObject(window), window_(window) {
        setObjectName(kName);
    }
    static constexpr const char* kName = "quillon_window_timers";

    void start(unsigned id, unsigned periodMs) {
        timers_[id].start(static_cast<int>(periodMs), this);
    }
    bool kill(unsigned id) {
        const auto it = timers_.find(id);
        if (it == timers_.end() || !it->second.isActive())
            return false;
        it->second.stop();
        return true;
    }

protected:
    void timerEvent(QTimerEvent* event) override {
        for (auto& [id, timer] : timers_) {
            if (timer.timerId() == event->timerId()) {
                if (auto* target = dynamic_cast<WindowTimerTarget*>(window_))
                    target->onWindowTimer(id);
                return;
            }
        }
    }

private:
    QWidget* window_;
    std::map<unsigned, QBasicTimer> timers_;
};

TimerCarrier* carrierOf(QWidget* window, bool create) {
    auto* carrier =
        window->findChild<TimerCarrier*>(TimerCarrier::kName, Qt::FindDirectChildrenOnly);
    if (carrier == nullptr && create)
        carrier = new TimerCarrier(window);
    return carrier;
}

} // namespace

void setWindowTimerBackend(WindowTimerBackend backend) {
    g_backend = std::move(backend);
}

unsigned setWindowTimer(WindowHandle window, unsigned id, unsigned periodMs) {
    if (g_backend.set)
        return g_backend.set(window, id, periodMs);
    if (window == nullptr || id == 0)
        return 0;
    carrierOf(window, true)->start(id, periodMs);
    return id;
}

bool killWindowTimer(WindowHandle window, unsigned id) {
    if (g_backend.kill)
        return g_backend.kill(window, id);
    if (window == nullptr)
        return false;
    TimerCarrier* carrier = carrierOf(window, false);
    return carrier != nullptr && carrier->kill(id);
}

} // namespace platform
