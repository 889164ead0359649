// Helpers shared by the pipeline's tests and the tests above the pipeline:
// WAV files written through libsndfile, test signals, a scripted engine and a
// message recorder. Folders, environment and plain file helpers are in
// testsupport/.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageTarget.h"
#include "velquor/IVelquor.h"

class CSoundFile;

namespace testsupport {

// Writes interleaved samples through libsndfile; false on failure.
bool WriteWav(const std::string& path, int format, int sampleRate, int channels,
              const std::vector<int16_t>& interleaved);
// 16-bit PCM mono/stereo WAV at `sampleRate`.
bool WritePcmWav(const std::string& path, int sampleRate, int channels,
                 const std::vector<int16_t>& interleaved);
// Reads every sample of a file through libsndfile (decoded to 16 bits).
std::vector<int16_t> ReadAllSamples(const std::string& path, SF_INFO* info = nullptr);

// Deterministic test signals.
std::vector<int16_t> Tone(uint32_t frames, double hz, int sampleRate, double amplitude,
                          double phase = 0.0);
std::vector<int16_t> Noise(uint32_t frames, uint32_t seed, int amplitude);
std::vector<int16_t> Interleave(const std::vector<int16_t>& left,
                                const std::vector<int16_t>& right);
std::vector<int16_t> Channel(const std::vector<int16_t>& interleaved, int channels, int channel);
// Every frame of one channel of an open recording, read through GetSample.
std::vector<int16_t> ChannelSamples(CSoundFile& file, int channel);

// Modification time in nanoseconds.
int64_t ModificationTimeNs(const std::string& path);

// A hand-made 16-bit PCM WAV: RIFF header, fmt, optionally a LIST chunk of
// `listBytes` bytes before "data", then the samples.
std::vector<uint8_t> MakePcmWavBytes(int sampleRate, int channels,
                                     const std::vector<int16_t>& interleaved, uint32_t listBytes);
// Byte offset of the samples in what MakePcmWavBytes makes.
uint64_t PcmWavDataOffset(uint32_t listBytes);
// A 16-bit PCM mono WAV of `frames` frames made as a sparse file (silence),
// with the given samples set; for recordings larger than one mapping window.
bool MakeSparsePcmWav(const std::string& path, int sampleRate, uint32_t frames, uint32_t listBytes,
                      const std::map<uint32_t, int16_t>& samples);

// A stand-in engine: output = input delayed by 256 samples times `gain`
// (a plain delay line with the real engine's latency), recording the calls.
class FakeEngine final : public IVelquor {
public:
    struct Log {
        int created = 0;
        int released = 0;
        std::vector<std::string> calls;  // setter/Init names in call order
        std::vector<int32_t> processCounts;
        int32_t gainMaxDbAtInit = -1;
        int32_t whiteNoiseAtInit = -1;
    };
    struct Script {
        int32_t initResult = 0;
        int failProcessAtCall = -1;  // 0-based Process call that returns -3
        double gain = 1.0;
    };

    FakeEngine(Log& log, Script script);
    int32_t Init(int32_t sampleRateHz) override;
    int32_t Process(const int16_t* input, int16_t* output, int32_t count) override;
    void Release() override;
    int32_t GetNoiseSuppression() override { return m_noise; }
    int32_t GetGainMaxDb() override { return m_gainMaxDb; }
    int32_t GetSpectrumCorrection() override { return m_spectrum; }
    int32_t GetWhiteNoise() override { return m_whiteNoise; }
    int32_t GetToneCleaning() override { return m_tone; }
    int32_t SetNoiseSuppression(int32_t on) override;
    int32_t SetGainMaxDb(int32_t db) override;
    int32_t SetSpectrumCorrection(int32_t on) override;
    int32_t SetWhiteNoise(int32_t on) override;
    int32_t SetToneCleaning(int32_t on) override;

private:
    ~FakeEngine() = default;
    Log& m_log;
    Script m_script;
    std::vector<int16_t> m_history;  // the last 256 inputs
    int m_processCalls = 0;
    int32_t m_noise = 1, m_gainMaxDb = 18, m_spectrum = 1, m_whiteNoise = 0, m_tone = 0;
};

// Collects posts from any thread.
class RecordingTarget : public platform::MessageTarget {
public:
    void Post(uint32_t id, uintptr_t wParam, intptr_t lParam) override;
    std::vector<platform::Message> Messages() const;

private:
    mutable std::mutex m_mutex;
    std::vector<platform::Message> m_messages;
};

}  // namespace testsupport
