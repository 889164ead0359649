// hushdesk-clean beside its peers on one 70-minute noisy speech recording,
// each timed in the same run: sox's noise-profile reduction, ffmpeg's afftdn
// filter and a SpeexDSP-based cleaner (speex_clean, built beside this). Prints
// wall time, peak memory and the speed ratios. A peer that is not installed is
// skipped with a message (ffmpeg: apt-get install ffmpeg). The recording is
// made once with espeak-ng and sox and cached. Then the same at 48 kHz stereo
// (the speech resampled up, white noise over the whole band added), which
// hushdesk-clean cleans through its band split. Last, the start of
// hushdesk-clean on a one-second recording with 100 000 saved values beside an
// empty settings file: reading the settings file must stay linear in its size.
// After the 16 kHz comparison, hushdesk-clean -j 2 beside -j 1 on twenty
// 3.5-minute pieces of that recording. CPU seconds (user + system) are printed
// beside wall seconds: on a shared, busy machine they are the steadier measure.
//
//   cli_bench [cache-folder]
//   cli_bench --48k [cache-folder]             (only the 48 kHz part)
//   cli_bench --settings-read [cache-folder]   (only the last part)
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kMinutes = 70;
constexpr double kDecodedBytesPerSecond = 16000.0 * 2;
constexpr double kSpeedTarget = 6.0;
constexpr double kMemoryLimitMiB = 8.0;
constexpr int kBatchFiles = 20;
constexpr double kBatchScalingTarget = 1.8;
// 48 kHz stereo: the band split's targets.
constexpr double kWideDecodedBytesPerSecond = 48000.0 * 2 * 2;
constexpr double kWideSpeedTarget = 3.0;
constexpr double kWideMemoryLimitMiB = 16.0;

struct RunResult {
    int status = -1;
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKiB = 0;
};

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

RunResult Run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    RunResult result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) {
        return result;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakKiB = usage.ru_maxrss;
    result.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    return result;
}

// True when `program` is a path that exists or a name found on PATH.
bool Installed(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return access(program.c_str(), X_OK) == 0;
    }
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool Shell(const std::string& command) {
    constexpr size_t kShownChars = 110;
    std::printf("  $ %s%s\n", command.substr(0, kShownChars).c_str(),
                command.size() > kShownChars ? " ..." : "");
    std::fflush(stdout);
    return std::system(command.c_str()) == 0;
}

// About a minute of speech after a second of noise only (for sox's profile),
// repeated to the full length, with brown noise, hum and hiss mixed in.
bool MakeRecording(const fs::path& folder, const fs::path& target) {
    const fs::path speech = folder / "speech.wav";
    const fs::path speechLong = folder / "speech-long.wav";
    const fs::path noise = folder / "noise.wav";
    const std::string text =
        "Good morning and thank you for joining the call. Today we go through the quarterly "
        "numbers, the plans for the new office, and the questions you sent in last week. "
        "Sales grew in every region except the north, where two large orders slipped into "
        "the next quarter. The new office opens in the spring; the move will take a weekend "
        "and nobody should lose a working day. Please send the remaining questions by Friday, "
        "and we will answer them in writing before the next meeting. ";
    const int seconds = kMinutes * 60;
    return Shell("espeak-ng -v en -s 160 -w '" + (folder / "raw.wav").string() + "' \"" + text +
                 text + text + "\"") &&
           Shell("sox '" + (folder / "raw.wav").string() + "' -r 16000 -c 1 -b 16 '" +
                 speech.string() + "' pad 1 0") &&
           Shell("sox '" + speech.string() + "' '" + speechLong.string() + "' repeat 200 trim 0 " +
                 std::to_string(seconds)) &&
           Shell("sox -n -r 16000 -c 1 -b 16 '" + noise.string() + "' synth " +
                 std::to_string(seconds) + " brownnoise vol 0.08") &&
           Shell("sox -m -v 0.8 '" + speechLong.string() + "' -v 0.8 '" + noise.string() +
                 "' -b 16 '" + target.string() + "'");
}

