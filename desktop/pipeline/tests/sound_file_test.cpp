#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "PipelineTestSupport.h"
#include "pipeline/JobProtocol.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"
#include "platform/Files.h"
#include "platform/ManualResetEvent.h"
#include "platform/MessageTarget.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

using namespace testsupport;

namespace {

constexpr uint32_t kBlock = CSoundFile::kBlockSamples;

size_t CountTempFiles(const std::string& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("_te", 0) == 0) {
            ++count;
        }
    }
    return count;
}

std::vector<int16_t> AllSamples(CSoundFile& file) {
    std::vector<int16_t> samples;
    for (uint32_t f = 0; f < file.Frames(); ++f) {
        for (uint32_t c = 0; c < file.Channels(); ++c) {
            samples.push_back(file.GetSample(static_cast<int32_t>(c), f));
        }
    }
    return samples;
}

class SoundFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    // Working copies go to this test's own folder.
    ScopedEnv tmpdir{"TMPDIR", folder.Path()};
};

struct FormatCase {
    const char* name;
    int format;
    int rate;
    int channels;
};

TEST_F(SoundFileTest, OpensOnlyTheFormatsTheEngineTakes) {
    const std::vector<FormatCase> accepted = {
        {"alaw8k", SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000, 1},
        {"ulaw16k", SF_FORMAT_WAV | SF_FORMAT_ULAW, 16000, 1},
        {"pcm8kmono", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1},
        {"pcm16kmono", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1},
        {"pcm8kstereo", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 2},
        {"pcm16kstereo", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 2},
        {"wavex16k", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 16000, 2},
    };
    for (const FormatCase& c : accepted) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File(std::string(c.name) + ".wav");
        const std::vector<int16_t> written = Noise(3000 * c.channels, 7, 20000);
        ASSERT_TRUE(WriteWav(path, c.format, c.rate, c.channels, written));
        CSoundFile file;
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
        EXPECT_EQ(file.Frames(), 3000u);
        EXPECT_EQ(file.Channels(), static_cast<uint32_t>(c.channels));
        EXPECT_EQ(file.ChannelCount(), c.channels);
        EXPECT_EQ(file.SampleRate(), static_cast<uint32_t>(c.rate));
        EXPECT_EQ(file.BitsPerSample(), 16);
        EXPECT_FALSE(file.IsMapped());
        EXPECT_EQ(AllSamples(file), ReadAllSamples(path));
    }

    const std::vector<FormatCase> refused = {
        {"pcm44k", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1},
        {"pcm24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 8000, 1},
        {"pcmu8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, 1},
        {"gsm", SF_FORMAT_WAV | SF_FORMAT_GSM610, 8000, 1},
        {"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 8000, 1},
        {"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000, 1},
        {"threechannels", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 3},
        {"alaw11k", SF_FORMAT_WAV | SF_FORMAT_ALAW, 11025, 1},
    };
    for (const FormatCase& c : refused) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File(std::string(c.name) + ".snd");
        ASSERT_TRUE(WriteWav(path, c.format, c.rate, c.channels, Noise(800 * c.channels, 3, 100)));
        CSoundFile file;
        EXPECT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::WrongFormat);
        EXPECT_EQ(file.Frames(), 0u);
        EXPECT_EQ(file.GetSample(0, 0), 0);
    }
}

TEST(SoundFormatTest, LengthIsBoundByTheWavFileItsSixteenBitCopyBecomes) {
    // (2^32 - 1 - 44) / 2 samples of 16 bits fill a WAV file to its last
    // byte; the products are taken in 64 bits, so none of these wraps.
    constexpr sf_count_t kMostSamples = (sf_count_t{UINT32_MAX} - 44) / 2;
    SF_INFO info{};
    info.format = SF_FORMAT_WAV | SF_FORMAT_ALAW;
    info.samplerate = 8000;
    info.channels = 1;
    for (const auto& [frames, channels, accepted] : std::vector<std::tuple<sf_count_t, int, bool>>{
             {0, 1, true},
             {kMostSamples, 1, true},
             {kMostSamples + 1, 1, false},
             {kMostSamples / 2, 2, true},
             {kMostSamples / 2 + 1, 2, false},
             {sf_count_t{UINT32_MAX}, 1, false},     // 2^32 - 1 A-law bytes
             {sf_count_t{1} << 31, 2, false},        // 2^32 samples
             {(sf_count_t{1} << 32) + 5, 1, false},  // wraps in 32 bits
             {(sf_count_t{1} << 62), 2, false},      // wraps in 64 bits times 4
             {-1, 1, false},
         }) {
        info.frames = frames;
        info.channels = channels;
        EXPECT_EQ(IsAcceptedSoundFormat(info), accepted) << frames << " x " << channels;
        EXPECT_EQ(DecodedCopyFitsWav(info), accepted) << frames << " x " << channels;
    }
}

TEST_F(SoundFileTest, RefusesWhatIsNoRecordingAtAll) {
    const std::string good = folder.File("good.wav");
    ASSERT_TRUE(WritePcmWav(good, 8000, 1, Noise(4000, 1, 1000)));
    std::vector<uint8_t> bytes = ReadBytes(good);
    bytes.resize(30);  // cut inside the fmt chunk
    ASSERT_TRUE(WriteBytes(folder.File("truncated.wav"), bytes));
    ASSERT_TRUE(WriteBytes(folder.File("empty.wav"), {}));
    const std::string text = "just some words, not a recording\n";
    ASSERT_TRUE(
        WriteBytes(folder.File("text.wav"), std::vector<uint8_t>(text.begin(), text.end())));

    for (const char* name : {"truncated.wav", "empty.wav", "text.wav"}) {
        SCOPED_TRACE(name);
        CSoundFile file;
        EXPECT_EQ(file.Open(folder.File(name), nullptr, nullptr), SoundFileResult::WrongFormat);
    }
}

TEST_F(SoundFileTest, WhatIsNoReadableRegularFileIsUnreadableAndNeverBlocks) {
    // A named pipe with no writer would block a plain open for ever.
    const std::string pipe = folder.File("pipe.wav");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string locked = folder.File("locked.wav");
    ASSERT_TRUE(WritePcmWav(locked, 8000, 1, Noise(4000, 1, 1000)));
    chmod(locked.c_str(), 0);
    const bool root = geteuid() == 0;  // reads it anyway
    std::filesystem::create_directory(folder.File("folder.wav"));
    for (const std::string& path : {folder.File("missing.wav"), pipe, folder.File("folder.wav"),
                                    std::string("/dev/null"), locked}) {
        if (path == locked && root) {
            continue;
        }
        SCOPED_TRACE(path);
        CSoundFile file;
        EXPECT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Unreadable);
        EXPECT_EQ(file.Frames(), 0u);
    }
}

