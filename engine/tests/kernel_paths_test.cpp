// The vector builds of the per-frame kernels (AVX2, AVX-512) against the
// portable one: the vector e^x and ln x within their stated error, and whole
// engines on each path agreeing with the portable one sample for sample
// (within one step of the 16-bit output, and exactly on at least 99.8 % of
// samples) for every switch setting and noise estimate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "KernelPath.h"
#include "TestSignals.h"
#include "VectorKernels.h"
#include "VelquorEngine.h"

namespace velquor {
namespace {

using test::Clean;
using test::EngineHandle;

bool Forced(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' && value[0] != '0';
}

TEST(KernelPath, EnvironmentCanForceThePortableOrTheAvx2Path) {
    if (Forced("VELQUOR_FORCE_PORTABLE")) {
        EXPECT_EQ(ChosenPath(), KernelPath::kPortable);
    } else if (!Forced("VELQUOR_FORCE_AVX2") && PathAvailable(KernelPath::kAvx512)) {
        EXPECT_EQ(ChosenPath(), KernelPath::kAvx512);
    } else if (PathAvailable(KernelPath::kAvx2)) {
        EXPECT_EQ(ChosenPath(), KernelPath::kAvx2);
    } else {
        EXPECT_EQ(ChosenPath(), KernelPath::kPortable);
    }
    // A processor with AVX-512 has AVX2 too.
    EXPECT_TRUE(!PathAvailable(KernelPath::kAvx512) || PathAvailable(KernelPath::kAvx2));
}

#if defined(VELQUOR_HAVE_AVX2_PATH)

// Distance of `got` from `exact` in units in the last place of the float
// nearest to `exact`.
double Ulps(float got, double exact) {
    const auto nearest = std::fabs(static_cast<float>(exact));
    const double ulp = std::nextafter(nearest, INFINITY) - nearest;
    return std::fabs(got - exact) / ulp;
}

// One test run per vector path; skipped where the processor lacks it.
class VectorPath : public ::testing::TestWithParam<KernelPath> {
protected:
    void SetUp() override {
        if (!PathAvailable(GetParam())) {
            GTEST_SKIP() << "the processor cannot run this path";
        }
    }
    static void ExpRow(const float* in, float* out, int count) {
        if (GetParam() == KernelPath::kAvx512) {
            avx512::ExpRow(in, out, count);
        } else {
            avx2::ExpRow(in, out, count);
        }
    }
    static void LogRow(const float* in, float* out, int count) {
        if (GetParam() == KernelPath::kAvx512) {
            avx512::LogRow(in, out, count);
        } else {
            avx2::LogRow(in, out, count);
        }
    }
};

std::string PathName(const ::testing::TestParamInfo<KernelPath>& info) {
    return info.param == KernelPath::kAvx512 ? "Avx512" : "Avx2";
}

using VectorMath = VectorPath;

TEST_P(VectorMath, ExpWithinOneUlpOverItsRange) {
    std::vector<float> x;
    for (float v = -87.0f; v <= 88.0f; v += 1e-4f) {
        x.push_back(v);
    }
    x.push_back(-0.0f);
    std::vector<float> y(x.size());
    ExpRow(x.data(), y.data(), static_cast<int>(x.size()));
    double worst = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        worst = std::max(worst, Ulps(y[i], std::exp(static_cast<double>(x[i]))));
    }
    EXPECT_LT(worst, 1.0);
    // Clamped outside the range rather than overflowing.
    float outside[3] = {-1000.0f, 1000.0f, 0.0f};
    ExpRow(outside, outside, 3);
    EXPECT_NEAR(outside[0], std::exp(-87.0f), 1e-43f);
    EXPECT_FLOAT_EQ(outside[1], std::exp(88.0f));
    EXPECT_EQ(outside[2], 1.0f);
}

TEST_P(VectorMath, LogWithinOneUlpOverPositiveNormals) {
    std::vector<float> x;
    for (float v = 1e-30f; v < 3e38f; v *= 1.0000137f) {
        x.push_back(v);
    }
    x.push_back(1.0f);
    // An odd count: the tail goes through the padded last vector.
    std::vector<float> y(x.size() | 1);
    x.resize(y.size(), 0.01f);
    LogRow(x.data(), y.data(), static_cast<int>(x.size()));
    double worst = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        worst = std::max(worst, Ulps(y[i], std::log(static_cast<double>(x[i]))));
    }
    EXPECT_LT(worst, 1.0);
}

// Runs a test body with `path` chosen for new engines, restoring the previous
// choice afterwards.
class WithPath {
public:
    explicit WithPath(KernelPath path) : m_previous(ChosenPath()) { ChoosePath(path); }
    ~WithPath() { ChoosePath(m_previous); }
    WithPath(const WithPath&) = delete;
    WithPath& operator=(const WithPath&) = delete;

private:
    KernelPath m_previous;
};

struct Switches {
    int noiseSuppression;
    int toneCleaning;
    int spectrumCorrection;
    int whiteNoise;
    int noiseEstimator;
};

std::vector<int16_t> CleanOnPath(KernelPath path, const Switches& s, int rate,
                                 const std::vector<int16_t>& in) {
    const WithPath chosen(path);
    // The core's own engine: the shared library holds a separate copy of the
    // path choice, which ChoosePath here does not reach.
    EngineHandle engine(VelquorEngine::Create());
    engine->SetNoiseSuppression(s.noiseSuppression);
    engine->SetToneCleaning(s.toneCleaning);
    engine->SetSpectrumCorrection(s.spectrumCorrection);
    engine->SetWhiteNoise(s.whiteNoise);
    engine->SetNoiseEstimator(s.noiseEstimator);
    if (engine->Init(rate) != kVelquorOk) {
        return {};
    }
    return Clean(engine.get(), in);
}

