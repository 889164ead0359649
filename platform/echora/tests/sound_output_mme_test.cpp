// The sound output heard through SDL's disk driver: whatever the callback
// produces is written to a file, in real time (sped up here), so the tests
// check what a listener would have heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "echora/SoundOutputMME.h"
#include "platform/MessageTarget.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace {

using namespace std::chrono_literals;
using testsupport::ScopedEnv;

constexpr uint32_t kEndMessage = 1025;
constexpr uint32_t kNextBlockMessage = 1026;
constexpr uint32_t kRate = 8000;
// Only a broken output makes a wait run out.
constexpr auto kPatience = 20s;

// Interleaved samples with no zero in them, so silence the output inserts
// can be told from the recording.
std::vector<int16_t> Ramp(uint32_t frames, uint32_t channels) {
    std::vector<int16_t> samples(size_t{frames} * channels);
    for (uint32_t f = 0; f < frames; ++f) {
        for (uint32_t c = 0; c < channels; ++c) {
            const int value = 1 + static_cast<int>((f * 7 + c * 5000) % 30000);
            samples[size_t{f} * channels + c] = static_cast<int16_t>(c == 0 ? value : -value);
        }
    }
    return samples;
}

// The disk driver's output with every silent frame left out.
std::vector<int16_t> HeardFrames(const std::string& path, uint32_t channels) {
    const std::vector<uint8_t> bytes = testsupport::ReadBytes(path);
    std::vector<int16_t> all(bytes.size() / sizeof(int16_t));
    std::memcpy(all.data(), bytes.data(), all.size() * sizeof(int16_t));
    std::vector<int16_t> heard;
    for (size_t at = 0; at + channels <= all.size(); at += channels) {
        const bool silent = std::all_of(all.begin() + static_cast<ptrdiff_t>(at),
                                        all.begin() + static_cast<ptrdiff_t>(at + channels),
                                        [](int16_t s) { return s == 0; });
        if (!silent) {
            heard.insert(heard.end(), all.begin() + static_cast<ptrdiff_t>(at),
                         all.begin() + static_cast<ptrdiff_t>(at + channels));
        }
    }
    return heard;
}

// The disk output without the silence before the first and after the last
// sound: the recording must appear here with nothing inserted.
std::vector<int16_t> HeardSpan(const std::string& path, uint32_t channels) {
    const std::vector<uint8_t> bytes = testsupport::ReadBytes(path);
    std::vector<int16_t> all(bytes.size() / sizeof(int16_t));
    std::memcpy(all.data(), bytes.data(), all.size() * sizeof(int16_t));
    auto firstSound = std::find_if(all.begin(), all.end(), [](int16_t s) { return s != 0; });
    auto lastSound = std::find_if(all.rbegin(), all.rend(), [](int16_t s) { return s != 0; });
    if (firstSound == all.end()) {
        return {};
    }
    const auto from = (firstSound - all.begin()) / channels * channels;
    const auto to = ((lastSound.base() - all.begin()) + channels - 1) / channels * channels;
    return std::vector<int16_t>(all.begin() + from, all.begin() + to);
}

class SoundOutputTest : public ::testing::Test {
protected:
    SoundOutputTest()
        : m_driver("SDL_AUDIODRIVER", "disk"),
          m_file("SDL_DISKAUDIOFILE", m_folder.File("heard.raw")),
          // A quarter of real time per buffer: fast, and still a device that
          // consumes at a steady pace.
          m_delay("SDL_DISKAUDIODELAY", "8") {}

    void Configure(CSoundOutputMME& output, uint32_t channels) {
        output.m_nSampleRate = kRate;
        output.m_nFormat = channels | (16u << 16);
        output.m_nLatencyMs = 32;
        output.m_pNotifyTarget = &m_messages;
        output.m_nNextBlockMessage = kNextBlockMessage;
        output.m_nEndMessage = kEndMessage;
    }

    // The next message of the current playback; older ones are dropped, as
    // the view drops them.
    std::optional<platform::Message> Next(CSoundOutputMME& output) {
        while (auto message = m_messages.Take(kPatience)) {
            if (message->wParam == output.Serial()) {
                return message;
            }
        }
        return std::nullopt;
    }

    std::string HeardPath() const { return m_folder.File("heard.raw"); }

    testsupport::TempFolder m_folder;
    ScopedEnv m_driver;
    ScopedEnv m_file;
    ScopedEnv m_delay;
    platform::MessageQueue m_messages;
};

TEST_F(SoundOutputTest, OneBlockIsHeardOnceThenTheEndIsReported) {
    const std::vector<int16_t> recording = Ramp(6000, 1);
    std::vector<uint32_t> received;
    {
        CSoundOutputMME output;
        Configure(output, 1);
        ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
        EXPECT_EQ(output.IsPlaying(), 0u);
        ASSERT_EQ(output.Play(recording.data(), 6000, 1), kEchoraOk);
        EXPECT_NE(output.IsPlaying(), 0u);
        while (auto message = Next(output)) {
            received.push_back(message->id);
            if (message->id == kEndMessage) {
                break;
            }
        }
        EXPECT_EQ(output.IsPlaying(), 0u);
        EXPECT_EQ(output.GetPos(), 6000u);
        output.Close();
    }
    // It asked once for more (nobody answered), then reported the end.
    EXPECT_EQ(received, (std::vector<uint32_t>{kNextBlockMessage, kEndMessage}));
    EXPECT_EQ(HeardSpan(HeardPath(), 1), recording);
}

