#include "pipeline/BandSplitStream.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>

#include "pipeline/CleaningStream.h"

namespace {

// Gains are decided per 10 ms, as the engine's own frames go.
constexpr uint32_t kGainFramesPerSecond = 100;
constexpr uint32_t kGainFrameSamples = BandSplitStream::kEngineRate / kGainFramesPerSecond;
// The band whose suppression the high band follows: 4 kHz up to the low
// band's edge.
constexpr double kGuideBandHz = 4000.0;
// Energy added to both sides of the ratio (about one step of 16-bit audio
// per sample), so near-silence gives no wild ratios; below it the guide band
// holds nothing to follow.
constexpr double kEnergyFloor = kGainFrameSamples * 1.0;
// The high band's own noise level follows its quietest frames: it drops to a
// quieter frame at once and rises 2 dB per second, so steady noise is learnt
// while speech, which comes and goes, is not.
constexpr double kNoiseRisePerFrame = 1.00462;  // 0.02 dB per 10 ms
// Energy above the learnt noise that counts as signal; a frame of noise
// alone lies within a few dB of the noise level.
constexpr double kOverSubtraction = 2.0;
// Least noise level per sample (half a 16-bit step), so silence is no noise.
constexpr double kLeastNoisePerSample = 0.25;
// How far a falling gain moves towards its new value per 10 ms; a rising one
// moves at once, so speech onsets are not softened.
constexpr float kReleaseShare = 0.5F;
constexpr float kFullScale = 32768.0F;

// Second-order Butterworth high-pass, direct form I.
struct HighPass {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    static HighPass At(double hz, double rate) {
        const double w = 2.0 * std::numbers::pi * hz / rate;
        const double alpha = std::sin(w) / std::numbers::sqrt2;  // Q = 1/sqrt(2)
        const double a0 = 1.0 + alpha;
        HighPass f;
        f.b0 = (1.0 + std::cos(w)) / 2.0 / a0;
        f.b1 = -(1.0 + std::cos(w)) / a0;
        f.b2 = f.b0;
        f.a1 = -2.0 * std::cos(w) / a0;
        f.a2 = (1.0 - alpha) / a0;
        return f;
    }
    double Run(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// Fourth-order: two sections.
struct GuideFilter {
    HighPass first = HighPass::At(kGuideBandHz, BandSplitStream::kEngineRate);
    HighPass second = first;
    double Run(double x) { return second.Run(first.Run(x)); }
};

struct SoxrDelete {
    void operator()(soxr_t resampler) const { soxr_delete(resampler); }
};
using Resampler = std::unique_ptr<std::remove_pointer_t<soxr_t>, SoxrDelete>;

Resampler MakeResampler(double from, double to, uint32_t channels) {
    soxr_error_t error = nullptr;
    soxr_t made = soxr_create(from, to, channels, &error, nullptr, nullptr, nullptr);
    return Resampler(error == nullptr ? made : nullptr);
}

// Interleaved frames queued for a later step; consumed from the front.
class FrameQueue {
public:
    explicit FrameQueue(uint32_t channels = 1) : m_channels(channels) {}
    uint64_t Frames() const { return (m_samples.size() - m_head) / m_channels; }
    const float* Front() const { return m_samples.data() + m_head; }
    void Append(const float* samples, uint64_t frames) {
        m_samples.insert(m_samples.end(), samples, samples + frames * m_channels);
    }
    void Drop(uint64_t frames) {
        m_head += frames * m_channels;
        // Move the rest to the front now and then, so the queue stays small.
        if (m_head > m_samples.size() / 2) {
            m_samples.erase(m_samples.begin(), m_samples.begin() + static_cast<ptrdiff_t>(m_head));
            m_head = 0;
        }
    }

private:
    uint32_t m_channels;
    std::vector<float> m_samples;
    size_t m_head = 0;
};

}  // namespace

struct BandSplitStream::State {
    uint32_t rate = 0;
    uint32_t channels = 0;
    float floorGain = 0;
    CleaningStream low;
    Resampler down;     // input rate -> 16 kHz
    Resampler upClean;  // cleaned low band -> input rate
    Resampler upNoisy;  // the same low band uncleaned, to take out of the input
    FrameQueue input, cleanLow, noisyLow;
    FrameQueue low16;              // this call's frames at 16 kHz
    std::vector<int16_t> noisy16;  // low-band frames still inside the engines
    size_t noisy16Head = 0;

