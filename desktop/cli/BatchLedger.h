// The steps a batch over an archive adds around each file's cleaning:
// skipping an output that exists, making the output's folder, and the line
// of the report once the file has ended.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>

#include "Batch.h"

class BatchLedger {
public:
    BatchLedger(const BatchExtras& extras, bool english, bool quiet, ProgressBoard& board)
        : m_extras(extras), m_english(english), m_quiet(quiet), m_board(board) {}

    // A bad list entry: printed and reported. Returns its status.
    ExitStatus Bad(const BadEntry& bad);
    // Before the cleaning. Nothing when it is to go ahead; otherwise the
    // file is done and reported: skipped (Ok), or its folder could not be
    // made (IoError).
    std::optional<ExitStatus> BeforeCleaning(const CleanRequest& request);
    // Reports the result of a file that ended (an interrupted one did not
    // end: a rerun cleans it). Returns IoError when the report could not be
    // written, else Ok.
    ExitStatus Finished(const CleanRequest& request, const CleanResult& result,
                        std::chrono::steady_clock::time_point started);

private:
    ExitStatus Record(const ReportEntry& entry);

    const BatchExtras& m_extras;
    bool m_english;
    bool m_quiet;
    ProgressBoard& m_board;
    std::atomic<bool> m_reportFailed{false};
};
