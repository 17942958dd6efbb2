#include "platform/Clock.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace platform {
namespace {

uint64_t SteadyMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::mutex clockMutex;
std::shared_ptr<Clock> currentClock = std::make_shared<SystemClock>();

} // namespace

void SystemClock::SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint64_t SystemClock::NowMs() {
    return SteadyMicros() / 1000;
}

FastClock::FastClock(uint32_t factor)
    : factor_(factor ? factor : 1), originMicros_(SteadyMicros()) {}

void FastClock::SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::microseconds(uint64_t(ms) * 1000 / factor_));
}

uint64_t FastClock::NowMs() {
    return (SteadyMicros() - originMicros_) * factor_ / 1000;
}

std::shared_ptr<Clock> CurrentClock() {
    std::lock_guard lock(clockMutex);
    return currentClock;
}

void SetClock(std::shared_ptr<Clock> clock) {
    std::lock_guard lock(clockMutex);
    currentClock = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

} // namespace platform
