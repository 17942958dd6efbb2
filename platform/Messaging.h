#pragma once
// How workers report to a window: a message (id, wParam, lParam) posted (queued, returns at
// once) or sent (returns when the window's thread has handled it) to a window handle. The
// window layer installs the sink that delivers them; core tests install a recorder.
#include <cstdint>
#include <memory>

namespace platform {

using WindowHandle = void*;
using WParam = uintptr_t;
using LParam = intptr_t;

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Queues the message; false when the window does not exist (any more).
    virtual bool Post(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) = 0;
    // Delivers the message and waits until the window's thread has handled it; returns the
    // handler's result (0 when the window does not exist).
    virtual LParam Send(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) = 0;
};

// The process-wide sink (none until installed: messages are then dropped). Callable from any
// thread.
void SetMessageSink(std::shared_ptr<MessageSink> sink);
std::shared_ptr<MessageSink> CurrentMessageSink();

bool PostToWindow(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);
LParam SendToWindow(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

} // namespace platform