// Hands the recording over in blocks as the view does in mapped mode: the
// first one, then one more on every request, the last one cut at the end.
// Returns the frame heard, as block start + position, at every message.
std::vector<int64_t> Stream(CSoundOutputMME& output, const std::vector<int16_t>& recording,
                            uint32_t channels, uint32_t blockFrames,
                            const std::function<std::optional<platform::Message>()>& next) {
    const uint32_t frames = static_cast<uint32_t>(recording.size() / channels);
    std::vector<int64_t> heardFrames;
    uint32_t blockStart = 0;
    // Each block its own allocation, freed once the output has moved on, so
    // that a read of a retired block shows under AddressSanitizer.
    std::vector<std::unique_ptr<int16_t[]>> alive;
    auto handOver = [&](uint32_t first, uint32_t isFirst) {
        const uint32_t count = std::min(blockFrames, frames - first);
        auto block = std::make_unique<int16_t[]>(size_t{count} * channels);
        std::copy_n(recording.begin() + static_cast<ptrdiff_t>(size_t{first} * channels),
                    size_t{count} * channels, block.get());
        EXPECT_EQ(output.Play(block.get(), count, isFirst), kEchoraOk);
        alive.push_back(std::move(block));
        if (alive.size() > 2) {
            alive.erase(alive.begin());
        }
    };
    handOver(0, 1);
    while (auto message = next()) {
        heardFrames.push_back(blockStart + static_cast<int32_t>(output.GetPos()));
        if (message->id == kEndMessage) {
            break;
        }
        if (blockStart + blockFrames < frames) {
            blockStart += blockFrames;
            handOver(blockStart, 0);
        }
    }
    return heardFrames;
}

TEST_F(SoundOutputTest, StreamedStereoBlocksFollowEachOtherWithoutAGap) {
    // Blocks shorter than the time the output asks ahead (a second each, to
    // spare a busy machine), and a last block of 1234 frames.
    constexpr uint32_t kBlock = 8000;
    const std::vector<int16_t> recording = Ramp(3 * kBlock + 1234, 2);
    std::vector<int64_t> heard;
    // In real time: the gaps this test looks for open when the caller is late.
    ScopedEnv realTime("SDL_DISKAUDIODELAY", std::nullopt);
    {
        CSoundOutputMME output;
        Configure(output, 2);
        ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
        heard = Stream(output, recording, 2, kBlock, [&] { return Next(output); });
        output.Close();
    }
    ASSERT_FALSE(heard.empty());
    EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end())) << "the heard frame went backwards";
    EXPECT_EQ(heard.back(), 3 * kBlock + 1234);
    EXPECT_EQ(HeardSpan(HeardPath(), 2), recording);
}

TEST_F(SoundOutputTest, PauseHoldsThePlaceAndContinueResumesThere) {
    const std::vector<int16_t> recording = Ramp(12000, 1);
    CSoundOutputMME output;
    Configure(output, 1);
    ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
    EXPECT_EQ(output.Pause(), kEchoraNotPlaying);  // nothing to pause yet
    ASSERT_EQ(output.Play(recording.data(), 12000, 1), kEchoraOk);
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(output.Pause(), kEchoraOk);
    EXPECT_EQ(output.IsPlaying(), 0u);
    const uint32_t pausedAt = output.GetPos();
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(output.GetPos(), pausedAt);
    EXPECT_GT(pausedAt, 0u);
    EXPECT_LT(pausedAt, 12000u);
    ASSERT_EQ(output.Continue(), kEchoraOk);
    EXPECT_NE(output.IsPlaying(), 0u);
    while (auto message = Next(output)) {
        if (message->id == kEndMessage) {
            break;
        }
    }
    output.Close();
    // Silence where it paused, and otherwise every frame once, in order.
    EXPECT_EQ(HeardFrames(HeardPath(), 1), recording);
    EXPECT_GT(HeardSpan(HeardPath(), 1).size(), recording.size());
}

TEST_F(SoundOutputTest, ResetStopsAtOnceAndNothingIsPostedAfterIt) {
    const uint32_t frames = 40000;
    auto recording = std::make_unique<std::vector<int16_t>>(Ramp(frames, 1));
    const std::vector<int16_t> expected = *recording;
    CSoundOutputMME output;
    Configure(output, 1);
    ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
    ASSERT_EQ(output.Play(recording->data(), frames, 1), kEchoraOk);
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(output.Reset(), kEchoraOk);
    EXPECT_EQ(output.IsPlaying(), 0u);
    // The output has let go of the samples: freeing them now is safe.
    recording.reset();
    while (m_messages.TryTake()) {
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(m_messages.Size(), 0u);
    EXPECT_EQ(output.Continue(), kEchoraNotPlaying);  // a reset output has nothing to resume
    output.Close();
    const std::vector<int16_t> heard = HeardFrames(HeardPath(), 1);
    ASSERT_FALSE(heard.empty());
    EXPECT_LT(heard.size(), expected.size());
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), expected.begin()));
}

