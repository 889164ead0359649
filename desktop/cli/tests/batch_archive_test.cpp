// hushdesk-clean over an archive: file lists, the output tree, shards,
// restarts after a kill and the JSON Lines report, end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <set>

#include "cli_test_support.h"
#include "json_lines.h"
#include "pipeline/SettingsStore.h"
#include "testsupport/Files.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace clitest {
namespace {

using testsupport::ReadBytes;
using testsupport::ReadText;
using testsupport::ScopedEnv;
using testsupport::TempFolder;
using testsupport::WriteText;

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(folder.File("tmp"));
        run.env["TMPDIR"] = folder.File("tmp");
        run.workingDirectory = folder.Path();
    }

    // Recordings under the test folder, each a little different; returns
    // their paths relative to it (the programs run there).
    std::vector<std::string> MakeArchive(const std::vector<std::string>& names,
                                         double seconds = 0.5) {
        int i = 0;
        for (const auto& name : names) {
            const fs::path path = folder.File(name);
            fs::create_directories(path.parent_path());
            WriteWav(path, MakeNoisyTone(SF_FORMAT_WAV | SF_FORMAT_PCM_16, i % 2 ? 8000 : 16000,
                                         1 + i % 2, seconds, 400.0 + 150 * i));
            ++i;
        }
        return names;
    }

    std::string WriteList(const std::vector<std::string>& entries, const std::string& name) {
        std::string text;
        for (const auto& entry : entries) {
            text += entry + "\n";
        }
        WriteText(folder.File(name), text);
        return name;
    }

    // Every regular file under `dir`, relative to it.
    std::set<std::string> FilesUnder(const std::string& dir) const {
        std::set<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder.File(dir))) {
            if (entry.is_regular_file()) {
                files.insert(fs::relative(entry.path(), folder.File(dir)).string());
            }
        }
        return files;
    }

    static std::vector<JsonObject> Parse(const std::string& text) {
        auto lines = ParseJsonLines(text);
        EXPECT_TRUE(lines) << "not JSON Lines:\n" << text;
        return lines.value_or(std::vector<JsonObject>{});
    }

    TempFolder folder;
    TempFolder registry;
    ScopedEnv registryDir{"KESTROVA_REGISTRY_DIR", registry.Path()};
    RunOptions run;
};

