#include "platform/MessageTarget.h"

namespace platform {

void MessageQueue::Post(uint32_t id, uintptr_t wParam, intptr_t lParam) {
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back({id, wParam, lParam});
    }
    m_arrived.notify_all();
}

std::optional<Message> MessageQueue::Take(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_arrived.wait_for(lock, timeout, [this] { return !m_messages.empty(); })) {
        return std::nullopt;
    }
    Message message = m_messages.front();
    m_messages.pop_front();
    return message;
}

std::optional<Message> MessageQueue::TryTake() {
    return Take(std::chrono::milliseconds(0));
}

size_t MessageQueue::Size() const {
    std::lock_guard lock(m_mutex);
    return m_messages.size();
}

}  // namespace platform
