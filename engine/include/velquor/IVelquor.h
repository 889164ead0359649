// VelquorSDK: the noise-cleaning engine's public interface.
//
// The library exports one function, CreateVelquor. Everything else is reached
// through the IVelquor object it returns. The operations keep a fixed slot
// order (Init, Process, Release, five getters, five setters, then the noise
// estimate's getter and setter): new operations only ever go after the last
// slot, so a caller built against an earlier table keeps working.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define VELQUOR_EXPORT __declspec(dllexport)
#else
#define VELQUOR_EXPORT __attribute__((visibility("default")))
#endif

// Results of Init and Process.
inline constexpr int32_t kVelquorOk = 0;
inline constexpr int32_t kVelquorNoState = -1;
inline constexpr int32_t kVelquorOutOfMemory = -2;
inline constexpr int32_t kVelquorWrongLength = -3;
inline constexpr int32_t kVelquorWrongRate = -4;

// Modes of the noise estimate (SetNoiseEstimator): a running mean of log
// magnitudes over every frame (the default), or the speech mode: a
// speech-presence-gated average of bin powers that keeps speech out of the
// estimate, a gain rule that keeps the voice, and no fixed output gain.
inline constexpr int32_t kVelquorNoiseEstimateAverage = 0;
inline constexpr int32_t kVelquorNoiseEstimateSpeech = 1;

// Most samples one Process call takes; a call must also be a whole number of
// 256-sample blocks.
inline constexpr int32_t kVelquorMaxSamplesPerCall = 4096;

class IVelquor {
public:
    // Prepares the processor for a sampling rate from the current settings.
    // 0, -1 (no state), -2 (out of memory, all arrays released) or -4 for a
    // rate of 0 or less.
    virtual int32_t Init(int32_t sampleRateHz) = 0;
    // Cleans `count` samples of one channel; the output lags the input by 256
    // samples. 0, or -3 when count is above 4096 or not a whole number of
    // blocks (output untouched).
    virtual int32_t Process(const int16_t* input, int16_t* output, int32_t count) = 0;
    // Frees the object; the pointer is invalid afterwards.
    virtual void Release() = 0;

    virtual int32_t GetNoiseSuppression() = 0;
    virtual int32_t GetGainMaxDb() = 0;
    virtual int32_t GetSpectrumCorrection() = 0;
    virtual int32_t GetWhiteNoise() = 0;
    virtual int32_t GetToneCleaning() = 0;

    // Flags store 1 for any non-zero argument; the gain floor depth is clamped
    // to 0..18 dB. Each returns the stored value. Floor depth and white noise
    // take effect at the next Init; the other three from the next frame.
    virtual int32_t SetNoiseSuppression(int32_t on) = 0;
    virtual int32_t SetGainMaxDb(int32_t db) = 0;
    virtual int32_t SetSpectrumCorrection(int32_t on) = 0;
    virtual int32_t SetWhiteNoise(int32_t on) = 0;
    virtual int32_t SetToneCleaning(int32_t on) = 0;

    // Added after the thirteen operations above, whose slots never move:
    // callers built against those keep working. Not pure, so that other
    // implementations of the interface (wrappers, test doubles) written
    // against the thirteen still compile; such an engine has only the
    // default estimate.
    virtual int32_t GetNoiseEstimator() { return kVelquorNoiseEstimateAverage; }
    // Stores kVelquorNoiseEstimateSpeech for that value and
    // kVelquorNoiseEstimateAverage for any other; returns the stored value.
    // Takes effect at the next Init.
    virtual int32_t SetNoiseEstimator(int32_t) { return kVelquorNoiseEstimateAverage; }

protected:
    ~IVelquor() = default;
};

// Creates an engine object with the default settings, or returns null when
// memory runs out. Call Init before Process, Release when done.
extern "C" VELQUOR_EXPORT IVelquor* CreateVelquor();