    // Per channel: what the engine did to 4-8 kHz, and the high band's own
    // level against its noise, per 10 ms; the larger of the two gains wins.
    struct Guide {
        GuideFilter noisy, clean;
        double noisyEnergy = 0, cleanEnergy = 0;
        std::deque<float> engineGains;  // per frame, from frame `settled` on
        double highEnergy = 0;
        double highNoise = -1;       // not learnt yet
        std::deque<float> ownGains;  // per frame, from frame `settled` on
        float gain = -1;             // the last settled gain; none yet
    };
    std::vector<Guide> guides;              // per channel
    uint32_t guideSamples = 0;              // in the 16 kHz frame being gathered
    uint64_t highPosition = 0;              // next input-rate frame of the high band
    uint64_t settled = 0;                   // gain frames decided
    std::vector<std::vector<float>> gains;  // per channel, from gain frame gainBase on
    uint64_t gainBase = 0;
    std::vector<float> lastGain;  // per channel: the gain before frame gainBase

    uint64_t pushed = 0;   // input frames
    uint64_t emitted = 0;  // output frames
    std::vector<float> scratch;
    std::vector<int16_t> block16, cleaned16;
    std::vector<float> cleanedFloat;

    // Runs `resampler` over `frames` and queues what comes out.
    void Resample(soxr_t resampler, const float* samples, size_t frames, double ratio,
                  FrameQueue& into) {
        const size_t room = static_cast<size_t>(std::ceil(double(frames) * ratio)) + 256;
        scratch.resize(room * channels);
        while (frames > 0) {
            size_t used = 0;
            size_t made = 0;
            soxr_process(resampler, samples, frames, &used, scratch.data(), room, &made);
            into.Append(scratch.data(), made);
            samples += used * channels;
            frames -= used;
        }
    }

    // Tells `resampler` the input has ended and queues the rest of its output.
    void Drain(soxr_t resampler, FrameQueue& into) {
        constexpr size_t kRoom = 4096;
        scratch.resize(kRoom * channels);
        for (size_t made = 1; made > 0;) {
            made = 0;
            soxr_process(resampler, nullptr, 0, nullptr, scratch.data(), kRoom, &made);
            into.Append(scratch.data(), made);
        }
    }

    // The engines' aligned output for the oldest noisy low-band frames:
    // guide energies, then back up to the input rate.
    void TakeCleaned(const std::vector<int16_t>& cleaned) {
        const size_t frames = cleaned.size() / channels;
        const int16_t* noisy = noisy16.data() + noisy16Head;
        for (size_t f = 0; f < frames; ++f) {
            for (uint32_t c = 0; c < channels; ++c) {
                Guide& g = guides[c];
                const double n = g.noisy.Run(noisy[f * channels + c]);
                const double k = g.clean.Run(cleaned[f * channels + c]);
                g.noisyEnergy += n * n;
                g.cleanEnergy += k * k;
            }
            if (++guideSamples == kGainFrameSamples) {
                CloseGainFrame();
            }
        }
        noisy16Head += frames * channels;
        if (noisy16Head > noisy16.size() / 2) {
            noisy16.erase(noisy16.begin(), noisy16.begin() + static_cast<ptrdiff_t>(noisy16Head));
            noisy16Head = 0;
        }
        cleanedFloat.resize(cleaned.size());
        for (size_t i = 0; i < cleaned.size(); ++i) {
            cleanedFloat[i] = float(cleaned[i]) / kFullScale;
        }
        Resample(upClean.get(), cleanedFloat.data(), frames, double(rate) / kEngineRate, cleanLow);
    }

    void CloseGainFrame() {
        for (uint32_t c = 0; c < channels; ++c) {
            Guide& g = guides[c];
            // Nothing in the guide band: the engine had nothing to decide there.
            float gain = floorGain;
            if (g.noisyEnergy > kEnergyFloor) {
                gain = float(
                    std::sqrt((g.cleanEnergy + kEnergyFloor) / (g.noisyEnergy + kEnergyFloor)));
            }
            g.engineGains.push_back(std::clamp(gain, floorGain, 1.0F));
            g.noisyEnergy = 0;
            g.cleanEnergy = 0;
        }
        guideSamples = 0;
    }

    // The high band (input less the uncleaned low band) of every frame both
    // are there for, gathered per 10 ms against its own noise level.
    void MeasureHighBand(bool end) {
        const uint64_t last =
            emitted + (end ? input.Frames() : std::min(input.Frames(), noisyLow.Frames()));
        for (; highPosition < last; ++highPosition) {
            const uint64_t i = highPosition - emitted;
            for (uint32_t c = 0; c < channels; ++c) {
                const float lowNoisy =
                    i < noisyLow.Frames() ? noisyLow.Front()[i * channels + c] : 0.0F;
                const double h = double(input.Front()[i * channels + c] - lowNoisy) * kFullScale;
                guides[c].highEnergy += h * h;
            }
            const uint64_t frame = highPosition * kGainFramesPerSecond / rate;
            const uint64_t next = (highPosition + 1) * kGainFramesPerSecond / rate;
            if (next != frame || (end && highPosition + 1 == last)) {
                CloseHighFrame(FrameLength(frame));
            }
        }
    }

