#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "TestSignals.h"
#include "VelquorEngine.h"

namespace velquor {
namespace {

using test::Clean;
using test::EngineHandle;

constexpr int16_t kUntouched = 12345;

// Through the shared library's export, as the desktop program sees it.
TEST(VelquorInterface, FreshObjectReportsTheDefaults) {
    EngineHandle engine(CreateVelquor());
    ASSERT_NE(engine.get(), nullptr);
    EXPECT_EQ(engine->GetNoiseSuppression(), 1);
    EXPECT_EQ(engine->GetGainMaxDb(), 18);
    EXPECT_EQ(engine->GetSpectrumCorrection(), 1);
    EXPECT_EQ(engine->GetWhiteNoise(), 0);
    EXPECT_EQ(engine->GetToneCleaning(), 0);
}

TEST(VelquorInterface, SettersNormaliseAndReturnTheStoredValue) {
    EngineHandle engine(CreateVelquor());
    ASSERT_NE(engine.get(), nullptr);
    EXPECT_EQ(engine->SetGainMaxDb(25), 18);
    EXPECT_EQ(engine->GetGainMaxDb(), 18);
    EXPECT_EQ(engine->SetGainMaxDb(-3), 0);
    EXPECT_EQ(engine->GetGainMaxDb(), 0);
    EXPECT_EQ(engine->SetGainMaxDb(7), 7);
    EXPECT_EQ(engine->GetGainMaxDb(), 7);

    EXPECT_EQ(engine->SetWhiteNoise(7), 1);
    EXPECT_EQ(engine->GetWhiteNoise(), 1);
    EXPECT_EQ(engine->SetWhiteNoise(0), 0);
    EXPECT_EQ(engine->GetWhiteNoise(), 0);
    EXPECT_EQ(engine->SetToneCleaning(-2), 1);
    EXPECT_EQ(engine->GetToneCleaning(), 1);
    EXPECT_EQ(engine->SetNoiseSuppression(0), 0);
    EXPECT_EQ(engine->GetNoiseSuppression(), 0);
    EXPECT_EQ(engine->SetSpectrumCorrection(0), 0);
    EXPECT_EQ(engine->GetSpectrumCorrection(), 0);
    EXPECT_EQ(engine->SetSpectrumCorrection(3), 1);
    EXPECT_EQ(engine->GetSpectrumCorrection(), 1);
}

TEST(VelquorInterface, InitRefusesARateOfZeroOrLess) {
    EngineHandle engine(CreateVelquor());
    ASSERT_NE(engine.get(), nullptr);
    EXPECT_EQ(engine->Init(0), kVelquorWrongRate);
    EXPECT_EQ(engine->Init(-8000), kVelquorWrongRate);
    std::vector<int16_t> in(256, 1000);
    std::vector<int16_t> out(256, kUntouched);
    EXPECT_EQ(engine->Process(in.data(), out.data(), 256), kVelquorNoState);
    EXPECT_EQ(std::count(out.begin(), out.end(), kUntouched), 256);
    EXPECT_EQ(engine->Init(8000), kVelquorOk);
    EXPECT_EQ(engine->Process(in.data(), out.data(), 256), kVelquorOk);
}

TEST(VelquorProcess, RefusesCountsThatAreNotWholeBlocksUpTo4096) {
    EngineHandle engine(CreateVelquor());
    ASSERT_EQ(engine->Init(8000), kVelquorOk);
    std::vector<int16_t> in(8192, 500);
    std::vector<int16_t> out(8192, kUntouched);
    for (const int32_t count : {4352, 8192, 4097, 300, 255, 1, -256}) {
        EXPECT_EQ(engine->Process(in.data(), out.data(), count), kVelquorWrongLength) << count;
        ASSERT_EQ(std::count(out.begin(), out.end(), kUntouched), 8192) << count;
    }
    EXPECT_EQ(engine->Process(in.data(), out.data(), 4096), kVelquorOk);
    EXPECT_EQ(std::count(out.begin() + 4096, out.end(), kUntouched), 4096);
}

TEST(VelquorProcess, CountZeroWritesNothing) {
    EngineHandle engine(CreateVelquor());
    ASSERT_EQ(engine->Init(16000), kVelquorOk);
    std::vector<int16_t> in(256, 500);
    std::vector<int16_t> out(256, kUntouched);
    EXPECT_EQ(engine->Process(in.data(), out.data(), 0), kVelquorOk);
    EXPECT_EQ(std::count(out.begin(), out.end(), kUntouched), 256);
}

TEST(VelquorProcess, SilenceStaysSilence) {
    for (const int toneCleaning : {0, 1}) {
        EngineHandle engine(CreateVelquor());
        engine->SetToneCleaning(toneCleaning);
        ASSERT_EQ(engine->Init(8000), kVelquorOk);
        const std::vector<int16_t> silence(5 * 8000 / 1024 * 1024, 0);
        const std::vector<int16_t> out = Clean(engine.get(), silence);
        EXPECT_EQ(std::count(out.begin(), out.end(), int16_t{0}),
                  static_cast<std::ptrdiff_t>(out.size()));
    }
}

TEST(VelquorProcess, FullScaleInputNeverGivesMinus32768) {
    EngineHandle engine(CreateVelquor());
    ASSERT_EQ(engine->Init(8000), kVelquorOk);
    // A loud 300 Hz tone teaches the correction a high mean level; a full-scale
    // 2 kHz square wave then meets bins of low level and is boosted past full
    // scale.
    std::vector<int16_t> in(6 * 8192);
    for (size_t n = 0; n < in.size(); ++n) {
        if (n < 4 * 8192) {
            in[n] = static_cast<int16_t>(std::lround(test::Tone(300.0, 8000, n, 32767.0)));
        } else {
            in[n] = (n / 2) % 2 == 0 ? int16_t{-32768} : int16_t{32767};
        }
    }
    const std::vector<int16_t> out = Clean(engine.get(), in);
    EXPECT_EQ(std::count(out.begin(), out.end(), int16_t{-32768}), 0);
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), -32767);  // clipping did happen
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 32767);
}