TEST_F(SoundFileTest, ReadsWholeBlocksAndPostsOneProgressPerBlock) {
    struct Case {
        uint32_t samples;
        size_t posts;
    };
    // Stereo, so that the block size counts samples, not frames.
    for (const Case c : {Case{kBlock - 2, 0}, Case{kBlock * 3, 3}, Case{kBlock * 3 + 2, 3}}) {
        SCOPED_TRACE(c.samples);
        const std::string path = folder.File("blocks.wav");
        const std::vector<int16_t> written = Noise(c.samples, c.samples, 30000);
        ASSERT_TRUE(WritePcmWav(path, 16000, 2, written));
        RecordingTarget progress;
        CSoundFile file;
        ASSERT_EQ(file.Open(path, &progress, nullptr), SoundFileResult::Ok);
        EXPECT_EQ(file.SampleCount(), c.samples);
        EXPECT_EQ(std::vector<int16_t>(file.GetSampleBuffer(), file.GetSampleBuffer() + c.samples),
                  written);
        const auto posts = progress.Messages();
        ASSERT_EQ(posts.size(), c.posts);
        for (size_t i = 0; i < posts.size(); ++i) {
            EXPECT_EQ(posts[i].id, WM_LOADING_PROGRESS);
            EXPECT_EQ(posts[i].wParam, i);
            EXPECT_EQ(posts[i].lParam, 0);
        }
    }
}

