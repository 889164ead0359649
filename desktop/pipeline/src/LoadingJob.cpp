#include "pipeline/LoadingJob.h"

#include <new>

#include "pipeline/Segmentation.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"

namespace {

// WM_JOB_ERROR lParam: 0 for a failure the job raised itself, 1 for anything
// else (here: memory running out while summarising).
constexpr intptr_t kRaisedFailure = 0;
constexpr intptr_t kOtherFailure = 1;

int ReportError(LoadingContext& context, SoundFileResult result, intptr_t kind) {
    JobEndHandshake(*context.sync, *context.dialog, WM_JOB_ERROR, static_cast<uintptr_t>(result),
                    kind);
    return 1;
}

}  // namespace

int LoadingJob(LoadingContext& context) {
    if (context.dialog == nullptr || context.sync == nullptr || context.soundFile == nullptr) {
        return 1;
    }
    CSoundFile& file = *context.soundFile;
    JobStartHandshake(*context.sync, *context.dialog, WM_LOADING_STARTED, 1, 1);

    file.Close();
    const SoundFileResult opened =
        file.Open(context.path, context.dialog, &context.sync->JobCancelEvent);
    if (opened == SoundFileResult::Cancelled) {
        file.Close();
        return 0;
    }
    if (opened != SoundFileResult::Ok) {
        return ReportError(context, opened, kRaisedFailure);
    }
    if (context.segmentation != nullptr) {
        *context.segmentation = std::make_unique<CSegmentation>(file.Frames(), file.SampleRate());
        (*context.segmentation)->cursorFrame = 0;
    }

    SoundFileResult summarised = SoundFileResult::Ok;
    WaveformSummary ownSummary;
    WaveformSummary& summary = context.summary != nullptr ? *context.summary : ownSummary;
    try {
        summarised = BuildWaveformSummary(summary, file, true, context.dialog,
                                          &context.sync->JobCancelEvent);
    } catch (const std::bad_alloc&) {
        // The column arrays of a very long recording did not fit.
        return ReportError(context, SoundFileResult::OpenError, kOtherFailure);
    }
    if (summarised == SoundFileResult::Cancelled) {
        file.Close();
        return 0;
    }
    if (summarised != SoundFileResult::Ok) {
        return ReportError(context, summarised, kRaisedFailure);
    }

    if (context.summarised) {
        context.summarised(file, summary);
    }
    JobEndHandshake(*context.sync, *context.dialog, WM_LOADING_FINISHED, 1, 1);
    return 0;
}
