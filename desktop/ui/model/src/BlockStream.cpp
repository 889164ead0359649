#include "uimodel/BlockStream.h"

#include <algorithm>
#include <utility>

namespace uimodel {

std::optional<StreamBlock> PlanStreamBlock(uint32_t start, uint32_t total, uint32_t blockFrames) {
    if (start >= total || blockFrames == 0) {
        return std::nullopt;
    }
    const uint32_t frames = std::min(blockFrames, total - start);
    return StreamBlock{start, frames, frames == total - start};
}

std::optional<BlockStream::HandOver> BlockStream::Start(uint32_t start, uint32_t total,
                                                        uint32_t channels, Reader reader) {
    Stop();
    m_total = total;
    m_channels = channels;
    m_reader = std::move(reader);
    auto block = ReadBlock(start);
    if (!block) {
        Stop();
    }
    return block;
}

std::optional<BlockStream::HandOver> BlockStream::ReadBlock(uint32_t first) {
    const auto plan = PlanStreamBlock(first, m_total, m_blockFrames);
    if (!plan || m_channels == 0 || !m_reader) {
        return std::nullopt;
    }
    // The previous newest block is the one being heard now; the one before it
    // has been left behind by the output.
    std::swap(m_heard, m_newest);
    m_newest.assign(size_t{plan->frames} * m_channels, 0);
    if (!m_reader(m_newest.data(), plan->first, plan->frames)) {
        return std::nullopt;
    }
    m_blockStart = plan->first;
    m_state = plan->final ? State::FinalHandedOver : State::Streaming;
    return HandOver{m_newest.data(), plan->frames, plan->first};
}

std::optional<BlockStream::HandOver> BlockStream::Next() {
    switch (m_state) {
        case State::Streaming: {
            auto block = ReadBlock(m_blockStart + m_blockFrames);
            if (!block) {
                // Unreadable: what was handed over plays out, then it ends.
                m_state = State::FinalFinished;
            }
            return block;
        }
        case State::FinalHandedOver:
            m_state = State::FinalFinished;
            return std::nullopt;
        case State::FinalFinished:
        case State::Idle:
            break;
    }
    return std::nullopt;
}

bool BlockStream::Ended() const {
    return m_state == State::FinalFinished || m_state == State::Idle;
}

void BlockStream::Stop() {
    m_state = State::Idle;
    m_newest = {};
    m_heard = {};
    m_reader = nullptr;
}

}  // namespace uimodel
