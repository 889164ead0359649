// Block playback of 16-bit interleaved PCM through the SDL2 audio device.
//
// The caller writes the public fields, calls Open(0, 0, 0) and hands over
// blocks with Play; the samples are never copied and must stay alive until the
// output has left them (the next-block message for a later block, Reset or
// Close). The output reports back only by posting two messages to
// `m_pNotifyTarget` from the audio thread:
//   m_nNextBlockMessage (1026): the block being heard is about to run out and
//       nothing follows it yet; hand over the next one with Play(..., 0).
//   m_nEndMessage (1025): everything handed over has been played.
// Both carry the playback serial in wParam, so that messages of a playback
// that has since been reset can be told apart. Nothing is posted after Reset.
// Every call comes from one thread (the user-interface thread).
#pragma once

#include <cstdint>

#define ECHORA_EXPORT __attribute__((visibility("default")))

namespace platform {
class MessageTarget;
}
struct SoundOutputState;

// Results of the operations (all of them return one).
inline constexpr uint32_t kEchoraOk = 0;
inline constexpr uint32_t kEchoraNoDevice = 1;    // no audio device could be opened
inline constexpr uint32_t kEchoraBadFormat = 2;   // fields describe nothing playable
inline constexpr uint32_t kEchoraNotOpen = 3;     // Play without a successful Open
inline constexpr uint32_t kEchoraBadBlock = 4;    // null buffer, or a block already waiting
inline constexpr uint32_t kEchoraNotPlaying = 5;  // Pause/Continue with nothing to act on

class ECHORA_EXPORT CSoundOutputMME {
public:
    CSoundOutputMME();
    // Closes the output.
    ~CSoundOutputMME();
    CSoundOutputMME(const CSoundOutputMME&) = delete;
    CSoundOutputMME& operator=(const CSoundOutputMME&) = delete;

private:
    uint32_t m_nOpenCount = 0;  // the component's own field, ahead of the caller's

public:
    // Written by the caller before every Open, in this order.
    uint32_t m_nSampleRate = 0;  // Hz
    uint32_t m_nFormat = 0;      // channels in the low 16 bits, bits per sample (16) above
    uint32_t m_nLatencyMs = 0;   // length of one device buffer in ms (0: 32 ms)
    platform::MessageTarget* m_pNotifyTarget = nullptr;
    uint32_t m_nNextBlockMessage = 0;
    uint32_t m_nEndMessage = 0;
    uint32_t m_nReserved[4] = {0, 0, 0, 0};
    uint32_t m_nFlags = 0;

    // Opens the device for the fields above. An open device for the same
    // rate, format and latency is kept (reset, with the new target and
    // messages); one for another is closed first. The output starts idle. The
    // three arguments are unused (pass 0).
    uint32_t Open(uint32_t, uint32_t, uint32_t);
    // first = 1: starts a new playback with this block (anything still queued
    // is dropped). first = 0: queues the block to follow the one being heard
    // seamlessly (or starts it when the output ran dry). A first block of 0
    // frames ends at once: the end message is posted and IsPlaying is 0.
    uint32_t Play(const int16_t* samples, uint32_t frames, uint32_t first);
    // Halts the output where it is; Continue resumes at the same frame.
    uint32_t Pause();
    uint32_t Continue();
    // Stops at once and forgets every block. When it returns the audio thread
    // no longer reads any block handed over, and nothing more is posted for
    // the playback.
    uint32_t Reset();
    // Reset, then releases the device.
    uint32_t Close();
    // Non-zero while sound is playing (0 while paused, idle or closed).
    uint32_t IsPlaying();
    // Frames played since the start of the block most recently handed to
    // Play. Right after a follow-on block has been handed over the output is
    // still in the previous block: the value is then the frames still to go
    // there, negated (two's complement), so that block start + (int32_t)pos
    // stays the frame being heard.
    uint32_t GetPos();

    // Playback serial carried in wParam of the two messages.
    uint32_t Serial();
    // Devices opened since construction.
    uint32_t OpenCount() const;

private:
    SoundOutputState* m_pState;
};