TEST(VelquorProcess, ToOutputSampleScalesClipsAndTruncates) {
    EXPECT_EQ(ToOutputSample(100.0f, 0.875f), 87);  // 87.5
    EXPECT_EQ(ToOutputSample(-100.0f, 0.875f), -87);
    EXPECT_EQ(ToOutputSample(1.9f, 1.0f), 1);
    EXPECT_EQ(ToOutputSample(-1.9f, 1.0f), -1);
    EXPECT_EQ(ToOutputSample(32767.9f, 1.0f), 32767);
    EXPECT_EQ(ToOutputSample(-32768.0f, 1.0f), -32767);
    EXPECT_EQ(ToOutputSample(-32767.5f, 1.0f), -32767);
    EXPECT_EQ(ToOutputSample(1.0e9f, 0.875f), 32767);
    EXPECT_EQ(ToOutputSample(-1.0e9f, 0.875f), -32767);
}

// With the three per-frame switches off the middle of the spectrum passes
// untouched: a 1 kHz tone comes out delayed by one block, times 0.875.
TEST(VelquorProcess, SwitchesOffPassAToneDelayedByOneBlock) {
    for (const int rate : {8000, 16000}) {
        EngineHandle engine(CreateVelquor());
        engine->SetNoiseSuppression(0);
        engine->SetToneCleaning(0);
        engine->SetSpectrumCorrection(0);
        ASSERT_EQ(engine->Init(rate), kVelquorOk);
        std::vector<int16_t> in(16 * 1024);
        for (size_t n = 0; n < in.size(); ++n) {
            in[n] = static_cast<int16_t>(std::lround(test::Tone(1000.0, rate, n, 12000.0)));
        }
        const std::vector<int16_t> out = Clean(engine.get(), in);
        int worst = 0;
        for (size_t n = 4 * 256; n < out.size(); ++n) {
            const double expected = 0.875 * in[n - 256];
            worst = std::max(worst, static_cast<int>(std::abs(out[n] - expected) + 0.5));
        }
        EXPECT_LE(worst, 2) << rate;
    }
}

TEST(VelquorProcess, SameResultWhateverTheChunkLength) {
    test::Noise noise(13);
    std::vector<int16_t> in(8 * 4096);
    for (size_t n = 0; n < in.size(); ++n) {
        in[n] = static_cast<int16_t>(test::Tone(300.0, 8000, n, 4000.0) + noise.Next(800.0f));
    }
    std::vector<std::vector<int16_t>> results;
    for (const int chunk : {256, 1024, 4096}) {
        EngineHandle engine(CreateVelquor());
        engine->SetToneCleaning(1);
        ASSERT_EQ(engine->Init(8000), kVelquorOk);
        results.push_back(Clean(engine.get(), in, chunk));
    }
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[0], results[2]);
}

