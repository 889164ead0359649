// hushdesk-clean's band split measured on 44.1 and 48 kHz noisy speech: an
// espeak-ng voice resampled up, with white, pink or babble noise at 10 dB
// SNR. For each, and each noise estimate, it prints the noise reduction in the
// pauses (whole band, beside the 16 kHz path's on the same recording resampled
// to 16 kHz, and above 8 kHz), the change of speech level beside the 16 kHz
// path's, and how early speech onsets come out (pre-echo; negative: earlier
// than in the input). Pauses and onsets are found on the clean voice. Files are made at
// run time with espeak-ng and sox and cached.
//
//   wideband_bench [cache-folder]
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr double kSnrDb = 10.0;
constexpr double kFrameSeconds = 0.02;
// Frames of the clean voice this far below its loudest are pauses; this
// close to it, speech.
constexpr double kPauseBelowDb = 50.0;
constexpr double kSpeechWithinDb = 25.0;
// Targets.
constexpr double kWholeBandTargetDb = 10.0;
constexpr double kHighBandTargetDb = 6.0;
constexpr double kLevelToleranceDb = 0.5;

bool Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<float> Read(const fs::path& path, int* rate = nullptr) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return {};
    }
    std::vector<float> all(size_t(info.frames) * info.channels);
    sf_readf_float(file, all.data(), info.frames);
    sf_close(file);
    std::vector<float> mono(size_t(info.frames));
    for (size_t f = 0; f < mono.size(); ++f) {
        mono[f] = all[f * info.channels];  // first channel
    }
    if (rate != nullptr) {
        *rate = info.samplerate;
    }
    return mono;
}

bool Write(const fs::path& path, const std::vector<float>& x, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    sf_writef_float(file, x.data(), sf_count_t(x.size()));
    sf_close(file);
    return true;
}

// Eighth-order high-pass at 8 kHz (four Butterworth-Q sections).
std::vector<float> Above8k(const std::vector<float>& x, int rate) {
    const double w = 2.0 * std::numbers::pi * 8000.0 / rate;
    const double alpha = std::sin(w) / std::numbers::sqrt2;
    const double a0 = 1 + alpha;
    const double b0 = (1 + std::cos(w)) / 2 / a0, b1 = -(1 + std::cos(w)) / a0, b2 = b0;
    const double a1 = -2 * std::cos(w) / a0, a2 = (1 - alpha) / a0;
    std::vector<double> y(x.begin(), x.end());
    for (int section = 0; section < 4; ++section) {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (double& v : y) {
            const double out = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = v;
            y2 = y1;
            y1 = out;
            v = out;
        }
    }
    return {y.begin(), y.end()};
}

std::vector<double> FrameEnergy(const std::vector<float>& x, size_t frame) {
    std::vector<double> e(x.size() / frame);
    for (size_t k = 0; k < e.size(); ++k) {
        for (size_t i = k * frame; i < (k + 1) * frame; ++i) {
            e[k] += double(x[i]) * x[i];
        }
    }
    return e;
}

double Db(double ratio) {
    return 10.0 * std::log10(ratio);
}

double Sum(const std::vector<double>& e, const std::vector<bool>& mask) {
    double s = 0;
    for (size_t k = 0; k < e.size() && k < mask.size(); ++k) {
        s += mask[k] ? e[k] : 0.0;
    }
    return s;
}

struct Scores {
    double wholeDb = 0, highDb = 0, levelDb = 0, onsetMs = 0;
};

