// How well each cleaner keeps speech and removes noise, measured against the
// clean speech. The test set is made at run time and cached: espeak-ng speech
// in two voices, mixed with six noises (white, pink, brown, 50 Hz hum with
// harmonics, a 1 kHz whistle, babble) at 0, 5, 10 and 20 dB SNR, at 8 and
// 16 kHz. Every mixture is cleaned by hushdesk-clean (defaults, with tone
// cleaning, and with the tracking noise estimate), by SpeexDSP's preprocessor (in this program, -18
// dB), by sox's noise-profile reduction and, when ffmpeg is installed, by its afftdn.
//
// Each output is aligned to the clean speech by cross-correlation (the lag is
// printed); no gain is applied, so a tool's fixed output gain counts. Per tool
// and input SNR, the mean over both voices and all six noises of:
//   out SNR     10 log10(sum s^2 / sum (y - s)^2)
//   segSNR +    segmental SNR (20 ms frames with speech, each held within
//               -10..35 dB) of the output minus that of the noisy input
//   pause att   noise energy in the speech pauses, input over output, in dB
//   speech dB   output level over clean level in the time-frequency bins
//               where speech is 10 dB above the noise (negative: speech lost)
//   LSD         log-spectral distance to the clean speech in frames with
//               speech, dB
//
//   quality_bench [cache-folder [tool-name-part]]   (only the tools whose name
//                                                    contains the part)
#include <sndfile.h>
#include <spawn.h>
#include <speex/speex_preprocess.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <numbers>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Signal = std::vector<double>;

constexpr int kRates[] = {8000, 16000};
constexpr int kSnrs[] = {0, 5, 10, 20};
constexpr double kPeak = 30000.0;     // mixtures are scaled to at most this peak
constexpr double kLeadSeconds = 1.0;  // noise only, for the profile-based peers

// ---- files and processes -------------------------------------------------

bool Run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

Signal ReadWav(const fs::path& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (f == nullptr) {
        return {};
    }
    std::vector<short> frames(static_cast<size_t>(info.frames) * info.channels);
    sf_readf_short(f, frames.data(), info.frames);
    sf_close(f);
    Signal out(static_cast<size_t>(info.frames));
    for (size_t n = 0; n < out.size(); ++n) {
        out[n] = frames[n * info.channels];
    }
    return out;
}

bool WriteWav(const fs::path& path, const Signal& x, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr) {
        return false;
    }
    std::vector<short> s(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        s[n] = static_cast<short>(std::lround(std::clamp(x[n], -32768.0, 32767.0)));
    }
    const bool ok = sf_write_short(f, s.data(), static_cast<sf_count_t>(s.size())) ==
                    static_cast<sf_count_t>(s.size());
    sf_close(f);
    return ok;
}

// ---- the test set --------------------------------------------------------

const char* const kSentences =
    "The quarterly report is ready, and the numbers look better than we feared. "
    "Please check the figures for the northern region before Friday. "
    "We moved the meeting to Tuesday afternoon, in the small room on the second floor.";
const char* const kBabbleText =
    "Anyone who wants coffee should ask now, because the machine closes at four. "
    "I thought the train was late again, but it came early for once. "
    "She said the garden needs water every evening in the summer. "
    "They sold the old car and bought two bicycles for the children.";

// espeak-ng speech at `rate`, led by kLeadSeconds of silence.
Signal Speak(const fs::path& folder, const std::string& voice, const std::string& text, int rate,
             double lead) {
    const fs::path raw = folder / ("raw-" + voice + ".wav");
    const fs::path resampled = folder / ("speech-" + voice + "-" + std::to_string(rate) + ".wav");
    if (!fs::exists(resampled)) {
        if (!Run({"espeak-ng", "-v", voice, "-s", "150", "-w", raw.string(), text}) ||
            !Run({"sox", raw.string(), "-r", std::to_string(rate), "-c", "1", "-b", "16",
                  resampled.string(), "pad", std::to_string(lead), "0.3"})) {
            return {};
        }
    }
    return ReadWav(resampled);
}

class Random {
public:
    explicit Random(uint32_t seed) : m_state(seed) {}
    double Uniform() {  // -1..1
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state >> 8) / (1u << 23) - 1.0;
    }
    double Gauss() {
        double s = 0.0;
        for (int i = 0; i < 12; ++i) {
            s += Uniform();
        }
        return s * 0.5;  // about unit variance
    }

private:
    uint32_t m_state;
};

