#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <mutex>

#include "PipelineTestSupport.h"
#include "pipeline/SoundFile.h"
#include "testsupport/Files.h"

namespace testsupport {

bool WriteWav(const std::string& path, int format, int sampleRate, int channels,
              const std::vector<int16_t>& interleaved) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
    const sf_count_t written = frames > 0 ? sf_writef_short(file, interleaved.data(), frames) : 0;
    sf_close(file);
    return written == frames;
}

bool WritePcmWav(const std::string& path, int sampleRate, int channels,
                 const std::vector<int16_t>& interleaved) {
    return WriteWav(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, sampleRate, channels, interleaved);
}

std::vector<int16_t> ReadAllSamples(const std::string& path, SF_INFO* infoOut) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return {};
    }
    std::vector<int16_t> samples(static_cast<size_t>(info.frames * info.channels));
    sf_readf_short(file, samples.data(), info.frames);
    sf_close(file);
    if (infoOut != nullptr) {
        *infoOut = info;
    }
    return samples;
}

std::vector<int16_t> Tone(uint32_t frames, double hz, int sampleRate, double amplitude,
                          double phase) {
    std::vector<int16_t> samples(frames);
    for (uint32_t i = 0; i < frames; ++i) {
        samples[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2.0 * M_PI * hz * i / sampleRate + phase)));
    }
    return samples;
}

std::vector<int16_t> Noise(uint32_t frames, uint32_t seed, int amplitude) {
    std::vector<int16_t> samples(frames);
    uint32_t state = seed * 2654435761u + 1;
    for (uint32_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        samples[i] =
            static_cast<int16_t>(static_cast<int>(state >> 16) % (2 * amplitude + 1) - amplitude);
    }
    return samples;
}

std::vector<int16_t> Interleave(const std::vector<int16_t>& left,
                                const std::vector<int16_t>& right) {
    std::vector<int16_t> both(left.size() * 2);
    for (size_t i = 0; i < left.size(); ++i) {
        both[2 * i] = left[i];
        both[2 * i + 1] = right[i];
    }
    return both;
}

std::vector<int16_t> Channel(const std::vector<int16_t>& interleaved, int channels, int channel) {
    std::vector<int16_t> one(interleaved.size() / channels);
    for (size_t i = 0; i < one.size(); ++i) {
        one[i] = interleaved[i * channels + channel];
    }
    return one;
}

std::vector<int16_t> ChannelSamples(CSoundFile& file, int channel) {
    std::vector<int16_t> samples(file.Frames());
    for (uint32_t f = 0; f < file.Frames(); ++f) {
        samples[f] = file.GetSample(channel, f);
    }
    return samples;
}

int64_t ModificationTimeNs(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return -1;
    }
    return int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
}

namespace {

void PutU32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void PutU16(std::vector<uint8_t>& bytes, uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutId(std::vector<uint8_t>& bytes, const char* id) {
    // Byte by byte: depending on what else this file includes, GCC 12 takes a
    // range insert here for an overflow (-Wstringop-overflow).
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(id[i]));
    }
}

}  // namespace

uint64_t PcmWavDataOffset(uint32_t listBytes) {
    const uint64_t list = listBytes > 0 ? 8 + listBytes + (listBytes & 1) : 0;
    return 12 + 24 + list + 8;
}

std::vector<uint8_t> MakePcmWavBytes(int sampleRate, int channels,
                                     const std::vector<int16_t>& interleaved, uint32_t listBytes) {
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
    const uint64_t dataOffset = PcmWavDataOffset(listBytes);
    std::vector<uint8_t> bytes;
    bytes.reserve(dataOffset + dataBytes);
    PutId(bytes, "RIFF");
    PutU32(bytes, static_cast<uint32_t>(dataOffset - 8 + dataBytes));
    PutId(bytes, "WAVE");
    PutId(bytes, "fmt ");
    PutU32(bytes, 16);
    PutU16(bytes, 1);
    PutU16(bytes, static_cast<uint16_t>(channels));
    PutU32(bytes, static_cast<uint32_t>(sampleRate));
    PutU32(bytes, static_cast<uint32_t>(sampleRate * channels * 2));
    PutU16(bytes, static_cast<uint16_t>(channels * 2));
    PutU16(bytes, 16);
    if (listBytes > 0) {
        PutId(bytes, "LIST");
        PutU32(bytes, listBytes);
        PutId(bytes, "INFO");
        for (uint32_t i = 4; i < listBytes + (listBytes & 1); ++i) {
            // Bytes that would read as loud samples if taken for audio.
            bytes.push_back(i % 2 == 0 ? 0x7F : 0x80);
        }
    }
    PutId(bytes, "data");
    PutU32(bytes, dataBytes);
    for (const int16_t sample : interleaved) {
        PutU16(bytes, static_cast<uint16_t>(sample));
    }
    return bytes;
}

