// The shared WAV writer: what reaches the final path, what is refused, and
// that nothing is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "PipelineTestSupport.h"
#include "pipeline/SoundFile.h"
#include "pipeline/SoundFileWriter.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempFolder;

SoundFormat Layout(int format, int rate, int channels) {
    return SoundFormat{format, rate, channels, 0};
}

OutputResult WriteTone(const std::string& path, bool replace, std::string* reason = nullptr) {
    const std::vector<int16_t> samples = testsupport::Tone(4000, 440, 8000, 5000);
    SoundFileWriter writer(path);
    OutputResult result = writer.Open(Layout(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1), replace);
    if (result == OutputResult::Ok) {
        result =
            writer.Write(samples.data(), samples.size()) ? writer.Finish() : OutputResult::Failed;
    }
    if (reason != nullptr) {
        *reason = writer.Reason();
    }
    return result;
}

TEST(SoundFileWriter, SavesMemoryAndMappedRecordingsInTheirOwnFormat) {
    TempFolder folder;
    const int formats[] = {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAV | SF_FORMAT_ALAW,
                           SF_FORMAT_WAV | SF_FORMAT_ULAW, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16};
    for (const int format : formats) {
        for (const char* budget : {"1000000000", "16"}) {
            testsupport::ScopedEnv env("HUSHDESK_MEMORY_BUDGET", budget);
            const std::string in = folder.File("in.wav");
            const std::string out = folder.File("out.wav");
            const auto samples = testsupport::Interleave(testsupport::Tone(9000, 300, 16000, 7000),
                                                         testsupport::Noise(9000, 3, 2000));
            ASSERT_TRUE(testsupport::WriteWav(in, format, 16000, 2, samples));
            CSoundFile sound;
            ASSERT_EQ(sound.Open(in, nullptr, nullptr), SoundFileResult::Ok);
            ASSERT_EQ(sound.IsMapped(), std::string(budget) == "16");
            std::vector<double> progress;
            SaveOptions options;
            options.onProgress = [&](double f) { progress.push_back(f); };
            const SaveResult saved = SaveSoundFile(sound, out, options);
            ASSERT_EQ(saved.result, OutputResult::Ok) << saved.reason;
            SF_INFO info{};
            EXPECT_EQ(testsupport::ReadAllSamples(out, &info), testsupport::ReadAllSamples(in))
                << std::hex << format << " budget " << budget;
            EXPECT_EQ(info.format, format);
            EXPECT_EQ(info.channels, 2);
            EXPECT_EQ(info.samplerate, 16000);
            ASSERT_FALSE(progress.empty());
            EXPECT_DOUBLE_EQ(progress.back(), 1.0);
            EXPECT_EQ(SaveSoundFile(sound, out, options).result, OutputResult::Exists);
            sound.Close();
            sound.DeleteWorkingCopy();
            fs::remove(in);
            fs::remove(out);
            EXPECT_TRUE(folder.List().empty());
        }
    }
}

TEST(SoundFileWriter, CancelledOrUnfinishedWritesLeaveNothing) {
    TempFolder folder;
    const std::string in = folder.File("in.wav");
    ASSERT_TRUE(testsupport::WritePcmWav(in, 8000, 1, testsupport::Tone(200000, 440, 8000, 5000)));
    CSoundFile sound;
    ASSERT_EQ(sound.Open(in, nullptr, nullptr), SoundFileResult::Ok);
    SaveOptions options;
    options.cancelled = [] { return true; };
    EXPECT_EQ(SaveSoundFile(sound, folder.File("out.wav"), options).result,
              OutputResult::Cancelled);
    // Asked for while the last of the four blocks was written: still nothing
    // in place.
    int asked = 0;
    options.cancelled = [&asked] { return ++asked > 4; };
    EXPECT_EQ(SaveSoundFile(sound, folder.File("out.wav"), options).result,
              OutputResult::Cancelled);
    EXPECT_EQ(asked, 5);
    {
        SoundFileWriter writer(folder.File("out.wav"));
        ASSERT_EQ(writer.Open(Layout(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1), false),
                  OutputResult::Ok);
        EXPECT_EQ(folder.List().size(), 2u);  // the input and the hidden temporary file
    }
    EXPECT_EQ(folder.List(), std::vector<std::string>{"in.wav"});
}

TEST(SoundFileWriter, RefusesToReplaceWhatIsNotARegularFile) {
    TempFolder folder;
    const std::string fifo = folder.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string dangling = folder.File("dangling");
    fs::create_symlink(folder.File("nowhere"), dangling);
    for (const std::string& path : {fifo, dangling, std::string("/dev/null")}) {
        EXPECT_EQ(WriteTone(path, true), OutputResult::NotRegularFile) << path;
        EXPECT_EQ(WriteTone(path, false), OutputResult::Exists) << path;
    }
    struct stat st {};
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"dangling", "pipe"}));
}

TEST(SoundFileWriter, ReplacingKeepsPermissionsAndLinks) {
    TempFolder folder;
    const std::string target = folder.File("real.wav");
    ASSERT_TRUE(testsupport::WritePcmWav(target, 8000, 1, std::vector<int16_t>(10, 1)));
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    const std::string link = folder.File("link.wav");
    fs::create_symlink("real.wav", link);

    ASSERT_EQ(WriteTone(link, true), OutputResult::Ok);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "real.wav");
    EXPECT_EQ(testsupport::ReadAllSamples(target).size(), 4000u);
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A new file: 0666 less the umask.
    const std::string fresh = folder.File("fresh.wav");
    ASSERT_EQ(WriteTone(fresh, false), OutputResult::Ok);
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u & ~ProcessUmask());
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"fresh.wav", "link.wav", "real.wav"}));
}

TEST(SoundFileWriter, LongNamesAndBadFoldersAreFoundAtPrepare) {
    TempFolder folder;
    // The longest name the folder allows still gets a temporary name beside it.
    const std::string name = std::string(251, 'a') + ".wav";
    ASSERT_EQ(WriteTone(folder.File(name), false), OutputResult::Ok);
    EXPECT_EQ(folder.List(), std::vector<std::string>{name});

    std::string reason;
    SoundFileWriter missing(folder.File("no/such/folder/out.wav"));
    EXPECT_EQ(missing.Prepare(false), OutputResult::Failed);
    EXPECT_NE(missing.Reason().find("No such file"), std::string::npos) << missing.Reason();

    if (geteuid() != 0) {
        const std::string locked = folder.File("locked");
        fs::create_directory(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        SoundFileWriter denied(locked + "/out.wav");
        EXPECT_EQ(denied.Prepare(false), OutputResult::Failed);
        fs::permissions(locked, fs::perms::owner_all);
    }
}

TEST(SoundFileWriter, TemporaryNamesFitAndNeverCutACharacter) {
    EXPECT_EQ(TemporaryNamePattern("out.wav", 255), ".out.wav.hushdesk-XXXXXX");
    const std::string longName = std::string(250, 'b');
    EXPECT_EQ(TemporaryNamePattern(longName, 255).size(), 255u);
    // "я" is two bytes; a cut in its middle steps back before it.
    const std::string cyrillic = std::string(237, 'c') + "яя";
    const std::string pattern = TemporaryNamePattern(cyrillic, 255);
    EXPECT_LE(pattern.size(), 255u);
    EXPECT_EQ(pattern, "." + std::string(237, 'c') + ".hushdesk-XXXXXX");
    EXPECT_EQ(TemporaryNamePattern(std::string(236, 'c') + "яя", 255),
              "." + std::string(236, 'c') + "я" + ".hushdesk-XXXXXX");
}

}  // namespace
