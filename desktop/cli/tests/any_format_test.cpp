// hushdesk-clean on the recordings people have: FLAC, Ogg, MP3, float and
// 24-bit WAV, AIFF, at 8 to 192 kHz, with any number of channels.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <random>

#include "CleanRecording.h"
#include "cli_test_support.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace clitest {
namespace {

struct Sound {
    SF_INFO info{};
    std::vector<float> samples;  // interleaved
};

// A tone over a little noise on each channel, written as floats so every
// encoding gets its full resolution.
void WriteSound(const fs::path& path, int format, int rate, int channels, double seconds) {
    SF_INFO info{};
    info.format = format;
    info.samplerate = rate;
    info.channels = channels;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr) << " " << std::hex << format;
    const auto frames = static_cast<size_t>(seconds * rate);
    std::mt19937 random(5);
    std::normal_distribution<double> gauss(0.0, 0.01);
    std::vector<float> samples(frames * channels);
    for (size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const double w = 2.0 * std::numbers::pi * 440.0 * (c + 1) * double(f) / rate;
            samples[f * channels + c] = float(0.3 * std::sin(w) + gauss(random));
        }
    }
    ASSERT_EQ(sf_writef_float(file, samples.data(), sf_count_t(frames)), sf_count_t(frames));
    sf_close(file);
}

Sound ReadSound(const fs::path& path) {
    Sound sound;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sound.info);
    if (file == nullptr) {
        return sound;
    }
    sound.samples.resize(size_t(sound.info.frames) * sound.info.channels);
    sound.info.frames = sf_readf_float(file, sound.samples.data(), sound.info.frames);
    sf_close(file);
    return sound;
}

class AnyFormatTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(folder.File("tmp"));
        run.env["TMPDIR"] = folder.File("tmp");
    }
    testsupport::TempFolder folder;
    testsupport::TempFolder registry;
    testsupport::ScopedEnv registryDir{"KESTROVA_REGISTRY_DIR", registry.Path()};
    RunOptions run;
};

TEST_F(AnyFormatTest, EveryContainerComesBackInItsOwnFormatRateChannelsAndLength) {
    struct Case {
        int format, rate, channels;
        const char* name;
    };
    const Case cases[] = {
        {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, "cd.wav"},
        {SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1, "studio.wav"},
        {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, "float.wav"},
        {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000, 1, "float16k.wav"},
        {SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 48000, 6, "surround.wav"},
        {SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 11025, 1, "old.wav"},
        {SF_FORMAT_W64 | SF_FORMAT_PCM_32, 96000, 2, "long.w64"},
        {SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 22050, 2, "mac.aiff"},
        {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, "phone.flac"},
        {SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 16000, 1, "speech.flac"},
        {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 3, "three.flac"},
        {SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, "call.ogg"},
        {SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 1, "voice.opus"},
        {SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, "podcast.mp3"},
    };
    for (const Case& c : cases) {
        const fs::path in = folder.File(c.name);
        const fs::path out = folder.File(std::string("clean-") + c.name);
        WriteSound(in, c.format, c.rate, c.channels, 0.77);
        const Sound source = ReadSound(in);
        const std::vector<uint8_t> before = testsupport::ReadBytes(in);
        const RunResult r = RunCli({"--quiet", in, out}, run);
        ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
        EXPECT_EQ(r.err, "");
        const Sound cleaned = ReadSound(out);
        EXPECT_EQ(cleaned.info.format, c.format) << c.name;
        EXPECT_EQ(cleaned.info.samplerate, c.rate) << c.name;
        EXPECT_EQ(cleaned.info.channels, c.channels) << c.name;
        EXPECT_EQ(cleaned.info.frames, source.info.frames) << c.name;
        EXPECT_NE(cleaned.samples, source.samples) << c.name;
        EXPECT_TRUE(testsupport::ReadBytes(in) == before) << c.name;
        fs::remove(in);
        fs::remove(out);
    }
    EXPECT_TRUE(testsupport::SortedEntries(folder.File("tmp")).empty());
}

