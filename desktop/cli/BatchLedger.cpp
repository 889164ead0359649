#include "BatchLedger.h"

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "resources/StringTable.h"
#include "resources/resource.h"

namespace fs = std::filesystem;

namespace {

ReportStatus StatusOf(ExitStatus status) {
    switch (status) {
        case ExitStatus::Ok:
            return ReportStatus::Cleaned;
        case ExitStatus::Refused:
        case ExitStatus::Usage:
            return ReportStatus::Refused;
        default:
            return ReportStatus::Failed;
    }
}

double SecondsSince(std::chrono::steady_clock::time_point started) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

}  // namespace

ExitStatus BatchLedger::Bad(const BadEntry& bad) {
    m_board.Print("hushdesk-clean: " + bad.message);
    ReportEntry entry;
    entry.input = bad.input;
    entry.status = StatusOf(bad.status);
    entry.reason = bad.message;
    return Worst(bad.status, Record(entry));
}

std::optional<ExitStatus> BatchLedger::BeforeCleaning(const CleanRequest& request) {
    const auto started = std::chrono::steady_clock::now();
    struct stat st {};
    // Outputs are renamed into place only when complete, so one that exists
    // is whole. Anything but a regular file goes on to the cleaner's refusal.
    if (m_extras.skipExisting && stat(request.output.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        const std::string text = res::Format(res::LoadPair(res::IDS_CLI_SKIPPED, m_english),
                                             request.input.c_str(), request.output.c_str());
        if (!m_quiet) {
            m_board.Print(text);
        }
        ReportEntry entry{request.input, request.output, ReportStatus::Skipped,
                          text,          std::nullopt,   SecondsSince(started)};
        entry.facts = ReadRecordingFacts(request.output);
        return Record(entry);
    }
    if (m_extras.makeFolders) {
        const fs::path folder = fs::path(request.output).parent_path();
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) {
            const std::string text =
                res::Format(res::LoadPair(res::IDS_CLI_CANNOT_WRITE, m_english), folder.c_str(),
                            error.message().c_str());
            m_board.Print("hushdesk-clean: " + text);
            ReportEntry entry{request.input, request.output, ReportStatus::Failed,
                              text,          std::nullopt,   SecondsSince(started)};
            Record(entry);
            return ExitStatus::IoError;
        }
    }
    return std::nullopt;
}

ExitStatus BatchLedger::Finished(const CleanRequest& request, const CleanResult& result,
                                 std::chrono::steady_clock::time_point started) {
    if (result.status == ExitStatus::Interrupted || m_extras.report == nullptr) {
        return ExitStatus::Ok;
    }
    ReportEntry entry;
    entry.input = request.input;
    entry.output = request.output;
    entry.status = StatusOf(result.status);
    entry.reason = result.message;
    entry.facts = ReadRecordingFacts(request.input);
    entry.seconds = SecondsSince(started);
    return Record(entry);
}

ExitStatus BatchLedger::Record(const ReportEntry& entry) {
    if (m_extras.report == nullptr) {
        return ExitStatus::Ok;
    }
    const int error = m_extras.report->Add(entry);
    if (error == 0) {
        return ExitStatus::Ok;
    }
    if (!m_reportFailed.exchange(true)) {
        m_board.Print("hushdesk-clean: " +
                      res::Format(res::LoadPair(res::IDS_CLI_CANNOT_WRITE, m_english),
                                  m_extras.reportPath.c_str(), std::strerror(error)));
    }
    return ExitStatus::IoError;
}
