// Posting messages to a window from any thread.
//
// Stands in for PostMessage: a job thread posts (message, wParam, lParam) and
// never waits for it to be handled. Windows implement Post by queueing an
// event on the UI thread; MessageQueue is the plain implementation that tests
// and the command-line cleaner pump themselves.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace platform {

struct Message {
    uint32_t id = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    // Thread-safe; returns at once.
    virtual void Post(uint32_t id, uintptr_t wParam, intptr_t lParam) = 0;
};

// A first-in first-out queue of posted messages.
class MessageQueue : public MessageTarget {
public:
    void Post(uint32_t id, uintptr_t wParam, intptr_t lParam) override;
    // The oldest message, waiting up to `timeout` for one to arrive.
    std::optional<Message> Take(std::chrono::milliseconds timeout);
    // The oldest message if one is waiting.
    std::optional<Message> TryTake();
    size_t Size() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<Message> m_messages;
};

}  // namespace platform