// The 16 kHz recording at 48 kHz stereo with white noise over the whole band,
// different on each side.
bool MakeWideRecording(const fs::path& narrow, const fs::path& folder, const fs::path& target) {
    const fs::path up = folder / "up.wav";
    const fs::path hiss = folder / "hiss.wav";
    return Shell("sox '" + narrow.string() + "' -r 48000 -c 2 '" + up.string() + "'") &&
           Shell("sox -n -r 48000 -c 2 -b 16 '" + hiss.string() + "' synth " +
                 std::to_string(kMinutes * 60) + " whitenoise vol 0.02") &&
           Shell("sox -m '" + up.string() + "' '" + hiss.string() + "' -b 16 '" + target.string() +
                 "'");
}

struct Tool {
    std::string name;
    std::vector<std::vector<std::string>> commands;  // run one after the other
    std::string needs;                               // program that must exist
};

// Runs every tool (the first one is ours), prints the table and the ratios
// against sox and ffmpeg. False when ours failed.
bool Compare(const fs::path& out, double audioSeconds, const std::vector<Tool>& tools,
             double speedTarget, double memoryLimitMiB) {
    std::printf("%-28s %9s %8s %12s %11s %11s %10s\n", "tool", "seconds", "cpu s", "x real time",
                "peak MiB", "time / ours", "cpu / ours");
    RunResult ours;
    struct Peer {
        std::string name;
        RunResult run;
    };
    std::vector<Peer> peers;
    for (const Tool& tool : tools) {
        if (!Installed(tool.needs)) {
            std::printf("%-28s skipped: %s is not installed\n", tool.name.c_str(),
                        tool.needs.c_str());
            continue;
        }
        RunResult total;
        total.status = 0;
        for (const auto& command : tool.commands) {
            const RunResult run = Run(command);
            total.status = total.status == 0 ? run.status : total.status;
            total.seconds += run.seconds;
            total.cpuSeconds += run.cpuSeconds;
            total.peakKiB = std::max(total.peakKiB, run.peakKiB);
        }
        fs::remove(out);
        if (total.status != 0) {
            std::printf("%-28s FAILED\n", tool.name.c_str());
            if (ours.seconds == 0) {
                return false;
            }
            continue;
        }
        if (ours.seconds == 0) {
            ours = total;
        } else {
            peers.push_back({tool.name, total});
        }
        std::printf("%-28s %9.2f %8.2f %12.0f %11.1f %11.2f %10.2f\n", tool.name.c_str(),
                    total.seconds, total.cpuSeconds, audioSeconds / total.seconds,
                    total.peakKiB / 1024.0, total.seconds / ours.seconds,
                    total.cpuSeconds / ours.cpuSeconds);
    }
    std::printf("\n");
    for (const auto& peer : peers) {
        const bool targeted = peer.name.rfind("sox", 0) == 0 || peer.name.rfind("ffmpeg", 0) == 0;
        const double ratio = peer.run.seconds / ours.seconds;
        const double cpuRatio = peer.run.cpuSeconds / ours.cpuSeconds;
        std::printf("speed vs %-26s %6.2fx (cpu %5.2fx)", peer.name.c_str(), ratio, cpuRatio);
        if (targeted) {
            std::printf("  target >= %.0f: %s", speedTarget,
                        ratio >= speedTarget ? "met" : "MISSED");
        }
        std::printf("\n");
    }
    const double oursPeakMiB = ours.peakKiB / 1024.0;
    std::printf("hushdesk-clean peak memory %6.1f MiB  limit %.0f MiB whatever the length: %s\n",
                oursPeakMiB, memoryLimitMiB, oursPeakMiB <= memoryLimitMiB ? "met" : "MISSED");
    return true;
}

std::vector<Tool> Tools(const std::string& cleaner, const std::string& speexClean,
                        const fs::path& input, const fs::path& out, const fs::path& profile) {
    std::vector<Tool> tools = {
        {"hushdesk-clean (defaults)",
         {{cleaner, "--quiet", "--force", "-j", "1", input.string(), out.string()}},
         cleaner},
        {"sox noiseprof + noisered",
         {{"sox", input.string(), "-n", "trim", "0", "0.9", "noiseprof", profile.string()},
          {"sox", input.string(), out.string(), "noisered", profile.string(), "0.21"}},
         "sox"},
        {"ffmpeg afftdn",
         {{"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-i", input.string(), "-af", "afftdn",
           out.string()}},
         "ffmpeg"},
    };
    if (!speexClean.empty()) {
        tools.push_back(
            {"speex_clean (SpeexDSP)", {{speexClean, input.string(), out.string()}}, speexClean});
    }
    return tools;
}

