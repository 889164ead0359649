// What a sound file holds, as libsndfile describes it, without its header:
// the container and sample encoding (libsndfile's format bits), rate,
// channels and length.
#pragma once

#include <cstdint>

struct SoundFormat {
    int format = 0;  // container | encoding | byte order, as libsndfile numbers them
    int sampleRate = 0;
    int channels = 0;
    int64_t frames = 0;
};

// The recordings the desktop program opens (WAV or WAVEX; 16-bit PCM, A-law
// or mu-law; 8000 or 16000 Hz; one or two channels; not too long).
bool IsDesktopFormat(const SoundFormat& format);
// True when the recording's samples as 16-bit PCM fit in one WAV file.
bool DecodedCopyFitsWav(const SoundFormat& format);
// True when the encoding holds 16 bits or fewer per sample (16- or 8-bit PCM,
// A-law, mu-law and the like): such samples pass through 16-bit integers
// without loss.
bool HoldsAtMost16Bits(const SoundFormat& format);
// A WAV-family container, whose sizes are 32-bit.
bool IsWavContainer(const SoundFormat& format);
// False only for a WAV-family file whose samples would pass its 4 GiB limit.
bool FitsItsContainer(const SoundFormat& format);