TEST_F(SoundFileTest, ThinsProgressAboveAThousandBlocks) {
    for (const uint32_t blocks : {1000u, 1001u}) {
        SCOPED_TRACE(blocks);
        const std::string path = folder.File("long.wav");
        ASSERT_TRUE(MakeSparsePcmWav(path, 16000, blocks * kBlock, 0, {{blocks * kBlock - 1, 77}}));
        RecordingTarget progress;
        CSoundFile file;
        ASSERT_EQ(file.Open(path, &progress, nullptr), SoundFileResult::Ok);
        EXPECT_EQ(file.GetSample(0, blocks * kBlock - 1), 77);
        const auto posts = progress.Messages();
        if (blocks == 1000) {
            ASSERT_EQ(posts.size(), 1000u);
            EXPECT_EQ(posts.back().wParam, 999u);
        } else {
            ASSERT_EQ(posts.size(), 101u);  // blocks 0, 10, ... 1000
            EXPECT_EQ(posts[1].wParam, 10u);
            EXPECT_EQ(posts.back().wParam, 1000u);
        }
    }
}

// Sets the cancel event when the n-th progress message is posted.
class CancellingTarget : public platform::MessageTarget {
public:
    CancellingTarget(platform::ManualResetEvent& cancel, size_t at) : m_cancel(cancel), m_at(at) {}
    void Post(uint32_t, uintptr_t, intptr_t) override {
        if (++m_posts == m_at) {
            m_cancel.Set();
        }
    }
    size_t Posts() const { return m_posts; }

private:
    platform::ManualResetEvent& m_cancel;
    size_t m_at;
    size_t m_posts = 0;
};

TEST_F(SoundFileTest, StopsBetweenBlocksWhenCancelled) {
    const std::string path = folder.File("cancel.wav");
    ASSERT_TRUE(WritePcmWav(path, 8000, 1, Noise(kBlock * 5, 2, 100)));
    platform::ManualResetEvent cancel;
    CancellingTarget target(cancel, 2);
    CSoundFile file;
    EXPECT_EQ(file.Open(path, &target, &cancel), SoundFileResult::Cancelled);
    EXPECT_EQ(target.Posts(), 2u);  // the block after the request was not read
    EXPECT_FALSE(cancel.IsSet());   // the reader has taken the request

    // A request that arrives after the last whole block is still seen.
    const std::string shortPath = folder.File("short.wav");
    ASSERT_TRUE(WritePcmWav(shortPath, 8000, 1, Noise(100, 2, 100)));
    cancel.Set();
    CSoundFile shortFile;
    EXPECT_EQ(shortFile.Open(shortPath, nullptr, &cancel), SoundFileResult::Cancelled);
    EXPECT_FALSE(cancel.IsSet());
}

