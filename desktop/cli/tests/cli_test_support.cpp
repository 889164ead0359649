#include "cli_test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace clitest {

ScratchFolder::ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/cli-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_path = pattern;
    fs::permissions(m_path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> ScratchFolder::List() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

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
    SF_INFO info{};
    info.samplerate = wav.rate;
    info.channels = wav.channels;
    info.format = wav.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot write " + path.string() + ": " + sf_strerror(nullptr));
    }
    sf_write_short(file, wav.samples.data(), static_cast<sf_count_t>(wav.samples.size()));
    sf_close(file);
}

Wav ReadWav(const fs::path& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    Wav wav{0, 0, 0, {}};
    if (file == nullptr) {
        return wav;
    }
    wav.format = info.format;
    wav.rate = info.samplerate;
    wav.channels = info.channels;
    wav.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_read_short(file, wav.samples.data(), static_cast<sf_count_t>(wav.samples.size()));
    sf_close(file);
    return wav;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

RunResult RunCli(const std::vector<std::string>& args, const RunOptions& options) {
    ScratchFolder capture;
    const std::string outPath = capture / "stdout";
    const std::string errPath = capture / "stderr";
    const pid_t pid = fork();
    if (pid == 0) {
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
        std::vector<char*> argv{const_cast<char*>(HUSHDESK_CLEAN_PATH)};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (options.interruptAfterMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options.interruptAfterMs));
        kill(pid, SIGINT);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    RunResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadBytes(outPath);
    result.err = ReadBytes(errPath);
    return result;
}

}  // namespace clitest
