#include "cli_test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <thread>
#include <utility>

#include "PipelineTestSupport.h"
#include "testsupport/Files.h"
#include "testsupport/TempFolder.h"

namespace clitest {

Wav MakeNoisyTone(int format, int rate, int channels, double seconds, double toneHz,
                  double amplitude, double noise) {
    Wav wav{format, rate, channels, {}};
    const size_t frames = static_cast<size_t>(seconds * rate);
    std::mt19937 random(1234);
    std::normal_distribution<double> gauss(0.0, noise);
    wav.samples.resize(frames * channels);
    for (size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const double phase = 2 * M_PI * toneHz * (c + 1) * f / rate;
            const double v = amplitude * std::sin(phase) + gauss(random);
            wav.samples[f * channels + c] =
                static_cast<int16_t>(std::clamp(std::lround(v), -32767L, 32767L));
        }
    }
    return wav;
}

void WriteWav(const fs::path& path, const Wav& wav) {
    if (!testsupport::WriteWav(path, wav.format, wav.rate, wav.channels, wav.samples)) {
        throw std::runtime_error("cannot write " + path.string() + ": " + sf_strerror(nullptr));
    }
}

Wav ReadWav(const fs::path& path) {
    SF_INFO info{};
    std::vector<int16_t> samples = testsupport::ReadAllSamples(path, &info);
    return Wav{info.format, info.samplerate, info.channels, std::move(samples)};
}

RunResult RunCli(const std::vector<std::string>& args, const RunOptions& options) {
    testsupport::TempFolder capture;
    const std::string outPath = capture.File("stdout");
    const std::string errPath = capture.File("stderr");
    const std::string inPath = capture.File("stdin");
    if (!options.input.empty()) {
        testsupport::WriteText(inPath, options.input);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        if (!options.input.empty()) {
            const int in = open(inPath.c_str(), O_RDONLY);
            dup2(in, STDIN_FILENO);
        }
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        for (const auto& [name, value] : options.env) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        if (options.asUnprivilegedUser && geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0) {
                _exit(125);
            }
        }
        std::vector<char*> argv;
        for (const auto& a : options.launcher) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(const_cast<char*>(HUSHDESK_CLEAN_PATH));
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (options.during) {
        options.during();
    }
    if (options.interruptAfterMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options.interruptAfterMs));
        kill(pid, options.signal);
    }
    if (!options.interruptWhenExists.empty()) {
        constexpr auto kPoll = std::chrono::milliseconds(2);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!fs::exists(options.interruptWhenExists) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kPoll);
        }
        kill(pid, options.signal);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    RunResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = testsupport::ReadText(outPath);
    result.err = testsupport::ReadText(errPath);
    return result;
}

}  // namespace clitest