TEST_F(SoundFileTest, MemoryModeAddressing) {
    const std::string path = folder.File("stereo.wav");
    const std::vector<int16_t> left = Noise(500, 11, 9000);
    const std::vector<int16_t> right = Noise(500, 12, 9000);
    ASSERT_TRUE(WritePcmWav(path, 8000, 2, Interleave(left, right)));
    CSoundFile file;
    ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
    EXPECT_EQ(file.GetSample(0, 499), left[499]);
    EXPECT_EQ(file.GetSample(1, 499), right[499]);
    EXPECT_EQ(file.GetSample(0, 500), 0);  // frame = frames
    EXPECT_EQ(file.GetSample(7, 3), left[3]);
    // Memory mode is written through the buffer, never through SetSample.
    file.SetSample(0, 3, 1234);
    EXPECT_EQ(file.GetSample(0, 3), left[3]);

    const std::string monoPath = folder.File("mono.wav");
    const std::vector<int16_t> mono = Noise(300, 13, 9000);
    ASSERT_TRUE(WritePcmWav(monoPath, 8000, 1, mono));
    CSoundFile monoFile;
    ASSERT_EQ(monoFile.Open(monoPath, nullptr, nullptr), SoundFileResult::Ok);
    EXPECT_EQ(monoFile.GetSample(1, 17), mono[17]);

    monoFile.Close();
    EXPECT_EQ(monoFile.Frames(), 0u);
    EXPECT_EQ(monoFile.GetSample(0, 17), 0);
}

class MappedSoundFileTest : public SoundFileTest {
protected:
    // Anything above a few bytes of samples goes through the mapping.
    ScopedEnv budget{"HUSHDESK_MEMORY_BUDGET", "16"};
};

TEST_F(MappedSoundFileTest, AddressesSamplesFromTheDataChunk) {
    // A LIST chunk in front of the data moves the samples away from byte 44.
    for (const uint32_t listBytes : {0u, 37u, 300u}) {
        SCOPED_TRACE(listBytes);
        const std::string path = folder.File("list.wav");
        const std::vector<int16_t> left = Noise(1000, 21, 30000);
        const std::vector<int16_t> right = Noise(1000, 22, 30000);
        ASSERT_TRUE(WriteBytes(path, MakePcmWavBytes(8000, 2, Interleave(left, right), listBytes)));
        ASSERT_EQ(ReadAllSamples(path), Interleave(left, right));  // libsndfile agrees

        CSoundFile file;
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
        ASSERT_TRUE(file.IsMapped());
        EXPECT_FALSE(file.IsOnWorkingCopy());
        EXPECT_EQ(file.Frames(), 1000u);
        EXPECT_EQ(Channel(AllSamples(file), 2, 0), left);
        EXPECT_EQ(Channel(AllSamples(file), 2, 1), right);
        EXPECT_EQ(file.GetSample(0, 1000), 0);

        std::vector<int16_t> frames(2 * 10, -1);
        EXPECT_TRUE(file.ReadFrames(frames.data(), 990, 10));  // ends on the last frame
        EXPECT_EQ(frames[18], left[999]);
        EXPECT_EQ(frames[19], right[999]);
        std::vector<int16_t> past(2 * 11, -1);
        EXPECT_FALSE(file.ReadFrames(past.data(), 990, 11));
        EXPECT_EQ(past[19], right[999]);  // what exists is still copied
        EXPECT_FALSE(file.ReadFrames(nullptr, 0, 1));
    }
}

TEST_F(MappedSoundFileTest, ExtensibleAndBigEndianWavesMapLikeTheyRead) {
    const std::vector<FormatCase> cases = {
        {"wavex", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 16000, 2},
        {"rifx", SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_BIG, 8000, 1},
        {"wavexulaw", SF_FORMAT_WAVEX | SF_FORMAT_ULAW, 8000, 1},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File(std::string(c.name) + ".wav");
        ASSERT_TRUE(
            WriteWav(path, c.format, c.rate, c.channels, Noise(2000 * c.channels, 9, 20000)));
        CSoundFile file;
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
        ASSERT_TRUE(file.IsMapped());
        const std::vector<int16_t> decoded = ReadAllSamples(path);
        EXPECT_EQ(AllSamples(file), decoded);
        WaveformSummary summary;
        ASSERT_EQ(BuildWaveformSummary(summary, file, true, nullptr, nullptr), SoundFileResult::Ok);
        EXPECT_EQ(AllSamples(file), decoded);  // the working copy is plain little-endian WAV
    }
}