// hushdesk-clean over twenty pieces of the recording with -j 1 and -j 2.
void BenchBatch(const std::string& cleaner, const fs::path& cache, const fs::path& input) {
    const fs::path pieces = cache / "batch-pieces";
    const double pieceSeconds = kMinutes * 60.0 / kBatchFiles;
    std::vector<std::string> files;
    for (int i = 0; i < kBatchFiles; ++i) {
        const fs::path piece = pieces / ("piece " + std::to_string(i) + ".wav");
        files.push_back(piece.string());
        if (fs::exists(piece)) {
            continue;
        }
        fs::create_directories(pieces);
        if (!Shell("sox '" + input.string() + "' '" + piece.string() + "' trim " +
                   std::to_string(i * pieceSeconds) + " " + std::to_string(pieceSeconds))) {
            std::printf("batch: could not make the pieces\n");
            return;
        }
    }
    const fs::path outDir = cache / "batch-out";
    double wall[2] = {0, 0};
    double cpu[2] = {0, 0};
    for (int jobs = 1; jobs <= 2; ++jobs) {
        std::vector<std::string> argv = {
            cleaner, "--quiet", "--force", "-j", std::to_string(jobs), "-o", outDir.string()};
        argv.insert(argv.end(), files.begin(), files.end());
        const RunResult run = Run(argv);
        fs::remove_all(outDir);
        if (run.status != 0) {
            std::printf("batch -j %d: FAILED\n", jobs);
            return;
        }
        wall[jobs - 1] = run.seconds;
        cpu[jobs - 1] = run.cpuSeconds;
    }
    const double scaling = wall[0] / wall[1];
    std::printf("\n%d files of %.1f min: -j 1 %.2f s (cpu %.2f s), -j 2 %.2f s (cpu %.2f s)\n",
                kBatchFiles, pieceSeconds / 60, wall[0], cpu[0], wall[1], cpu[1]);
    std::printf("  -j 2 over -j 1: %.2fx  target >= %.1f: %s (%u processors online)\n", scaling,
                kBatchScalingTarget, scaling >= kBatchScalingTarget ? "met" : "MISSED",
                static_cast<unsigned>(sysconf(_SC_NPROCESSORS_ONLN)));
}

// Seconds for `runs` starts of hushdesk-clean on a short recording with the
// settings file `settings` (empty: none), best of three rounds.
double StartSeconds(const std::string& cleaner, const fs::path& folder, const std::string& settings,
                    const fs::path& input, const fs::path& out) {
    constexpr int kRuns = 5;
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (!settings.empty()) {
        std::FILE* file = std::fopen((folder / "HKEY_CURRENT_USER.reg").c_str(), "w");
        if (file == nullptr) {
            return -1;
        }
        std::fwrite(settings.data(), 1, settings.size(), file);
        std::fclose(file);
    }
    setenv("KESTROVA_REGISTRY_DIR", folder.c_str(), 1);
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        double total = 0;
        for (int i = 0; i < kRuns; ++i) {
            const RunResult run = Run({cleaner, "--quiet", "--force", "--use-saved-settings",
                                       input.string(), out.string()});
            if (run.status != 0) {
                return -1;
            }
            total += run.seconds;
        }
        best = round == 0 ? total / kRuns : std::min(best, total / kRuns);
    }
    unsetenv("KESTROVA_REGISTRY_DIR");
    fs::remove_all(folder);
    return best;
}

