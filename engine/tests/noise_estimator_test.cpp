// The tracking noise estimate beside the default one: reached through the
// operations after the first thirteen (and callers that know only those keep
// working, thirteen_slot_caller.cpp), silence and steady noise handled as before, a rise of the
// noise followed, continuous talk kept out of the estimate, and the default estimate's output
// unchanged to the bit.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

#include "KernelPath.h"
#include "TestSignals.h"
#include "VelquorEngine.h"

namespace velquor {

namespace {

using test::Clean;
using test::EngineHandle;

constexpr int32_t kAverage = kVelquorNoiseEstimateAverage;
constexpr int32_t kSpeech = kVelquorNoiseEstimateSpeech;

// Undoes the default mode's fixed output gain; the speech mode has none.
double UndoOutputGain(int32_t estimator) {
    return estimator == kAverage ? 1.0 / 0.875 : 1.0;
}

std::vector<int16_t> NoisyTone(int rate, int seconds) {
    std::vector<int16_t> in(static_cast<size_t>(rate) * seconds / 1024 * 1024);
    test::Noise noise(31);
    for (size_t n = 0; n < in.size(); ++n) {
        in[n] = static_cast<int16_t>(test::Tone(440.0, rate, static_cast<int64_t>(n), 6000.0) +
                                     noise.Next(1500.0f));
    }
    return in;
}

// One second of noise, then a harmonic complex at 150 Hz (harmonics falling
// as 1/h), fully amplitude-modulated at a syllabic 4 Hz, over steady noise.
struct Talk {
    std::vector<int16_t> clean;
    std::vector<int16_t> noisy;
    size_t talkFrom = 0;
};

Talk ContinuousTalk(int rate, int seconds, float noiseAmplitude) {
    Talk talk;
    const size_t length = static_cast<size_t>(rate) * seconds / 1024 * 1024;
    talk.talkFrom = static_cast<size_t>(rate);
    talk.clean.resize(length);
    talk.noisy.resize(length);
    test::Noise noise(43);
    for (size_t n = 0; n < length; ++n) {
        const double t = static_cast<double>(n) / rate;
        double v = 0.0;
        for (int h = 1; h * 150 < rate / 2; ++h) {
            v += std::sin(2.0 * std::numbers::pi * 150.0 * h * t) / h;
        }
        const double envelope = 0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * 4.0 * t);
        v *= n < talk.talkFrom ? 0.0 : 2500.0 * envelope;
        talk.clean[n] = static_cast<int16_t>(v);
        talk.noisy[n] = static_cast<int16_t>(v + noise.Next(noiseAmplitude));
    }
    return talk;
}

TEST(NoiseEstimator, ThirteenSlotCallersKeepWorking) {
    const std::vector<int16_t> in = NoisyTone(16000, 2);
    EngineHandle full(CreateVelquor());
    ASSERT_EQ(full->SetToneCleaning(1), 1);
    ASSERT_EQ(full->Init(16000), kVelquorOk);
    const std::vector<int16_t> expected = Clean(full.get(), in);

    // thirteen_slot_caller.cpp: a caller with its own thirteen-slot copy of
    // the interface finds the library's only export by name.
    void* caller = dlopen(VELQUOR_THIRTEEN_SLOT_CALLER_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(caller, nullptr) << dlerror();
    using CleanFunction = int (*)(const char*, const int16_t*, int16_t*, int32_t, int32_t*);
    const auto clean = reinterpret_cast<CleanFunction>(dlsym(caller, "CleanThroughThirteenSlots"));
    ASSERT_NE(clean, nullptr);
    std::vector<int16_t> got(in.size());
    int32_t replies[7] = {};
    EXPECT_EQ(
        clean(VELQUOR_SDK_PATH, in.data(), got.data(), static_cast<int32_t>(in.size()), replies),
        0);
    dlclose(caller);
    const int32_t defaultsThenSetters[7] = {1, 18, 1, 0, 0, 1, 18};
    EXPECT_TRUE(std::equal(replies, replies + 7, defaultsThenSetters));
    EXPECT_EQ(got, expected);
}

TEST(NoiseEstimator, SetterNormalisesAndInitTakesIt) {
    EngineHandle engine(CreateVelquor());
    EXPECT_EQ(engine->GetNoiseEstimator(), kAverage);
    EXPECT_EQ(engine->SetNoiseEstimator(kSpeech), kSpeech);
    EXPECT_EQ(engine->GetNoiseEstimator(), kSpeech);
    EXPECT_EQ(engine->SetNoiseEstimator(7), kAverage);
    EXPECT_EQ(engine->SetNoiseEstimator(-1), kAverage);

    // Only Init reads it: switching after Init changes nothing until the next.
    const std::vector<int16_t> in = NoisyTone(8000, 3);
    std::vector<std::vector<int16_t>> out;
    for (const bool switchAfterInit : {false, true}) {
        EngineHandle e(CreateVelquor());
        ASSERT_EQ(e->Init(8000), kVelquorOk);
        if (switchAfterInit) {
            e->SetNoiseEstimator(kSpeech);
        }
        out.push_back(Clean(e.get(), in));
    }
    EXPECT_EQ(out[0], out[1]);
    EngineHandle tracking(CreateVelquor());
    tracking->SetNoiseEstimator(kSpeech);
    ASSERT_EQ(tracking->Init(8000), kVelquorOk);
    EXPECT_NE(Clean(tracking.get(), in), out[0]);
    // And back: a later Init on the default drops the tracking state.
    tracking->SetNoiseEstimator(kAverage);
    ASSERT_EQ(tracking->Init(8000), kVelquorOk);
    EXPECT_EQ(Clean(tracking.get(), in), out[0]);
}

// FNV-1a over the samples.
uint64_t Checksum(const std::vector<int16_t>& samples) {
    uint64_t h = 1469598103934665603ull;
    for (const int16_t s : samples) {
        const auto u = static_cast<uint16_t>(s);
        h = (h ^ (u & 0xffu)) * 1099511628211ull;
        h = (h ^ (u >> 8)) * 1099511628211ull;
    }
    return h;
}

// Talk (as in ContinuousTalk) with a 1 kHz tone in noise: every part of the
// gain rule has work.
std::vector<int16_t> ChecksumSignal(int rate) {
    std::vector<int16_t> in(static_cast<size_t>(rate) * 5 / 1024 * 1024);
    test::Noise noise(31);
    for (size_t n = 0; n < in.size(); ++n) {
        const double t = static_cast<double>(n) / rate;
        const double envelope = n > static_cast<size_t>(rate)
                                    ? 0.6 + 0.4 * std::sin(2.0 * std::numbers::pi * 4.0 * t)
                                    : 0.0;
        double v = 0.0;
        for (int h = 1; h * 150 < rate / 2; ++h) {
            v += std::sin(2.0 * std::numbers::pi * 150.0 * h * t) / h;
        }
        in[n] = static_cast<int16_t>(2500.0 * envelope * v +
                                     test::Tone(1000.0, rate, static_cast<int64_t>(n), 800.0) +
                                     noise.Next(1500.0f));
    }
    return in;
}

struct Recorded {
    KernelPath path;
    int rate;
    int tone;
    int white;
    uint64_t checksum;
};

// The default estimate's output on each kernel path. The portable path's
// sums, recorded before the tracking estimate existed, hold for the C
// library's expf and logf of Debian 12. The vector paths have their own e^x
// and ln x and their own transform (recorded again when it was rewritten; the
// AVX-512 build computes the same arithmetic as the AVX2 one), and their fused
// multiply-adds are formed only when the compiler optimises, so their sums
// hold for optimised builds (the test is built like the engine).
constexpr Recorded kRecorded[] = {
    {KernelPath::kPortable, 8000, 0, 0, 0x61bf83413ea2610eull},
    {KernelPath::kPortable, 8000, 0, 1, 0x85b788231c8ded92ull},
    {KernelPath::kPortable, 8000, 1, 0, 0x37e5e39290e55e72ull},
    {KernelPath::kPortable, 8000, 1, 1, 0xe1ecce6b3039e6efull},
    {KernelPath::kPortable, 16000, 0, 0, 0xb147c6117e3d8afcull},
    {KernelPath::kPortable, 16000, 0, 1, 0x6c165c149e7d066full},
    {KernelPath::kPortable, 16000, 1, 0, 0x5f704f337e16b4daull},
    {KernelPath::kPortable, 16000, 1, 1, 0x22ebc15a2c95a22dull},
    {KernelPath::kAvx2, 8000, 0, 0, 0x142226c105c5714full},
    {KernelPath::kAvx2, 8000, 0, 1, 0xe117c7ffe61004a0ull},
    {KernelPath::kAvx2, 8000, 1, 0, 0xf2262857ac937c73ull},
    {KernelPath::kAvx2, 8000, 1, 1, 0x5da71f974d285620ull},
    {KernelPath::kAvx2, 16000, 0, 0, 0x9a33a768a07bedffull},
    {KernelPath::kAvx2, 16000, 0, 1, 0x137dc39aaac60100ull},
    {KernelPath::kAvx2, 16000, 1, 0, 0xee2a624bcf66d349ull},
    {KernelPath::kAvx2, 16000, 1, 1, 0xb85b08a1577e3261ull},
    {KernelPath::kAvx512, 8000, 0, 0, 0x142226c105c5714full},
    {KernelPath::kAvx512, 8000, 0, 1, 0xe117c7ffe61004a0ull},
    {KernelPath::kAvx512, 8000, 1, 0, 0xf2262857ac937c73ull},
    {KernelPath::kAvx512, 8000, 1, 1, 0x5da71f974d285620ull},
    {KernelPath::kAvx512, 16000, 0, 0, 0x9a33a768a07bedffull},
    {KernelPath::kAvx512, 16000, 0, 1, 0x137dc39aaac60100ull},
    {KernelPath::kAvx512, 16000, 1, 0, 0xee2a624bcf66d349ull},
    {KernelPath::kAvx512, 16000, 1, 1, 0xb85b08a1577e3261ull},
};

TEST(NoiseEstimator, DefaultEstimateOutputIsUnchanged) {
    const KernelPath before = ChosenPath();
    for (const Recorded& r : kRecorded) {
        if (!PathAvailable(r.path)) {
            continue;
        }
#if !defined(__OPTIMIZE__) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        // Unoptimised or instrumented code forms other fused multiply-adds.
        if (r.path != KernelPath::kPortable) {
            continue;
        }
#endif
        // The core's own engine, so that ChoosePath reaches it.
        ChoosePath(r.path);
        IVelquor* engine = VelquorEngine::Create();
        engine->SetToneCleaning(r.tone);
        engine->SetWhiteNoise(r.white);
        ASSERT_EQ(engine->Init(r.rate), kVelquorOk);
        const uint64_t sum = Checksum(Clean(engine, ChecksumSignal(r.rate)));
        engine->Release();
        EXPECT_EQ(sum, r.checksum) << "path " << static_cast<int>(r.path) << ", " << r.rate
                                   << " Hz, tone " << r.tone << ", white " << r.white;
    }
    ChoosePath(before);
}

IVelquor* MakeEngine(int32_t estimator, int rate) {
    IVelquor* engine = CreateVelquor();
    engine->SetNoiseEstimator(estimator);
    engine->SetSpectrumCorrection(0);
    engine->SetWhiteNoise(1);  // one floor, 18 dB, at every frequency
    return engine->Init(rate) == kVelquorOk ? engine : nullptr;
}

TEST(NoiseEstimator, SpeechModeKeepsSilenceSilent) {
    for (const int rate : {8000, 16000}) {
        EngineHandle engine(MakeEngine(kSpeech, rate));
        ASSERT_NE(engine.get(), nullptr);
        const std::vector<int16_t> out = Clean(engine.get(), std::vector<int16_t>(4 * 8192, 0));
        EXPECT_EQ(std::count(out.begin(), out.end(), int16_t{0}),
                  static_cast<std::ptrdiff_t>(out.size()));
    }
}

double EnergyDb(const std::vector<int16_t>& x, size_t from, size_t to, double scale = 1.0) {
    double e = 1e-9;
    for (size_t n = from; n < to; ++n) {
        e += (x[n] * scale) * (x[n] * scale);
    }
    return 10.0 * std::log10(e);
}

// Attenuation (dB) of `in` over its last `seconds`, the output's 256-sample
// lag allowed for.
double Attenuation(const std::vector<int16_t>& in, const std::vector<int16_t>& out, int rate,
                   double seconds, int32_t estimator) {
    const size_t from = in.size() - static_cast<size_t>(seconds * rate);
    return EnergyDb(in, from - 256, in.size() - 256) -
           EnergyDb(out, from, in.size(), UndoOutputGain(estimator));
}

TEST(NoiseEstimator, SteadyNoiseGoesDownToTheFloorWithEitherEstimate) {
    for (const int rate : {8000, 16000}) {
        std::vector<int16_t> in(static_cast<size_t>(rate) * 4 / 1024 * 1024);
        test::Noise noise(41);
        for (auto& v : in) {
            v = static_cast<int16_t>(noise.Next(4000.0f));
        }
        double attenuation[2] = {};
        for (const int32_t estimator : {kAverage, kSpeech}) {
            EngineHandle engine(MakeEngine(estimator, rate));
            ASSERT_NE(engine.get(), nullptr);
            attenuation[estimator] = Attenuation(in, Clean(engine.get(), in), rate, 2.0, estimator);
        }
        // An 18 dB floor. The default's fast average sits a little above its
        // estimate in noise, which lifts the gain by about 1.5 dB; the speech
        // mode's gain rule follows the noise's own ups and downs a little.
        // Either way the noise goes down by most of the floor.
        EXPECT_GT(attenuation[kSpeech], 13.0) << rate;
        EXPECT_LT(attenuation[kSpeech], 18.0) << rate;
        EXPECT_GT(attenuation[kSpeech], attenuation[kAverage] - 0.75) << rate;
    }
}

// Noise that jumps up by 20 dB and stays there looks like speech to the
// presence gate (alone it would never learn the new level); the minimum
// search must bring the estimate up within its 1.5 s window.
TEST(NoiseEstimator, SpeechModeFollowsARiseOfTheNoise) {
    for (const int rate : {8000, 16000}) {
        std::vector<int16_t> in(static_cast<size_t>(rate) * 7 / 1024 * 1024);
        test::Noise noise(47);
        for (size_t n = 0; n < in.size(); ++n) {
            const float amplitude = n < static_cast<size_t>(rate) * 3 ? 400.0f : 4000.0f;
            in[n] = static_cast<int16_t>(noise.Next(amplitude));
        }
        EngineHandle engine(MakeEngine(kSpeech, rate));
        ASSERT_NE(engine.get(), nullptr);
        const std::vector<int16_t> out = Clean(engine.get(), in);
        // The last second, three seconds after the rise.
        EXPECT_GT(Attenuation(in, out, rate, 1.0, kSpeech), 12.5) << rate;
    }
}

// Level (dB) of the harmonics of 150 Hz in one second of `x` from `from`.
double HarmonicLevelDb(const std::vector<int16_t>& x, size_t from, int rate, double scale) {
    double energy = 0.0;
    for (int h = 1; h * 150 < rate / 2 - 200; ++h) {
        std::complex<double> sum = 0.0;
        for (int n = 0; n < rate; ++n) {
            const double phase = 2.0 * std::numbers::pi * h * 150.0 * n / rate;
            sum += x[from + n] * scale * std::complex<double>(std::cos(phase), -std::sin(phase));
        }
        energy += std::norm(sum);
    }
    return 10.0 * std::log10(energy);
}

// The default estimate climbs into continuous talk and takes several dB off
// it; the tracking one keeps its level.
TEST(NoiseEstimator, SpeechModeKeepsTheLevelOfContinuousTalk) {
    for (const int rate : {8000, 16000}) {
        const Talk talk = ContinuousTalk(rate, 6, 500.0f);
        double change[2] = {};
        for (const int32_t estimator : {kAverage, kSpeech}) {
            EngineHandle engine(MakeEngine(estimator, rate));
            ASSERT_NE(engine.get(), nullptr);
            const std::vector<int16_t> out = Clean(engine.get(), talk.noisy);
            // The second from 3 s into the talk.
            const size_t from = talk.talkFrom + 3 * static_cast<size_t>(rate);
            change[estimator] = HarmonicLevelDb(out, from + 256, rate, UndoOutputGain(estimator)) -
                                HarmonicLevelDb(talk.clean, from, rate, 1.0);
        }
        EXPECT_GT(change[kSpeech], -1.5) << rate;
        EXPECT_LT(change[kSpeech], 1.5) << rate;
        EXPECT_LT(change[kAverage], -3.0) << rate;
    }
}

}  // namespace
}  // namespace velquor