TEST_F(SoundFileTest, LongPathsOpen) {
    std::string dir = folder.Path();
    while (dir.size() < 300) {
        dir += "/a-rather-long-folder-name-for-a-recording";
    }
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/recording.wav";
    ASSERT_GT(path.size(), 260u);
    ASSERT_TRUE(WritePcmWav(path, 8000, 1, Noise(100, 1, 100)));
    CSoundFile file;
    EXPECT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
    EXPECT_EQ(file.SourcePath(), path);
}

TEST_F(MappedSoundFileTest, DecodesALawAndMuLawBytesLikeLibsndfile) {
    for (const int law : {SF_FORMAT_ALAW, SF_FORMAT_ULAW}) {
        SCOPED_TRACE(law);
        const std::string path = folder.File("law.wav");
        // A ramp over the whole range reaches every code.
        std::vector<int16_t> ramp;
        for (int v = -32768; v <= 32767; v += 16) {
            ramp.push_back(static_cast<int16_t>(v));
        }
        ASSERT_TRUE(WriteWav(path, SF_FORMAT_WAV | law, 8000, 1, ramp));
        const std::vector<int16_t> decoded = ReadAllSamples(path);

        CSoundFile file;
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
        ASSERT_TRUE(file.IsMapped());
        EXPECT_EQ(file.Law(), law == SF_FORMAT_ALAW ? LawKind::ALaw : LawKind::MuLaw);
        const std::vector<int16_t> mapped = AllSamples(file);
        ASSERT_EQ(mapped.size(), decoded.size());
        EXPECT_EQ(mapped, decoded);
    }
    // Every byte, also mu-law's "negative zero" 0x7F, as libsndfile reads it.
    for (const int law : {SF_FORMAT_ALAW, SF_FORMAT_ULAW}) {
        SCOPED_TRACE(law);
        const std::string path = folder.File("bytes.wav");
        SF_INFO info{};
        info.samplerate = 8000;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | law;
        SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(out, nullptr);
        std::vector<unsigned char> bytes(256);
        for (int b = 0; b < 256; ++b) {
            bytes[b] = static_cast<unsigned char>(b);
        }
        ASSERT_EQ(sf_write_raw(out, bytes.data(), 256), 256);
        sf_close(out);
        const std::vector<int16_t> libsndfile = ReadAllSamples(path);
        ASSERT_EQ(libsndfile.size(), 256u);
        for (int b = 0; b < 256; ++b) {
            const int16_t ours = law == SF_FORMAT_ALAW ? ALawToLinear(static_cast<uint8_t>(b))
                                                       : MuLawToLinear(static_cast<uint8_t>(b));
            EXPECT_EQ(ours, libsndfile[b]) << "byte " << b;
        }
    }
    EXPECT_EQ(ALawToLinear(0x00), -5504);
    EXPECT_EQ(ALawToLinear(0x55), -8);
    EXPECT_EQ(ALawToLinear(0xD5), 8);
    EXPECT_EQ(ALawToLinear(0x80), 5504);
    EXPECT_EQ(MuLawToLinear(0x00), -32124);
    EXPECT_EQ(MuLawToLinear(0x80), 32124);
    EXPECT_EQ(MuLawToLinear(0xFF), 0);
}

