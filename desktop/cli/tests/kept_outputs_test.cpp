// The recordings hushdesk-clean took before it read every format (WAV, WAVEX
// and big-endian RIFX; 16-bit PCM, A-law, mu-law; 8 or 16 kHz; mono or stereo)
// clean to exactly the bytes they always did: those of libsndfile's 16-bit
// read, the cleaning stream, and libsndfile's 16-bit write in the source's
// format, done here directly. (The engine's own numbers depend on the build
// and processor; its tests pin them.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "CleanRecording.h"
#include "PipelineTestSupport.h"
#include "cli_test_support.h"
#include "pipeline/CleaningStream.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace clitest {
namespace {

// hushdesk-clean's way with these recordings, as it always was.
std::vector<uint8_t> CleanDirectly(const std::string& in, const std::string& out,
                                   const CleaningSettings& settings, int passes) {
    SF_INFO info{};
    SNDFILE* source = sf_open(in.c_str(), SFM_READ, &info);
    EXPECT_NE(source, nullptr);
    if (source == nullptr) {
        return {};
    }
    std::vector<int16_t> samples(size_t(info.frames) * info.channels);
    EXPECT_EQ(sf_readf_short(source, samples.data(), info.frames), info.frames);
    sf_close(source);
    CleaningStream stream;
    EXPECT_TRUE(stream.Init(settings, uint32_t(info.samplerate), uint32_t(info.channels), passes));
    std::vector<int16_t> cleaned;
    std::vector<int16_t> part;
    for (sf_count_t first = 0; first < info.frames; first += CleaningStream::kMaxBlockFrames) {
        const auto count =
            uint32_t(std::min<sf_count_t>(CleaningStream::kMaxBlockFrames, info.frames - first));
        EXPECT_EQ(stream.Push(samples.data() + first * info.channels, count, part), 0);
        cleaned.insert(cleaned.end(), part.begin(), part.end());
    }
    EXPECT_EQ(stream.Finish(part), 0);
    cleaned.insert(cleaned.end(), part.begin(), part.end());
    SF_INFO layout{};
    layout.format = info.format;
    layout.samplerate = info.samplerate;
    layout.channels = info.channels;
    SNDFILE* target = sf_open(out.c_str(), SFM_WRITE, &layout);
    EXPECT_NE(target, nullptr);
    if (target == nullptr) {
        return {};
    }
    const auto frames = sf_count_t(cleaned.size() / size_t(info.channels));
    EXPECT_EQ(sf_writef_short(target, cleaned.data(), frames), frames);
    sf_close(target);
    return testsupport::ReadBytes(out);
}

// Speech-like: a tone switched on and off over steady noise, so that the
// engine learns the noise and suppresses it between the bursts.
std::vector<int16_t> Recording(int rate, int channels, uint32_t seed) {
    const auto frames = static_cast<uint32_t>(rate * 0.9) + seed;
    std::vector<std::vector<int16_t>> parts;
    for (int c = 0; c < channels; ++c) {
        const std::vector<int16_t> noise = testsupport::Noise(frames, seed + c, 400);
        const std::vector<int16_t> tone =
            testsupport::Tone(frames, 310.0 * (c + 1), rate, 5000.0, 0.3 * c);
        std::vector<int16_t> sum(frames);
        for (uint32_t i = 0; i < frames; ++i) {
            const bool on = (i / (rate / 5)) % 2 == 1;
            sum[i] = static_cast<int16_t>(noise[i] + (on ? tone[i] : 0));
        }
        parts.push_back(std::move(sum));
    }
    return channels == 1 ? parts[0] : testsupport::Interleave(parts[0], parts[1]);
}

struct Case {
    int format;
    int rate;
    int channels;
    int passes;
    CleaningSettings settings;
};

CleaningSettings Settings(uint32_t buffSize, uint32_t gainMaxDb, bool tone, bool spectrum,
                          bool whiteNoise, bool speech, bool noiseCancel = true) {
    CleaningSettings s;
    s.buffSize = buffSize;
    s.gainMaxDb = gainMaxDb;
    s.tone = tone;
    s.spectrum = spectrum;
    s.whiteNoise = whiteNoise;
    s.speechMode = speech;
    s.noiseCancel = noiseCancel;
    return s;
}

TEST(KeptOutputs, EveryRecordingAcceptedBeforeCleansToTheSameBytes) {
    constexpr int kPcm = SF_FORMAT_PCM_16;
    constexpr int kRifx = SF_FORMAT_WAV | SF_ENDIAN_BIG;
    const CleaningSettings standard;
    const Case cases[] = {
        {SF_FORMAT_WAV | kPcm, 8000, 1, 1, standard},
        {SF_FORMAT_WAV | kPcm, 16000, 1, 1, standard},
        {SF_FORMAT_WAV | kPcm, 8000, 2, 1, standard},
        {SF_FORMAT_WAV | kPcm, 16000, 2, 1, standard},
        {SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000, 1, 1, standard},
        {SF_FORMAT_WAV | SF_FORMAT_ALAW, 16000, 2, 1, standard},
        {SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 2, 1, standard},
        {SF_FORMAT_WAV | SF_FORMAT_ULAW, 16000, 1, 1, standard},
        {SF_FORMAT_WAVEX | kPcm, 16000, 2, 1, standard},
        {SF_FORMAT_WAVEX | SF_FORMAT_ALAW, 8000, 1, 1, standard},
        {SF_FORMAT_WAVEX | SF_FORMAT_ULAW, 16000, 2, 1, standard},
        {kRifx | kPcm, 16000, 1, 1, standard},
        {kRifx | kPcm, 8000, 2, 1, standard},
        {SF_FORMAT_WAV | kPcm, 16000, 1, 3, standard},
        {SF_FORMAT_WAV | kPcm, 8000, 2, 2, Settings(384, 12, true, true, false, false)},
        {SF_FORMAT_WAV | kPcm, 16000, 2, 1, Settings(128, 6, false, true, true, true)},
        {SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 1, 1, Settings(1024, 0, true, false, true, true)},
        {SF_FORMAT_WAV | kPcm, 16000, 1, 1, Settings(640, 18, false, false, true, false, false)},
    };
    testsupport::TempFolder folder;
    testsupport::ScopedEnv registry("KESTROVA_REGISTRY_DIR", folder.Path());
    uint32_t seed = 1;
    for (const Case& c : cases) {
        const std::string in = folder.File("in.wav");
        const std::string out = folder.File("out.wav");
        ASSERT_TRUE(testsupport::WriteWav(in, c.format, c.rate, c.channels,
                                          Recording(c.rate, c.channels, seed++)));
        CleanRequest request;
        request.input = in;
        request.output = out;
        request.settings = c.settings;
        request.passes = c.passes;
        const CleanResult result = CleanRecording(request, CleanHooks{});
        ASSERT_EQ(result.status, ExitStatus::Ok) << result.message;
        const std::vector<uint8_t> bytes = testsupport::ReadBytes(out);
        const std::vector<uint8_t> expected =
            CleanDirectly(in, folder.File("direct.wav"), c.settings, c.passes);
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(bytes == expected)
            << std::hex << c.format << std::dec << ", " << c.rate << " Hz, " << c.channels
            << " channel(s), " << c.passes << " pass(es), " << bytes.size() << " bytes";
        fs::remove(in);
        fs::remove(out);
    }
}

}  // namespace
}  // namespace clitest