TEST_F(AnyFormatTest, FormatOptionChoosesTheOutputAndItsExtensionInAFolder) {
    const fs::path in = folder.File("talk.wav");
    WriteSound(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000, 2, 0.5);
    struct Case {
        const char* name;
        int format;
        const char* file;
    };
    const Case cases[] = {
        {"wav16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, "talk.wav"},
        {"wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, "talk.wav"},
        {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, "talk.flac"},
        {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, "talk.ogg"},
        {"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, "talk.opus"},
        {"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, "talk.mp3"},
    };
    for (const Case& c : cases) {
        const fs::path dir = folder.File(std::string("out-") + c.name);
        const RunResult r = RunCli({"-q", "--format", c.name, "-o", dir, in}, run);
        ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
        const Sound cleaned = ReadSound(dir / c.file);
        EXPECT_EQ(cleaned.info.format, c.format) << c.name;
        EXPECT_EQ(cleaned.info.samplerate, 48000) << c.name;
        EXPECT_EQ(cleaned.info.frames, 24000) << c.name;
    }
    // A format that cannot hold the recording is refused before any work.
    const fs::path fast = folder.File("fast.wav");
    WriteSound(fast, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 96000, 1, 0.2);
    const RunResult r = RunCli({"--format", "opus", fast, folder.File("fast.opus")}, run);
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find(fast.string() + ": its cleaned copy cannot be written in this format"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(folder.File("fast.opus")));
    const RunResult bad = RunCli({"--format", "aac", in, folder.File("x.aac")}, run);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("invalid value 'aac' for --format"), std::string::npos) << bad.err;
}

TEST_F(AnyFormatTest, DamagedFilesAreRefusedNamingTheFileAndLeaveNoOutput) {
    const fs::path flac = folder.File("whole.flac");
    WriteSound(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 2.0);
    std::vector<uint8_t> bytes = testsupport::ReadBytes(flac);
    const fs::path cut = folder.File("cut.flac");
    std::ofstream(cut, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size() / 2));

    const fs::path mp3 = folder.File("whole.mp3");
    WriteSound(mp3, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 1, 1.0);
    bytes = testsupport::ReadBytes(mp3);
    const fs::path garbage = folder.File("garbage.mp3");
    {
        std::ofstream file(garbage, std::ios::binary);
        std::mt19937 random(11);
        for (int i = 0; i < 4096; ++i) {
            file.put(char(random()));
        }
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    struct Case {
        fs::path in;
        const char* why;
    };
    const Case cases[] = {
        {cut, ": damaged or cut short: it could not be read to the end"},
        {garbage, ": not a recording that can be read ("},
    };
    for (const Case& c : cases) {
        const fs::path out = folder.File("out" + c.in.extension().string());
        const RunResult r = RunCli({c.in, out}, run);
        EXPECT_EQ(r.status, 3) << c.in;
        EXPECT_EQ(r.err.rfind("hushdesk-clean: " + c.in.string() + c.why, 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_TRUE(testsupport::SortedEntries(folder.File("tmp")).empty());
}

TEST_F(AnyFormatTest, LengthIsKeptExactlyAtEveryRate) {
    for (const int rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 88200,
                           96000, 176400, 192000}) {
        const fs::path in = folder.File("in.wav");
        const fs::path out = folder.File("out.wav");
        WriteSound(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2, 0.3 + 1.0 / 7);
        CleanRequest request;
        request.input = in;
        request.output = out;
        const CleanResult result = CleanRecording(request, CleanHooks{});
        ASSERT_EQ(result.status, ExitStatus::Ok) << rate << ": " << result.message;
        EXPECT_EQ(ReadSound(out).info.frames, ReadSound(in).info.frames) << rate;
        fs::remove(in);
        fs::remove(out);
    }
}

}  // namespace
}  // namespace clitest
