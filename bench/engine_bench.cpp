// Throughput of the noise-cleaning engine's Process beside SpeexDSP's
// preprocessor (256-sample frames, denoise on), both fed the same synthetic
// noisy speech-like signal in the same run, one thread each in turn. Times are
// the thread's CPU time, best of several runs taken alternately, so that other
// work on a shared machine disturbs both sides alike. The engine runs on the
// kernel path its library chooses (VELQUOR_FORCE_PORTABLE=1 forces the
// portable one). Engine settings: the defaults, all switches on, the speech
// mode with default switches and with all switches on (its throughput is also
// given over that of the default mode with the same switches).
//
//   engine_bench [seconds-of-signal]   (default 30)
#include <speex/speex_preprocess.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Seconds of CPU time for one engine pass over `signal`, or a negative value
// on failure.
enum Setting { kDefaults, kAllOn, kSpeech, kAllOnSpeech, kSettings };
const char* const kSettingNames[kSettings] = {"default", "all on", "speech", "all+speech"};

double EngineSeconds(const std::vector<int16_t>& signal, int rateHz, Setting setting,
                     std::vector<int16_t>& out) {
    IVelquor* engine = CreateVelquor();
    if (engine == nullptr) {
        return -1.0;
    }
    if (setting == kAllOn || setting == kAllOnSpeech) {
        engine->SetNoiseSuppression(1);
        engine->SetSpectrumCorrection(1);
        engine->SetToneCleaning(1);
        engine->SetWhiteNoise(1);
    }
    if (setting == kSpeech || setting == kAllOnSpeech) {
        engine->SetNoiseEstimator(kVelquorNoiseEstimateSpeech);
    }
    if (engine->Init(rateHz) != kVelquorOk) {
        engine->Release();
        return -1.0;
    }
    const double start = ThreadSeconds();
    for (size_t a = 0; a + kChunkSamples <= signal.size(); a += kChunkSamples) {
        engine->Process(signal.data() + a, out.data() + a, kChunkSamples);
    }
    const double seconds = ThreadSeconds() - start;
    engine->Release();
    return seconds;
}

double SpeexSeconds(const std::vector<int16_t>& signal, int rateHz, std::vector<int16_t>& work) {
    SpeexPreprocessState* state = speex_preprocess_state_init(kSpeexFrameSamples, rateHz);
    if (state == nullptr) {
        return -1.0;
    }
    int on = 1;
    speex_preprocess_ctl(state, SPEEX_PREPROCESS_SET_DENOISE, &on);
    work = signal;
    const double start = ThreadSeconds();
    for (size_t a = 0; a + kSpeexFrameSamples <= work.size(); a += kSpeexFrameSamples) {
        speex_preprocess_run(state, work.data() + a);
    }
    const double seconds = ThreadSeconds() - start;
    speex_preprocess_state_destroy(state);
    return seconds;
}

struct Rates {
    double engine[kSettings] = {};
    double speex = 0.0;
};

// Best samples per second of each, the runs taken in turn; zeros on failure.
Rates MeasureRates(const std::vector<int16_t>& signal, int rateHz) {
    std::vector<int16_t> out(signal.size());
    double bestEngine[kSettings] = {1e30, 1e30, 1e30, 1e30};
    double bestSpeex = 1e30;
    for (int r = 0; r < kRepeats; ++r) {
        for (int setting = 0; setting < kSettings; ++setting) {
            const double e = EngineSeconds(signal, rateHz, static_cast<Setting>(setting), out);
            if (e <= 0.0) {
                return Rates{};
            }
            bestEngine[setting] = std::min(bestEngine[setting], e);
        }
        const double s = SpeexSeconds(signal, rateHz, out);
        if (s <= 0.0) {
            return Rates{};
        }
        bestSpeex = std::min(bestSpeex, s);
    }
    const auto engineSamples = static_cast<double>(signal.size() / kChunkSamples * kChunkSamples);
    const auto speexSamples =
        static_cast<double>(signal.size() / kSpeexFrameSamples * kSpeexFrameSamples);
    Rates rates;
    for (int setting = 0; setting < kSettings; ++setting) {
        rates.engine[setting] = engineSamples / bestEngine[setting];
    }
    rates.speex = speexSamples / bestSpeex;
    return rates;
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
        const Rates rates = MeasureRates(signal, rateHz);
        if (rates.speex <= 0.0) {
            std::fprintf(stderr, "engine_bench: set-up failed at %d Hz\n", rateHz);
            return 1;
        }
        for (int setting = 0; setting < kSettings; ++setting) {
            const double engine = rates.engine[setting];
            std::printf("%-7d %-9s %16.0f %16.0f %8.2f %10.0f\n", rateHz, kSettingNames[setting],
                        engine, rates.speex, engine / rates.speex, engine / rateHz);
        }
        std::printf("%-7d speech / default: %.2f, all+speech / all on: %.2f\n", rateHz,
                    rates.engine[kSpeech] / rates.engine[kDefaults],
                    rates.engine[kAllOnSpeech] / rates.engine[kAllOn]);
    }
    std::printf("ratio = engine / speexdsp (above 1: the engine is faster)\n");
    return 0;
}
