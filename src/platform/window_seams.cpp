#include "platform/window_seams.h"

#include "platform/seams.h"

#include <QBasicTimer>
#include <QMessageBox>
#include <QTimerEvent>
#include <QWidget>
#include <map>

namespace platform {

namespace {

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

unsigned startTimer(WindowHandle window, unsigned id, unsigned periodMs) {
    if (window == nullptr || id == 0)
        return 0;
    carrierOf(window, true)->start(id, periodMs);
    return id;
}

bool killTimer(WindowHandle window, unsigned id) {
    if (window == nullptr)
        return false;
    TimerCarrier* carrier = carrierOf(window, false);
    return carrier != nullptr && carrier->kill(id);
}

void showMessageBox(WindowHandle owner, const std::string& text, const std::string& caption) {
    makeMessageBox(owner, text, caption)->exec();
}

} // namespace

void installWindowSeams() {
    seams().messageBox = showMessageBox;
    seams().windowTimers = {startTimer, killTimer};
}

std::unique_ptr<QMessageBox> makeMessageBox(WindowHandle owner, const std::string& text,
                                            const std::string& caption) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QString::fromStdString(caption),
                                             QString::fromStdString(text), QMessageBox::Ok, owner);
    // Blocks its owner only: the ownerless trace window stays usable while a box is up.
    box->setWindowModality(Qt::WindowModal);
    return box;
}

void setMainWindow(WindowHandle window) {
    seams().mainWindow = window;
    if (window == nullptr)
        return;
    QObject::connect(window, &QObject::destroyed, [window] {
        if (seams().mainWindow == window)
            seams().mainWindow = nullptr;
    });
}

} // namespace platform
