// Cleaning a list of recordings, several at once.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "BatchReport.h"
#include "CleanRecording.h"
#include "CliOptions.h"
#include "FileList.h"
#include "ProgressBoard.h"

struct BatchPlan {
    std::vector<CleanRequest> requests;
    std::vector<BadEntry> badEntries;    // this run's share of them
    ExitStatus status = ExitStatus::Ok;  // a problem found while planning
    std::vector<std::string> errors;
};

// One request per input of this run's shard: OUTPUT itself, or DIR/<input's
// file name> (DIR/<input's path> with --keep-tree; with --format, the
// format's extension in place of the input's). `listed` holds the entries of
// --files-from, which replace the INPUT operands. Two inputs of the whole
// list that would land on one output are a usage error, whatever the shard.
// Makes DIR when it does not exist, once the plan is otherwise sound.
BatchPlan PlanBatch(const CliOptions& options, const CleaningSettings& settings, bool english,
                    const std::vector<std::string>* listed = nullptr);

// What a batch over an archive adds to a plain run.
struct BatchExtras {
    bool skipExisting = false;  // an existing output is whole: skip its input
    bool makeFolders = false;   // --keep-tree: make each output's folder first
    const std::vector<BadEntry>* badEntries = nullptr;
    BatchReport* report = nullptr;
    std::string reportPath;  // named when the report cannot be written
};

// Cleans every request on up to `jobs` threads; reports each result on the
// board. Returns the worst status; `finished` (when not null) counts the
// outputs written.
ExitStatus RunBatch(const std::vector<CleanRequest>& requests, unsigned jobs, bool english,
                    bool quiet, ProgressBoard& board, const std::atomic<bool>& interrupted,
                    size_t* finished = nullptr, const BatchExtras& extras = {});
