// Cleaning a list of recordings, several at once.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "CleanRecording.h"
#include "CliOptions.h"
#include "ProgressBoard.h"

struct BatchPlan {
    std::vector<CleanRequest> requests;
    ExitStatus status = ExitStatus::Ok;  // a problem found while planning
    std::vector<std::string> errors;
};

// One request per input: OUTPUT itself, or DIR/<input's file name> (with
// --format, the format's extension in place of the input's). Two inputs that
// would land on one output are a usage error. Makes DIR when it does not
// exist, once the plan is otherwise sound.
BatchPlan PlanBatch(const CliOptions& options, const CleaningSettings& settings, bool english);

// Cleans every request on up to `jobs` threads; reports each result on the
// board. Returns the worst status; `finished` (when not null) counts the
// outputs written.
ExitStatus RunBatch(const std::vector<CleanRequest>& requests, unsigned jobs, bool english,
                    bool quiet, ProgressBoard& board, const std::atomic<bool>& interrupted,
                    size_t* finished = nullptr);
