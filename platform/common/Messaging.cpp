#include "platform/Messaging.h"

#include <mutex>

namespace platform {
namespace {
std::mutex sinkMutex;
std::shared_ptr<MessageSink> currentSink;
} // namespace

void SetMessageSink(std::shared_ptr<MessageSink> sink) {
    std::lock_guard lock(sinkMutex);
    currentSink = std::move(sink);
}

std::shared_ptr<MessageSink> CurrentMessageSink() {
    std::lock_guard lock(sinkMutex);
    return currentSink;
}

bool PostToWindow(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    auto sink = CurrentMessageSink();
    return sink && sink->Post(window, message, wParam, lParam);
}

LParam SendToWindow(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    auto sink = CurrentMessageSink();
    return sink ? sink->Send(window, message, wParam, lParam) : 0;
}

} // namespace platform
