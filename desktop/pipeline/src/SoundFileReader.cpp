#include "pipeline/SoundFileReader.h"

#include <sndfile.h>

#include <algorithm>
#include <limits>

namespace {

// One libsndfile call takes at most this many frames' worth of samples.
constexpr uint64_t kLargestCallSamples = std::numeric_limits<int32_t>::max();

}  // namespace

SoundFileReader::~SoundFileReader() {
    if (m_file != nullptr) {
        sf_close(m_file);
    }
}

bool SoundFileReader::Open(int fd) {
    if (m_file != nullptr) {
        sf_close(m_file);
        m_file = nullptr;
    }
    SF_INFO info{};
    // The descriptor stays the caller's (SF_FALSE): libsndfile closes a
    // descriptor it owns even when opening fails, and another thread may have
    // been given that number by then.
    m_file = sf_open_fd(fd, SFM_READ, &info, SF_FALSE);
    if (m_file == nullptr) {
        return false;
    }
    m_format = {info.format, info.samplerate, info.channels, info.frames};
    // Float and compressed sources can hold values beyond full scale; they
    // are clipped rather than wrapped around when they become integers.
    sf_command(m_file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

uint64_t SoundFileReader::Read(int16_t* samples, uint64_t frames) {
    if (m_file == nullptr || m_format.channels <= 0) {
        return 0;
    }
    const uint64_t channels = static_cast<uint64_t>(m_format.channels);
    frames = std::min(frames, kLargestCallSamples / channels);
    return static_cast<uint64_t>(
        std::max<sf_count_t>(sf_readf_short(m_file, samples, static_cast<sf_count_t>(frames)), 0));
}

uint64_t SoundFileReader::Read(float* samples, uint64_t frames) {
    if (m_file == nullptr || m_format.channels <= 0) {
        return 0;
    }
    const uint64_t channels = static_cast<uint64_t>(m_format.channels);
    frames = std::min(frames, kLargestCallSamples / channels);
    return static_cast<uint64_t>(
        std::max<sf_count_t>(sf_readf_float(m_file, samples, static_cast<sf_count_t>(frames)), 0));
}

std::string SoundFileReader::Reason() const {
    if (m_file != nullptr && sf_error(m_file) == SF_ERR_NO_ERROR) {
        return {};
    }
    return sf_strerror(m_file);
}
