// Fuzz target: any bytes stored as a file and opened as a recording in memory
// mode and in mapped mode. Both modes must agree on whether the file is
// accepted and, when it is, on every sample; the file itself must never change.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pipeline/SoundFile.h"
#include "platform/Files.h"

namespace {

struct Opened {
    SoundFileResult result = SoundFileResult::OpenError;
    uint32_t frames = 0;
    uint32_t channels = 0;
    uint32_t rate = 0;
    LawKind law = LawKind::Linear;
    std::vector<int16_t> samples;
};

Opened OpenAs(const std::string& path, const char* budget) {
    setenv("HUSHDESK_MEMORY_BUDGET", budget, 1);
    CSoundFile sound;
    Opened opened;
    opened.result = sound.Open(path, nullptr, nullptr);
    if (opened.result == SoundFileResult::Ok) {
        opened.frames = sound.Frames();
        opened.channels = sound.Channels();
        opened.rate = sound.SampleRate();
        opened.law = sound.Law();
        for (uint32_t frame = 0; frame < sound.Frames(); ++frame) {
            for (uint32_t channel = 0; channel < sound.Channels(); ++channel) {
                opened.samples.push_back(sound.GetSample(static_cast<int32_t>(channel), frame));
            }
        }
    }
    return opened;
}

std::vector<uint8_t> ReadBack(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        uint8_t buffer[4096];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        std::fclose(file);
    }
    return bytes;
}

// Mapped mode decodes mu-law byte 0x7F to -2 where libsndfile gives 0, as the
// desktop program always has; every other sample must match exactly.
bool SameSamples(const Opened& memory, const Opened& mapped) {
    if (memory.samples.size() != mapped.samples.size()) {
        return false;
    }
    for (size_t i = 0; i < memory.samples.size(); ++i) {
        const bool muLawQuirk =
            mapped.law == LawKind::MuLaw && memory.samples[i] == 0 && mapped.samples[i] == -2;
        if (memory.samples[i] != mapped.samples[i] && !muLawQuirk) {
            return false;
        }
    }
    return true;
}

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "wav_open_fuzzer: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The free-space check of mapped mode is not what is fuzzed here.
    platform::SetFreeSpaceOverride(uint64_t{1} << 40);
    std::string path = platform::TempDirectory() + "/wav-fuzz-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) {
        return 0;
    }
    const bool written = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    if (written) {
        const Opened memory = OpenAs(path, "1000000000");
        const Opened mapped = OpenAs(path, "1");
        if ((memory.result == SoundFileResult::Ok) != (mapped.result == SoundFileResult::Ok)) {
            Finding("memory and mapped mode disagree on accepting the file");
        }
        if (memory.frames != mapped.frames || memory.channels != mapped.channels ||
            memory.rate != mapped.rate) {
            Finding("memory and mapped mode disagree on the layout");
        }
        if (!SameSamples(memory, mapped)) {
            Finding("memory and mapped mode read different samples");
        }
        const std::vector<uint8_t> after = ReadBack(path);
        if (after.size() != size || (size > 0 && std::memcmp(after.data(), data, size) != 0)) {
            Finding("the recording changed");
        }
    }
    unlink(path.c_str());
    return 0;
}