bool MakeSparsePcmWav(const std::string& path, int sampleRate, uint32_t frames, uint32_t listBytes,
                      const std::map<uint32_t, int16_t>& samples) {
    std::vector<uint8_t> header = MakePcmWavBytes(sampleRate, 1, {}, listBytes);
    const uint64_t dataOffset = PcmWavDataOffset(listBytes);
    const uint64_t dataBytes = uint64_t{frames} * 2;
    const auto put = [&header](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            header[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    };
    put(4, static_cast<uint32_t>(dataOffset - 8 + dataBytes));
    put(dataOffset - 4, static_cast<uint32_t>(dataBytes));
    if (!WriteBytes(path, header)) {
        return false;
    }
    if (truncate(path.c_str(), static_cast<off_t>(dataOffset + dataBytes)) != 0) {
        return false;
    }
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    for (const auto& [frame, value] : samples) {
        const auto bits = static_cast<uint16_t>(value);
        const char bytes[2] = {static_cast<char>(bits & 0xFF), static_cast<char>(bits >> 8)};
        file.seekp(static_cast<std::streamoff>(dataOffset + uint64_t{frame} * 2));
        file.write(bytes, 2);
    }
    return static_cast<bool>(file);
}

FakeEngine::FakeEngine(Log& log, Script script) : m_log(log), m_script(script), m_history(256, 0) {
    ++m_log.created;
}

int32_t FakeEngine::Init(int32_t) {
    m_log.calls.push_back("Init");
    m_log.gainMaxDbAtInit = m_gainMaxDb;
    m_log.whiteNoiseAtInit = m_whiteNoise;
    std::fill(m_history.begin(), m_history.end(), int16_t{0});
    return m_script.initResult;
}

int32_t FakeEngine::Process(const int16_t* input, int16_t* output, int32_t count) {
    const int call = m_processCalls++;
    m_log.processCounts.push_back(count);
    if (call == m_script.failProcessAtCall || count % 256 != 0 || count > 4096) {
        return kVelquorWrongLength;
    }
    for (int32_t i = 0; i < count; ++i) {
        const int16_t delayed = m_history[i % 256];
        m_history[i % 256] = input[i];
        output[i] = static_cast<int16_t>(std::lround(delayed * m_script.gain));
    }
    return 0;
}

void FakeEngine::Release() {
    ++m_log.released;
    delete this;
}

int32_t FakeEngine::SetNoiseSuppression(int32_t on) {
    m_log.calls.push_back("SetNoiseSuppression");
    return m_noise = on != 0;
}
int32_t FakeEngine::SetGainMaxDb(int32_t db) {
    m_log.calls.push_back("SetGainMaxDb");
    return m_gainMaxDb = db > 18 ? 18 : (db < 0 ? 0 : db);
}
int32_t FakeEngine::SetSpectrumCorrection(int32_t on) {
    m_log.calls.push_back("SetSpectrumCorrection");
    return m_spectrum = on != 0;
}
int32_t FakeEngine::SetWhiteNoise(int32_t on) {
    m_log.calls.push_back("SetWhiteNoise");
    return m_whiteNoise = on != 0;
}
int32_t FakeEngine::SetToneCleaning(int32_t on) {
    m_log.calls.push_back("SetToneCleaning");
    return m_tone = on != 0;
}

void RecordingTarget::Post(uint32_t id, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back({id, wParam, lParam});
}

std::vector<platform::Message> RecordingTarget::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

}  // namespace testsupport