TEST_F(MappedSoundFileTest, WorkingCopyTakesEveryFrameAndOnlyDataIsWritten) {
    const std::string path = folder.File("source.wav");
    // Several times the frames the summary copies at once, and a part more.
    const uint32_t frames = 2 * 1024 * 80 + 8001;
    const std::vector<int16_t> left = Noise(frames, 31, 20000);
    const std::vector<int16_t> right = Noise(frames, 32, 20000);
    ASSERT_TRUE(WriteBytes(path, MakePcmWavBytes(8000, 2, Interleave(left, right), 61)));
    const std::vector<uint8_t> sourceBytes = ReadBytes(path);
    const int64_t sourceTime = ModificationTimeNs(path);

    CSoundFile file;
    ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
    const std::string copyPath = file.WorkingCopyPath();
    ASSERT_FALSE(copyPath.empty());
    EXPECT_EQ(copyPath.rfind(folder.Path() + "/_te", 0), 0u);
    EXPECT_EQ(std::filesystem::status(copyPath).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    // Writes before the switch would land in the user's file: dropped.
    file.SetSample(0, 5, 999);
    EXPECT_EQ(file.GetSample(0, 5), left[5]);

    WaveformSummary summary;
    ASSERT_EQ(BuildWaveformSummary(summary, file, true, nullptr, nullptr), SoundFileResult::Ok);
    ASSERT_TRUE(file.IsOnWorkingCopy());
    EXPECT_EQ(Channel(AllSamples(file), 2, 0), left);
    EXPECT_EQ(Channel(AllSamples(file), 2, 1), right);
    // Every 10 ms column holds its frames' extremes.
    ASSERT_EQ(summary.columnCount, static_cast<int32_t>((frames + 79) / 80));
    for (uint32_t k = 0; k < static_cast<uint32_t>(summary.columnCount); ++k) {
        const auto from = k * 80;
        const auto to = std::min(frames, from + 80);
        const auto [low0, high0] = std::minmax_element(left.begin() + from, left.begin() + to);
        const auto [low1, high1] = std::minmax_element(right.begin() + from, right.begin() + to);
        ASSERT_EQ(summary.channel0ColumnMin[k], *low0) << "column " << k;
        ASSERT_EQ(summary.channel0ColumnMax[k], *high0) << "column " << k;
        ASSERT_EQ(summary.channel1ColumnMin[k], *low1) << "column " << k;
        ASSERT_EQ(summary.channel1ColumnMax[k], *high1) << "column " << k;
    }

    file.SetSample(0, 0, 1111);
    file.SetSample(1, 0, -2222);
    file.SetSample(1, 8000, 3333);
    file.SetSample(0, frames, 4444);  // past the end: dropped
    file.SetSample(1, frames + 999, 5555);
    EXPECT_EQ(file.GetSample(0, 0), 1111);
    EXPECT_EQ(file.GetSample(1, 0), -2222);
    EXPECT_EQ(file.GetSample(1, 8000), 3333);
    const auto copySize = std::filesystem::file_size(copyPath);
    file.Close();

    EXPECT_EQ(std::filesystem::file_size(copyPath), copySize);
    SF_INFO info{};
    std::vector<int16_t> expected = Interleave(left, right);
    expected[0] = 1111;
    expected[1] = -2222;
    expected[2 * 8000 + 1] = 3333;
    EXPECT_EQ(ReadAllSamples(copyPath, &info), expected);  // header intact, data changed
    EXPECT_EQ(info.frames, frames);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);

    EXPECT_EQ(ReadBytes(path), sourceBytes);
    EXPECT_EQ(ModificationTimeNs(path), sourceTime);

    file.DeleteWorkingCopy();
    EXPECT_FALSE(std::filesystem::exists(copyPath));
    EXPECT_TRUE(file.WorkingCopyPath().empty());
}

TEST_F(MappedSoundFileTest, ALawRecordingGetsALinearWorkingCopy) {
    const std::string path = folder.File("alaw.wav");
    ASSERT_TRUE(WriteWav(path, SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000, 1, Noise(2000, 41, 25000)));
    const std::vector<int16_t> decoded = ReadAllSamples(path);
    CSoundFile file;
    ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
    WaveformSummary summary;
    ASSERT_EQ(BuildWaveformSummary(summary, file, true, nullptr, nullptr), SoundFileResult::Ok);
    EXPECT_EQ(file.Law(), LawKind::Linear);
    EXPECT_EQ(AllSamples(file), decoded);
    file.SetSample(0, 1999, -7);
    EXPECT_EQ(file.GetSample(0, 1999), -7);
}

