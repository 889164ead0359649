#include "pipeline/CleaningStream.h"

#include <algorithm>
#include <cstring>

ChannelStage::ChannelStage(EnginePtr engine)
    : m_engine(std::move(engine)), m_alignment(*m_engine, m_buffers->input, m_buffers->output) {}

int ChannelStage::Push(const int16_t* samples, uint32_t count, std::vector<int16_t>& out) {
    while (count > 0) {
        const uint32_t take = std::min(count, m_alignment.FreeSamples());
        std::memcpy(m_alignment.FreeSpace(), samples, take * sizeof(int16_t));
        samples += take;
        count -= take;
        if (const int code = m_alignment.Commit(take); code != 0) {
            return code;
        }
        const std::span<const int16_t> ready = m_alignment.Ready();
        out.insert(out.end(), ready.begin(), ready.end());
    }
    return 0;
}

int ChannelStage::Finish(std::vector<int16_t>& out) {
    if (const int code = m_alignment.Finish(); code != 0) {
        return code;
    }
    const std::span<const int16_t> ready = m_alignment.Ready();
    out.insert(out.end(), ready.begin(), ready.end());
    return 0;
}

bool CleaningStream::Init(const CleaningSettings& settings, uint32_t sampleRate, uint32_t channels,
                          int passes, const std::function<IVelquor*()>& create) {
    m_channels = channels;
    m_stages.clear();
    m_stages.resize(channels);
    m_cleaned.assign(channels, {});
    for (uint32_t c = 0; c < channels; ++c) {
        m_stages[c].reserve(static_cast<size_t>(std::max(passes, 1)));
        for (int p = 0; p < passes; ++p) {
            EnginePtr engine = MakeCleaningEngine(create, settings, sampleRate);
            if (!engine) {
                return false;
            }
            m_stages[c].emplace_back(std::move(engine));
        }
        m_cleaned[c].reserve(kMaxBlockFrames + kVelquorMaxSamplesPerCall);
    }
    m_in.reserve(kMaxBlockFrames + kVelquorMaxSamplesPerCall);
    m_out.reserve(kMaxBlockFrames + kVelquorMaxSamplesPerCall);
    return channels > 0;
}

int CleaningStream::Push(const int16_t* interleaved, uint32_t frames, std::vector<int16_t>& out) {
    return Run(interleaved, std::min(frames, kMaxBlockFrames), false, out);
}

int CleaningStream::Finish(std::vector<int16_t>& out) {
    return Run(nullptr, 0, true, out);
}

int CleaningStream::Run(const int16_t* interleaved, uint32_t frames, bool finish,
                        std::vector<int16_t>& out) {
    out.clear();
    for (uint32_t c = 0; c < m_channels; ++c) {
        // A mono block goes to the first pass as it is; a channel of a
        // stereo one is gathered first.
        const int16_t* samples = interleaved;
        if (m_channels > 1) {
            m_in.resize(frames);
            for (uint32_t i = 0; i < frames; ++i) {
                m_in[i] = interleaved[uint64_t{i} * m_channels + c];
            }
            samples = m_in.data();
        }
        uint32_t count = frames;
        // Each pass takes what the pass before it let out, then (at the end)
        // its own remainder comes out behind that.
        for (ChannelStage& stage : m_stages[c]) {
            m_out.clear();
            int code = stage.Push(samples, count, m_out);
            if (code == 0 && finish) {
                code = stage.Finish(m_out);
            }
            if (code != 0) {
                return code;
            }
            m_in.swap(m_out);
            samples = m_in.data();
            count = static_cast<uint32_t>(m_in.size());
        }
        if (m_stages[c].empty()) {
            m_in.assign(samples, samples + count);
        }
        m_cleaned[c].swap(m_in);
    }
    // Every channel has taken the same samples, so as many have come out.
    const size_t ready = m_cleaned.empty() ? 0 : m_cleaned[0].size();
    if (ready == 0) {
        return 0;
    }
    if (m_channels == 1) {
        out.swap(m_cleaned[0]);  // no copy: the buffers change hands
        return 0;
    }
    out.resize(ready * m_channels);
    for (uint32_t c = 0; c < m_channels; ++c) {
        const int16_t* cleaned = m_cleaned[c].data();
        int16_t* to = out.data() + c;
        for (size_t i = 0; i < ready; ++i) {
            to[i * m_channels] = cleaned[i];
        }
    }
    return 0;
}