    // Input-rate frames in gain frame `frame`.
    uint64_t FrameLength(uint64_t frame) const {
        const auto start = [&](uint64_t k) {
            return (k * rate + kGainFramesPerSecond - 1) / kGainFramesPerSecond;
        };
        return start(frame + 1) - start(frame);
    }

    void CloseHighFrame(uint64_t samples) {
        const double least = kLeastNoisePerSample * double(std::max<uint64_t>(samples, 1));
        for (uint32_t c = 0; c < channels; ++c) {
            Guide& g = guides[c];
            const double energy = g.highEnergy;
            g.highNoise =
                g.highNoise < 0 ? energy : std::min(energy, g.highNoise * kNoiseRisePerFrame);
            g.highNoise = std::max(g.highNoise, least);
            const double signal = 1.0 - kOverSubtraction * g.highNoise / std::max(energy, least);
            const auto gain = float(std::sqrt(std::max(signal, 0.0)));
            g.ownGains.push_back(std::clamp(gain, floorGain, 1.0F));
            g.highEnergy = 0;
        }
    }

    // Decides every gain frame both measures are there for (at the end: all,
    // a missing measure read as the deepest reduction). A rising gain is
    // taken at once so onsets keep their edge; a falling one glides.
    void Settle(bool end) {
        for (;;) {
            const bool engine = !guides[0].engineGains.empty();
            const bool own = !guides[0].ownGains.empty();
            if (!(engine && own) && !(end && (engine || own))) {
                return;
            }
            for (uint32_t c = 0; c < channels; ++c) {
                Guide& g = guides[c];
                const float target = std::max(engine ? g.engineGains.front() : floorGain,
                                              own ? g.ownGains.front() : floorGain);
                if (engine) {
                    g.engineGains.pop_front();
                }
                if (own) {
                    g.ownGains.pop_front();
                }
                g.gain = g.gain < 0 || target >= g.gain
                             ? target
                             : g.gain + (target - g.gain) * kReleaseShare;
                gains[c].push_back(g.gain);
            }
            ++settled;
        }
    }

    // Low-band frames at 16 kHz: to the engines, and back up uncleaned.
    int TakeLow(const float* samples, size_t frames) {
        Resample(upNoisy.get(), samples, frames, double(rate) / kEngineRate, noisyLow);
        for (size_t first = 0; first < frames; first += kMaxBlockFrames) {
            const size_t count = std::min<size_t>(kMaxBlockFrames, frames - first);
            block16.resize(count * channels);
            for (size_t i = 0; i < block16.size(); ++i) {
                const float v = std::round(samples[first * channels + i] * kFullScale);
                block16[i] = static_cast<int16_t>(std::clamp(v, -32768.0F, 32767.0F));
            }
            noisy16.insert(noisy16.end(), block16.begin(), block16.end());
            if (const int code = low.Push(block16.data(), static_cast<uint32_t>(count), cleaned16);
                code != 0) {
                return code;
            }
            TakeCleaned(cleaned16);
        }
        return 0;
    }

    // The high band's gain at output frame m: from the gain of the 10 ms frame
    // before m's towards that of m's own, reached at its end.
    float GainAt(uint32_t c, uint64_t m) const {
        const uint64_t position = m * kGainFramesPerSecond;
        const uint64_t frame = position / rate;
        const float share = float(position % rate) / float(rate);
        const std::vector<float>& g = gains[c];
        auto at = [&](uint64_t k) -> float {
            if (k < gainBase) {
                return lastGain[c];
            }
            const uint64_t i = k - gainBase;
            return i < g.size() ? g[i] : (g.empty() ? lastGain[c] : g.back());
        };
        const float before = frame == 0 ? at(0) : at(frame - 1);
        return before + (at(frame) - before) * share;
    }

