// The batch cleaner's own way of cleaning a recording: read, clean and write
// block by block, so memory stays the same whatever the recording's length.
// Any file libsndfile reads is taken, at 8 to 192 kHz and with any number of
// channels. At 8 and 16 kHz the cleaned samples are those of the desktop
// program's jobs, bit for bit; other rates go through the band split.
#pragma once

#include "CleanRecording.h"

CleanResult StreamRecording(const CleanRequest& request, const CleanHooks& hooks);
