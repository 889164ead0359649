// The recordings hushdesk-clean took before it read every format (WAV, WAVEX
// and big-endian RIFX; 16-bit PCM, A-law, mu-law; 8 or 16 kHz; mono or stereo)
// clean to exactly the bytes they always did. The digests were recorded with
// the build before the reader learnt other formats and rates; a change here
// changes files users already rely on.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "CleanRecording.h"
#include "PipelineTestSupport.h"
#include "cli_test_support.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace clitest {
namespace {

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (const uint8_t b : bytes) {
        hash = (hash ^ b) * 1099511628211ull;
    }
    return hash;
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
    uint64_t digest;
};

CleaningSettings Settings(uint32_t buffSize, uint32_t gainMaxDb, bool tone, bool spectrum,
                          bool whiteNoise, bool tracking, bool noiseCancel = true) {
    CleaningSettings s;
    s.buffSize = buffSize;
    s.gainMaxDb = gainMaxDb;
    s.tone = tone;
    s.spectrum = spectrum;
    s.whiteNoise = whiteNoise;
    s.trackingNoise = tracking;
    s.noiseCancel = noiseCancel;
    return s;
}

TEST(KeptOutputs, EveryRecordingAcceptedBeforeCleansToTheSameBytes) {
    constexpr int kPcm = SF_FORMAT_PCM_16;
    constexpr int kRifx = SF_FORMAT_WAV | SF_ENDIAN_BIG;
    const CleaningSettings standard;
    const Case cases[] = {
        {SF_FORMAT_WAV | kPcm, 8000, 1, 1, standard, 0x3e469abe604925eaull},
        {SF_FORMAT_WAV | kPcm, 16000, 1, 1, standard, 0x85f37886b8385876ull},
        {SF_FORMAT_WAV | kPcm, 8000, 2, 1, standard, 0x516a475238ba266bull},
        {SF_FORMAT_WAV | kPcm, 16000, 2, 1, standard, 0x4164ca88a3f6d683ull},
        {SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000, 1, 1, standard, 0x5f694e3d1380c410ull},
        {SF_FORMAT_WAV | SF_FORMAT_ALAW, 16000, 2, 1, standard, 0xe709771499001606ull},
        {SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 2, 1, standard, 0x0d6bc95487e81597ull},
        {SF_FORMAT_WAV | SF_FORMAT_ULAW, 16000, 1, 1, standard, 0xe8797002deb4051aull},
        {SF_FORMAT_WAVEX | kPcm, 16000, 2, 1, standard, 0x850f02fdef1e1cd6ull},
        {SF_FORMAT_WAVEX | SF_FORMAT_ALAW, 8000, 1, 1, standard, 0x649e36617b0c4e90ull},
        {SF_FORMAT_WAVEX | SF_FORMAT_ULAW, 16000, 2, 1, standard, 0x7af45c7067c8c874ull},
        {kRifx | kPcm, 16000, 1, 1, standard, 0xc062ab4d013d6de3ull},
        {kRifx | kPcm, 8000, 2, 1, standard, 0x7416e33e82441473ull},
        {SF_FORMAT_WAV | kPcm, 16000, 1, 3, standard, 0x7ebbd0982011c265ull},
        {SF_FORMAT_WAV | kPcm, 8000, 2, 2, Settings(384, 12, true, true, false, false),
         0xe86075bc261083c6ull},
        {SF_FORMAT_WAV | kPcm, 16000, 2, 1, Settings(128, 6, false, true, true, true),
         0x767e9225a1702883ull},
        {SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 1, 1, Settings(1024, 0, true, false, true, true),
         0x191a7b4a948ded9dull},
        {SF_FORMAT_WAV | kPcm, 16000, 1, 1, Settings(640, 18, false, false, true, false, false),
         0xe657dd6314df73c7ull},
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
        EXPECT_EQ(Fnv1a(bytes), c.digest)
            << std::hex << c.format << std::dec << ", " << c.rate << " Hz, " << c.channels
            << " channel(s), " << c.passes << " pass(es), " << bytes.size() << " bytes";
        fs::remove(in);
        fs::remove(out);
    }
}

}  // namespace
}  // namespace clitest
