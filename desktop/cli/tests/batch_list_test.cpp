// The pieces of a batch over an archive that need no recording: the list,
// the shards, the output names and the report's lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BatchReport.h"
#include "FileList.h"
#include "Shard.h"
#include "json_lines.h"

namespace clitest {
namespace {

using Entries = std::vector<std::string>;

TEST(Shard, EveryEntryOfEveryListBelongsToExactlyOneShard) {
    for (size_t n = 1; n <= 7; ++n) {
        std::vector<Shard> shards;
        for (size_t k = 1; k <= n; ++k) {
            const auto shard = ParseShard(std::to_string(k) + "/" + std::to_string(n));
            ASSERT_TRUE(shard) << k << "/" << n;
            shards.push_back(*shard);
        }
        for (size_t size = 0; size <= 50; ++size) {
            std::vector<size_t> taken(size, 0);
            for (const Shard& shard : shards) {
                for (size_t position = 0; position < size; ++position) {
                    taken[position] += shard.Holds(position) ? 1 : 0;
                }
            }
            for (size_t position = 0; position < size; ++position) {
                ASSERT_EQ(taken[position], 1u)
                    << "entry " << position << " of " << size << " in " << n << " shards";
            }
        }
    }
}

TEST(Shard, OnlyKOverNWithOneToN) {
    const auto shard = ParseShard("3/7");
    ASSERT_TRUE(shard);
    EXPECT_EQ(shard->index, 3u);
    EXPECT_EQ(shard->count, 7u);
    for (const char* bad : {"0/3", "4/3", "1/0", "0/0", "a/b", "1/", "/2", "-1/2", "+1/2", "1/2/3",
                            " 1/2", "1/2 ", "12", "", "1/1000001"}) {
        EXPECT_FALSE(ParseShard(bad)) << bad;
    }
    EXPECT_TRUE(ParseShard("1000000/1000000"));
}

TEST(FileList, LinesOrNulSeparatedEntriesKeepTheirPositions) {
    EXPECT_EQ(SplitFileList("", false), Entries{});
    EXPECT_EQ(SplitFileList("a.wav\nb c.wav\n", false), (Entries{"a.wav", "b c.wav"}));
    EXPECT_EQ(SplitFileList("a.wav\nb.wav", false), (Entries{"a.wav", "b.wav"}));
    // Empty entries stay in place, so that every shard sees the same list.
    EXPECT_EQ(SplitFileList("a.wav\n\nb.wav\n", false), (Entries{"a.wav", "", "b.wav"}));
    EXPECT_EQ(SplitFileList("\n", false), (Entries{""}));
    constexpr char kNulList[] = "line\nfeed.wav\0 lead.wav\0";
    const std::string nul(kNulList, sizeof(kNulList) - 1);
    EXPECT_EQ(SplitFileList(nul, true), (Entries{"line\nfeed.wav", " lead.wav"}));
}

TEST(FileList, OutputNamesStayInsideTheFolder) {
    EXPECT_EQ(OutputPathUnder("out", "calls/2024/call.wav", false), "out/call.wav");
    EXPECT_EQ(OutputPathUnder("out", "calls/2024/call.wav", true), "out/calls/2024/call.wav");
    EXPECT_EQ(OutputPathUnder("out", "./calls//a/../b/call.wav", true), "out/calls/b/call.wav");
    EXPECT_EQ(OutputPathUnder("out", "/srv/archive/call.wav", true), "out/srv/archive/call.wav");
    EXPECT_EQ(OutputPathUnder("out", "../../calls/call.wav", true), "out/calls/call.wav");
    EXPECT_EQ(OutputPathUnder("out/", "звонки/вызов 1.wav", true), "out/звонки/вызов 1.wav");
}

TEST(BatchReport, LinesAreJsonWhateverTheFileNames) {
    ReportEntry entry;
    entry.input = "звонки/\"quoted\" back\\slash\ttab\x01.wav";
    entry.output = std::string("bad\xff\xfe utf8 \xe2\x82.wav");  // not UTF-8
    entry.status = ReportStatus::Refused;
    entry.reason = "ошибка";
    entry.facts = RecordingFacts{123456789012, 48000, 2};
    entry.seconds = 1.5;
    const auto parsed = ParseJsonLines(ReportLine(entry));
    ASSERT_TRUE(parsed) << ReportLine(entry);
    ASSERT_EQ(parsed->size(), 1u);
    const JsonObject& line = parsed->front();
    EXPECT_EQ(line.at("input").text, entry.input);
    EXPECT_EQ(line.at("output").text,
              "bad\xef\xbf\xbd\xef\xbf\xbd utf8 \xef\xbf\xbd\xef\xbf\xbd.wav");
    EXPECT_EQ(line.at("status").text, "refused");
    EXPECT_EQ(line.at("reason").text, "ошибка");
    EXPECT_EQ(line.at("frames").number, 123456789012.0);
    EXPECT_EQ(line.at("sample_rate").number, 48000.0);
    EXPECT_EQ(line.at("channels").number, 2.0);
    EXPECT_EQ(line.at("seconds").number, 1.5);

    ReportEntry bare;  // a bad list entry: no output, no reason, no recording
    bare.status = ReportStatus::Failed;
    const auto bareLine = ParseJsonLines(ReportLine(bare));
    ASSERT_TRUE(bareLine);
    for (const char* field : {"output", "reason", "frames", "sample_rate", "channels"}) {
        EXPECT_EQ(bareLine->front().at(field).kind, JsonValue::Kind::Null) << field;
    }
    EXPECT_EQ(bareLine->front().at("input").text, "");
    EXPECT_EQ(bareLine->front().at("status").text, "failed");
}

TEST(BatchReport, TheTestReaderRejectsWhatIsNotJsonLines) {
    EXPECT_TRUE(ParseJsonLines(""));
    EXPECT_FALSE(ParseJsonLines("{\"a\":1}"));             // unterminated last line
    EXPECT_FALSE(ParseJsonLines("{\"a\":1}\n{\"b\":\n"));  // cut short
    EXPECT_FALSE(ParseJsonLines("{\"a\":\"\x01\"}\n"));    // raw control character
    EXPECT_FALSE(ParseJsonLines("{\"a\":\"\xff\"}\n"));    // not UTF-8
    EXPECT_FALSE(ParseJsonLines("{\"a\":1,\"a\":2}\n"));   // a field twice
    EXPECT_FALSE(ParseJsonLines("{\"a\":\"\\x41\"}\n"));   // not a JSON escape
}

}  // namespace
}  // namespace clitest
