// Reading a recording block by block through libsndfile, for cleaning it as
// it is read in constant memory. Whatever libsndfile decodes (WAV, FLAC,
// Ogg, MP3 ...) comes out as interleaved 16-bit or float samples.
#pragma once

#include <cstdint>
#include <string>

#include "pipeline/SoundFormat.h"

struct sf_private_tag;

class SoundFileReader {
public:
    SoundFileReader() = default;
    ~SoundFileReader();
    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    // Opens the recording behind `fd`, which stays the caller's to close.
    // False when libsndfile does not know it; Reason() then says why.
    bool Open(int fd);
    const SoundFormat& Format() const { return m_format; }

    // Read up to `frames` interleaved frames and return how many were read:
    // fewer only at the end of the file or when decoding fails (Reason()
    // then says why). 16-bit samples are decoded exactly as libsndfile does;
    // floats are scaled to -1..1; out-of-range values are clipped.
    uint64_t Read(int16_t* samples, uint64_t frames);
    uint64_t Read(float* samples, uint64_t frames);

    // libsndfile's last error message; empty when there was none.
    std::string Reason() const;

private:
    sf_private_tag* m_file = nullptr;
    SoundFormat m_format;
};