// Scores `cleaned` against `noisy` with pauses and speech from `voice`.
Scores Score(const std::vector<float>& voice, const std::vector<float>& noisy,
             const std::vector<float>& cleaned, int rate) {
    const auto frame = size_t(kFrameSeconds * rate);
    const std::vector<double> v = FrameEnergy(voice, frame);
    const double loudest = *std::max_element(v.begin(), v.end());
    std::vector<bool> pause(v.size()), speech(v.size());
    for (size_t k = 0; k < v.size(); ++k) {
        pause[k] = v[k] < loudest * std::pow(10.0, -kPauseBelowDb / 10);
        speech[k] = v[k] > loudest * std::pow(10.0, -kSpeechWithinDb / 10);
    }
    Scores s;
    const std::vector<double> n = FrameEnergy(noisy, frame), c = FrameEnergy(cleaned, frame);
    s.wholeDb = Db(Sum(n, pause) / Sum(c, pause));
    s.levelDb = Db(Sum(c, speech) / Sum(n, speech));
    const std::vector<double> nh = FrameEnergy(Above8k(noisy, rate), frame);
    const std::vector<double> ch = FrameEnergy(Above8k(cleaned, rate), frame);
    s.highDb = Db(Sum(nh, pause) / Sum(ch, pause));
    // Onsets: a speech frame after at least five pause frames. The onset
    // time of a signal: the first millisecond within 50 ms before to 50 ms
    // after whose energy reaches a tenth of the voice's in that frame.
    const auto ms = size_t(rate / 1000);
    double earliest = 1e9;
    for (size_t k = 5; k < v.size(); ++k) {
        if (!speech[k] ||
            !std::all_of(pause.begin() + k - 5, pause.begin() + k, [](bool p) { return p; })) {
            continue;
        }
        const double threshold = v[k] / double(frame) * ms * 0.1;
        auto onset = [&](const std::vector<float>& x) {
            const size_t from = k * frame - 50 * ms;
            for (size_t t = from; t + ms < std::min(x.size(), k * frame + 50 * ms); t += ms) {
                double e = 0;
                for (size_t i = t; i < t + ms; ++i) {
                    e += double(x[i]) * x[i];
                }
                if (e >= threshold) {
                    return double(t) / ms;
                }
            }
            return 1e9;
        };
        earliest = std::min(earliest, onset(cleaned) - onset(noisy));
    }
    s.onsetMs = earliest;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path cache = fs::path(argc > 1 ? argv[1] : HUSHDESK_BENCH_CACHE) / "wideband";
    const std::string cleaner = HUSHDESK_CLEAN_PATH;
    fs::create_directories(cache);
    const std::string text =
        "Good morning and thank you for joining the call. Today we go through the quarterly "
        "numbers. Sales grew in every region except the north. Please send the remaining "
        "questions by Friday, and we will answer them in writing.";
    const fs::path raw = cache / "voice-raw.wav";
    if (!fs::exists(raw) &&
        !Shell("espeak-ng -v en -s 150 -w '" + raw.string() + "' \"" + text + "\"")) {
        std::fprintf(stderr, "espeak-ng failed\n");
        return 1;
    }
    // Babble: four other voices over each other.
    const fs::path babble = cache / "babble-raw.wav";
    if (!fs::exists(babble)) {
        const char* voices[] = {"en+f3", "en+m4", "en-us+f2", "en+m7"};
        std::string mix = "sox -m";
        for (int i = 0; i < 4; ++i) {
            const fs::path one = cache / ("babble" + std::to_string(i) + ".wav");
            Shell("espeak-ng -v " + std::string(voices[i]) + " -s " + std::to_string(140 + 15 * i) +
                  " -w '" + one.string() + "' \"" + text + " " + text + "\"");
            mix += " '" + one.string() + "'";
        }
        Shell(mix + " '" + babble.string() + "'");
    }
    std::printf("%-6s %-7s %-9s %9s %9s %9s %9s %9s %9s\n", "rate", "noise", "estimate", "pause dB",
                "16k path", ">8k dB", "level dB", "16k path", "onset ms");
    bool met = true;
    for (const int rate : {44100, 48000}) {
        const std::string r = std::to_string(rate);
        const fs::path voicePath = cache / ("voice-" + r + ".wav");
        Shell("sox '" + raw.string() + "' -r " + r + " -b 16 '" + voicePath.string() + "' pad 1 1");
        int voiceRate = 0;
        const std::vector<float> voice = Read(voicePath, &voiceRate);
        for (const std::string noiseKind : {"white", "pink", "babble"}) {
            const fs::path noisePath = cache / (noiseKind + "-" + r + ".wav");
            const double seconds = double(voice.size()) / rate;
            if (noiseKind == "babble") {
                Shell("sox '" + babble.string() + "' -r " + r + " '" + noisePath.string() +
                      "' trim 0 " + std::to_string(seconds));
            } else {
                Shell("sox -n -r " + r + " -c 1 -b 16 '" + noisePath.string() + "' synth " +
                      std::to_string(seconds) + " " + noiseKind + "noise vol 0.3");
            }
            std::vector<float> noise = Read(noisePath);
            noise.resize(voice.size(), 0.0F);
            // 10 dB below the voice's level over its speech.
            double voiceEnergy = 0, noiseEnergy = 0;
            for (size_t i = 0; i < voice.size(); ++i) {
                voiceEnergy += double(voice[i]) * voice[i];
                noiseEnergy += double(noise[i]) * noise[i];
            }
            const double scale = std::sqrt(voiceEnergy / noiseEnergy * std::pow(10, -kSnrDb / 10));
            std::vector<float> noisy(voice.size());
            for (size_t i = 0; i < voice.size(); ++i) {
                noisy[i] = voice[i] + float(scale * noise[i]);
            }
            const fs::path noisyPath = cache / ("noisy-" + noiseKind + "-" + r + ".wav");
            const fs::path narrowPath = cache / ("noisy-" + noiseKind + "-" + r + "-16k.wav");
            Write(noisyPath, noisy, rate);
            Shell("sox '" + noisyPath.string() + "' -r 16000 '" + narrowPath.string() + "'");
            const std::vector<float> narrowNoisy = Read(narrowPath);
            const fs::path voice16 = cache / ("voice-" + r + "-16k.wav");
            Shell("sox '" + voicePath.string() + "' -r 16000 '" + voice16.string() + "'");
            const std::vector<float> narrowVoice = Read(voice16);
            for (const std::string estimate : {"average", "speech"}) {
                const fs::path out = cache / "out.wav";
                const fs::path narrowOut = cache / "out-16k.wav";
                if (!Shell(cleaner + " -q -f --estimator " + estimate + " '" + noisyPath.string() +
                           "' '" + out.string() + "'") ||
                    !Shell(cleaner + " -q -f --estimator " + estimate + " '" + narrowPath.string() +
                           "' '" + narrowOut.string() + "'")) {
                    std::printf("hushdesk-clean FAILED\n");
                    return 1;
                }
                const Scores s = Score(voice, noisy, Read(out), rate);
                const Scores n = Score(narrowVoice, narrowNoisy, Read(narrowOut), 16000);
                std::printf("%-6d %-7s %-9s %9.1f %9.1f %9.1f %9.2f %9.2f %9.1f\n", rate,
                            noiseKind.c_str(), estimate.c_str(), s.wholeDb, n.wholeDb, s.highDb,
                            s.levelDb, n.levelDb, s.onsetMs);
                met = met && s.wholeDb >= kWholeBandTargetDb && s.highDb >= kHighBandTargetDb &&
                      std::fabs(s.levelDb - n.levelDb) <= kLevelToleranceDb && s.onsetMs >= 0;
            }
        }
    }
    std::printf(
        "\ntargets: pause >= %.0f dB, >8k >= %.0f dB, level within %.1f dB of the 16 kHz "
        "path, onsets not earlier: %s\n",
        kWholeBandTargetDb, kHighBandTargetDb, kLevelToleranceDb, met ? "met" : "MISSED");
    return 0;
}