    // Adds the bands for every frame all parts are ready for (at the end:
    // every frame pushed, a missing resampled tail read as silence).
    void Emit(std::vector<float>& out, bool end) {
        MeasureHighBand(end);
        Settle(end);
        uint64_t ready = input.Frames();
        if (!end) {
            ready = std::min({ready, cleanLow.Frames(), noisyLow.Frames()});
            const uint64_t covered =
                (settled * rate + kGainFramesPerSecond - 1) / kGainFramesPerSecond;
            ready = std::min(ready, covered > emitted ? covered - emitted : 0);
        }
        out.resize(ready * channels);
        const float* x = input.Front();
        const float* clean = cleanLow.Front();
        const float* noisy = noisyLow.Front();
        const uint64_t cleanReady = std::min(ready, cleanLow.Frames());
        const uint64_t noisyReady = std::min(ready, noisyLow.Frames());
        for (uint64_t f = 0; f < ready; ++f) {
            for (uint32_t c = 0; c < channels; ++c) {
                const size_t i = f * channels + c;
                const float lowClean = f < cleanReady ? clean[i] : 0.0F;
                const float lowNoisy = f < noisyReady ? noisy[i] : 0.0F;
                out[i] = lowClean + GainAt(c, emitted + f) * (x[i] - lowNoisy);
            }
        }
        input.Drop(ready);
        cleanLow.Drop(cleanReady);
        noisyLow.Drop(noisyReady);
        emitted += ready;
        // Gain frames wholly behind the next output frame are no longer needed.
        const uint64_t keepFrom = emitted * kGainFramesPerSecond / rate;
        if (keepFrom > gainBase + 1) {
            const uint64_t drop = std::min<uint64_t>(keepFrom - 1 - gainBase, gains[0].size());
            for (uint32_t c = 0; c < channels; ++c) {
                if (drop > 0) {
                    lastGain[c] = gains[c][drop - 1];
                    gains[c].erase(gains[c].begin(),
                                   gains[c].begin() + static_cast<ptrdiff_t>(drop));
                }
            }
            gainBase += drop;
        }
    }
};

BandSplitStream::BandSplitStream() = default;
BandSplitStream::~BandSplitStream() = default;

bool BandSplitStream::Init(const CleaningSettings& settings, uint32_t sampleRate, uint32_t channels,
                           int passes, const std::function<IVelquor*()>& create) {
    m_state.reset();
    if (sampleRate == 0 || channels == 0) {
        return false;
    }
    auto s = std::make_unique<State>();
    s->rate = sampleRate;
    s->channels = channels;
    s->floorGain = float(std::pow(10.0, -double(settings.gainMaxDb) / 20.0));
    const bool made = create ? s->low.Init(settings, kEngineRate, channels, passes, create)
                             : s->low.Init(settings, kEngineRate, channels, passes);
    if (!made) {
        return false;
    }
    s->down = MakeResampler(sampleRate, kEngineRate, channels);
    s->upClean = MakeResampler(kEngineRate, sampleRate, channels);
    s->upNoisy = MakeResampler(kEngineRate, sampleRate, channels);
    if (!s->down || !s->upClean || !s->upNoisy) {
        return false;
    }
    s->input = FrameQueue(channels);
    s->cleanLow = FrameQueue(channels);
    s->noisyLow = FrameQueue(channels);
    s->low16 = FrameQueue(channels);
    s->guides.resize(channels);
    s->gains.resize(channels);
    s->lastGain.assign(channels, 1.0F);
    m_state = std::move(s);
    return true;
}

int BandSplitStream::Push(const float* interleaved, uint32_t frames, std::vector<float>& out) {
    out.clear();
    if (!m_state) {
        return -1;
    }
    State& s = *m_state;
    frames = std::min(frames, kMaxBlockFrames);
    s.input.Append(interleaved, frames);
    s.pushed += frames;
    s.Resample(s.down.get(), interleaved, frames, double(kEngineRate) / s.rate, s.low16);
    const int code = s.TakeLow(s.low16.Front(), s.low16.Frames());
    s.low16.Drop(s.low16.Frames());
    if (code != 0) {
        return code;
    }
    s.Emit(out, false);
    return 0;
}

int BandSplitStream::Finish(std::vector<float>& out) {
    out.clear();
    if (!m_state) {
        return -1;
    }
    State& s = *m_state;
    s.Drain(s.down.get(), s.low16);
    if (const int code = s.TakeLow(s.low16.Front(), s.low16.Frames()); code != 0) {
        return code;
    }
    if (const int code = s.low.Finish(s.cleaned16); code != 0) {
        return code;
    }
    s.TakeCleaned(s.cleaned16);
    if (s.guideSamples > 0) {
        s.CloseGainFrame();
    }
    s.Drain(s.upClean.get(), s.cleanLow);
    s.Drain(s.upNoisy.get(), s.noisyLow);
    s.Emit(out, true);
    return 0;
}
