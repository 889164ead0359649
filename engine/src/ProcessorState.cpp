#include "ProcessorState.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "AlignedArray.h"
#include "Curves.h"
#include "RealFft.h"
#include "velquor/IVelquor.h"

namespace velquor {

namespace {

// Smallest block the tone weight's neighbour reach (six bins) and the
// transform stages allow.
constexpr int kMinBlockOrder = 3;

float* NewArray(int count) {
    return NewAlignedArray<float>(static_cast<size_t>(count));
}

void Release(float*& array) {
    DeleteAlignedArray(array);
    array = nullptr;
}

bool AllocateArrays(SpectralState& s, int b) {
    const int n = 2 * b;
    s.correctionCurve = NewArray(b + 1);
    s.floorCurve = NewArray(b + 1);
    s.levelAverage = NewArray(b + 1);
    s.midAverage = NewArray(b + 1);
    s.fastAverage = NewArray(b + 1);
    s.logNoiseAverage = NewArray(b + 1);
    s.noiseMagnitude = NewArray(b + 1);
    s.window = NewArray(b);
    s.accumulator = NewArray(n);
    s.history = NewArray(kHistorySamples);
    s.work = NewArray(n);
    s.gains = NewArray(b + 1);
    s.sineTable = NewArray(b);
    s.binScratch = NewArray(kBinScratchRows * (b + 1));
    return s.correctionCurve && s.floorCurve && s.levelAverage && s.midAverage && s.fastAverage &&
           s.logNoiseAverage && s.noiseMagnitude && s.window && s.accumulator && s.history &&
           s.work && s.gains && s.sineTable && s.binScratch;
}

}  // namespace

void FreeArrays(SpectralState* state) {
    if (state == nullptr) {
        return;
    }
    state->transformTable = nullptr;
    Release(state->sineTable);
    Release(state->window);
    Release(state->correctionCurve);
    Release(state->floorCurve);
    Release(state->levelAverage);
    Release(state->midAverage);
    Release(state->fastAverage);
    Release(state->logNoiseAverage);
    Release(state->accumulator);
    Release(state->work);
    Release(state->gains);
    Release(state->history);
    Release(state->noiseMagnitude);
    Release(state->binScratch);
    FreeTracking(state->tracking);
    FreeSpeechGain(state->speech);
    FreeFftPlan(state->fftPlan);
}

int32_t SetUp(SpectralState* state, int32_t sampleRateHz) {
    if (state == nullptr || state->params == nullptr) {
        return kVelquorNoState;
    }
    if (sampleRateHz <= 0) {
        return kVelquorWrongRate;
    }
    FreeArrays(state);
    SpectralState& s = *state;
    VelquorParams& p = *s.params;

    const int order = std::clamp(p.blockOrder, kMinBlockOrder, kMaxBlockOrder);
    const int b = 1 << order;
    s.sampleRateHz = sampleRateHz;
    s.blockLength = static_cast<int16_t>(b);
    const auto rate = static_cast<float>(sampleRateHz);
    s.nyquistHz = rate * 0.5f;

    p.noiseTimeConstant =
        std::clamp(p.noiseTimeConstant, kNoiseTimeConstantMinS, kNoiseTimeConstantMaxS);
    if (rate * p.noiseTimeConstant <= static_cast<float>(b)) {
        p.noiseTimeConstant = static_cast<float>(b) / rate;
    }

    const bool speech = p.noiseEstimator == kVelquorNoiseEstimateSpeech;
    if (!AllocateArrays(s, b) || (speech && (!SetUpTracking(s.tracking, b, sampleRateHz) ||
                                             !SetUpSpeechGain(s.speech, b)))) {
        FreeArrays(state);
        return kVelquorOutOfMemory;
    }

    s.frameCounter = 0;
    std::fill(s.history, s.history + kHistorySamples, 0.0f);

    for (int i = 0; i < b; ++i) {
        s.window[i] = static_cast<float>(
            0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * (i + 1) / static_cast<double>(b))));
    }

    p.gainMaxDb = ClampGainMaxDb(p.gainMaxDb);
    s.floorGain = static_cast<float>(std::pow(10.0, p.gainMaxDb * -0.05));

    if (p.spectrumCorrection == 1) {
        CorrectionCurve(s.correctionCurve, b, kDeEmphasisCoefficient, p.correctionLowHz,
                        p.correctionHighHz, sampleRateHz);
    } else {
        CorrectionCurve(s.correctionCurve, b, p.correctionLowHz, p.correctionHighHz, p.tiltLowDb,
                        p.tiltSlopeDb, sampleRateHz);
    }
    if (p.whiteNoise != 0) {
        std::fill(s.floorCurve, s.floorCurve + b + 1, s.floorGain);
    } else {
        FloorCurve(s.floorCurve, s.floorGain, b, s.nyquistHz);
    }

    s.bin200Hz = static_cast<int16_t>(NearestBin(b, 200.0f, s.nyquistHz));
    s.bin3000Hz = static_cast<int16_t>(NearestBin(b, 3000.0f, s.nyquistHz));

    s.transformOrder = static_cast<int32_t>(std::log(2.0 * b) / std::log(2.0) + 0.5);
    BuildSineTable(s.sineTable, s.transformOrder);
    s.transformTable = s.sineTable;
    if (!MakeFftPlan(s.fftPlan, s.transformOrder, s.transformTable)) {
        FreeArrays(state);
        return kVelquorOutOfMemory;
    }
    return kVelquorOk;
}

}  // namespace velquor