TEST_F(ArchiveTest, SameNamesInDifferentFoldersNeedKeepTree) {
    const auto inputs = MakeArchive({"calls/a/call.wav", "calls/b/call.wav", "звонки/вызов 1.wav"});
    const std::string list = WriteList(inputs, "list.txt");

    // Without --keep-tree the two call.wav would collide: refused before
    // anything is written, not even the output folder or the report.
    const RunResult refused =
        RunCli({"--files-from", list, "-o", "out", "--report", "report.jsonl"}, run);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("out/call.wav"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--keep-tree"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(folder.File("out")));
    EXPECT_FALSE(fs::exists(folder.File("report.jsonl")));

    const RunResult kept = RunCli({"-q", "--files-from", list, "-o", "out", "--keep-tree"}, run);
    ASSERT_EQ(kept.status, 0) << kept.err;
    EXPECT_EQ(FilesUnder("out"), std::set<std::string>(inputs.begin(), inputs.end()));
    for (const auto& input : inputs) {
        // The same bytes as cleaning that file alone.
        ASSERT_EQ(RunCli({"-q", "--force", input, "alone.wav"}, run).status, 0);
        EXPECT_TRUE(ReadBytes(folder.File("out/" + input)) == ReadBytes(folder.File("alone.wav")))
            << input;
    }

    // Without a list, operands keep today's rule; --keep-tree works there too.
    EXPECT_EQ(RunCli({"-q", "-o", "ops", inputs[0], inputs[1]}, run).status, 2);
    EXPECT_EQ(RunCli({"-q", "-o", "ops", "--keep-tree", inputs[0], inputs[1]}, run).status, 0);
}

TEST_F(ArchiveTest, ReportHasOneJsonLinePerInputInEitherLanguage) {
    const auto good = MakeArchive({"calls/good.wav"})[0];
    WriteText(folder.File("calls/text.wav"), "not a recording\n");
    fs::create_directory(folder.File("calls/folder.wav"));
    const std::vector<std::string> entries = {good, "calls/missing.wav", "", "calls/folder.wav",
                                              "calls/text.wav"};
    const std::string list = WriteList(entries, "list.txt");

    for (const bool english : {true, false}) {
        SCOPED_TRACE(english ? "English" : "Russian");
        ASSERT_TRUE(SaveLanguage(english));
        const std::string out = english ? "out-en" : "out-ru";
        // The Russian run writes its report to standard output.
        const std::string report = english ? "report.jsonl" : "-";
        const RunResult r = RunCli(
            {"--files-from", list, "-o", out, "--keep-tree", "-j", "2", "--report", report}, run);
        // Bad entries are reported, never fatal: the good file is cleaned.
        EXPECT_EQ(r.status, 4) << r.err;
        EXPECT_TRUE(fs::exists(folder.File(out + "/" + good)));
        const std::vector<JsonObject> lines =
            Parse(english ? ReadText(folder.File(report)) : r.out);
        ASSERT_EQ(lines.size(), entries.size());
        std::map<std::string, JsonObject> byInput;
        for (const auto& line : lines) {
            byInput[line.at("input").text] = line;
            EXPECT_EQ(line.at("seconds").kind, JsonValue::Kind::Number);
            for (const char* field :
                 {"output", "status", "reason", "frames", "sample_rate", "channels"}) {
                EXPECT_EQ(line.count(field), 1u) << field;
            }
        }
        ASSERT_EQ(byInput.size(), entries.size());

        const JsonObject& cleaned = byInput.at(good);
        EXPECT_EQ(cleaned.at("status").text, "cleaned");
        EXPECT_EQ(cleaned.at("output").text, out + "/" + good);
        EXPECT_EQ(cleaned.at("reason").kind, JsonValue::Kind::Null);
        EXPECT_EQ(cleaned.at("frames").number, 8000.0);
        EXPECT_EQ(cleaned.at("sample_rate").number, 16000.0);
        EXPECT_EQ(cleaned.at("channels").number, 1.0);

        EXPECT_EQ(byInput.at("calls/missing.wav").at("status").text, "failed");
        EXPECT_EQ(byInput.at("calls/folder.wav").at("status").text, "failed");
        EXPECT_EQ(byInput.at("").at("status").text, "refused");
        EXPECT_EQ(byInput.at("").at("output").kind, JsonValue::Kind::Null);
        const JsonObject& text = byInput.at("calls/text.wav");
        EXPECT_EQ(text.at("status").text, "refused");
        EXPECT_EQ(text.at("sample_rate").kind, JsonValue::Kind::Null);
        for (const auto& [input, line] : byInput) {
            if (input != good) {
                EXPECT_FALSE(line.at("reason").text.empty()) << input;
                // The reason is the message printed for it, in the run's language.
                EXPECT_NE(r.err.find(line.at("reason").text), std::string::npos) << input;
            }
        }
        const std::string emptyReason = byInput.at("").at("reason").text;
        EXPECT_NE(emptyReason.find(english ? "entry 3" : "элемент 3"), std::string::npos)
            << emptyReason;
    }
}

TEST_F(ArchiveTest, NulSeparatedListOnStandardInput) {
    const auto inputs = MakeArchive({"a/line\nfeed.wav", "b/ leading space.wav"});
    RunOptions fromStdin = run;
    fromStdin.input = inputs[0] + std::string(1, '\0') + inputs[1] + std::string(1, '\0');
    const RunResult r =
        RunCli({"-q", "-0", "--files-from", "-", "-o", "out", "--keep-tree"}, fromStdin);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FilesUnder("out"), std::set<std::string>(inputs.begin(), inputs.end()));

    // Options that need each other, or contradict each other.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-0", "-o", "out", inputs[0]},
          {"--files-from", "list", inputs[0], inputs[1]},
          {"--files-from", "list", "-o", "out", inputs[0]},
          {"--keep-tree", inputs[0], "x.wav"},
          {"--skip-existing", "--force", inputs[0], "x.wav"},
          {"--shard", "3/2", "-o", "out", inputs[0]},
          {"--files-from", "no-such-list", "-o", "out2"}}) {
        const RunResult bad = RunCli(args, run);
        EXPECT_NE(bad.status, 0) << args[0];
        EXPECT_FALSE(bad.err.empty());
    }
    EXPECT_FALSE(fs::exists(folder.File("out2")));
}

