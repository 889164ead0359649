// The engine object behind IVelquor: parameter block, spectral state and the
// staging buffers of one Process call. Nothing is shared between objects.
#pragma once

#include "ProcessorState.h"
#include "VelquorParams.h"
#include "velquor/IVelquor.h"

namespace velquor {

// On cache lines of its own: engines of two channels run on two threads.
class alignas(kCacheLineBytes) VelquorEngine final : public IVelquor {
public:
    // Null when memory runs out; nothing stays allocated then.
    static VelquorEngine* Create();

    int32_t Init(int32_t sampleRateHz) override;
    int32_t Process(const int16_t* input, int16_t* output, int32_t count) override;
    void Release() override;

    int32_t GetNoiseSuppression() override;
    int32_t GetGainMaxDb() override;
    int32_t GetSpectrumCorrection() override;
    int32_t GetWhiteNoise() override;
    int32_t GetToneCleaning() override;

    int32_t SetNoiseSuppression(int32_t on) override;
    int32_t SetGainMaxDb(int32_t db) override;
    int32_t SetSpectrumCorrection(int32_t on) override;
    int32_t SetWhiteNoise(int32_t on) override;
    int32_t SetToneCleaning(int32_t on) override;

    int32_t GetNoiseEstimator() override;
    int32_t SetNoiseEstimator(int32_t estimator) override;

    // For tests: the internals this object drives.
    const VelquorParams& Params() const { return *m_params; }
    const SpectralState& State() const { return *m_state; }

private:
    VelquorEngine(VelquorParams* params, SpectralState* state);
    ~VelquorEngine();

    VelquorParams* m_params;
    SpectralState* m_state;
    float m_input[kVelquorMaxSamplesPerCall];
    float m_output[kVelquorMaxSamplesPerCall];
};

// Float sample to 16 bits: scaled, then held within +-32767 (never -32768)
// and truncated toward zero.
int16_t ToOutputSample(float value, float outputGain);

}  // namespace velquor
