// The per-recording segmentation record. In this program it carries the
// cursor: the frame where the waveform caret stands and from which "Play from
// Cursor" starts. The loading job and the redisplay after a cleaning pass
// create a new one (cursor at frame 0); the waveform control moves the cursor.
#pragma once

#include <cstdint>

class CSegmentation {
public:
    CSegmentation(uint32_t frameCount, uint32_t rate);
    virtual ~CSegmentation();

    uint32_t frames = 0;      // frame count of the recording
    uint32_t sampleRate = 0;  // of the recording
    int32_t cursorFrame = 0;  // read and written directly by its users
};
