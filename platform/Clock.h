#pragma once
// The one clock every wait and every time reading goes through, so that tests can run the
// program's 200 ms polls and 32 s watchdogs on a fast clock.
#include <cstdint>
#include <memory>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Blocks the calling thread for the given time as this clock counts it.
    virtual void SleepMs(uint32_t ms) = 0;
    // Milliseconds since an arbitrary, fixed origin; never goes backwards.
    virtual uint64_t NowMs() = 0;
};

// Real time.
class SystemClock : public Clock {
public:
    void SleepMs(uint32_t ms) override;
    uint64_t NowMs() override;
};

// Time that runs `factor` times faster than real time: a 1000 ms sleep takes 1000/factor ms.
// Threads keep their real interleaving, only compressed.
class FastClock : public Clock {
public:
    explicit FastClock(uint32_t factor);
    void SleepMs(uint32_t ms) override;
    uint64_t NowMs() override;

private:
    uint32_t factor_;
    uint64_t originMicros_;
};

// The process-wide clock (a SystemClock until replaced). Replace it before starting threads
// that use it; the returned pointer stays valid for as long as the caller holds it.
std::shared_ptr<Clock> CurrentClock();
void SetClock(std::shared_ptr<Clock> clock);

inline void SleepMs(uint32_t ms) {
    CurrentClock()->SleepMs(ms);
}
inline uint64_t NowMs() {
    return CurrentClock()->NowMs();
}

} // namespace platform
