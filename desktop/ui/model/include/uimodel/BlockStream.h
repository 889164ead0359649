// Streamed playback of a mapped recording: the frames from a start frame to
// the end, read and handed to the sound output one block at a time.
//
// Every frame is handed over exactly once: blocks follow each other without
// overlap, the last one is cut at the end of the recording, and no empty block
// is ever handed over. The block being heard stays alive while the next one is
// handed over (the output asks for a block before the current one runs out),
// so two blocks are kept: the newest and the one before it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace uimodel {

// Frames per streamed block.
inline constexpr uint32_t kStreamBlockFrames = 262144;

// The next block of the frames [start, total): nothing once start reaches
// the end; otherwise at most `blockFrames` frames, `final` when it reaches the
// end.
struct StreamBlock {
    uint32_t first = 0;
    uint32_t frames = 0;
    bool final = false;
    bool operator==(const StreamBlock&) const = default;
};
std::optional<StreamBlock> PlanStreamBlock(uint32_t start, uint32_t total, uint32_t blockFrames);

class BlockStream {
public:
    // Streaming states: handing over blocks; the final block handed over; the
    // final block has finished; nothing streaming (stopped or never started).
    enum class State { Streaming = 0, FinalHandedOver = 1, FinalFinished = 2, Idle = 3 };

    // Copies `count` frames from `first` into the buffer (channels samples a
    // frame); false when the frames cannot be read.
    using Reader = std::function<bool(int16_t* destination, uint32_t first, uint32_t count)>;

    struct HandOver {
        const int16_t* samples = nullptr;
        uint32_t frames = 0;
        uint32_t firstFrame = 0;  // of the recording
    };

    explicit BlockStream(uint32_t blockFrames = kStreamBlockFrames) : m_blockFrames(blockFrames) {}

    // Starts streaming [start, total) of a recording with `channels`
    // channels: the first block, or nothing (Idle) when start is at or past
    // the end or the frames cannot be read.
    std::optional<HandOver> Start(uint32_t start, uint32_t total, uint32_t channels, Reader reader);
    // The output asks for the next block: the block to hand over, or nothing
    // (the state moves on: after the final block FinalFinished).
    std::optional<HandOver> Next();
    // The output has played everything it was given: true when streaming is
    // over for good (the caller stops the output, then the stream), false
    // when more is coming.
    bool Ended() const;
    // Stops streaming and frees the blocks; later requests get nothing. Call
    // only once the output no longer reads them.
    void Stop();

    State CurrentState() const { return m_state; }
    // First frame of the block handed over last: the output's position counts
    // from there.
    uint32_t BlockStart() const { return m_blockStart; }
    uint32_t BlockFrames() const { return m_blockFrames; }
    void SetBlockFrames(uint32_t frames) { m_blockFrames = frames > 0 ? frames : 1; }

private:
    std::optional<HandOver> ReadBlock(uint32_t first);

    uint32_t m_blockFrames;
    State m_state = State::Idle;
    uint32_t m_total = 0;
    uint32_t m_channels = 0;
    uint32_t m_blockStart = 0;
    Reader m_reader;
    std::vector<int16_t> m_newest;  // handed over last
    std::vector<int16_t> m_heard;   // the one before: possibly still being heard
};

}  // namespace uimodel
