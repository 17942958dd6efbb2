#pragma once
// Volume arrival and removal, delivered as the system's device-change message would be:
// WM_DEVICECHANGE with DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE.
#include "platform/Messaging.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

namespace platform {

inline constexpr uint32_t kDeviceChangeMessage = 0x0219; // WM_DEVICECHANGE
inline constexpr WParam kDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
inline constexpr WParam kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE

struct VolumeChange {
    bool arrival = false;    // false: removal
    uint32_t letterMask = 0; // bit n: drive letter 'A' + n
};

// Polls the present volumes (Volumes.h) on its own thread, every `pollMs` of the platform clock,
// and reports each change: the removals of one poll first, then its arrivals. A volume whose
// letter passes to another volume between two polls is reported removed and arrived. The
// callback runs on the watcher's thread.
class VolumeWatcher {
public:
    using Callback = std::function<void(const VolumeChange&)>;
    explicit VolumeWatcher(Callback callback, uint32_t pollMs = 200);
    ~VolumeWatcher(); // stops the thread and waits for it
    VolumeWatcher(const VolumeWatcher&) = delete;
    VolumeWatcher& operator=(const VolumeWatcher&) = delete;

private:
    void Run();
    Callback callback_;
    uint32_t pollMs_;
    std::atomic<bool> stop_{false};
    std::map<char, std::string> seen_; // the watcher thread's last picture
    std::thread thread_;
};

// A watcher that posts each change to `window` through the messaging seam as
// (kDeviceChangeMessage, kDeviceArrival or kDeviceRemoveComplete, 0).
std::unique_ptr<VolumeWatcher> WatchVolumesForWindow(WindowHandle window, uint32_t pollMs = 200);

} // namespace platform