TEST_F(SoundOutputTest, EmptyFirstBlockEndsAtOnce) {
    const int16_t sample = 5;
    CSoundOutputMME output;
    Configure(output, 1);
    ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
    ASSERT_EQ(output.Play(&sample, 0, 1), kEchoraOk);
    EXPECT_EQ(output.IsPlaying(), 0u);
    auto message = Next(output);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, kEndMessage);
}

TEST_F(SoundOutputTest, OpeningAgainStopsThePlaybackAndStartsIdle) {
    const std::vector<int16_t> recording = Ramp(40000, 1);
    CSoundOutputMME output;
    Configure(output, 1);
    ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
    ASSERT_EQ(output.Play(recording.data(), 40000, 1), kEchoraOk);
    ASSERT_EQ(output.Pause(), kEchoraOk);
    ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
    EXPECT_EQ(output.IsPlaying(), 0u);
    EXPECT_EQ(output.Continue(), kEchoraNotPlaying);
    ASSERT_EQ(output.Play(recording.data(), 100, 1), kEchoraOk);
    auto message = Next(output);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->id, kNextBlockMessage);
}

TEST_F(SoundOutputTest, TheDeviceStaysOpenUntilTheFormatChanges) {
    const std::vector<int16_t> recording = Ramp(4000, 1);
    CSoundOutputMME output;
    Configure(output, 1);
    for (int play = 0; play < 3; ++play) {
        ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
        ASSERT_EQ(output.Play(recording.data(), 400, 1), kEchoraOk);
        auto message = Next(output);
        ASSERT_TRUE(message);
    }
    EXPECT_EQ(output.OpenCount(), 1u);
    // Another target and messages are taken without reopening.
    platform::MessageQueue other;
    output.m_pNotifyTarget = &other;
    ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
    ASSERT_EQ(output.Play(recording.data(), 100, 1), kEchoraOk);
    EXPECT_TRUE(other.Take(kPatience).has_value());
    EXPECT_EQ(output.OpenCount(), 1u);
    // Another rate or channel count opens the device anew.
    Configure(output, 2);
    ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
    EXPECT_EQ(output.OpenCount(), 2u);
    output.m_nSampleRate = kRate / 2;
    ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
    EXPECT_EQ(output.OpenCount(), 3u);
}

TEST_F(SoundOutputTest, RefusesWhatItCannotPlay) {
    const int16_t sample = 5;
    CSoundOutputMME output;
    Configure(output, 1);
    EXPECT_EQ(output.Play(&sample, 1, 1), kEchoraNotOpen);
    output.m_nFormat = 1 | (8u << 16);
    EXPECT_EQ(output.Open(0, 0, 0), kEchoraBadFormat);
    output.m_nFormat = 0 | (16u << 16);
    EXPECT_EQ(output.Open(0, 0, 0), kEchoraBadFormat);
    Configure(output, 1);
    output.m_nSampleRate = 0;
    EXPECT_EQ(output.Open(0, 0, 0), kEchoraBadFormat);
    Configure(output, 1);
    ASSERT_EQ(output.Open(0, 0, 0), kEchoraOk);
    EXPECT_EQ(output.Play(nullptr, 10, 1), kEchoraBadBlock);
    EXPECT_EQ(output.IsPlaying(), 0u);
    EXPECT_EQ(m_messages.Size(), 0u);
}

TEST(SoundOutputWithoutDevice, OpenFailsAndEveryCallIsHarmless) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    platform::MessageQueue messages;
    const std::vector<int16_t> recording = Ramp(100, 1);
    CSoundOutputMME output;
    output.m_nSampleRate = kRate;
    output.m_nFormat = 1 | (16u << 16);
    output.m_pNotifyTarget = &messages;
    output.m_nNextBlockMessage = kNextBlockMessage;
    output.m_nEndMessage = kEndMessage;
    EXPECT_EQ(output.Open(0, 0, 0), kEchoraNoDevice);
    EXPECT_EQ(output.Play(recording.data(), 100, 1), kEchoraNotOpen);
    EXPECT_EQ(output.Pause(), kEchoraNotOpen);
    EXPECT_EQ(output.Continue(), kEchoraNotOpen);
    EXPECT_EQ(output.Reset(), kEchoraOk);
    EXPECT_EQ(output.IsPlaying(), 0u);
    EXPECT_EQ(output.GetPos(), 0u);
    EXPECT_EQ(output.Close(), kEchoraOk);
    EXPECT_EQ(messages.Size(), 0u);
}

}  // namespace
