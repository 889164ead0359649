#include "echora/SoundOutputMME.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/MessageTarget.h"

namespace {

constexpr uint32_t kDefaultLatencyMs = 32;
constexpr uint32_t kBitsPerSample = 16;
constexpr uint32_t kMaxChannels = 8;

// The next block is asked for while two seconds of the current one are left,
// so that the caller has time to read and hand it over before the device runs
// dry, even when its thread is busy for a while.
constexpr uint32_t kLowWaterSeconds = 2;

struct Block {
    const int16_t* samples = nullptr;
    uint32_t frames = 0;
};

uint16_t DeviceBufferFrames(uint32_t rate, uint32_t latencyMs) {
    const uint64_t wanted =
        uint64_t{rate} * (latencyMs == 0 ? kDefaultLatencyMs : latencyMs) / 1000;
    uint32_t frames = 64;
    while (frames < wanted && frames < 16384) {
        frames *= 2;
    }
    return static_cast<uint16_t>(frames);
}

}  // namespace

// Everything the audio callback touches; guarded by the device lock
// (SDL_LockAudioDevice), under which SDL runs the callback.
struct SoundOutputState {
    SDL_AudioDeviceID device = 0;
    bool audioInitialised = false;
    uint32_t channels = 0;
    uint32_t lowWaterFrames = 0;
    platform::MessageTarget* target = nullptr;
    uint32_t nextBlockMessage = 0;
    uint32_t endMessage = 0;
    uint32_t openRate = 0;  // what the open device was opened for
    uint32_t openFormat = 0;
    uint32_t openLatencyMs = 0;

    Block current;          // the block being heard
    Block queued;           // handed over to follow it
    uint32_t consumed = 0;  // frames of `current` given to the device
    bool playing = false;   // blocks handed over and not all played yet
    bool paused = false;
    bool askedForNext = false;
    bool draining = false;  // the last frames are in the device's buffer
    uint32_t serial = 0;

    void Post(uint32_t message) {
        if (target != nullptr && message != 0) {
            target->Post(message, serial, 0);
        }
    }

    void Fill(uint8_t* stream, int length);
    void Forget() {
        current = {};
        queued = {};
        consumed = 0;
        playing = false;
        paused = false;
        askedForNext = false;
        draining = false;
    }
};

namespace {

void AudioCallback(void* userData, uint8_t* stream, int length) {
    static_cast<SoundOutputState*>(userData)->Fill(stream, length);
}

}  // namespace

void SoundOutputState::Fill(uint8_t* stream, int length) {
    const size_t frameBytes = channels * sizeof(int16_t);
    const size_t wantedFrames = static_cast<size_t>(length) / frameBytes;
    size_t written = 0;
    if (playing && !paused && draining) {
        // The position stays at the end of the last block.
        playing = false;
        draining = false;
        Post(endMessage);
    } else if (playing && !paused) {
        while (written < wantedFrames) {
            if (consumed >= current.frames) {
                if (queued.samples == nullptr) {
                    break;
                }
                current = queued;
                queued = {};
                consumed = 0;
                askedForNext = false;
                continue;
            }
            const size_t take = std::min<size_t>(wantedFrames - written, current.frames - consumed);
            std::memcpy(stream + written * frameBytes,
                        current.samples + size_t{consumed} * channels, take * frameBytes);
            written += take;
            consumed += static_cast<uint32_t>(take);
        }
        if (!askedForNext && queued.samples == nullptr &&
            current.frames - consumed <= lowWaterFrames) {
            askedForNext = true;
            Post(nextBlockMessage);
        }
        if (consumed >= current.frames && queued.samples == nullptr) {
            // Played out: the device still holds what was just written, so
            // the end is reported with the next buffer.
            draining = true;
        }
    }
    std::memset(stream + written * frameBytes, 0,
                static_cast<size_t>(length) - written * frameBytes);
}

CSoundOutputMME::CSoundOutputMME() : m_pState(new SoundOutputState) {}

CSoundOutputMME::~CSoundOutputMME() {
    Close();
    delete m_pState;
}

uint32_t CSoundOutputMME::Open(uint32_t, uint32_t, uint32_t) {
    SoundOutputState& state = *m_pState;
    if (state.device != 0 && state.openRate == m_nSampleRate && state.openFormat == m_nFormat &&
        state.openLatencyMs == m_nLatencyMs) {
        // The same format: the open device serves again. Opening one takes
        // long enough to be felt on the interface thread at every Play.
        Reset();
        SDL_LockAudioDevice(state.device);
        state.target = m_pNotifyTarget;
        state.nextBlockMessage = m_nNextBlockMessage;
        state.endMessage = m_nEndMessage;
        SDL_UnlockAudioDevice(state.device);
        return kEchoraOk;
    }
    Close();
    const uint32_t channels = m_nFormat & 0xFFFF;
    const uint32_t bits = m_nFormat >> 16;
    if (m_nSampleRate == 0 || channels == 0 || channels > kMaxChannels || bits != kBitsPerSample) {
        return kEchoraBadFormat;
    }
    // SDL would take SIGTERM and SIGINT for a quit event nobody reads: the
    // program could no longer be ended by kill, Ctrl-C or a logout.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return kEchoraNoDevice;
    }
    m_pState->audioInitialised = true;
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(m_nSampleRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<uint8_t>(channels);
    wanted.samples = DeviceBufferFrames(m_nSampleRate, m_nLatencyMs);
    wanted.callback = AudioCallback;
    wanted.userdata = m_pState;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts whatever the device wants.
    m_pState->device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_pState->device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_pState->audioInitialised = false;
        return kEchoraNoDevice;
    }
    m_pState->channels = channels;
    m_pState->lowWaterFrames =
        std::max<uint32_t>(m_nSampleRate * kLowWaterSeconds, 2u * obtained.samples);
    m_pState->target = m_pNotifyTarget;
    m_pState->nextBlockMessage = m_nNextBlockMessage;
    m_pState->endMessage = m_nEndMessage;
    m_pState->openRate = m_nSampleRate;
    m_pState->openFormat = m_nFormat;
    m_pState->openLatencyMs = m_nLatencyMs;
    ++m_nOpenCount;
    return kEchoraOk;
}