TEST_F(ArchiveTest, TwoShardsUnderGnuParallelCleanEveryFileOnceAsOneRunDoes) {
    ASSERT_EQ(system("command -v parallel >/dev/null"), 0)
        << "GNU parallel is missing: scripts/install-deps installs it";
    std::vector<std::string> names;
    for (int i = 0; i < 7; ++i) {
        names.push_back("archive/day" + std::to_string(i % 3) + "/call" + std::to_string(i) +
                        ".wav");
    }
    const auto inputs = MakeArchive(names);
    const std::string list = WriteList(inputs, "calls.txt");
    ASSERT_EQ(RunCli({"-q", "--files-from", list, "-o", "whole", "--keep-tree"}, run).status, 0);

    // The README's example: one process per shard.
    RunOptions parallel = run;
    parallel.launcher = {"parallel", "--will-cite", "-j", "2"};
    const RunResult r =
        RunCli({"-q", "--files-from", list, "-o", "cleaned", "--keep-tree", "--skip-existing",
                "--shard", "{}/2", "--report", "report-{}.jsonl", ":::", "1", "2"},
               parallel);
    ASSERT_EQ(r.status, 0) << r.err;

    std::multiset<std::string> cleaned;
    for (const char* report : {"report-1.jsonl", "report-2.jsonl"}) {
        const auto lines = Parse(ReadText(folder.File(report)));
        EXPECT_FALSE(lines.empty()) << report;
        for (const auto& line : lines) {
            EXPECT_EQ(line.at("status").text, "cleaned");
            cleaned.insert(line.at("input").text);
        }
    }
    EXPECT_EQ(cleaned, std::multiset<std::string>(inputs.begin(), inputs.end()));
    EXPECT_EQ(FilesUnder("cleaned"), FilesUnder("whole"));
    for (const auto& input : inputs) {
        EXPECT_TRUE(ReadBytes(folder.File("cleaned/" + input)) ==
                    ReadBytes(folder.File("whole/" + input)))
            << input;
    }
}

TEST_F(ArchiveTest, SkipExistingFinishesARunKilledMidBatch) {
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i) {
        names.push_back("calls/" + std::to_string(i) + ".wav");
    }
    const auto inputs = MakeArchive(names, 20.0);
    const std::string list = WriteList(inputs, "list.txt");
    ASSERT_EQ(RunCli({"-q", "--files-from", list, "-o", "whole"}, run).status, 0);

    // Killed outright (no clean-up possible) once the second file is out.
    RunOptions killed = run;
    killed.signal = SIGKILL;
    killed.interruptWhenExists = folder.File("out/1.wav");
    const RunResult first = RunCli(
        {"-q", "-j", "1", "--files-from", list, "-o", "out", "--report", "first.jsonl"}, killed);
    ASSERT_EQ(first.status, 128 + SIGKILL) << "the run ended before the kill: " << first.err;
    size_t done = 0;
    for (const auto& input : inputs) {
        const std::string name = fs::path(input).filename();
        if (fs::exists(folder.File("out/" + name))) {
            ++done;
            // What exists is whole.
            EXPECT_TRUE(ReadBytes(folder.File("out/" + name)) ==
                        ReadBytes(folder.File("whole/" + name)))
                << name;
        }
    }
    ASSERT_GE(done, 2u);
    ASSERT_LT(done, inputs.size()) << "not killed mid-batch";
    // The killed run's report holds complete lines, for finished files only.
    const auto firstLines = Parse(ReadText(folder.File("first.jsonl")));
    EXPECT_LE(firstLines.size(), done);
    for (const auto& line : firstLines) {
        EXPECT_EQ(line.at("status").text, "cleaned");
    }

    const RunResult rerun = RunCli({"-j", "2", "--files-from", list, "-o", "out", "--skip-existing",
                                    "--report", "second.jsonl"},
                                   run);
    ASSERT_EQ(rerun.status, 0) << rerun.err;
    const auto lines = Parse(ReadText(folder.File("second.jsonl")));
    ASSERT_EQ(lines.size(), inputs.size());
    size_t skipped = 0;
    for (const auto& line : lines) {
        skipped += line.at("status").text == "skipped" ? 1 : 0;
        EXPECT_TRUE(line.at("status").text == "skipped" || line.at("status").text == "cleaned");
    }
    EXPECT_EQ(skipped, done);
    for (const auto& input : inputs) {
        const std::string name = fs::path(input).filename();
        EXPECT_TRUE(ReadBytes(folder.File("out/" + name)) ==
                    ReadBytes(folder.File("whole/" + name)))
            << name;
    }
}

}  // namespace
}  // namespace clitest