TEST_F(MappedSoundFileTest, RefusesWhenTheWorkingCopyCannotBeMade) {
    const std::string path = folder.File("big.wav");
    ASSERT_TRUE(WritePcmWav(path, 8000, 1, Noise(4000, 51, 100)));

    platform::SetFreeSpaceOverride(1000);
    {
        CSoundFile file;
        EXPECT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::NoDiskSpace);
    }
    platform::SetFreeSpaceOverride(std::nullopt);
    EXPECT_EQ(CountTempFiles(folder.Path()), 0u);  // the refusal left nothing behind

    ScopedEnv noTemp("TMPDIR", folder.File("no-such-folder"));
    CSoundFile file;
    EXPECT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::TempFileDenied);
}

TEST_F(MappedSoundFileTest, ARecordingCutShortWhileLoadingIsAnOpenErrorAndLeavesNothing) {
    // 200 000 frames: the cut falls well inside the first mapped window, where
    // touching a page past the new end would raise SIGBUS.
    const std::string path = folder.File("shrinking.wav");
    ASSERT_TRUE(WritePcmWav(path, 16000, 2, Noise(400000, 71, 20000)));
    CSoundFile file;
    ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
    ASSERT_TRUE(file.IsMapped());
    ASSERT_EQ(CountTempFiles(folder.Path()), 1u);
    EXPECT_TRUE(file.MappedFileIsWhole());
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 3);
    EXPECT_FALSE(file.MappedFileIsWhole());

    WaveformSummary summary;
    EXPECT_EQ(BuildWaveformSummary(summary, file, true, nullptr, nullptr),
              SoundFileResult::OpenError);
    EXPECT_EQ(CountTempFiles(folder.Path()), 0u);
    EXPECT_TRUE(file.WorkingCopyPath().empty());
    EXPECT_EQ(file.Frames(), 0u);

    // Cut to just its header and first samples: still the whole window would
    // be read past the end.
    ASSERT_TRUE(WritePcmWav(path, 16000, 2, Noise(400000, 72, 20000)));
    ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
    std::filesystem::resize_file(path, 4096);
    std::vector<int16_t> frames(2 * 1000);
    EXPECT_TRUE(file.ReadFrames(frames.data(), 0, 500));
    EXPECT_FALSE(file.ReadFrames(frames.data(), 100000, 1000));
    EXPECT_EQ(BuildWaveformSummary(summary, file, true, nullptr, nullptr),
              SoundFileResult::OpenError);
    EXPECT_EQ(CountTempFiles(folder.Path()), 0u);
}

TEST_F(SoundFileTest, ARecordingCutShortWhileLoadingIntoMemoryIsAnOpenError) {
    const std::string path = folder.File("shrinking.wav");
    const std::vector<int16_t> samples = Noise(200000, 73, 20000);
    ASSERT_TRUE(WritePcmWav(path, 16000, 1, samples));
    // Cut to a third as soon as the first block has been read.
    struct Cutter : platform::MessageTarget {
        std::string path;
        bool cut = false;
        void Post(uint32_t, uintptr_t, intptr_t) override {
            if (!cut) {
                std::filesystem::resize_file(path, std::filesystem::file_size(path) / 3);
                cut = true;
            }
        }
    } cutter;
    cutter.path = path;
    CSoundFile file;
    EXPECT_EQ(file.Open(path, &cutter, nullptr), SoundFileResult::OpenError);
    EXPECT_TRUE(cutter.cut);
    EXPECT_EQ(file.Frames(), 0u);
    EXPECT_EQ(file.GetSampleBuffer(), nullptr);
    EXPECT_EQ(CountTempFiles(folder.Path()), 0u);
}

