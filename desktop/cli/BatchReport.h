// --report: one JSON object per input, a line each (JSON Lines), written as
// each file ends so that a run killed at any moment leaves a valid report of
// what finished.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

enum class ReportStatus { Cleaned, Skipped, Refused, Failed };

// What libsndfile says of a recording; null fields in the report when it
// cannot open it.
struct RecordingFacts {
    int64_t frames = 0;
    int sampleRate = 0;
    int channels = 0;
};

std::optional<RecordingFacts> ReadRecordingFacts(const std::string& path);

struct ReportEntry {
    std::string input;
    std::string output;  // empty: null (a bad list entry has none)
    ReportStatus status = ReportStatus::Cleaned;
    std::string reason;  // empty: null
    std::optional<RecordingFacts> facts;
    double seconds = 0.0;
};

// The entry as one line of JSON, with its line feed.
std::string ReportLine(const ReportEntry& entry);
// `text` as a JSON string. Bytes that are not UTF-8 become U+FFFD: a report
// is always valid JSON, even for file names in another encoding.
std::string JsonString(std::string_view text);

class BatchReport {
public:
    BatchReport() = default;
    ~BatchReport();
    BatchReport(const BatchReport&) = delete;
    BatchReport& operator=(const BatchReport&) = delete;

    // `path` "-" is standard output. On failure `error` holds the system's
    // reason and nothing was created.
    bool Open(const std::string& path, std::string* error);
    // Thread-safe; each line in one write, so lines never interleave.
    // Returns 0, or the errno value of a failed write.
    int Add(const ReportEntry& entry);

private:
    std::mutex m_mutex;
    int m_fd = -1;
    bool m_ownsFd = false;
};
