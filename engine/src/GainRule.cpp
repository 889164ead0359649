#include "GainRule.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "GainLoops.h"
#include "VectorKernels.h"

namespace velquor {

namespace {

// The portable build's row functions: the C library's logf and expf.
struct LibmMath {
    static void Log(const float* in, float* out, int count) {
        for (int i = 0; i < count; ++i) {
            out[i] = std::log(in[i]);
        }
    }
    static void Exp(const float* in, float* out, int count) {
        for (int i = 0; i < count; ++i) {
            out[i] = std::exp(in[i]);
        }
    }
};

// [1 2 1]/4 over the unsmoothed values in `g`.
void SmoothInto(const float* __restrict g, int b, float* __restrict gains) {
    gains[0] = (2.0f * g[0] + g[1] + g[1]) * 0.25f;
    for (int k = 1; k < b; ++k) {
        gains[k] = (2.0f * g[k] + g[k - 1] + g[k + 1]) * 0.25f;
    }
    gains[b] = g[b - 1] * 0.5f;
}

}  // namespace

void ResetBins(SpectralState& state) {
    for (int k = 0; k <= state.blockLength; ++k) {
        state.gains[k] = 1.0f;
        state.fastAverage[k] = kAverageStart;
        state.midAverage[k] = kAverageStart;
        state.levelAverage[k] = kLogAverageStart;
        state.logNoiseAverage[k] = kLogAverageStart;
        state.noiseMagnitude[k] = kAverageStart;
    }
    ResetTracking(state.tracking, state.blockLength);
    ResetSpeechGain(state.speech, state.blockLength);
}

FrameCoefficients ComputeCoefficients(SpectralState& state) {
    const auto b = static_cast<float>(state.blockLength);
    const float q = state.nyquistHz;
    state.fastCoefficient = std::min(b / (q * 0.08f), 0.5f);
    FrameCoefficients c{};
    c.fast = state.fastCoefficient;
    // Above 1 the average would overshoot and diverge; only rates below about
    // 35 Hz get there.
    c.level = std::min(b / (q * 15.0f), 1.0f);
    c.noise = b / (2.0f * static_cast<float>(state.sampleRateHz) * state.params->noiseTimeConstant);
    c.mid = kMidCoefficient;
    return c;
}

float Analyse(SpectralState& state, const FrameCoefficients& c) {
    return AnalyseWith<LibmMath>(state, c);
}

float ToneWeight(const SpectralState& state, int k, const float* a) {
    const int b = state.blockLength;
    const auto right = [&](int i) { return k + i <= b ? k + i : 2 * b - k - i; };
    const auto left = [&](int i) { return std::abs(k - i); };
    const float s = a[right(5)] + a[left(5)] + a[right(6)] + a[left(6)];
    return ToneWeightOf(s, state.noiseMagnitude[k]);
}

float BinGain(SpectralState& state, int k, float meanLevel) {
    const VelquorParams& p = *state.params;
    float g = 1.0f;
    if (p.noiseSuppression != 0) {
        float f = state.floorCurve[k];
        if (p.toneCleaning != 0) {
            f *= ToneWeight(state, k, state.fastAverage);
        }
        state.floorGain = f;
        const float e = NoiseExponent(state.fastAverage[k], state.noiseMagnitude[k]);
        g = SuppressionGain(std::exp(e), f);
    } else if (p.toneCleaning != 0) {
        g = ToneWeight(state, k, state.midAverage);
    }
    if (p.spectrumCorrection == 1) {
        g = Corrected(g, meanLevel, state.levelAverage[k], state.correctionCurve[k]);
    }
    return g;
}

void BinGains(SpectralState& state, float meanLevel, float* g) {
    BinGainsWith<LibmMath>(state, meanLevel, g);
}

void LowCut(SpectralState& state) {
    const int b = state.blockLength;
    const auto t = static_cast<int>(static_cast<float>(b) * kLowCutHz / state.nyquistHz);
    // At very low rates the ramp would reach past the top bin; it is clipped.
    const int end = std::min(t, b + 1);
    for (int i = 0; i < end; ++i) {
        state.gains[i] = static_cast<float>(i) / static_cast<float>(t);
    }
}

void SmoothAcrossFrequency(SpectralState& state) {
    const int b = state.blockLength;
    float* unsmoothed = ScratchRow(state, 1);
    std::copy(state.gains, state.gains + b + 1, unsmoothed);
    SmoothInto(unsmoothed, b, state.gains);
}

void ComputeGains(SpectralState& state) {
#if defined(VELQUOR_HAVE_AVX2_PATH)
    if (state.fftPlan.path == KernelPath::kAvx2) {
        avx2::ComputeGains(state);
        return;
    }
    if (state.fftPlan.path == KernelPath::kAvx512) {
        avx512::ComputeGains(state);
        return;
    }
#endif
    ComputeGainsWith<LibmMath>(state);
}

}  // namespace velquor