Signal MakeNoise(const std::string& kind, size_t length, int rate, const Signal& babble) {
    Signal n(length);
    Random random(kind.size() * 7919u + static_cast<uint32_t>(rate));
    if (kind == "white") {
        for (auto& v : n) {
            v = random.Gauss();
        }
    } else if (kind == "pink") {
        // Paul Kellet's filter of white noise: -3 dB per octave.
        double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
        for (auto& v : n) {
            const double w = random.Gauss();
            b0 = 0.99886 * b0 + w * 0.0555179;
            b1 = 0.99332 * b1 + w * 0.0750759;
            b2 = 0.96900 * b2 + w * 0.1538520;
            b3 = 0.86650 * b3 + w * 0.3104856;
            b4 = 0.55000 * b4 + w * 0.5329522;
            b5 = -0.7616 * b5 - w * 0.0168980;
            v = b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362;
            b6 = w * 0.115926;
        }
    } else if (kind == "brown") {
        double y = 0.0;
        for (auto& v : n) {
            y = 0.998 * y + random.Gauss();
            v = y;
        }
    } else if (kind == "hum") {
        for (size_t i = 0; i < length; ++i) {
            const double t = static_cast<double>(i) / rate;
            double v = 0.0;
            for (int h = 1; h <= 8; ++h) {
                v += std::sin(2.0 * std::numbers::pi * 50.0 * h * t + h) / h;
            }
            n[i] = v;
        }
    } else if (kind == "whistle") {
        for (size_t i = 0; i < length; ++i) {
            n[i] = std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(i) / rate);
        }
    } else if (kind == "babble") {
        // Four talkers: the babble recording at four offsets, looped.
        for (int talker = 0; talker < 4 && !babble.empty(); ++talker) {
            const size_t offset = babble.size() * static_cast<size_t>(talker) / 4;
            for (size_t i = 0; i < length; ++i) {
                n[i] += babble[(i + offset) % babble.size()];
            }
        }
    }
    return n;
}

double Energy(const Signal& x, size_t from = 0, size_t to = SIZE_MAX) {
    double e = 0.0;
    for (size_t i = from; i < std::min(to, x.size()); ++i) {
        e += x[i] * x[i];
    }
    return e;
}

struct Mixture {
    Signal clean;
    Signal noisy;
    fs::path file;
};

// Speech plus noise at `snr` dB (energy over the whole speech part), scaled
// together so that the mixture peaks at kPeak.
Mixture Mix(const Signal& speech, const Signal& noise, double snr, int rate) {
    const auto lead = static_cast<size_t>(kLeadSeconds * rate);
    const double gain =
        std::sqrt(Energy(speech, lead) / Energy(noise, lead) / std::pow(10.0, snr / 10));
    Mixture m;
    m.clean = speech;
    m.noisy.resize(speech.size());
    double peak = 1.0;
    for (size_t i = 0; i < speech.size(); ++i) {
        m.noisy[i] = speech[i] + gain * noise[i];
        peak = std::max(peak, std::fabs(m.noisy[i]));
    }
    const double scale = kPeak / peak;
    for (size_t i = 0; i < speech.size(); ++i) {
        m.clean[i] *= scale;
        m.noisy[i] *= scale;
    }
    return m;
}

// ---- the cleaners --------------------------------------------------------

struct Tool {
    std::string name;
    // Cleans `in` into `out`; false when it failed.
    bool (*clean)(const fs::path& in, const fs::path& out, int rate);
    // Applied to the output before scoring (1: as written).
    double scale = 1.0;
};

// The engine's fixed output gain; one row undoes it, to show what the noise
// estimate does apart from it (an output 1.16 dB down can never be within
// 18 dB of the clean speech).
constexpr double kEngineOutputGain = 0.875;

bool HushdeskDefaults(const fs::path& in, const fs::path& out, int) {
    return Run({HUSHDESK_CLEAN_PATH, "--quiet", "--force", in.string(), out.string()});
}

bool HushdeskTracking(const fs::path& in, const fs::path& out, int) {
    return Run({HUSHDESK_CLEAN_PATH, "--quiet", "--force", "--estimator=tracking", in.string(),
                out.string()});
}

bool HushdeskTone(const fs::path& in, const fs::path& out, int) {
    return Run({HUSHDESK_CLEAN_PATH, "--quiet", "--force", "--tone=on", in.string(), out.string()});
}

