// hushdesk-clean against bad input and hostile conditions: odd files in place
// of recordings and outputs, files changing underneath, signals, names that
// do not fit or do not print.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "cli_test_support.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace clitest {
namespace {

using testsupport::TempFolder;

class CliHardeningTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(folder.File("tmp"));
        run.env["TMPDIR"] = folder.File("tmp");
        run.env["KESTROVA_REGISTRY_DIR"] = registry.Path();
    }
    fs::path Recording(const std::string& name, double seconds, int channels = 1) {
        const fs::path path = folder.File(name);
        WriteWav(path, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, channels, seconds));
        return path;
    }

    TempFolder folder;
    TempFolder registry;
    RunOptions run;
};

TEST_F(CliHardeningTest, OutputsThatAreNotRegularFilesAreNeverReplaced) {
    const fs::path in = Recording("in.wav", 0.5);
    const fs::path fifo = folder.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& output : {fs::path("/dev/null"), fifo}) {
        const RunResult r = RunCli({"--force", in, output}, run);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
    }
    struct stat st {};
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A link to a regular file: the file is replaced, the link and the
    // file's permissions stay.
    const fs::path real = folder.File("real.wav");
    { std::ofstream(real) << "old"; }
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path link = folder.File("link.wav");
    fs::create_symlink(real, link);
    const RunResult linked = RunCli({"--force", in, link}, run);
    EXPECT_EQ(linked.status, 0) << linked.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWav(real).rate, 16000);
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(folder.List(),
              (std::vector<std::string>{"in.wav", "link.wav", "pipe", "real.wav", "tmp"}));
}

TEST_F(CliHardeningTest, OnlyRegularFilesAreReadAsRecordingsOrSettings) {
    const fs::path in = Recording("in.wav", 0.5);
    const fs::path fifo = folder.File("pipe.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const RunResult r = RunCli({fifo, folder.File("out.wav")}, run);
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;

    // The settings file is read at every start (for the language).
    const fs::path settings = fs::path(registry.Path()) / "HKEY_CURRENT_USER.reg";
    ASSERT_EQ(mkfifo(settings.c_str(), 0600), 0);
    const RunResult withFifoSettings = RunCli({"-q", in, folder.File("out.wav")}, run);
    EXPECT_EQ(withFifoSettings.status, 0) << withFifoSettings.err;
    EXPECT_NE(withFifoSettings.err.find(settings.string()), std::string::npos)
        << withFifoSettings.err;
    EXPECT_TRUE(fs::exists(folder.File("out.wav")));
}

TEST_F(CliHardeningTest, OutputProblemsAreFoundBeforeAnyCleaning) {
    // An input that fails only once loaded shows which check came first.
    const fs::path notWav = folder.File("notes.wav");
    { std::ofstream(notWav) << "not a recording"; }
    const RunResult r = RunCli({notWav, folder.File("missing/out.wav")}, run);
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;

    // Names up to the file system's limit can be written.
    const fs::path in = Recording("in.wav", 0.3);
    const std::string longName = std::string(251, 'x') + ".wav";
    const RunResult longOut = RunCli({"-q", in, folder.File(longName)}, run);
    EXPECT_EQ(longOut.status, 0) << longOut.err;
    EXPECT_TRUE(fs::exists(folder.File(longName)));
}

TEST_F(CliHardeningTest, NoTemporaryFolderIsNeededWhateverTheLength) {
    const fs::path in = Recording("in.wav", 2.0, 2);
    RunOptions noTmp = run;
    noTmp.env["TMPDIR"] = folder.File("no-such-folder");
    noTmp.env["HUSHDESK_MEMORY_BUDGET"] = "1000";
    const RunResult r = RunCli({"-q", "--passes", "2", in, folder.File("out.wav")}, noTmp);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadWav(folder.File("out.wav")).samples.size(), ReadWav(in).samples.size());
}

TEST_F(CliHardeningTest, ARecordingCutShortWhileReadIsAnErrorAndLeavesNothing) {
    const fs::path in = Recording("long.wav", 300.0);
    RunOptions cut = run;
    // Cut as soon as the program has made its temporary output, that is
    // just before it starts reading.
    cut.during = [&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (folder.List().size() < 3 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        fs::resize_file(in, fs::file_size(in) / 2);
    };
    const RunResult r = RunCli({"--passes", "3", in, folder.File("out.wav")}, cut);
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find("changed while it was being read"), std::string::npos) << r.err;
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"long.wav", "tmp"}));
}

