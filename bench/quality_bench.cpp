// How well each cleaner keeps speech and removes noise, measured against the
// clean speech. The test set is made at run time and cached: espeak-ng speech
// in four takes (two voices reading sentences, one loud and one 20 dB quieter;
// two more voices in continuous talk, one with pauses of over a second), mixed
// with six noises (white, pink, brown, 50 Hz hum with harmonics, a 1 kHz
// whistle, babble) at 0, 5, 10 and 20 dB SNR, at 8 and 16 kHz. Every mixture
// is cleaned by hushdesk-clean (defaults, with tone cleaning, and in its speech
// mode), by SpeexDSP's preprocessor (in this program, -18 dB), by sox's
// noise-profile reduction and, when ffmpeg is installed, by its afftdn; the
// noisy input itself is scored as "input".
//
// Each output is aligned to the clean speech by cross-correlation (the lag is
// printed); no gain is applied, so a tool's fixed output gain counts. Per tool
// and input SNR, the mean over all takes and noises of:
//   STOI        short-time objective intelligibility (Taal et al., 2011), 0..1
//   SI-SDR +    scale-invariant SDR of the output minus that of the input, dB
//   out SNR     10 log10(sum s^2 / sum (y - s)^2)
//   segSNR +    segmental SNR (20 ms frames with speech, each held within
//               -10..35 dB) of the output minus that of the noisy input
//   pause att   noise energy in the speech pauses, input over output, in dB
//   speech dB   output level over clean level in the time-frequency bins
//               where speech is 10 dB above the noise (negative: speech lost)
//   LSD         log-spectral distance to the clean speech in frames with
//               speech, dB
// and then STOI and SI-SDR + per noise. The run also writes quality.svg into
// the cache folder: SI-SDR + and STOI against input SNR, one line per tool.
//
//   quality_bench [cache-folder [part[,part...]]]   (only the tools whose name
//                                                    contains one of the
//                                                    parts, and the input)
#include <sndfile.h>
#include <spawn.h>
#include <speex/speex_preprocess.h>
#include <sys/wait.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "SpeechMeasures.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Signal = std::vector<double>;

constexpr int kRates[] = {8000, 16000};
constexpr int kSnrs[] = {0, 5, 10, 20};
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

const char* const kTalk =
    "So here is the plan for the next few weeks. First we finish the drawings for the new "
    "kitchen, then we order the cabinets, and while we wait for them we paint the walls and fix "
    "the floor in the hall. If the weather stays dry we can also start on the fence at the back "
    "of the garden, which has been leaning for years.";
const char* const kPausedTalk =
    "<speak>Good morning, this is the weather for today. <break time=\"1200ms\"/> Clouds in "
    "the north will clear by noon. <break time=\"1000ms\"/> In the south, expect light rain in "
    "the afternoon and a cool evening. <break time=\"1400ms\"/> Tomorrow looks brighter "
    "everywhere.</speak>";

// One recording of the test set: who speaks what, how fast, and the peak of
// its mixtures (a quiet take shows whether a cleaner depends on the level).
struct Take {
    std::string name;
    std::string voice;
    const char* text;
    int wordsPerMinute;
    double peak;
};

const Take kTakes[] = {
    {"sentences-m", "en", kSentences, 150, 30000.0},
    {"sentences-f-quiet", "en+f3", kSentences, 150, 3000.0},
    {"talk-us", "en-us", kTalk, 175, 30000.0},
    {"pauses-f", "en+f4", kPausedTalk, 160, 12000.0},
};

