// Throughput of the noise-cleaning engine's Process beside SpeexDSP's
// preprocessor (256-sample frames, denoise on), both fed the same synthetic
// noisy speech-like signal in the same run, one thread each in turn.
//
//   engine_bench [seconds-of-signal]   (default 30)
#include <speex/speex_preprocess.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "velquor/IVelquor.h"

namespace {

constexpr int kChunkSamples = 1024;  // the desktop program's usual chunk
constexpr int kSpeexFrameSamples = 256;
constexpr int kRepeats = 5;  // best of, to keep scheduler noise out

// Voiced "syllables" at about 4 per second: a gliding 100-220 Hz pitch with
// falling harmonics, over steady white noise and a little mains hum.
std::vector<int16_t> MakeSignal(int rateHz, int seconds) {
    std::vector<int16_t> signal(static_cast<size_t>(rateHz) * seconds);
    uint32_t seed = 12345;
    double phase = 0.0;
    for (size_t n = 0; n < signal.size(); ++n) {
        const double t = static_cast<double>(n) / rateHz;
        const double pitch = 160.0 + 60.0 * std::sin(2.0 * std::numbers::pi * 0.7 * t);
        phase += 2.0 * std::numbers::pi * pitch / rateHz;
        const double envelope = std::max(0.0, std::sin(2.0 * std::numbers::pi * 2.1 * t));
        double voice = 0.0;
        for (int h = 1; h <= 20 && h * pitch < rateHz / 2.0; ++h) {
            voice += std::sin(h * phase) / h;
        }
        seed = seed * 1664525u + 1013904223u;
        const double noise = (static_cast<double>(seed >> 8) / (1u << 24) - 0.5) * 2.0 * 1500.0;
        const double hum = 300.0 * std::sin(2.0 * std::numbers::pi * 50.0 * t);
        const double v = 6000.0 * envelope * voice + noise + hum;
        signal[n] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
    return signal;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Best samples per second of the engine over `signal`, or 0 on failure.
double EngineRate(const std::vector<int16_t>& signal, int rateHz, bool allSwitchesOn) {
    std::vector<int16_t> out(signal.size());
    double best = 1e30;
    for (int r = 0; r < kRepeats; ++r) {
        IVelquor* engine = CreateVelquor();
        if (engine == nullptr) {
            return 0.0;
        }
        if (allSwitchesOn) {
            engine->SetNoiseSuppression(1);
            engine->SetSpectrumCorrection(1);
            engine->SetToneCleaning(1);
            engine->SetWhiteNoise(1);
        }
        if (engine->Init(rateHz) != kVelquorOk) {
            engine->Release();
            return 0.0;
        }
        const auto start = std::chrono::steady_clock::now();
        for (size_t a = 0; a + kChunkSamples <= signal.size(); a += kChunkSamples) {
            engine->Process(signal.data() + a, out.data() + a, kChunkSamples);
        }
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
        engine->Release();
    }
    return static_cast<double>(signal.size() / kChunkSamples * kChunkSamples) / best;
}

double SpeexRate(const std::vector<int16_t>& signal, int rateHz) {
    std::vector<int16_t> work(signal.size());
    double best = 1e30;
    for (int r = 0; r < kRepeats; ++r) {
        SpeexPreprocessState* state = speex_preprocess_state_init(kSpeexFrameSamples, rateHz);
        if (state == nullptr) {
            return 0.0;
        }
        int on = 1;
        speex_preprocess_ctl(state, SPEEX_PREPROCESS_SET_DENOISE, &on);
        work = signal;
        const auto start = std::chrono::steady_clock::now();
        for (size_t a = 0; a + kSpeexFrameSamples <= work.size(); a += kSpeexFrameSamples) {
            speex_preprocess_run(state, work.data() + a);
        }
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
        speex_preprocess_state_destroy(state);
    }
    return static_cast<double>(signal.size() / kSpeexFrameSamples * kSpeexFrameSamples) / best;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    std::printf("engine_bench: %d s of noisy speech-like signal, best of %d runs\n", seconds,
                kRepeats);
    std::printf("%-7s %-9s %16s %16s %8s %10s\n", "rate", "settings", "engine samp/s",
                "speexdsp samp/s", "ratio", "x realtime");
    for (const int rateHz : {8000, 16000}) {
        const std::vector<int16_t> signal = MakeSignal(rateHz, seconds);
        const double speex = SpeexRate(signal, rateHz);
        for (const bool allOn : {false, true}) {
            const double engine = EngineRate(signal, rateHz, allOn);
            if (engine <= 0.0 || speex <= 0.0) {
                std::fprintf(stderr, "engine_bench: set-up failed at %d Hz\n", rateHz);
                return 1;
            }
            std::printf("%-7d %-9s %16.0f %16.0f %8.2f %10.0f\n", rateHz,
                        allOn ? "all on" : "default", engine, speex, engine / speex,
                        engine / rateHz);
        }
    }
    std::printf("ratio = engine / speexdsp (above 1: the engine is faster)\n");
    return 0;
}
