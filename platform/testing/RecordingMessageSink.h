#pragma once
// A message sink for core tests: records every posted and sent message and lets a test wait
// for the one it expects.
#include "platform/Messaging.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace testing_env {

struct RecordedMessage {
    platform::WindowHandle window;
    uint32_t message;
    platform::WParam wParam;
    platform::LParam lParam;
    bool sent;
};

class RecordingMessageSink : public platform::MessageSink {
public:
    bool Post(platform::WindowHandle w, uint32_t m, platform::WParam wp,
              platform::LParam lp) override {
        Record({w, m, wp, lp, false});
        return true;
    }
    platform::LParam Send(platform::WindowHandle w, uint32_t m, platform::WParam wp,
                          platform::LParam lp) override {
        Record({w, m, wp, lp, true});
        return sendResult;
    }

    std::vector<RecordedMessage> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

    // Waits (in real time, at most `timeout`) until `done` holds for the messages so far.
    bool WaitFor(const std::function<bool(const std::vector<RecordedMessage>&)>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return done(messages_); });
    }

    // Waits until a message with this id has arrived; returns the first such message.
    bool WaitForMessage(uint32_t message, RecordedMessage* found = nullptr,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        return WaitFor(
            [&](const std::vector<RecordedMessage>& all) {
                for (const auto& m : all)
                    if (m.message == message) {
                        if (found)
                            *found = m;
                        return true;
                    }
                return false;
            },
            timeout);
    }

    platform::LParam sendResult = 0;

private:
    void Record(RecordedMessage m) {
        {
            std::lock_guard lock(mutex_);
            messages_.push_back(m);
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<RecordedMessage> messages_;
};

} // namespace testing_env
