// What the document shows about the open recording: the information text
// above the waveform and the title the frame's caption starts with.
#pragma once

#include <cstdint>
#include <string>

namespace uimodel {

// Whole seconds of the recording as "m:ss" ("%u:%02u"): 150,000 frames at
// 16 kHz are "0:09". "0:00" for a rate of 0.
std::string DurationText(uint32_t frames, uint32_t sampleRate);

// The information text: path, sampling rate, duration, channel count and
// " - STEREO" / " - MONO", lines joined by "\r\n", in the interface language.
std::string FileInformationText(const std::string& path, uint32_t sampleRate, uint32_t frames,
                                uint32_t channels, bool english);

// The part of `path` after its last '/', or the whole path when it has none.
std::string TitleFromPath(const std::string& path);

}  // namespace uimodel