TEST_F(CliHardeningTest, RecordingsTooLongForAWavCopyAreRefusedAtOnce) {
    // Sparse A-law files: gigabytes long, nothing on disk. libsndfile counts
    // at most 2^32 - 1 frames of a WAV file.
    const auto sparseALaw = [&](const std::string& name, int channels, uint64_t frames) {
        const fs::path path = folder.File(name);
        const auto blockAlign = static_cast<uint16_t>(channels);
        const uint64_t dataBytes = frames * blockAlign;
        const auto dataSize = static_cast<uint32_t>(std::min<uint64_t>(dataBytes, UINT32_MAX));
        std::string header = "RIFF";
        const auto put = [&](uint64_t value, int bytes) {
            for (int i = 0; i < bytes; ++i) {
                header += static_cast<char>((value >> (8 * i)) & 0xFF);
            }
        };
        put(std::min<uint64_t>(dataBytes + 38, UINT32_MAX), 4);
        header += "WAVEfmt ";
        put(18, 4);
        put(6, 2);  // A-law
        put(static_cast<uint64_t>(channels), 2);
        put(8000, 4);
        put(8000u * blockAlign, 4);
        put(blockAlign, 2);
        put(8, 2);
        put(0, 2);
        header += "data";
        put(dataSize, 4);
        { std::ofstream(path, std::ios::binary) << header; }
        fs::resize_file(path, header.size() + dataBytes);
        return path;
    };
    const std::vector<fs::path> inputs = {
        sparseALaw("mono-2g.wav", 1, (uint64_t{1} << 31) + 5),
        sparseALaw("mono-4g.wav", 1, uint64_t{UINT32_MAX}),
        sparseALaw("stereo-2g.wav", 2, uint64_t{1} << 31),
    };
    for (const fs::path& in : inputs) {
        const RunResult r = RunCli({in, folder.File("out.wav")}, run);
        EXPECT_EQ(r.status, 3) << in << r.err;
        EXPECT_NE(r.err.find("too long"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(folder.File("out.wav")));
    }
    EXPECT_EQ(folder.List(),
              (std::vector<std::string>{"mono-2g.wav", "mono-4g.wav", "stereo-2g.wav", "tmp"}));
}

TEST_F(CliHardeningTest, AFileSizeLimitIsAWriteErrorAndLeavesNoPartialFile) {
    const fs::path in = Recording("in.wav", 2.0);  // 64 kB of samples
    // The limit is inherited by the program; this process writes nothing big
    // while it holds.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 16 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const RunResult r = RunCli({in, folder.File("out.wav")}, run);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);
    EXPECT_EQ(r.status, 4) << r.err;  // not killed by SIGXFSZ (153)
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"in.wav", "tmp"}));
}

TEST_F(CliHardeningTest, SignalsGiveTheirOwnStatusAndSayWhatWasKept) {
    const fs::path in = Recording("long.wav", 120.0);
    RunOptions terminated = run;
    terminated.signal = SIGTERM;
    terminated.interruptAfterMs = 200;
    const RunResult term = RunCli({"--passes", "20", in, folder.File("out.wav")}, terminated);
    EXPECT_EQ(term.status, 143) << term.err;
    EXPECT_FALSE(fs::exists(folder.File("out.wav")));

    // The first output is complete before the interruption: it is kept and
    // the message says so.
    const fs::path shortIn = Recording("a.wav", 0.2);
    fs::create_directory(folder.File("out"));
    RunOptions afterFirst = run;
    afterFirst.interruptWhenExists = folder.File("out/a.wav");
    const RunResult r =
        RunCli({"-j", "1", "--passes", "20", "-o", folder.File("out"), shortIn, in}, afterFirst);
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(testsupport::SortedEntries(folder.File("out")), std::vector<std::string>{"a.wav"});
    EXPECT_NE(r.err.find("1 finished output(s) were kept"), std::string::npos) << r.err;
}

TEST_F(CliHardeningTest, FailedPlansCreateNothingAndNamesPrintSafely) {
    const fs::path a = Recording("a.wav", 0.2);
    fs::create_directory(folder.File("b"));
    const fs::path b = folder.File("b/a.wav");
    fs::copy_file(a, b);
    const RunResult dup = RunCli({"-o", folder.File("new-dir"), a, b}, run);
    EXPECT_EQ(dup.status, 2) << dup.err;
    EXPECT_FALSE(fs::exists(folder.File("new-dir")));

    const RunResult odd = RunCli({folder.File("line\nbreak.wav"), folder.File("out.wav")}, run);
    EXPECT_EQ(odd.status, 4) << odd.err;
    EXPECT_NE(odd.err.find("line\\nbreak.wav"), std::string::npos) << odd.err;
    EXPECT_EQ(odd.err.find("line\nbreak"), std::string::npos) << odd.err;
}

}  // namespace
}  // namespace clitest