bool Speex(const fs::path& in, const fs::path& out, int rate) {
    const Signal x = ReadWav(in);
    const int frame = rate / 50;  // 20 ms
    SpeexPreprocessState* state = speex_preprocess_state_init(frame, rate);
    if (state == nullptr) {
        return false;
    }
    int on = 1;
    int suppress = -18;
    speex_preprocess_ctl(state, SPEEX_PREPROCESS_SET_DENOISE, &on);
    speex_preprocess_ctl(state, SPEEX_PREPROCESS_SET_NOISE_SUPPRESS, &suppress);
    std::vector<spx_int16_t> block(static_cast<size_t>(frame));
    Signal y(x.size(), 0.0);
    for (size_t a = 0; a + frame <= x.size(); a += frame) {
        for (int i = 0; i < frame; ++i) {
            block[i] = static_cast<spx_int16_t>(x[a + i]);
        }
        speex_preprocess_run(state, block.data());
        for (int i = 0; i < frame; ++i) {
            y[a + i] = block[i];
        }
    }
    speex_preprocess_state_destroy(state);
    return WriteWav(out, y, rate);
}

bool SoxNoisered(const fs::path& in, const fs::path& out, int) {
    const fs::path profile = out.string() + ".prof";
    const bool ok =
        Run({"sox", in.string(), "-n", "trim", "0", "0.9", "noiseprof", profile.string()}) &&
        Run({"sox", in.string(), out.string(), "noisered", profile.string(), "0.21"});
    fs::remove(profile);
    return ok;
}

bool FfmpegAfftdn(const fs::path& in, const fs::path& out, int) {
    return Run({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", in.string(), "-af",
                "afftdn=nr=18", "-c:a", "pcm_s16le", out.string()});
}

// ---- measures ------------------------------------------------------------

// Lag of y behind x (samples, within +-maxLag) with the largest correlation,
// over the first few seconds.
int FindLag(const Signal& x, const Signal& y, int maxLag) {
    const size_t span = std::min<size_t>(x.size(), 4 * 16000);
    double best = -1e300;
    int bestLag = 0;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double c = 0.0;
        for (size_t n = static_cast<size_t>(maxLag); n + maxLag < span; ++n) {
            c += x[n] * y[n + lag];
        }
        if (c > best) {
            best = c;
            bestLag = lag;
        }
    }
    return bestLag;
}

Signal Shifted(const Signal& y, int lag, size_t length) {
    Signal out(length, 0.0);
    for (size_t n = 0; n < length; ++n) {
        const auto m = static_cast<long long>(n) + lag;
        if (m >= 0 && m < static_cast<long long>(y.size())) {
            out[n] = y[static_cast<size_t>(m)];
        }
    }
    return out;
}

