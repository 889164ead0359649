// Cleaning one recording into a new file: streamed block by block in constant
// memory, or through the desktop program's own loading and cleaning jobs,
// driven the way its progress dialog drives them.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "CliOptions.h"
#include "pipeline/CleaningSettings.h"
#include "pipeline/OutputFormat.h"

struct CleanRequest {
    std::string input;
    std::string output;
    CleaningSettings settings;
    int passes = 1;
    bool replaceOutput = false;  // --force
    OutputChoice format = OutputChoice::Same;
    // The desktop program's loading and cleaning jobs instead of the stream;
    // the result is the same bit for bit (tests compare the two).
    bool viaJobs = false;
};

struct CleanResult {
    ExitStatus status = ExitStatus::Ok;
    std::string message;  // what went wrong, naming the file; empty on success
};

struct CleanHooks {
    bool english = true;
    // 0..1 over loading, every pass and writing; called on the calling thread.
    std::function<void(double fraction)> onProgress;
    // Set from a signal handler; the run stops at its next check point.
    const std::atomic<bool>* interrupted = nullptr;
};

// Cleans request.input into request.output. The input is only ever read; the
// output appears complete or not at all; a working copy is always removed.
CleanResult CleanRecording(const CleanRequest& request, const CleanHooks& hooks);
