// hushdesk-clean beside sox's noise-profile reduction on one 70-minute noisy
// speech recording: wall times, their ratio, and hushdesk-clean's peak memory.
// The recording is made once with espeak-ng and sox and cached.
//
//   cli_bench [cache-folder]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

struct RunResult {
    int status = -1;
    double seconds = 0;
    long peakKiB = 0;
};

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
    return result;
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

}  // namespace

int main(int argc, char** argv) {
    const fs::path cache = argc > 1 ? fs::path(argv[1]) : fs::path(HUSHDESK_BENCH_CACHE);
    const std::string cleaner = HUSHDESK_CLEAN_PATH;
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

    const fs::path outClean = cache / "out-hushdesk.wav";
    const fs::path outSox = cache / "out-sox.wav";
    const fs::path profile = cache / "noise.prof";

    std::printf("Input: %s (%.1f min, %.1f MiB of samples)\n", input.c_str(), audioSeconds / 60,
                decodedMiB);
    const RunResult ours = Run({cleaner, "--quiet", "--force", input.string(), outClean.string()});
    if (ours.status != 0) {
        std::fprintf(stderr, "hushdesk-clean failed with status %d\n", ours.status);
        return 1;
    }
    const RunResult prof =
        Run({"sox", input.string(), "-n", "trim", "0", "0.9", "noiseprof", profile.string()});
    const RunResult red =
        Run({"sox", input.string(), outSox.string(), "noisered", profile.string(), "0.21"});
    if (prof.status != 0 || red.status != 0) {
        std::fprintf(stderr, "sox failed\n");
        return 1;
    }
    const double soxSeconds = prof.seconds + red.seconds;
    const double peakMiB = ours.peakKiB / 1024.0;
    const double memoryLimitMiB = 1.5 * decodedMiB + 50;

    std::printf("hushdesk-clean (defaults)     %8.2f s  (%.0fx real time)\n", ours.seconds,
                audioSeconds / ours.seconds);
    std::printf("sox noiseprof + noisered      %8.2f s  (%.0fx real time)\n", soxSeconds,
                audioSeconds / soxSeconds);
    std::printf("speed ratio (sox / ours)      %8.2f   target >= 2.00: %s\n",
                soxSeconds / ours.seconds, soxSeconds / ours.seconds >= 2 ? "met" : "MISSED");
    std::printf("hushdesk-clean peak memory    %8.1f MiB  limit %.1f MiB (1.5 x %.1f + 50): %s\n",
                peakMiB, memoryLimitMiB, decodedMiB, peakMiB <= memoryLimitMiB ? "met" : "MISSED");
    fs::remove(outClean);
    fs::remove(outSox);
    return 0;
}