void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0);
            for (size_t j = 0; j < len / 2; ++j) {
                const auto u = a[i + j];
                const auto v = a[i + j + len / 2] * w;
                a[i + j] = u + v;
                a[i + j + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

// Power spectra of Hann-windowed 32 ms frames, hop 16 ms.
std::vector<std::vector<double>> Spectrogram(const Signal& x, int rate) {
    const size_t size = rate == 8000 ? 256 : 512;
    const size_t hop = size / 2;
    std::vector<std::vector<double>> frames;
    std::vector<std::complex<double>> buffer(size);
    for (size_t a = 0; a + size <= x.size(); a += hop) {
        for (size_t i = 0; i < size; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / size);
            buffer[i] = x[a + i] * w;
        }
        Fft(buffer);
        std::vector<double> p(size / 2 + 1);
        for (size_t k = 0; k <= size / 2; ++k) {
            p[k] = std::norm(buffer[k]);
        }
        frames.push_back(std::move(p));
    }
    return frames;
}

double Db(double ratio) {
    return 10.0 * std::log10(std::max(ratio, 1e-30));
}

struct Scores {
    double outSnr = 0;
    double segSnrGain = 0;
    double pauseAttenuation = 0;
    double speechLevel = 0;
    double lsd = 0;
    int lag = 0;
};

double SegmentalSnr(const Signal& s, const Signal& y, int rate, double activeEnergy) {
    const auto frame = static_cast<size_t>(rate / 50);
    double sum = 0.0;
    int count = 0;
    for (size_t a = static_cast<size_t>(kLeadSeconds * rate); a + frame <= s.size(); a += frame) {
        const double es = Energy(s, a, a + frame);
        if (es < activeEnergy) {
            continue;
        }
        double ee = 0.0;
        for (size_t i = a; i < a + frame; ++i) {
            ee += (y[i] - s[i]) * (y[i] - s[i]);
        }
        sum += std::clamp(Db(es / std::max(ee, 1e-9)), -10.0, 35.0);
        ++count;
    }
    return count > 0 ? sum / count : 0.0;
}

Scores Measure(const Mixture& m, const Signal& output, int rate) {
    Scores r;
    const int maxLag = rate / 16;  // 62.5 ms
    r.lag = FindLag(m.clean, output, maxLag);
    const Signal y = Shifted(output, r.lag, m.clean.size());
    const Signal& s = m.clean;
    const Signal& x = m.noisy;
    const auto from = static_cast<size_t>(kLeadSeconds * rate);
    // The first 0.5 s after the lead are left out of the error sums: every
    // tool is still learning the noise there.
    double es = 0.0;
    double ee = 0.0;
    for (size_t n = from; n < s.size(); ++n) {
        es += s[n] * s[n];
        ee += (y[n] - s[n]) * (y[n] - s[n]);
    }
    r.outSnr = Db(es / ee);

    // Frames with speech: within 40 dB of the loudest 20 ms frame; pauses:
    // clean energy below 60 dB under it (espeak-ng's pauses are silent).
    const auto frame = static_cast<size_t>(rate / 50);
    double loudest = 0.0;
    for (size_t a = 0; a + frame <= s.size(); a += frame) {
        loudest = std::max(loudest, Energy(s, a, a + frame));
    }
    const double active = loudest * 1e-4;
    r.segSnrGain = SegmentalSnr(s, y, rate, active) - SegmentalSnr(s, x, rate, active);
    double pauseIn = 0.0;
    double pauseOut = 0.0;
    for (size_t a = from + rate / 2; a + frame <= s.size(); a += frame) {
        if (Energy(s, a, a + frame) < loudest * 1e-6) {
            pauseIn += Energy(x, a, a + frame);
            pauseOut += Energy(y, a, a + frame);
        }
    }
    r.pauseAttenuation = Db(pauseIn / std::max(pauseOut, 1e-9));

    Signal noise(s.size());
    for (size_t n = 0; n < s.size(); ++n) {
        noise[n] = x[n] - s[n];
    }
    const auto S = Spectrogram(s, rate);
    const auto N = Spectrogram(noise, rate);
    const auto Y = Spectrogram(y, rate);
    double speechIn = 0.0;
    double speechOut = 0.0;
    double lsdSum = 0.0;
    int lsdFrames = 0;
    const size_t firstFrame = from * 2 / (rate == 8000 ? 256 : 512);
    double loudestFrame = 0.0;
    for (const auto& f : S) {
        double e = 0.0;
        for (double p : f) {
            e += p;
        }
        loudestFrame = std::max(loudestFrame, e);
    }
    for (size_t t = firstFrame; t < S.size(); ++t) {
        double e = 0.0;
        for (size_t k = 0; k < S[t].size(); ++k) {
            e += S[t][k];
            if (S[t][k] > 10.0 * N[t][k]) {
                speechIn += S[t][k];
                speechOut += Y[t][k];
            }
        }
        if (e > loudestFrame * 1e-4) {
            // Bins held 60 dB under the frame's peak, so silence between
            // harmonics does not dominate the distance.
            const double peak = *std::max_element(S[t].begin(), S[t].end());
            double d = 0.0;
            for (size_t k = 0; k < S[t].size(); ++k) {
                const double diff =
                    Db(std::max(S[t][k], peak * 1e-6)) - Db(std::max(Y[t][k], peak * 1e-6));
                d += diff * diff;
            }
            lsdSum += std::sqrt(d / static_cast<double>(S[t].size()));
            ++lsdFrames;
        }
    }
    r.speechLevel = Db(speechOut / std::max(speechIn, 1e-9));
    r.lsd = lsdFrames > 0 ? lsdSum / lsdFrames : 0.0;
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path cache =
        argc > 1 ? fs::path(argv[1]) : fs::path(HUSHDESK_BENCH_CACHE) / "quality";
    fs::create_directories(cache);
    if (!Installed("espeak-ng") || !Installed("sox")) {
        std::fprintf(stderr, "quality_bench: needs espeak-ng and sox (scripts/install-deps)\n");
        return 1;
    }
    std::vector<Tool> tools = {
        {"hushdesk-clean", HushdeskDefaults},
        {"hushdesk-clean --tone", HushdeskTone},
        {"hushdesk-clean tracking", HushdeskTracking},
        {"  tracking, gain undone", HushdeskTracking, 1.0 / kEngineOutputGain},
        {"speexdsp -18 dB", Speex},
        {"sox noisered 0.21", SoxNoisered}};
    if (Installed("ffmpeg")) {
        tools.push_back({"ffmpeg afftdn nr=18", FfmpegAfftdn});
    } else {
        std::printf("(ffmpeg not installed: afftdn left out)\n");
    }
    if (argc > 2) {
        const std::string part = argv[2];
        std::erase_if(tools, [&](const Tool& t) { return t.name.find(part) == std::string::npos; });
    }
    const std::vector<std::string> voices = {"en", "en+f3"};
    const std::vector<std::string> noises = {"white", "pink", "brown", "hum", "whistle", "babble"};

    std::printf("quality_bench: %zu voices x %zu noises per row, test set in %s\n", voices.size(),
                noises.size(), cache.c_str());
    for (const int rate : kRates) {
        const Signal babble = Speak(cache, "en+m3", kBabbleText, rate, 0.0);
        std::vector<Signal> speech;
        for (const auto& v : voices) {
            speech.push_back(Speak(cache, v, kSentences, rate, kLeadSeconds));
            if (speech.back().empty() || babble.empty()) {
                std::fprintf(stderr, "quality_bench: espeak-ng or sox failed\n");
                return 1;
            }
        }
        // (tool, snr) -> summed scores and count
        std::map<std::pair<size_t, int>, std::pair<Scores, int>> sums;
        for (size_t v = 0; v < voices.size(); ++v) {
            for (const auto& kind : noises) {
                const Signal noise = MakeNoise(kind, speech[v].size(), rate, babble);
                for (const int snr : kSnrs) {
                    Mixture m = Mix(speech[v], noise, snr, rate);
                    const std::string stem = std::to_string(rate) + "-" + voices[v] + "-" + kind +
                                             "-" + std::to_string(snr) + "dB";
                    m.file = cache / ("in-" + stem + ".wav");
                    WriteWav(m.file, m.noisy, rate);
                    for (size_t t = 0; t < tools.size(); ++t) {
                        const fs::path out = cache / ("out-" + stem + ".wav");
                        Signal y = tools[t].clean(m.file, out, rate) ? ReadWav(out) : Signal{};
                        for (double& v : y) {
                            v *= tools[t].scale;
                        }
                        fs::remove(out);
                        if (y.empty()) {
                            std::fprintf(stderr, "quality_bench: %s failed on %s\n",
                                         tools[t].name.c_str(), m.file.c_str());
                            return 1;
                        }
                        const Scores s = Measure(m, y, rate);
                        auto& [sum, count] = sums[{t, snr}];
                        sum.outSnr += s.outSnr;
                        sum.segSnrGain += s.segSnrGain;
                        sum.pauseAttenuation += s.pauseAttenuation;
                        sum.speechLevel += s.speechLevel;
                        sum.lsd += s.lsd;
                        sum.lag = s.lag;  // the same for every file of a tool
                        ++count;
                    }
                    fs::remove(m.file);
                }
            }
        }
        std::printf(
            "\n%d Hz                    in SNR  out SNR  segSNR +  pause att  speech dB    LSD   "
            "lag\n",
            rate);
        for (size_t t = 0; t < tools.size(); ++t) {
            Scores mean{};
            for (const int snr : kSnrs) {
                const auto& [sum, count] = sums[{t, snr}];
                const double c = count;
                std::printf("%-24s %5d %8.1f %9.1f %10.1f %10.1f %6.1f %5d\n",
                            tools[t].name.c_str(), snr, sum.outSnr / c, sum.segSnrGain / c,
                            sum.pauseAttenuation / c, sum.speechLevel / c, sum.lsd / c, sum.lag);
                mean.outSnr += sum.outSnr / c / std::size(kSnrs);
                mean.segSnrGain += sum.segSnrGain / c / std::size(kSnrs);
                mean.pauseAttenuation += sum.pauseAttenuation / c / std::size(kSnrs);
                mean.speechLevel += sum.speechLevel / c / std::size(kSnrs);
                mean.lsd += sum.lsd / c / std::size(kSnrs);
            }
            std::printf("%-24s %5s %8.1f %9.1f %10.1f %10.1f %6.1f\n", "", "mean", mean.outSnr,
                        mean.segSnrGain, mean.pauseAttenuation, mean.speechLevel, mean.lsd);
        }
    }
    return 0;
}
