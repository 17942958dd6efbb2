#include "uilib/WindowRegistry.h"

#include "platform/Clock.h"
#include "uilib/CWindowWnd.h"
#include "uilib/UiTypes.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <future>
#include <map>
#include <mutex>

namespace uilib {
namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct MessageEvent : QEvent {
    MessageEvent(uintptr_t s, uint32_t m, platform::WParam w, platform::LParam l,
                 std::shared_ptr<std::promise<platform::LParam>> r)
        : QEvent(kMessageEvent), serial(s), message(m), wParam(w), lParam(l), reply(std::move(r)) {}
    ~MessageEvent() override {
        // A sent message that never reached its window answers 0, so the sender never hangs.
        if (reply && !answered)
            reply->set_value(0);
    }
    uintptr_t serial;
    uint32_t message;
    platform::WParam wParam;
    platform::LParam lParam;
    std::shared_ptr<std::promise<platform::LParam>> reply;
    bool answered = false;
};

struct Timer {
    unsigned elapse;
    uint64_t due;
};

// Lives on the UI thread for the whole process: receives the message events (so that a
// window may be destroyed while one of its messages is being handled) and drives the timers.
class Dispatcher : public QObject {
public:
    Dispatcher() {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { RunTimers(); });
    }

    bool event(QEvent* e) override {
        if (e->type() != kMessageEvent)
            return QObject::event(e);
        auto* m = static_cast<MessageEvent*>(e);
        platform::LParam result = 0;
        if (CWindowWnd* window = WindowRegistry::Find(m->serial))
            result = window->HandleMessage(m->message, m->wParam, m->lParam);
        if (m->reply) {
            m->answered = true;
            m->reply->set_value(result);
        }
        return true;
    }

    std::map<std::pair<uintptr_t, unsigned>, Timer> timers;

    void Reschedule() {
        if (timers.empty()) {
            timer_.stop();
            return;
        }
        const uint64_t now = platform::NowMs();
        uint64_t next = UINT64_MAX;
        for (const auto& [key, t] : timers)
            next = std::min(next, t.due);
        // Waits are bounded so that a fast test clock is followed closely.
        const uint64_t wait = next > now ? std::min<uint64_t>(next - now, 50) : 0;
        timer_.start(static_cast<int>(wait));
    }

private:
    void RunTimers() {
        const uint64_t now = platform::NowMs();
        std::vector<std::pair<uintptr_t, unsigned>> due;
        for (auto& [key, t] : timers)
            if (t.due <= now) {
                due.push_back(key);
                t.due = now + t.elapse;
            }
        for (const auto& [serial, id] : due)
            WindowRegistry::Post(serial, WM_TIMER, id, 0);
        Reschedule();
    }

    QTimer timer_;
};

std::mutex registryMutex;
std::map<uintptr_t, CWindowWnd*> windows;
uintptr_t nextSerial = 0;
Dispatcher* dispatcher = nullptr;

Dispatcher& TheDispatcher() {
    if (!dispatcher) {
        dispatcher = new Dispatcher;
        dispatcher->moveToThread(QCoreApplication::instance()->thread());
    }
    return *dispatcher;
}

bool OnUiThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

class UiMessageSink : public platform::MessageSink {
public:
    bool Post(platform::WindowHandle w, uint32_t m, platform::WParam wp,
              platform::LParam lp) override {
        return WindowRegistry::Post(reinterpret_cast<uintptr_t>(w), m, wp, lp);
    }
    platform::LParam Send(platform::WindowHandle w, uint32_t m, platform::WParam wp,
                          platform::LParam lp) override {
        return WindowRegistry::Send(reinterpret_cast<uintptr_t>(w), m, wp, lp);
    }
};

} // namespace

uintptr_t WindowRegistry::Add(CWindowWnd* window) {
    TheDispatcher();
    std::lock_guard lock(registryMutex);
    windows[++nextSerial] = window;
    return nextSerial;
}

void WindowRegistry::Remove(uintptr_t serial) {
    KillTimers(serial);
    std::lock_guard lock(registryMutex);
    windows.erase(serial);
}

CWindowWnd* WindowRegistry::Find(uintptr_t serial) {
    std::lock_guard lock(registryMutex);
    auto it = windows.find(serial);
    return it == windows.end() ? nullptr : it->second;
}

std::vector<CWindowWnd*> WindowRegistry::All() {
    std::lock_guard lock(registryMutex);
    std::vector<CWindowWnd*> all;
    for (const auto& [serial, window] : windows)
        all.push_back(window);
    return all;
}

bool WindowRegistry::Post(uintptr_t serial, uint32_t message, platform::WParam w,
                          platform::LParam l) {
    std::lock_guard lock(registryMutex);
    if (!windows.count(serial) || !dispatcher)
        return false;
    QCoreApplication::postEvent(dispatcher, new MessageEvent(serial, message, w, l, nullptr));
    return true;
}

platform::LParam WindowRegistry::Send(uintptr_t serial, uint32_t message, platform::WParam w,
                                      platform::LParam l) {
    if (OnUiThread()) {
        CWindowWnd* window = Find(serial);
        return window ? window->HandleMessage(message, w, l) : 0;
    }
    auto reply = std::make_shared<std::promise<platform::LParam>>();
    auto answer = reply->get_future();
    {
        std::lock_guard lock(registryMutex);
        if (!windows.count(serial) || !dispatcher)
            return 0;
        QCoreApplication::postEvent(dispatcher,
                                    new MessageEvent(serial, message, w, l, std::move(reply)));
    }
    return answer.get();
}

void WindowRegistry::SetTimer(uintptr_t serial, unsigned id, unsigned elapseMs) {
    Dispatcher& d = TheDispatcher();
    d.timers[{serial, id}] = Timer{elapseMs, platform::NowMs() + elapseMs};
    d.Reschedule();
}

void WindowRegistry::KillTimer(uintptr_t serial, unsigned id) {
    if (!dispatcher)
        return;
    dispatcher->timers.erase({serial, id});
    dispatcher->Reschedule();
}

void WindowRegistry::KillTimers(uintptr_t serial) {
    if (!dispatcher)
        return;
    std::erase_if(dispatcher->timers, [serial](const auto& t) { return t.first.first == serial; });
    dispatcher->Reschedule();
}

void WindowRegistry::InstallMessageSink() {
    TheDispatcher();
    platform::SetMessageSink(std::make_shared<UiMessageSink>());
}

} // namespace uilib
