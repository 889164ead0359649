// hushdesk-clean end to end: the real program on WAV files made here.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "cli_test_support.h"
#include "pipeline/CleaningSettings.h"
#include "pipeline/SettingsStore.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace clitest {
namespace {

using testsupport::ReadBytes;
using testsupport::ReadText;
using testsupport::ScopedEnv;
using testsupport::SortedEntries;
using testsupport::TempFolder;

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        // ReadOnlyOutputFolderExitsWithFourAndLeavesNothing runs the program as
        // nobody, who must still reach the inputs and the registry.
        for (const std::string& path : {folder.Path(), registry.Path()}) {
            fs::permissions(path, fs::perms::owner_all | fs::perms::group_read |
                                      fs::perms::group_exec | fs::perms::others_read |
                                      fs::perms::others_exec);
        }
        fs::create_directory(folder.File("tmp"));
        run.env["TMPDIR"] = folder.File("tmp");
    }

    // Files in the folder besides the inputs the test made.
    std::vector<std::string> WorkingCopiesLeft() const { return SortedEntries(folder.File("tmp")); }

    TempFolder folder;
    TempFolder registry;
    ScopedEnv registryDir{"KESTROVA_REGISTRY_DIR", registry.Path()};
    RunOptions run;
};

struct FileState {
    std::vector<uint8_t> bytes;
    timespec modified{};
};

FileState Snapshot(const fs::path& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return {ReadBytes(path), st.st_mtim};
}

void ExpectUnchanged(const FileState& before, const fs::path& path) {
    const FileState after = Snapshot(path);
    EXPECT_TRUE(before.bytes == after.bytes) << path;
    EXPECT_EQ(before.modified.tv_sec, after.modified.tv_sec);
    EXPECT_EQ(before.modified.tv_nsec, after.modified.tv_nsec);
}

TEST_F(CliTest, EveryAcceptedFormatComesBackInItsOwnFormat) {
    struct Case {
        int format, rate, channels;
    };
    const Case cases[] = {
        {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1}, {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 2},
        {SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000, 1},   {SF_FORMAT_WAV | SF_FORMAT_ULAW, 16000, 1},
        {SF_FORMAT_WAV | SF_FORMAT_ALAW, 16000, 2},
    };
    for (const Case& c : cases) {
        const fs::path in = folder.File("in.wav");
        const fs::path out = folder.File("out.wav");
        const Wav wav = MakeNoisyTone(c.format, c.rate, c.channels, 1.3);
        WriteWav(in, wav);
        const FileState before = Snapshot(in);

        const RunResult r = RunCli({"--quiet", in, out}, run);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const Wav cleaned = ReadWav(out);
        EXPECT_EQ(cleaned.format, c.format);
        EXPECT_EQ(cleaned.rate, c.rate);
        EXPECT_EQ(cleaned.channels, c.channels);
        EXPECT_EQ(cleaned.samples.size(), wav.samples.size());
        EXPECT_NE(cleaned.samples, wav.samples);
        ExpectUnchanged(before, in);
        EXPECT_EQ(folder.List(), (std::vector<std::string>{"in.wav", "out.wav", "tmp"}));
        fs::remove(out);
    }
}

TEST_F(CliTest, WithEverySwitchOffTheOutputIsTheScaledInputInPlace) {
    const fs::path in = folder.File("tone.wav");
    const fs::path out = folder.File("out.wav");
    const Wav wav =
        MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 2.0, 1000.0, 8000.0, 0.0);
    WriteWav(in, wav);
    const RunResult r = RunCli({"--noise-suppression", "off", "--spectrum=off", "--tone", "off",
                                "--buffer-size", "384", in, out},
                               run);
    ASSERT_EQ(r.status, 0) << r.err;
    const Wav cleaned = ReadWav(out);
    ASSERT_EQ(cleaned.samples.size(), wav.samples.size());
    // The tone's onset and end are clicks whose low-frequency part the engine
    // trims; away from them the copy is exact to rounding.
    const size_t edge = 400;
    for (size_t i = edge; i + edge < wav.samples.size(); ++i) {
        ASSERT_NEAR(cleaned.samples[i], 0.875 * wav.samples[i], 2.0) << "sample " << i;
    }
    for (size_t i : {size_t{0}, size_t{100}, wav.samples.size() - 100}) {
        EXPECT_NEAR(cleaned.samples[i], 0.875 * wav.samples[i], 0.05 * 8000) << "sample " << i;
    }
}

TEST_F(CliTest, RefusedInputsExitWithThreeAndSayWhy) {
    const fs::path slow = folder.File("slow.wav");
    WriteWav(slow, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6000, 2, 0.5));
    const fs::path fast = folder.File("fast.wav");
    WriteWav(fast, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 384000, 1, 0.1));
    const fs::path text = folder.File("notes.wav");
    { std::ofstream(text) << "not a recording\n"; }
    const std::pair<fs::path, std::string> cases[] = {
        {slow, "sampling rate 6000 Hz; recordings from 8000 to 192000 Hz are cleaned"},
        {fast, "sampling rate 384000 Hz; recordings from 8000 to 192000 Hz are cleaned"},
        {text, "not a recording that can be read (Format not recognised.)"},
    };
    for (const auto& [in, why] : cases) {
        const RunResult r = RunCli({in, folder.File("out.wav")}, run);
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.err, "hushdesk-clean: " + in.string() + ": " + why + "\n");
        EXPECT_FALSE(fs::exists(folder.File("out.wav")));
    }
    EXPECT_TRUE(WorkingCopiesLeft().empty());
}

