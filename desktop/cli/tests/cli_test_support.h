// Helpers for the hushdesk-clean tests: recordings described whole, written
// and read through the pipeline's test WAV helpers, and running the real
// program.
#pragma once

#include <sndfile.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace clitest {

namespace fs = std::filesystem;

struct Wav {
    int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    int rate = 16000;
    int channels = 1;
    std::vector<int16_t> samples;  // interleaved
};

// A tone over a little noise, different on each channel.
Wav MakeNoisyTone(int format, int rate, int channels, double seconds, double toneHz = 1000.0,
                  double amplitude = 6000.0, double noise = 300.0);
// Throws when the file cannot be written.
void WriteWav(const fs::path& path, const Wav& wav);
// Reads a file back; format 0 when libsndfile cannot open it.
Wav ReadWav(const fs::path& path);

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

struct RunOptions {
    std::map<std::string, std::string> env;  // added to (or replacing) the environment
    bool asUnprivilegedUser = false;         // drop root rights first, when root
    int interruptAfterMs = -1;               // send `signal` after this long
    std::string interruptWhenExists;         // or as soon as this path exists
    int signal = SIGINT;
    std::function<void()> during;  // runs while the program runs
    std::string input;             // its standard input (empty: the test's own)
    std::string workingDirectory;  // empty: the test's own
    // A command that starts the program itself, e.g. {"parallel", "-j", "2"};
    // found on PATH.
    std::vector<std::string> launcher;
};

// Runs hushdesk-clean with `args` and waits for it.
RunResult RunCli(const std::vector<std::string>& args, const RunOptions& options = {});

}  // namespace clitest