TEST_F(MappedSoundFileTest, DestroyingTheFileRemovesItsWorkingCopy) {
    const std::string path = folder.File("gone.wav");
    ASSERT_TRUE(WritePcmWav(path, 8000, 1, Noise(4000, 61, 100)));
    std::string copyPath;
    {
        CSoundFile file;
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
        copyPath = file.WorkingCopyPath();
        file.Close();
        EXPECT_TRUE(std::filesystem::exists(copyPath));  // Close keeps it
        // Opening the next recording retires the previous copy.
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
        EXPECT_FALSE(std::filesystem::exists(copyPath));
        copyPath = file.WorkingCopyPath();
        EXPECT_TRUE(std::filesystem::exists(copyPath));
    }
    EXPECT_FALSE(std::filesystem::exists(copyPath));
}

TEST_F(MappedSoundFileTest, CrossesTheMappingWindowBoundary) {
    // 2^26 + 4096 frames of 16-bit mono: the data runs past byte 2^27, in the
    // source (behind a LIST chunk) and in the working copy (behind 44 bytes).
    constexpr uint64_t kWindow = uint64_t{1} << 27;
    constexpr uint32_t kListBytes = 100;
    constexpr uint32_t kFrames = (1u << 26) + 4096;
    const uint64_t sourceOffset = PcmWavDataOffset(kListBytes);
    const auto sourceEdge = static_cast<uint32_t>((kWindow - sourceOffset) / 2);
    const auto copyEdge = static_cast<uint32_t>((kWindow - 44) / 2);
    std::map<uint32_t, int16_t> marks;
    for (uint32_t f : {sourceEdge - 1, sourceEdge, sourceEdge + 1, copyEdge - 1, copyEdge,
                       copyEdge + 1, kFrames - 1, 0u}) {
        marks[f] = static_cast<int16_t>(1000 + (f % 20000));
    }
    const std::string path = folder.File("huge.wav");
    ASSERT_TRUE(MakeSparsePcmWav(path, 8000, kFrames, kListBytes, marks));
    const int64_t sourceTime = ModificationTimeNs(path);

    CSoundFile file;
    ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
    ASSERT_TRUE(file.IsMapped());
    for (const auto& [frame, value] : marks) {
        EXPECT_EQ(file.GetSample(0, frame), value) << frame;
    }
    EXPECT_EQ(file.GetSample(0, sourceEdge + 2), 0);
    std::vector<int16_t> run(3);
    ASSERT_TRUE(file.ReadFrames(run.data(), sourceEdge - 1, 3));
    EXPECT_EQ(run, (std::vector<int16_t>{marks[sourceEdge - 1], marks[sourceEdge],
                                         marks[sourceEdge + 1]}));

    WaveformSummary summary;
    RecordingTarget progress;
    platform::ManualResetEvent cancel;
    ASSERT_EQ(BuildWaveformSummary(summary, file, true, &progress, &cancel), SoundFileResult::Ok);
    ASSERT_TRUE(file.IsOnWorkingCopy());
    for (const auto& [frame, value] : marks) {
        EXPECT_EQ(file.GetSample(0, frame), value) << frame;
    }
    file.SetSample(0, copyEdge, -321);
    file.SetSample(0, copyEdge - 1, 654);
    file.SetSample(0, kFrames - 1, -1);
    EXPECT_EQ(file.GetSample(0, copyEdge), -321);
    EXPECT_EQ(file.GetSample(0, copyEdge - 1), 654);
    const std::string copyPath = file.WorkingCopyPath();
    file.Close();

    SF_INFO info{};
    SNDFILE* copy = sf_open(copyPath.c_str(), SFM_READ, &info);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(info.frames, kFrames);
    std::vector<int16_t> edge(3);
    sf_seek(copy, copyEdge - 1, SEEK_SET);
    sf_read_short(copy, edge.data(), 3);
    EXPECT_EQ(edge, (std::vector<int16_t>{654, -321, marks[copyEdge + 1]}));
    int16_t last = 0;
    sf_seek(copy, kFrames - 1, SEEK_SET);
    sf_read_short(copy, &last, 1);
    EXPECT_EQ(last, -1);
    sf_close(copy);
    EXPECT_EQ(ModificationTimeNs(path), sourceTime);
}

}  // namespace