TEST_F(CliTest, UsageErrorsExitWithTwoAndTouchNothing) {
    const fs::path in = folder.File("in.wav");
    WriteWav(in, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 0.5));
    const fs::path existing = folder.File("existing.wav");
    { std::ofstream(existing) << "keep me"; }
    const FileState inBefore = Snapshot(in);
    const std::vector<std::vector<std::string>> calls = {
        {},
        {in},
        {"--gain-max-db", "7", in, folder.File("a.wav")},
        {"--buffer-size", "200", in, folder.File("a.wav")},
        {"--white-noise", "maybe", in, folder.File("a.wav")},
        {"--estimator", "on", in, folder.File("a.wav")},
        {"--frobnicate", in, folder.File("a.wav")},
        {"--passes"},
        {"-o", folder.File("outdir")},
        {in, existing},
        {"--force", in, in},
    };
    for (const auto& args : calls) {
        const RunResult r = RunCli(args, run);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args) << r.err;
        EXPECT_NE(r.err, "");
    }
    EXPECT_EQ(ReadText(existing), "keep me");
    ExpectUnchanged(inBefore, in);
    EXPECT_FALSE(fs::exists(folder.File("a.wav")));

    const RunResult forced = RunCli({"--force", "-q", in, existing}, run);
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(ReadWav(existing).rate, 8000);
}

TEST_F(CliTest, HelpAndVersion) {
    const RunResult help = RunCli({"--help"}, run);
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--noise-suppression", "--gain-max-db", "--white-noise",
                               "--spectrum", "--tone", "--estimator", "--buffer-size", "--passes",
                               "--use-saved-settings", "--quiet", "--force", "-j", "-o"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(RunCli({"--version"}, run).out, "hushdesk-clean 1.0.29.55\n");
}

TEST_F(CliTest, ReadOnlyOutputFolderExitsWithFourAndLeavesNothing) {
    if (geteuid() == 0) {
        run.asUnprivilegedUser = true;  // root writes anywhere; run as nobody instead
    }
    const fs::path in = folder.File("in.wav");
    WriteWav(in, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 0.5));
    fs::permissions(in, fs::perms::all);
    fs::permissions(folder.File("tmp"), fs::perms::all);
    const fs::path locked = folder.File("locked");
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    const RunResult r = RunCli({in, locked / "out.wav"}, run);
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find("out.wav"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(locked));
    EXPECT_TRUE(WorkingCopiesLeft().empty());
}

TEST_F(CliTest, OneBadFileAmongSeveralDoesNotStopTheOthers) {
    const fs::path a = folder.File("a.wav");
    const fs::path bad = folder.File("bad.wav");
    const fs::path c = folder.File("c.wav");
    WriteWav(a, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 0.7));
    { std::ofstream(bad) << "RIFF, but not a recording\n"; }
    WriteWav(c, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 2, 0.7));
    const RunResult r = RunCli({"-o", folder.File("out"), "-j", "2", a, bad, c}, run);
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("bad.wav: not a recording that can be read"), std::string::npos) << r.err;
    EXPECT_EQ(ReadWav(folder.File("out/a.wav")).rate, 8000);
    EXPECT_EQ(ReadWav(folder.File("out/c.wav")).channels, 2);
    EXPECT_FALSE(fs::exists(folder.File("out/bad.wav")));
    // Two inputs that would overwrite each other's result are refused up front.
    fs::create_directory(folder.File("other"));
    fs::copy_file(a, folder.File("other/a.wav"));
    EXPECT_EQ(RunCli({"-o", folder.File("dup"), a, folder.File("other/a.wav")}, run).status, 2);
}

TEST_F(CliTest, ParallelRunsGiveTheSameBytes) {
    std::vector<std::string> inputs;
    for (int i = 0; i < 3; ++i) {
        const fs::path in = folder.File("in" + std::to_string(i) + ".wav");
        WriteWav(in, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1 + i % 2, 1.0,
                                   500.0 + 300 * i));
        inputs.push_back(in);
    }
    auto clean = [&](const std::string& jobs, const fs::path& out) {
        std::vector<std::string> args = {"-q", "-j", jobs, "-o", out};
        args.insert(args.end(), inputs.begin(), inputs.end());
        return RunCli(args, run).status;
    };
    ASSERT_EQ(clean("1", folder.File("serial")), 0);
    ASSERT_EQ(clean("2", folder.File("parallel")), 0);
    for (int i = 0; i < 3; ++i) {
        const std::string name = "in" + std::to_string(i) + ".wav";
        EXPECT_TRUE(ReadBytes(folder.File("serial/" + name)) ==
                    ReadBytes(folder.File("parallel/" + name)))
            << name;
    }
}

