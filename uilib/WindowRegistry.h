#pragma once
// The live windows by handle, and the delivery of window messages and timers to them.
// Handles are serial numbers, never reused, so a message for a window that has gone is
// dropped instead of reaching another window. Internal to the library.
#include "platform/Messaging.h"

#include <cstdint>
#include <vector>

class CWindowWnd;

namespace uilib {

class WindowRegistry {
public:
    // UI thread.
    static uintptr_t Add(CWindowWnd* window);
    static void Remove(uintptr_t serial);
    static CWindowWnd* Find(uintptr_t serial);
    static std::vector<CWindowWnd*> All();

    // Any thread. Post queues; Send blocks until handled (direct on the UI thread).
    static bool Post(uintptr_t serial, uint32_t message, platform::WParam w, platform::LParam l);
    static platform::LParam Send(uintptr_t serial, uint32_t message, platform::WParam w,
                                 platform::LParam l);

    // UI thread: window timers on the program's clock.
    static void SetTimer(uintptr_t serial, unsigned id, unsigned elapseMs);
    static void KillTimer(uintptr_t serial, unsigned id);
    static void KillTimers(uintptr_t serial);

    // Installs the process-wide message sink that delivers platform::PostToWindow and
    // platform::SendToWindow here.
    static void InstallMessageSink();
};

} // namespace uilib
