// The AVX2 build of the per-frame kernels against the portable one: the
// vector e^x and ln x within their stated error, and whole engines on both
// paths agreeing sample for sample (within one step of the 16-bit output, and
// exactly on at least 99 % of samples) for every switch setting and noise estimate.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "Avx2Kernels.h"
#include "KernelPath.h"
#include "TestSignals.h"
#include "VelquorEngine.h"

namespace velquor {
namespace {

using test::Clean;
using test::EngineHandle;

TEST(KernelPath, EnvironmentCanForceThePortablePath) {
    const char* forced = std::getenv("VELQUOR_FORCE_PORTABLE");
    if (forced != nullptr && forced[0] != '\0' && forced[0] != '0') {
        EXPECT_EQ(ChosenPath(), KernelPath::kPortable);
    } else if (PathAvailable(KernelPath::kAvx2)) {
        EXPECT_EQ(ChosenPath(), KernelPath::kAvx2);
    } else {
        EXPECT_EQ(ChosenPath(), KernelPath::kPortable);
    }
}

#if defined(VELQUOR_HAVE_AVX2_PATH)

// Distance of `got` from `exact` in units in the last place of the float
// nearest to `exact`.
double Ulps(float got, double exact) {
    const auto nearest = std::fabs(static_cast<float>(exact));
    const double ulp = std::nextafter(nearest, INFINITY) - nearest;
    return std::fabs(got - exact) / ulp;
}

class Avx2Only : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathAvailable(KernelPath::kAvx2)) {
            GTEST_SKIP() << "the processor has no AVX2 and FMA";
        }
    }
};

using VectorMath = Avx2Only;

TEST_F(VectorMath, ExpWithinOneUlpOverItsRange) {
    std::vector<float> x;
    for (float v = -87.0f; v <= 88.0f; v += 1e-4f) {
        x.push_back(v);
    }
    x.push_back(-0.0f);
    std::vector<float> y(x.size());
    avx2::ExpRow(x.data(), y.data(), static_cast<int>(x.size()));
    double worst = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        worst = std::max(worst, Ulps(y[i], std::exp(static_cast<double>(x[i]))));
    }
    EXPECT_LT(worst, 1.0);
    // Clamped outside the range rather than overflowing.
    float outside[3] = {-1000.0f, 1000.0f, 0.0f};
    avx2::ExpRow(outside, outside, 3);
    EXPECT_NEAR(outside[0], std::exp(-87.0f), 1e-43f);
    EXPECT_FLOAT_EQ(outside[1], std::exp(88.0f));
    EXPECT_EQ(outside[2], 1.0f);
}

TEST_F(VectorMath, LogWithinOneUlpOverPositiveNormals) {
    std::vector<float> x;
    for (float v = 1e-30f; v < 3e38f; v *= 1.0000137f) {
        x.push_back(v);
    }
    x.push_back(1.0f);
    // An odd count: the tail goes through the padded last vector.
    std::vector<float> y(x.size() | 1);
    x.resize(y.size(), 0.01f);
    avx2::LogRow(x.data(), y.data(), static_cast<int>(x.size()));
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

using PathsAgree = Avx2Only;

TEST_F(PathsAgree, EverySwitchSettingAndEstimateOnSpeechTonesAndNoiseAtBothRates) {
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
                const std::vector<int16_t> vector = CleanOnPath(KernelPath::kAvx2, s, rate, in);
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
                EXPECT_GE(identical, 0.99)
                    << rate << " Hz, switches " << bits << ", signal " << which;
            }
        }
    }
}

TEST_F(PathsAgree, TransformsMatchToRounding) {
    constexpr int kOrder = 9;
    constexpr int kN = 1 << kOrder;
    std::vector<float> sine(kN / 4);
    BuildSineTable(sine.data(), kOrder);
    test::Noise noise(3);
    std::vector<float> x(kN);
    for (auto& v : x) {
        v = noise.Next(1000.0f);
    }
    std::vector<float> spectra[2];
    std::vector<float> back[2];
    const KernelPath paths[2] = {KernelPath::kPortable, KernelPath::kAvx2};
    for (int p = 0; p < 2; ++p) {
        const WithPath chosen(paths[p]);
        spectra[p] = x;
        RealFft(spectra[p].data(), kOrder, sine.data());
        back[p] = spectra[p];
        InverseRealFft(back[p].data(), kOrder, sine.data());
    }
    for (int k = 0; k < kN; ++k) {
        EXPECT_NEAR(spectra[1][k], spectra[0][k], 1e-5f) << k;
        EXPECT_NEAR(back[1][k], back[0][k], 1e-3f) << k;
        EXPECT_NEAR(back[1][k], x[k], 0.02f) << k;
    }
}

#endif

}  // namespace
}  // namespace velquor