TEST(VelquorProcess, InitAgainStartsOverAndEnginesShareNothing) {
    test::Noise noise(17);
    std::vector<int16_t> first(4 * 4096);
    std::vector<int16_t> second(4 * 4096);
    for (size_t n = 0; n < first.size(); ++n) {
        first[n] = static_cast<int16_t>(noise.Next(6000.0f));
        second[n] = static_cast<int16_t>(test::Tone(440.0, 8000, n, 9000.0) + noise.Next(300.0f));
    }
    EngineHandle fresh(CreateVelquor());
    ASSERT_EQ(fresh->Init(8000), kVelquorOk);
    const std::vector<int16_t> expected = Clean(fresh.get(), second);

    EngineHandle reused(CreateVelquor());
    EngineHandle other(CreateVelquor());
    ASSERT_EQ(reused->Init(8000), kVelquorOk);
    ASSERT_EQ(other->Init(8000), kVelquorOk);
    Clean(reused.get(), first);
    ASSERT_EQ(reused->Init(8000), kVelquorOk);
    // Interleave calls on another engine fed something else.
    std::vector<int16_t> got(second.size());
    std::vector<int16_t> scratch(1024);
    for (size_t a = 0; a < second.size(); a += 1024) {
        other->Process(first.data() + a, scratch.data(), 1024);
        ASSERT_EQ(reused->Process(second.data() + a, got.data() + a, 1024), kVelquorOk);
    }
    EXPECT_EQ(got, expected);
}

// Engine internals reached through the core library.
struct EngineDeleter {
    void operator()(VelquorEngine* engine) const { engine->Release(); }
};
using EnginePtr = std::unique_ptr<VelquorEngine, EngineDeleter>;

TEST(VelquorEngineState, GainMaxDbTakesEffectAtTheNextInitOnly) {
    EnginePtr before(VelquorEngine::Create());
    ASSERT_NE(before, nullptr);
    before->SetGainMaxDb(0);
    ASSERT_EQ(before->Init(8000), kVelquorOk);
    EXPECT_FLOAT_EQ(before->State().floorGain, 1.0f);
    for (int k = 0; k <= 256; ++k) {
        EXPECT_FLOAT_EQ(before->State().floorCurve[k], 1.0f) << k;
    }

    EnginePtr after(VelquorEngine::Create());
    ASSERT_EQ(after->Init(8000), kVelquorOk);
    after->SetGainMaxDb(0);
    after->SetWhiteNoise(1);
    EXPECT_FLOAT_EQ(after->State().floorGain, 0.12589254f);
    EXPECT_FLOAT_EQ(after->State().floorCurve[10], 0.12589254f);
    EXPECT_GT(after->State().floorCurve[200], 0.5f);  // still the rising floor
    ASSERT_EQ(after->Init(8000), kVelquorOk);
    EXPECT_FLOAT_EQ(after->State().floorCurve[200], 1.0f);
}

TEST(VelquorEngineState, SpectrumCorrectionAtInitPicksTheCurve) {
    EnginePtr withCorrection(VelquorEngine::Create());
    ASSERT_EQ(withCorrection->Init(8000), kVelquorOk);
    EXPECT_NEAR(withCorrection->State().correctionCurve[128], 1.0f / 1.475f, 1e-5);

    EnginePtr tilt(VelquorEngine::Create());
    tilt->SetSpectrumCorrection(0);
    ASSERT_EQ(tilt->Init(8000), kVelquorOk);
    tilt->SetSpectrumCorrection(1);  // applies the tilt curve from now on
    EXPECT_NEAR(tilt->State().correctionCurve[128], std::pow(10.0f, 0.3f), 1e-5);
    EXPECT_EQ(tilt->State().correctionCurve[0], 0.0f);
}

TEST(VelquorEngineState, InitWritesTheNoiseTimeConstantBack) {
    EnginePtr engine(VelquorEngine::Create());
    ASSERT_EQ(engine->Init(400), kVelquorOk);
    EXPECT_FLOAT_EQ(engine->Params().noiseTimeConstant, 0.64f);
    ASSERT_EQ(engine->Init(8000), kVelquorOk);
    EXPECT_FLOAT_EQ(engine->Params().noiseTimeConstant, 0.5f);
}

}  // namespace
}  // namespace velquor
