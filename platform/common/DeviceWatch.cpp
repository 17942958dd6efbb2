#include "platform/DeviceWatch.h"

#include "platform/Clock.h"
#include "platform/Volumes.h"

namespace platform {

VolumeWatcher::VolumeWatcher(Callback callback, uint32_t pollMs)
    : callback_(std::move(callback)), pollMs_(pollMs ? pollMs : 1) {
    // The first picture is taken before the constructor returns, so that nothing present now is
    // reported as an arrival and nothing that changes afterwards is missed.
    auto first = PresentVolumes();
    thread_ = std::thread([this, first = std::move(first)]() mutable {
        seen_ = std::move(first);
        Run();
    });
}

VolumeWatcher::~VolumeWatcher() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void VolumeWatcher::Run() {
    while (!stop_) {
        SleepMs(pollMs_);
        if (stop_)
            break;
        auto now = PresentVolumes();
        VolumeChange removed{false, 0}, arrived{true, 0};
        for (const auto& [letter, identity] : seen_) {
            auto it = now.find(letter);
            if (it == now.end() || it->second != identity)
                removed.letterMask |= 1u << (letter - 'A');
        }
        for (const auto& [letter, identity] : now) {
            auto it = seen_.find(letter);
            if (it == seen_.end() || it->second != identity)
                arrived.letterMask |= 1u << (letter - 'A');
        }
        seen_ = std::move(now);
        if (removed.letterMask && callback_)
            callback_(removed);
        if (arrived.letterMask && callback_)
            callback_(arrived);
    }
}

std::unique_ptr<VolumeWatcher> WatchVolumesForWindow(WindowHandle window, uint32_t pollMs) {
    return std::make_unique<VolumeWatcher>(
        [window](const VolumeChange& change) {
            PostToWindow(window, kDeviceChangeMessage,
                         change.arrival ? kDeviceArrival : kDeviceRemoveComplete, 0);
        },
        pollMs);
}

} // namespace platform
