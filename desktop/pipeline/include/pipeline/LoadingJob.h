// The loading job: opens a recording into the document's sound file, gives it
// a fresh segmentation record, builds the waveform summary (writing the
// working copy of a mapped recording in the same pass) and creates the
// waveform strips, reporting to its runner over the job protocol.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "pipeline/JobProtocol.h"

class CSegmentation;
class CSoundFile;
struct WaveformStrips;
struct WaveformSummary;

// Band top the waveform control gets after loading, in pixels.
inline constexpr int32_t kLoadedCaretTopPx = 16;

struct LoadingContext {
    platform::MessageTarget* dialog = nullptr;  // null: the job returns 1 at once
    JobSync* sync = nullptr;
    CSoundFile* soundFile = nullptr;
    std::string path;
    std::unique_ptr<CSegmentation>* segmentation = nullptr;  // the document's record
    WaveformSummary* summary = nullptr;                      // the waveform control's
    WaveformStrips* strips = nullptr;                        // the waveform control's
    // Called on the job thread once the strips exist: the waveform control
    // recomputes its scroll state and sets its band top to kLoadedCaretTopPx.
    std::function<void()> onStripsCreated;
};

// The job thread's body. 0 loaded or cancelled (a cancelled load closes the
// sound file and posts nothing); 1 no dialog, or an error that went out as
// WM_JOB_ERROR (wParam the SoundFileResult, lParam 0; lParam 1 when memory ran
// out building the summary, with OpenError).
int LoadingJob(LoadingContext& context);