TEST_F(CliTest, LargeRecordingsThroughTheWorkingCopyMatchMemoryMode) {
    // On the mapped path the recording decodes through the program's own
    // tables, which agree with libsndfile's for every byte (mu-law 0x7F too):
    // the outputs are the same bytes.
    for (const int format : {SF_FORMAT_PCM_16, SF_FORMAT_ALAW, SF_FORMAT_ULAW}) {
        SCOPED_TRACE(format);
        const fs::path in = folder.File("big.wav");
        WriteWav(in, MakeNoisyTone(SF_FORMAT_WAV | format, 8000, 2, 3.0));
        const FileState before = Snapshot(in);
        ASSERT_EQ(RunCli({"-q", "--force", in, folder.File("memory.wav")}, run).status, 0);
        RunOptions mapped = run;
        mapped.env["HUSHDESK_MEMORY_BUDGET"] = "1000";
        const RunResult r = RunCli({"-q", "--force", in, folder.File("mapped.wav")}, mapped);
        ASSERT_EQ(r.status, 0) << r.err;
        ExpectUnchanged(before, in);
        EXPECT_TRUE(WorkingCopiesLeft().empty());
        EXPECT_TRUE(ReadBytes(folder.File("memory.wav")) == ReadBytes(folder.File("mapped.wav")));
    }
}

TEST_F(CliTest, SavedSettingsAreUsedOnlyWhenAskedAndFlagsOverrideThem) {
    const fs::path in = folder.File("in.wav");
    WriteWav(in, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 1.0));
    CleaningSettings saved;
    saved.noiseCancel = false;
    saved.gainMaxDb = 6;
    saved.buffSize = 256;
    ASSERT_TRUE(SaveSettings(&saved));

    auto clean = [&](std::vector<std::string> args, const std::string& name) {
        args.insert(args.end(), {"-q", in, folder.File(name)});
        EXPECT_EQ(RunCli(args, run).status, 0);
        return ReadBytes(folder.File(name));
    };
    const std::vector<uint8_t> defaults = clean({}, "defaults.wav");
    const std::vector<uint8_t> fromSaved = clean({"--use-saved-settings"}, "saved.wav");
    const std::vector<uint8_t> explicitFlags =
        clean({"--noise-suppression", "off", "--gain-max-db", "6"}, "flags.wav");
    const std::vector<uint8_t> overridden =
        clean({"--use-saved-settings", "--noise-suppression", "on", "--gain-max-db", "18"},
              "overridden.wav");
    EXPECT_TRUE(defaults != fromSaved);
    EXPECT_TRUE(fromSaved == explicitFlags);
    EXPECT_TRUE(overridden == defaults);
}

TEST_F(CliTest, EstimatorOptionChoosesTheNoiseEstimate) {
    const fs::path in = folder.File("in.wav");
    WriteWav(in, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, 1.5));
    auto clean = [&](std::vector<std::string> args, const std::string& name) {
        args.insert(args.end(), {"-q", in, folder.File(name)});
        EXPECT_EQ(RunCli(args, run).status, 0);
        return ReadBytes(folder.File(name));
    };
    const std::vector<uint8_t> defaults = clean({}, "defaults.wav");
    EXPECT_TRUE(clean({"--estimator", "average"}, "average.wav") == defaults);
    const std::vector<uint8_t> speech = clean({"--estimator=speech"}, "speech.wav");
    EXPECT_FALSE(speech.empty());
    EXPECT_TRUE(speech != defaults);
    // The names of an earlier version still work.
    EXPECT_TRUE(clean({"--estimator", "described"}, "described.wav") == defaults);
    EXPECT_TRUE(clean({"--estimator=tracking"}, "tracking.wav") == speech);
    const RunResult bad = RunCli({"--estimator", "fast", in, folder.File("bad.wav")}, run);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("average, speech"), std::string::npos) << bad.err;
    // Saved settings carry it: absent is off, a stored 1 is the speech mode,
    // and the command line still overrides it.
    EXPECT_TRUE(clean({"--use-saved-settings"}, "saved.wav") == defaults);
    CleaningSettings saved;
    saved.speechMode = true;
    ASSERT_TRUE(SaveSettings(&saved));
    EXPECT_TRUE(clean({"--use-saved-settings"}, "saved-speech.wav") == speech);
    EXPECT_TRUE(clean({"--use-saved-settings", "--estimator", "average"}, "saved-average.wav") ==
                defaults);
}

TEST_F(CliTest, AnInterruptedRunLeavesNoOutputAndNoTemporaryFiles) {
    const fs::path in = folder.File("long.wav");
    WriteWav(in, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 2, 20.0));
    RunOptions interrupted = run;
    interrupted.interruptAfterMs = 300;
    interrupted.env["HUSHDESK_MEMORY_BUDGET"] = "1000";  // with a working copy, too
    const RunResult r = RunCli({"--passes", "100", in, folder.File("out.wav")}, interrupted);
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"long.wav", "tmp"}));
    EXPECT_TRUE(WorkingCopiesLeft().empty());
}

}  // namespace
}  // namespace clitest
