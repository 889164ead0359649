// The streaming path and the desktop program's jobs clean every recording to
// the same bytes: every format, rate, channel count, BuffSize, pass count and
// noise estimate.
#include <gtest/gtest.h>

#include <string>

#include "CleanRecording.h"
#include "cli_test_support.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace clitest {
namespace {

CleanResult Clean(const std::string& in, const std::string& out, const CleaningSettings& settings,
                  int passes, bool viaJobs) {
    CleanRequest request;
    request.input = in;
    request.output = out;
    request.settings = settings;
    request.passes = passes;
    request.viaJobs = viaJobs;
    return CleanRecording(request, CleanHooks{});
}

TEST(StreamMatchesJobs, EveryFormatRateChannelCountBuffSizeAndPassCount) {
    testsupport::TempFolder folder;
    testsupport::ScopedEnv registry("KESTROVA_REGISTRY_DIR", folder.Path());
    const int formats[] = {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAV | SF_FORMAT_ALAW,
                           SF_FORMAT_WAV | SF_FORMAT_ULAW, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16};
    int run = 0;
    for (const int format : formats) {
        for (const int rate : {8000, 16000}) {
            for (const int channels : {1, 2}) {
                // Lengths that are no whole number of engine blocks or chunks.
                const Wav wav = MakeNoisyTone(format, rate, channels, 0.83 + 0.01 * run);
                const std::string in = folder.File("in.wav");
                WriteWav(in, wav);
                for (const uint32_t buffSize : {128u, 640u, 1024u}) {
                    for (const int passes : {1, 3}) {
                        CleaningSettings settings;
                        settings.buffSize = buffSize;
                        settings.tone = run % 2 == 1;
                        settings.spectrum = run % 3 == 0;
                        settings.gainMaxDb = run % 4 == 0 ? 12 : 18;
                        settings.speechMode = run % 5 < 2;
                        ++run;
                        const std::string streamed = folder.File("streamed.wav");
                        const std::string jobs = folder.File("jobs.wav");
                        ASSERT_EQ(Clean(in, streamed, settings, passes, false).status,
                                  ExitStatus::Ok);
                        ASSERT_EQ(Clean(in, jobs, settings, passes, true).status, ExitStatus::Ok);
                        const auto a = testsupport::ReadBytes(streamed);
                        const auto b = testsupport::ReadBytes(jobs);
                        ASSERT_FALSE(a.empty());
                        EXPECT_TRUE(a == b)
                            << std::hex << format << std::dec << " " << rate << " Hz, " << channels
                            << " ch, BuffSize " << buffSize << ", " << passes << " passes";
                        // Cleaning did change the recording.
                        EXPECT_NE(ReadWav(streamed).samples, wav.samples);
                        fs::remove(streamed);
                        fs::remove(jobs);
                    }
                }
            }
        }
    }
}

// The speech mode reaches the engines of both paths: it changes
// the output of each, and each still matches the other.
TEST(StreamMatchesJobs, TheNoiseEstimateReachesBothPaths) {
    testsupport::TempFolder folder;
    testsupport::ScopedEnv registry("KESTROVA_REGISTRY_DIR", folder.Path());
    const std::string in = folder.File("in.wav");
    WriteWav(in, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 2, 2.0));
    std::vector<uint8_t> outputs[2][2];  // [tracking][viaJobs]
    for (const bool tracking : {false, true}) {
        for (const bool viaJobs : {false, true}) {
            CleaningSettings settings;
            settings.speechMode = tracking;
            const std::string out = folder.File("out.wav");
            ASSERT_EQ(Clean(in, out, settings, 1, viaJobs).status, ExitStatus::Ok);
            outputs[tracking][viaJobs] = testsupport::ReadBytes(out);
            fs::remove(out);
        }
    }
    EXPECT_TRUE(outputs[1][0] == outputs[1][1]);
    EXPECT_TRUE(outputs[0][0] == outputs[0][1]);
    EXPECT_TRUE(outputs[1][0] != outputs[0][0]);
}

}  // namespace
}  // namespace clitest
