// The loading job: opens a recording into the document's sound file, gives it
// a fresh segmentation record and builds the waveform summary (writing the
// working copy of a mapped recording in the same pass), reporting to its runner
// over the job protocol. What the desktop shows of the summary it makes itself,
// through the job's `summarised` hook.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "pipeline/JobProtocol.h"

class CSegmentation;
class CSoundFile;
struct WaveformSummary;

// Everything the job writes is staging that no other thread reads while the
// job runs: the runner's owner moves the segmentation, summary and strips into
// place once the job has finished (the window's thread never sees a half-built
// summary, and no window is touched from the job thread).
struct LoadingContext {
    platform::MessageTarget* dialog = nullptr;  // null: the job returns 1 at once
    JobSync* sync = nullptr;
    CSoundFile* soundFile = nullptr;
    std::string path;
    std::unique_ptr<CSegmentation>* segmentation = nullptr;  // staging record
    // Staging summary; null: the job summarises into its own and drops it.
    WaveformSummary* summary = nullptr;
    // Called on the job thread once the summary is complete (the desktop makes
    // its staging strips here); may be empty.
    std::function<void(const CSoundFile&, const WaveformSummary&)> summarised;
};

// The job thread's body. 0 loaded or cancelled (a cancelled load closes the
// sound file and posts nothing); 1 no dialog, or an error that went out as
// WM_JOB_ERROR (wParam the SoundFileResult, lParam 0; lParam 1 when memory ran
// out building the summary, with OpenError).
int LoadingJob(LoadingContext& context);