void BenchSettingsRead(const std::string& cleaner, const fs::path& cache) {
    constexpr int kValues = 100000;
    const fs::path input = cache / "one-second.wav";
    const fs::path out = cache / "out.wav";
    if (!fs::exists(input) &&
        !Shell("sox -n -r 16000 -c 1 -b 16 '" + input.string() + "' synth 1 pinknoise vol 0.1")) {
        std::printf("settings read: could not make the recording\n");
        return;
    }
    // The cleaning settings among many values of other keys and of their own.
    std::string settings = "Windows Registry Editor Version 5.00\n\n";
    settings += "[HKEY_CURRENT_USER\\SOFTWARE\\Kestrova\\Hushdesk\\Settings]\n";
    settings += "\"Tone\"=dword:00000001\n";
    for (int i = 0; i < kValues / 2; ++i) {
        settings += "\"Extra" + std::to_string(i) + "\"=dword:00000001\n";
    }
    for (int key = 0; key < 100; ++key) {
        settings += "\n[HKEY_CURRENT_USER\\SOFTWARE\\Other\\Key" + std::to_string(key) + "]\n";
        for (int i = 0; i < kValues / 200; ++i) {
            settings += "\"Name" + std::to_string(i) + "\"=\"some text\"\n";
        }
    }
    const fs::path folder = cache / "settings-read";
    const double empty = StartSeconds(cleaner, folder, "", input, out);
    const double full = StartSeconds(cleaner, folder, settings, input, out);
    fs::remove(out);
    std::printf("\nStart and clean 1 s with the settings file (best of 3 x 5 runs):\n");
    if (empty < 0 || full < 0) {
        std::printf("  FAILED\n");
        return;
    }
    std::printf("  %-34s %8.3f s\n", "no settings file", empty);
    std::printf("  %-34s %8.3f s  (%.1f MiB; %.3f s more)\n", "100 000 saved values", full,
                settings.size() / double(1 << 20), full - empty);
}

}  // namespace

int main(int argc, char** argv) {
    const bool settingsOnly = argc > 1 && std::string(argv[1]) == "--settings-read";
    const bool wideOnly = argc > 1 && std::string(argv[1]) == "--48k";
    const int folderArg = settingsOnly || wideOnly ? 2 : 1;
    const fs::path cache =
        argc > folderArg ? fs::path(argv[folderArg]) : fs::path(HUSHDESK_BENCH_CACHE);
    const std::string cleaner = HUSHDESK_CLEAN_PATH;
    if (settingsOnly) {
        fs::create_directories(cache);
        BenchSettingsRead(cleaner, cache);
        return 0;
    }
    const std::string speexClean = SPEEX_CLEAN_PATH;
    fs::create_directories(cache);
    const fs::path input = cache / "noisy-speech-70min-16k.wav";
    if (!fs::exists(input)) {
        std::printf("Making the %d-minute test recording (once):\n", kMinutes);
        const fs::path work = cache / "make";
        fs::create_directories(work);
        if (!MakeRecording(work, input)) {
            std::fprintf(stderr, "could not make the test recording\n");
            fs::remove(input);
            return 1;
        }
        fs::remove_all(work);
    }
    const double decodedMiB = static_cast<double>(fs::file_size(input) - 44) / (1 << 20);
    const double audioSeconds = decodedMiB * (1 << 20) / kDecodedBytesPerSecond;

    if (!wideOnly) {
        std::printf("Input: %s (%.1f min, %.1f MiB of samples)\n\n", input.c_str(),
                    audioSeconds / 60, decodedMiB);
    }

    const fs::path out = cache / "out.wav";
    const fs::path profile = cache / "noise.prof";
    if (!wideOnly && !Compare(out, audioSeconds, Tools(cleaner, speexClean, input, out, profile),
                              kSpeedTarget, kMemoryLimitMiB)) {
        return 1;
    }
    if (!wideOnly) {
        BenchBatch(cleaner, cache, input);
    }

    // The band split: 48 kHz stereo, beside the same peers (SpeexDSP's cleaner
    // reads 16 kHz only).
    const fs::path wide = cache / "noisy-speech-70min-48k-stereo.wav";
    if (!fs::exists(wide)) {
        std::printf("\nMaking the %d-minute 48 kHz stereo recording (once):\n", kMinutes);
        const fs::path work = cache / "make-wide";
        fs::create_directories(work);
        if (!MakeWideRecording(input, work, wide)) {
            std::fprintf(stderr, "could not make the 48 kHz recording\n");
            fs::remove(wide);
            return 1;
        }
        fs::remove_all(work);
    }
    const double wideMiB = static_cast<double>(fs::file_size(wide) - 44) / (1 << 20);
    const double wideSeconds = wideMiB * (1 << 20) / kWideDecodedBytesPerSecond;
    std::printf("\nInput: %s (%.1f min, 48 kHz stereo, %.1f MiB of samples)\n\n", wide.c_str(),
                wideSeconds / 60, wideMiB);
    if (!Compare(out, wideSeconds, Tools(cleaner, "", wide, out, profile), kWideSpeedTarget,
                 kWideMemoryLimitMiB)) {
        return 1;
    }
    fs::remove(profile);
    if (wideOnly) {
        return 0;
    }
    BenchSettingsRead(cleaner, cache);
    return 0;
}
