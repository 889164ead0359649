#include "VelquorEngine.h"

#include <algorithm>
#include <new>

#include "Framing.h"

namespace velquor {

namespace {

int32_t StoreFlag(int32_t& field, int32_t on) {
    field = on != 0 ? 1 : 0;
    return field;
}

}  // namespace

VelquorEngine* VelquorEngine::Create() {
    auto* params = new (std::nothrow) VelquorParams{};
    auto* state = new (std::nothrow) SpectralState{};
    VelquorEngine* engine = nullptr;
    if (params != nullptr && state != nullptr) {
        engine = new (std::nothrow) VelquorEngine(params, state);
    }
    if (engine == nullptr) {
        delete params;
        delete state;
        return nullptr;
    }
    state->params = params;
    return engine;
}

VelquorEngine::VelquorEngine(VelquorParams* params, SpectralState* state)
    : m_params(params), m_state(state), m_input(), m_output() {}

VelquorEngine::~VelquorEngine() {
    FreeArrays(m_state);
    delete m_state;
    delete m_params;
}

int32_t VelquorEngine::Init(int32_t sampleRateHz) {
    return SetUp(m_state, sampleRateHz);
}

int32_t VelquorEngine::Process(const int16_t* input, int16_t* output, int32_t count) {
    if (m_state == nullptr || !HasArrays(*m_state)) {
        return kVelquorNoState;
    }
    const int32_t b = m_state->blockLength;
    if (count < 0 || count > kVelquorMaxSamplesPerCall || count % b != 0) {
        return kVelquorWrongLength;
    }
    for (int32_t i = 0; i < count; ++i) {
        m_input[i] = static_cast<float>(input[i]);
    }
    for (int32_t a = 0; a < count; a += b) {
        const int32_t result = ProcessBlock(m_state, m_input + a, m_output + a, b);
        if (result != kVelquorOk) {
            return result;
        }
    }
    // The speech mode has unity gain; the default keeps its fixed one.
    const float gain = HasSpeechGain(m_state->speech) ? 1.0f : m_params->outputGain;
    for (int32_t i = 0; i < count; ++i) {
        output[i] = ToOutputSample(m_output[i], gain);
    }
    return kVelquorOk;
}

void VelquorEngine::Release() {
    delete this;
}

int32_t VelquorEngine::GetNoiseSuppression() {
    return m_params->noiseSuppression;
}
int32_t VelquorEngine::GetGainMaxDb() {
    return m_params->gainMaxDb;
}
int32_t VelquorEngine::GetSpectrumCorrection() {
    return m_params->spectrumCorrection;
}
int32_t VelquorEngine::GetWhiteNoise() {
    return m_params->whiteNoise;
}
int32_t VelquorEngine::GetToneCleaning() {
    return m_params->toneCleaning;
}

int32_t VelquorEngine::SetNoiseSuppression(int32_t on) {
    return StoreFlag(m_params->noiseSuppression, on);
}

int32_t VelquorEngine::SetGainMaxDb(int32_t db) {
    m_params->gainMaxDb = ClampGainMaxDb(db);
    return m_params->gainMaxDb;
}

int32_t VelquorEngine::SetSpectrumCorrection(int32_t on) {
    return StoreFlag(m_params->spectrumCorrection, on);
}

int32_t VelquorEngine::SetWhiteNoise(int32_t on) {
    return StoreFlag(m_params->whiteNoise, on);
}

int32_t VelquorEngine::SetToneCleaning(int32_t on) {
    return StoreFlag(m_params->toneCleaning, on);
}

int32_t VelquorEngine::GetNoiseEstimator() {
    return m_params->noiseEstimator;
}

int32_t VelquorEngine::SetNoiseEstimator(int32_t estimator) {
    m_params->noiseEstimator = estimator == kVelquorNoiseEstimateSpeech
                                   ? kVelquorNoiseEstimateSpeech
                                   : kVelquorNoiseEstimateAverage;
    return m_params->noiseEstimator;
}

int16_t ToOutputSample(float value, float outputGain) {
    // Without branches, so that Process's loop over a whole call vectorises;
    // the same values.
    const float x = std::min(std::max(value * outputGain, -32767.0f), 32767.0f);
    return static_cast<int16_t>(x);
}

}  // namespace velquor