// Voiced syllables: a 120 Hz harmonic complex with a pitch glide, switched on
// and off at about 3 per second, over weak noise.
std::vector<int16_t> SpeechLike(int rate, int seconds) {
    std::vector<int16_t> out(static_cast<size_t>(rate) * seconds);
    test::Noise noise(5);
    double phase = 0.0;
    for (size_t n = 0; n < out.size(); ++n) {
        const double t = static_cast<double>(n) / rate;
        const double pitch = 120.0 + 30.0 * std::sin(2.0 * std::numbers::pi * 0.5 * t);
        phase += 2.0 * std::numbers::pi * pitch / rate;
        const double envelope = std::max(0.0, std::sin(2.0 * std::numbers::pi * 1.5 * t));
        double voice = 0.0;
        for (int h = 1; h * pitch < rate / 2.0 && h <= 30; ++h) {
            voice += std::sin(h * phase) / h;
        }
        out[n] = static_cast<int16_t>(5000.0 * envelope * voice + noise.Next(400.0f));
    }
    return out;
}

std::vector<int16_t> ToneOverNoise(int rate, int seconds) {
    std::vector<int16_t> out(static_cast<size_t>(rate) * seconds);
    test::Noise noise(9);
    for (size_t n = 0; n < out.size(); ++n) {
        out[n] = static_cast<int16_t>(test::Tone(1000.0, rate, static_cast<int64_t>(n), 8000.0) +
                                      noise.Next(300.0f));
    }
    return out;
}

std::vector<int16_t> LoudNoise(int rate, int seconds) {
    std::vector<int16_t> out(static_cast<size_t>(rate) * seconds);
    test::Noise noise(21);
    for (auto& v : out) {
        v = static_cast<int16_t>(noise.Next(20000.0f));
    }
    return out;
}

using PathsAgree = VectorPath;

TEST_P(PathsAgree, EverySwitchSettingAndEstimateOnSpeechTonesAndNoiseAtBothRates) {
    for (const int rate : {8000, 16000}) {
        const std::vector<std::vector<int16_t>> signals = {
            SpeechLike(rate, 4), ToneOverNoise(rate, 3), LoudNoise(rate, 3)};
        for (int bits = 0; bits < 32; ++bits) {
            const Switches s{bits & 1, (bits >> 1) & 1, (bits >> 2) & 1, (bits >> 3) & 1,
                             (bits >> 4) & 1};
            for (size_t which = 0; which < signals.size(); ++which) {
                const auto& in = signals[which];
                const std::vector<int16_t> portable =
                    CleanOnPath(KernelPath::kPortable, s, rate, in);
                const std::vector<int16_t> vector = CleanOnPath(GetParam(), s, rate, in);
                ASSERT_EQ(portable.size(), in.size());
                ASSERT_EQ(vector.size(), in.size());
                int worst = 0;
                size_t same = 0;
                for (size_t n = 0; n < in.size(); ++n) {
                    worst = std::max(worst, std::abs(portable[n] - vector[n]));
                    same += portable[n] == vector[n] ? 1 : 0;
                }
                const double identical = static_cast<double>(same) / static_cast<double>(in.size());
                EXPECT_LE(worst, 1) << rate << " Hz, switches " << bits << ", signal " << which;
                EXPECT_GE(identical, 0.998)
                    << rate << " Hz, switches " << bits << ", signal " << which;
            }
        }
    }
}

// At the engine's order and at orders below and above the vector transform's
// smallest (N = 128), forward and back.
TEST_P(PathsAgree, TransformsMatchToRounding) {
    for (const int order : {5, 7, 9, 12}) {
        const int n = 1 << order;
        std::vector<float> sine(n / 4);
        BuildSineTable(sine.data(), order);
        test::Noise noise(3);
        std::vector<float> x(n);
        for (auto& v : x) {
            v = noise.Next(1000.0f);
        }
        std::vector<float> spectra[2];
        std::vector<float> back[2];
        const KernelPath paths[2] = {KernelPath::kPortable, GetParam()};
        for (int p = 0; p < 2; ++p) {
            const WithPath chosen(paths[p]);
            spectra[p] = x;
            RealFft(spectra[p].data(), order, sine.data());
            back[p] = spectra[p];
            InverseRealFft(back[p].data(), order, sine.data());
        }
        // A few units in the last place of the largest value per stage.
        float peak = 0.0f;
        for (const float v : spectra[0]) {
            peak = std::max(peak, std::fabs(v));
        }
        const float spectrumTolerance = 2e-7f * peak * static_cast<float>(order);
        const float signalTolerance = 1e-4f * static_cast<float>(order);
        for (int k = 0; k < n; ++k) {
            ASSERT_NEAR(spectra[1][k], spectra[0][k], spectrumTolerance) << "N " << n << ", " << k;
            ASSERT_NEAR(back[1][k], back[0][k], signalTolerance) << "N " << n << ", " << k;
            ASSERT_NEAR(back[1][k], x[k], 0.02f) << "N " << n << ", " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, VectorMath,
                         ::testing::Values(KernelPath::kAvx2, KernelPath::kAvx512), PathName);
INSTANTIATE_TEST_SUITE_P(Builds, PathsAgree,
                         ::testing::Values(KernelPath::kAvx2, KernelPath::kAvx512), PathName);

#endif

}  // namespace
}  // namespace velquor
