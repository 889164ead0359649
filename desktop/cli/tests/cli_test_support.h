// Helpers for the hushdesk-clean tests: scratch folders, WAV files made with
// libsndfile, and running the real program.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace clitest {

namespace fs = std::filesystem;

// A fresh folder under $TMPDIR, removed with the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const fs::path& Path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> List() const;

private:
    fs::path m_path;
};

struct Wav {
    int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    int rate = 16000;
    int channels = 1;
    std::vector<int16_t> samples;  // interleaved
};

// A tone over a little noise, different on each channel.
Wav MakeNoisyTone(int format, int rate, int channels, double seconds, double toneHz = 1000.0,
                  double amplitude = 6000.0, double noise = 300.0);
void WriteWav(const fs::path& path, const Wav& wav);
// Reads a file back; format 0 when libsndfile cannot open it.
Wav ReadWav(const fs::path& path);
std::string ReadBytes(const fs::path& path);

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

struct RunOptions {
    std::map<std::string, std::string> env;  // added to (or replacing) the environment
    bool asUnprivilegedUser = false;         // drop root rights first, when root
    int interruptAfterMs = -1;               // send SIGINT after this long
};

// Runs hushdesk-clean with `args` and waits for it.
RunResult RunCli(const std::vector<std::string>& args, const RunOptions& options = {});

}  // namespace clitest