// espeak-ng speech at `rate`, led by `lead` seconds of silence.
Signal Speak(const fs::path& folder, const std::string& name, const std::string& voice,
             const std::string& text, int wordsPerMinute, int rate, double lead) {
    const fs::path raw = folder / ("raw-" + name + ".wav");
    const fs::path resampled = folder / ("speech-" + name + "-" + std::to_string(rate) + ".wav");
    if (!fs::exists(resampled)) {
        if (!Run({"espeak-ng", "-m", "-v", voice, "-s", std::to_string(wordsPerMinute), "-w",
                  raw.string(), text}) ||
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
// together so that the mixture peaks at `peakLevel`.
Mixture Mix(const Signal& speech, const Signal& noise, double snr, int rate, double peakLevel) {
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
    const double scale = peakLevel / peak;
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
};

bool Unchanged(const fs::path& in, const fs::path& out, int) {
    std::error_code error;
    return fs::copy_file(in, out, fs::copy_options::overwrite_existing, error);
}

bool HushdeskDefaults(const fs::path& in, const fs::path& out, int) {
    return Run({HUSHDESK_CLEAN_PATH, "--quiet", "--force", in.string(), out.string()});
}

bool HushdeskSpeech(const fs::path& in, const fs::path& out, int) {
    return Run({HUSHDESK_CLEAN_PATH, "--quiet", "--force", "--estimator=speech", in.string(),
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
    double stoi = 0;
    double siSdrGain = 0;
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

// `knownLag`: the tool's lag from an earlier file (a tool's lag does not
// depend on the recording), or INT_MIN to find it.
Scores Measure(const Mixture& m, const Signal& output, int rate, int knownLag) {
    Scores r;
    const int maxLag = rate / 16;  // 62.5 ms
    r.lag = knownLag != INT_MIN ? knownLag : FindLag(m.clean, output, maxLag);
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
    const Signal speechPart(s.begin() + static_cast<long>(from), s.end());
    r.siSdrGain =
        measures::SiSdr(speechPart, Signal(y.begin() + static_cast<long>(from), y.end())) -
        measures::SiSdr(speechPart, Signal(x.begin() + static_cast<long>(from), x.end()));
    r.stoi = measures::Stoi(s, y, rate);

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

struct Sum {
    Scores scores;
    int count = 0;
    void Add(const Scores& r) {
        scores.stoi += r.stoi;
        scores.siSdrGain += r.siSdrGain;
        scores.outSnr += r.outSnr;
        scores.segSnrGain += r.segSnrGain;
        scores.pauseAttenuation += r.pauseAttenuation;
        scores.speechLevel += r.speechLevel;
        scores.lsd += r.lsd;
        scores.lag = r.lag;  // the same for every file of a tool
        ++count;
    }
    Scores Mean() const {
        Scores m = scores;
        const double c = count > 0 ? count : 1;
        m.stoi /= c;
        m.siSdrGain /= c;
        m.outSnr /= c;
        m.segSnrGain /= c;
        m.pauseAttenuation /= c;
        m.speechLevel /= c;
        m.lsd /= c;
        return m;
    }
};

// ---- the chart -----------------------------------------------------------

const char* const kColours[] = {"#888888", "#1f77b4", "#17becf", "#d62728",
                                "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b"};

// One panel: `value` of every tool against input SNR.
void Panel(std::string& svg, double left, double top, const std::string& title,
           const std::vector<std::string>& names, const std::vector<std::vector<double>>& values,
           double low, double high, double step) {
    const double width = 330.0;
    const double height = 200.0;
    const auto x = [&](int snr) { return left + width * snr / 20.0; };
    const auto y = [&](double v) { return top + height * (high - v) / (high - low); };
    char line[512];
    std::snprintf(line, sizeof line,
                  "<text x='%.1f' y='%.1f' font-size='13' font-weight='bold'>%s</text>\n", left,
                  top - 10, title.c_str());
    svg += line;
    for (double v = low; v <= high + 1e-9; v += step) {
        std::snprintf(line, sizeof line,
                      "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' stroke='#dddddd'/>"
                      "<text x='%.1f' y='%.1f' font-size='10' text-anchor='end'>%g</text>\n",
                      left, y(v), left + width, y(v), left - 4, y(v) + 3, v);
        svg += line;
    }
    for (const int snr : kSnrs) {
        std::snprintf(line, sizeof line,
                      "<text x='%.1f' y='%.1f' font-size='10' text-anchor='middle'>%d</text>\n",
                      x(snr), top + height + 14, snr);
        svg += line;
    }
    std::snprintf(line, sizeof line,
                  "<text x='%.1f' y='%.1f' font-size='10' text-anchor='middle'>input SNR, "
                  "dB</text>\n",
                  left + width / 2, top + height + 28);
    svg += line;
    for (size_t t = 0; t < names.size(); ++t) {
        std::string points;
        for (size_t i = 0; i < std::size(kSnrs); ++i) {
            std::snprintf(line, sizeof line, "%.1f,%.1f ", x(kSnrs[i]),
                          y(std::clamp(values[t][i], low, high)));
            points += line;
        }
        std::snprintf(line, sizeof line,
                      "<polyline fill='none' stroke='%s' stroke-width='%s' points='%s'/>\n",
                      kColours[t % std::size(kColours)],
                      t == 0 ? "1.5' stroke-dasharray='4 3" : "2", points.c_str());
        svg += line;
    }
}

// STOI and SI-SDR + against input SNR at both rates, one line per tool.
bool WriteChart(const fs::path& path, const std::vector<std::string>& names,
                const std::map<int, std::vector<std::vector<Scores>>>& byRate) {
    std::string svg =
        "<svg xmlns='http://www.w3.org/2000/svg' width='800' height='600' "
        "font-family='sans-serif'>\n<rect width='800' height='600' fill='white'/>\n";
    double top = 40.0;
    for (const auto& [rate, scores] : byRate) {
        std::vector<std::vector<double>> gain;
        std::vector<std::vector<double>> stoi;
        double lowGain = 0.0;
        double highGain = 0.0;
        double lowStoi = 1.0;
        for (const auto& tool : scores) {
            gain.emplace_back();
            stoi.emplace_back();
            for (const Scores& s : tool) {
                gain.back().push_back(s.siSdrGain);
                stoi.back().push_back(s.stoi);
                lowGain = std::min(lowGain, s.siSdrGain);
                highGain = std::max(highGain, s.siSdrGain);
                lowStoi = std::min(lowStoi, s.stoi);
            }
        }
        const std::string hz = std::to_string(rate / 1000) + " kHz";
        Panel(svg, 50, top, "SI-SDR improvement, dB (" + hz + ")", names, gain,
              std::floor(lowGain / 2.0) * 2.0, std::ceil(highGain / 2.0) * 2.0, 2.0);
        Panel(svg, 440, top, "STOI (" + hz + ")", names, stoi, std::floor(lowStoi * 20.0) / 20.0,
              1.0, 0.05);
        top += 260.0;
    }
    for (size_t t = 0; t < names.size(); ++t) {
        char line[256];
        const double lx = 50.0 + 250.0 * static_cast<double>(t % 3);
        const double ly = top + 12.0 + 16.0 * static_cast<double>(t / 3);
        std::snprintf(line, sizeof line,
                      "<line x1='%.1f' y1='%.1f' x2='%.1f' y2='%.1f' stroke='%s' "
                      "stroke-width='2'/><text x='%.1f' y='%.1f' font-size='11'>%s</text>\n",
                      lx, ly - 4, lx + 20, ly - 4, kColours[t % std::size(kColours)], lx + 26, ly,
                      names[t].c_str());
        svg += line;
    }
    svg += "</svg>\n";
    FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(svg.data(), 1, svg.size(), f) == svg.size();
    return std::fclose(f) == 0 && ok;
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
    std::vector<Tool> tools = {{"hushdesk-clean", HushdeskDefaults},
                               {"hushdesk-clean --tone", HushdeskTone},
                               {"hushdesk-clean speech", HushdeskSpeech},
                               {"speexdsp -18 dB", Speex},
                               {"sox noisered 0.21", SoxNoisered}};
    if (Installed("ffmpeg")) {
        tools.push_back({"ffmpeg afftdn nr=18", FfmpegAfftdn});
    } else {
        std::printf("(ffmpeg not installed: afftdn left out)\n");
    }
    if (argc > 2) {
        std::vector<std::string> parts;
        std::string rest = argv[2];
        for (size_t comma; (comma = rest.find(',')) != std::string::npos;
             rest.erase(0, comma + 1)) {
            parts.push_back(rest.substr(0, comma));
        }
        parts.push_back(rest);
        std::erase_if(tools, [&](const Tool& t) {
            return std::none_of(parts.begin(), parts.end(), [&](const std::string& part) {
                return t.name.find(part) != std::string::npos;
            });
        });
    }
    tools.insert(tools.begin(), Tool{"input", Unchanged});
    const std::vector<std::string> noises = {"white", "pink", "brown", "hum", "whistle", "babble"};

    std::printf("quality_bench: %zu takes x %zu noises per row, test set in %s\n",
                std::size(kTakes), noises.size(), cache.c_str());
    std::map<int, std::vector<std::vector<Scores>>> chart;  // rate -> tool -> snr
    for (const int rate : kRates) {
        const Signal babble = Speak(cache, "babble", "en+m3", kBabbleText, 150, rate, 0.0);
        std::vector<Signal> speech;
        for (const Take& take : kTakes) {
            speech.push_back(Speak(cache, take.name, take.voice, take.text, take.wordsPerMinute,
                                   rate, kLeadSeconds));
            if (speech.back().empty() || babble.empty()) {
                std::fprintf(stderr, "quality_bench: espeak-ng or sox failed\n");
                return 1;
            }
        }
        std::map<size_t, int> lags;                              // tool -> lag at this rate
        std::map<std::pair<size_t, int>, Sum> bySnr;             // (tool, snr)
        std::map<std::tuple<size_t, size_t, int>, Sum> byNoise;  // (tool, noise, snr)
        for (size_t v = 0; v < std::size(kTakes); ++v) {
            for (size_t k = 0; k < noises.size(); ++k) {
                const Signal noise = MakeNoise(noises[k], speech[v].size(), rate, babble);
                for (const int snr : kSnrs) {
                    Mixture m = Mix(speech[v], noise, snr, rate, kTakes[v].peak);
                    const std::string stem = std::to_string(rate) + "-" + kTakes[v].name + "-" +
                                             noises[k] + "-" + std::to_string(snr) + "dB";
                    m.file = cache / ("in-" + stem + ".wav");
                    WriteWav(m.file, m.noisy, rate);
                    for (size_t t = 0; t < tools.size(); ++t) {
                        const fs::path out = cache / ("out-" + stem + ".wav");
                        const Signal y =
                            tools[t].clean(m.file, out, rate) ? ReadWav(out) : Signal{};
                        fs::remove(out);
                        if (y.empty()) {
                            std::fprintf(stderr, "quality_bench: %s failed on %s\n",
                                         tools[t].name.c_str(), m.file.c_str());
                            return 1;
                        }
                        auto known = lags.find(t);
                        const Scores s =
                            Measure(m, y, rate, known != lags.end() ? known->second : INT_MIN);
                        lags[t] = s.lag;
                        bySnr[{t, snr}].Add(s);
                        byNoise[{t, k, snr}].Add(s);
                    }
                    fs::remove(m.file);
                }
            }
        }
        std::printf(
            "\n%d Hz                 in SNR   STOI  SI-SDR +  out SNR  segSNR +  pause att  "
            "speech dB    LSD   lag\n",
            rate);
        auto& rateChart = chart[rate];
        for (size_t t = 0; t < tools.size(); ++t) {
            Sum overall;
            rateChart.emplace_back();
            for (const int snr : kSnrs) {
                const Scores m = bySnr[{t, snr}].Mean();
                rateChart.back().push_back(m);
                std::printf("%-24s %5d %6.3f %9.1f %8.1f %9.1f %10.1f %10.1f %6.1f %5d\n",
                            tools[t].name.c_str(), snr, m.stoi, m.siSdrGain, m.outSnr, m.segSnrGain,
                            m.pauseAttenuation, m.speechLevel, m.lsd, m.lag);
                overall.Add(m);
            }
            const Scores m = overall.Mean();
            std::printf("%-24s %5s %6.3f %9.1f %8.1f %9.1f %10.1f %10.1f %6.1f\n", "", "mean",
                        m.stoi, m.siSdrGain, m.outSnr, m.segSnrGain, m.pauseAttenuation,
                        m.speechLevel, m.lsd);
        }
        std::printf("\n%d Hz per noise          STOI at", rate);
        for (const int snr : kSnrs) {
            std::printf(" %5d", snr);
        }
        std::printf(" dB    SI-SDR + at");
        for (const int snr : kSnrs) {
            std::printf(" %5d", snr);
        }
        std::printf(" dB\n");
        for (size_t k = 0; k < noises.size(); ++k) {
            for (size_t t = 0; t < tools.size(); ++t) {
                std::printf("%-8s %-24s", noises[k].c_str(), tools[t].name.c_str());
                for (const int snr : kSnrs) {
                    std::printf(" %5.3f", byNoise[{t, k, snr}].Mean().stoi);
                }
                std::printf("               ");
                for (const int snr : kSnrs) {
                    std::printf(" %5.1f", byNoise[{t, k, snr}].Mean().siSdrGain);
                }
                std::printf("\n");
            }
        }
    }
    std::vector<std::string> names;
    for (const Tool& t : tools) {
        names.push_back(t.name);
    }
    const fs::path svg = cache / "quality.svg";
    if (!WriteChart(svg, names, chart)) {
        std::fprintf(stderr, "quality_bench: cannot write %s\n", svg.c_str());
        return 1;
    }
    std::printf("\nchart: %s\n", svg.c_str());
    return 0;
}
