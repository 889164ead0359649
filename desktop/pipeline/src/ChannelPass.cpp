#include "pipeline/ChannelPass.h"

#include <mutex>

#include "pipeline/MappedRead.h"
#include "pipeline/SoundFile.h"
#include "platform/ShowMessage.h"

ChannelPass::ChannelPass(CleaningContext& context, IVelquor& engine, int32_t channel,
                         uint32_t chunkFrames)
    : m_context(context),
      m_alignment(engine, context.buffers->input, context.buffers->output),
      m_channel(channel),
      m_chunkFrames(chunkFrames) {}

int ChannelPass::ProcessChunk(uint32_t count) {
    if (count == 0) {
        return 0;
    }
    if (count > m_chunkFrames || !m_context.documentHasView) {
        return -1;
    }
    CSoundFile& file = *m_context.soundFile;
    const uint32_t position = Position();
    {
        // A failed re-map of the working copy raises a box: never under the lock.
        platform::DeferMessages deferMessages;
        std::lock_guard lock(m_context.sync->JobLock);
        if (uint64_t{position} + count > file.Frames()) {
            return 3;
        }
        int16_t* input = m_alignment.FreeSpace();
        const auto read = [&] {
            for (uint32_t i = 0; i < count; ++i) {
                input[i] = file.GetSample(m_channel, position + i, true);
            }
        };
        // A mapped working copy another program cut short raises SIGBUS:
        // the pass fails instead of the program.
        if (!file.IsMapped()) {
            read();
        } else if (!ReadMappedPages([&] { read(); })) {
            return 3;
        }
    }
    const uint32_t written = Written();
    if (m_alignment.Commit(count) != 0) {
        return 2;
    }
    return WriteOutputs(written) ? 0 : 3;
}

int ChannelPass::Flush() {
    const uint32_t written = Written();
    if (m_alignment.Finish() != 0) {
        return 2;
    }
    return WriteOutputs(written) ? 0 : 3;
}

bool ChannelPass::WriteOutputs(uint32_t from) {
    const std::span<const int16_t> output = m_alignment.Ready();
    const auto count = static_cast<uint32_t>(output.size());
    if (count == 0) {
        return true;
    }
    CSoundFile& file = *m_context.soundFile;
    platform::DeferMessages deferMessages;  // before the lock: released after it
    std::lock_guard lock(m_context.sync->JobLock);
    if (file.IsMapped()) {
        return ReadMappedPages([&] {
            for (uint32_t i = 0; i < count; ++i) {
                file.SetSample(m_channel, from + i, output[i]);
            }
        });
    }
    if (int16_t* samples = file.GetSampleBuffer()) {
        const uint32_t channels = file.ChannelCount();
        for (uint32_t i = 0; i < count; ++i) {
            samples[uint64_t{from + i} * channels + m_channel] = output[i];
        }
    }
    return true;
}