uint32_t CSoundOutputMME::Play(const int16_t* samples, uint32_t frames, uint32_t first) {
    SoundOutputState& state = *m_pState;
    if (state.device == 0) {
        return kEchoraNotOpen;
    }
    if (samples == nullptr && frames > 0) {
        return kEchoraBadBlock;
    }
    uint32_t result = kEchoraOk;
    SDL_LockAudioDevice(state.device);
    if (first != 0) {
        state.Forget();
        ++state.serial;
        state.current = {samples, frames};
        state.playing = frames > 0;
        if (frames == 0) {
            state.Post(state.endMessage);
        }
    } else if (frames == 0) {
        // Nothing to queue.
    } else if (!state.playing || state.draining) {
        // The output ran dry before this block came: it starts it afresh.
        const bool paused = state.paused;
        state.Forget();
        state.paused = paused;
        state.current = {samples, frames};
        state.playing = true;
    } else if (state.queued.samples == nullptr) {
        state.queued = {samples, frames};
    } else {
        result = kEchoraBadBlock;
    }
    const bool run = state.playing && !state.paused;
    SDL_UnlockAudioDevice(state.device);
    if (run) {
        SDL_PauseAudioDevice(state.device, 0);
    }
    return result;
}

uint32_t CSoundOutputMME::Pause() {
    SoundOutputState& state = *m_pState;
    if (state.device == 0) {
        return kEchoraNotOpen;
    }
    SDL_LockAudioDevice(state.device);
    const bool act = state.playing && !state.paused;
    state.paused = state.paused || act;
    SDL_UnlockAudioDevice(state.device);
    if (!act) {
        return kEchoraNotPlaying;
    }
    SDL_PauseAudioDevice(state.device, 1);
    return kEchoraOk;
}

uint32_t CSoundOutputMME::Continue() {
    SoundOutputState& state = *m_pState;
    if (state.device == 0) {
        return kEchoraNotOpen;
    }
    SDL_LockAudioDevice(state.device);
    const bool act = state.playing && state.paused;
    state.paused = false;
    SDL_UnlockAudioDevice(state.device);
    if (!act) {
        return kEchoraNotPlaying;
    }
    SDL_PauseAudioDevice(state.device, 0);
    return kEchoraOk;
}

uint32_t CSoundOutputMME::Reset() {
    SoundOutputState& state = *m_pState;
    if (state.device == 0) {
        return kEchoraOk;
    }
    // Under the device lock the callback is not running; once the blocks are
    // forgotten it cannot reach them again, even if it runs once more.
    SDL_LockAudioDevice(state.device);
    state.Forget();
    ++state.serial;
    SDL_UnlockAudioDevice(state.device);
    SDL_PauseAudioDevice(state.device, 1);
    return kEchoraOk;
}

uint32_t CSoundOutputMME::Close() {
    SoundOutputState& state = *m_pState;
    Reset();
    if (state.device != 0) {
        SDL_CloseAudioDevice(state.device);  // joins the audio thread
        state.device = 0;
    }
    if (state.audioInitialised) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        state.audioInitialised = false;
    }
    return kEchoraOk;
}

uint32_t CSoundOutputMME::IsPlaying() {
    SoundOutputState& state = *m_pState;
    if (state.device == 0) {
        return 0;
    }
    SDL_LockAudioDevice(state.device);
    const bool playing = state.playing && !state.paused;
    SDL_UnlockAudioDevice(state.device);
    return playing ? 1 : 0;
}

uint32_t CSoundOutputMME::GetPos() {
    SoundOutputState& state = *m_pState;
    if (state.device == 0) {
        return 0;
    }
    SDL_LockAudioDevice(state.device);
    uint32_t position = state.consumed;
    if (state.queued.samples != nullptr) {
        position = 0u - (state.current.frames - state.consumed);
    }
    SDL_UnlockAudioDevice(state.device);
    return position;
}

uint32_t CSoundOutputMME::OpenCount() const {
    return m_nOpenCount;
}

uint32_t CSoundOutputMME::Serial() {
    SoundOutputState& state = *m_pState;
    if (state.device == 0) {
        return state.serial;
    }
    SDL_LockAudioDevice(state.device);
    const uint32_t serial = state.serial;
    SDL_UnlockAudioDevice(state.device);
    return serial;
}
