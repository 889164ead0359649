// The batch cleaner's own way of cleaning a recording: read, clean and write
// block by block, so memory stays the same whatever the recording's length.
// The cleaned samples are those of the desktop program's jobs, bit for bit.
#pragma once

#include "CleanRecording.h"

CleanResult StreamRecording(const CleanRequest& request, const CleanHooks& hooks);
