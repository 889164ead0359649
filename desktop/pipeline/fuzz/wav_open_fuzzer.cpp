// Fuzz target: any bytes stored as a file, loaded and cleaned the way the
// desktop program's jobs do it (open, summary pass that fills the working
// copy, then each channel through ChannelPass chunk by chunk as planned), in
// memory mode and in mapped mode. The job threads and their handshakes are
// left out: they touch no sample and would cost most of each execution. Both
// modes must agree on whether the file is accepted and, when it is, on every
// sample loaded and every sample cleaned; the batch cleaner's stream must
// clean the loaded samples to the same result; the file itself must never
// change.
#include <sndfile.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pipeline/ChannelPass.h"
#include "pipeline/CleaningJob.h"
#include "pipeline/CleaningStream.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"
#include "platform/Files.h"

namespace {

struct Outcome {
    SoundFileResult opened = SoundFileResult::OpenError;
    SoundFileResult summarised = SoundFileResult::OpenError;
    uint32_t frames = 0;
    uint32_t channels = 0;
    uint32_t rate = 0;
    std::vector<int16_t> loaded;
    int cleanCode = -1;  // 0 when every chunk and the flush of every channel went through
    std::vector<int16_t> cleaned;
};

std::vector<int16_t> AllSamples(CSoundFile& sound) {
    std::vector<int16_t> samples;
    samples.reserve(size_t{sound.Frames()} * sound.Channels());
    for (uint32_t frame = 0; frame < sound.Frames(); ++frame) {
        for (uint32_t channel = 0; channel < sound.Channels(); ++channel) {
            samples.push_back(sound.GetSample(static_cast<int32_t>(channel), frame));
        }
    }
    return samples;
}

// What the cleaning job does for one channel when nobody cancels.
int CleanChannel(CleaningContext& context, int32_t channel, const ChunkPlan& plan) {
    EnginePtr engine = MakeCleaningEngine(context.createEngine, *context.settings,
                                          context.soundFile->SampleRate());
    if (!engine) {
        return 1;
    }
    ChannelPass pass(context, *engine, channel, plan.chunkFrames);
    for (uint32_t i = 0; i < plan.fullChunks; ++i) {
        if (const int code = pass.ProcessChunk(plan.chunkFrames); code != 0) {
            return code;
        }
    }
    if (const int code = pass.ProcessChunk(plan.lastChunk); code != 0) {
        return code;
    }
    return pass.Flush();
}

Outcome LoadAndClean(const std::string& path, const char* budget,
                     const CleaningSettings& settings) {
    setenv("HUSHDESK_MEMORY_BUDGET", budget, 1);
    Outcome outcome;
    CSoundFile sound;
    outcome.opened = sound.Open(path, nullptr, nullptr);
    if (outcome.opened != SoundFileResult::Ok) {
        return outcome;
    }
    WaveformSummary summary;
    outcome.summarised = BuildWaveformSummary(summary, sound, true, nullptr, nullptr);
    if (outcome.summarised != SoundFileResult::Ok) {
        return outcome;
    }
    outcome.frames = sound.Frames();
    outcome.channels = sound.Channels();
    outcome.rate = sound.SampleRate();
    outcome.loaded = AllSamples(sound);

    JobSync sync;
    CleaningBuffers buffers;
    CleaningContext cleaning;
    cleaning.sync = &sync;
    cleaning.soundFile = &sound;
    cleaning.settings = &settings;
    cleaning.buffers = &buffers;
    const ChunkPlan plan = PlanChunks(sound.Frames(), sound.ChannelCount(), settings.buffSize);
    outcome.cleanCode = 0;
    for (uint32_t channel = 0; channel < sound.Channels() && outcome.cleanCode == 0; ++channel) {
        outcome.cleanCode = CleanChannel(cleaning, static_cast<int32_t>(channel), plan);
    }
    outcome.cleaned = AllSamples(sound);
    return outcome;
}

// The batch cleaner's way over the same samples, in uneven blocks.
std::vector<int16_t> Streamed(const Outcome& memory, const CleaningSettings& settings) {
    CleaningStream stream;
    if (!stream.Init(settings, memory.rate, memory.channels, 1)) {
        return {};
    }
    std::vector<int16_t> result;
    std::vector<int16_t> out;
    const uint32_t frames = memory.frames;
    for (uint32_t done = 0, step = 1; done < frames; step = step * 3 % 4000 + 1) {
        const uint32_t count =
            std::min(std::min(step, frames - done), CleaningStream::kMaxBlockFrames);
        if (stream.Push(memory.loaded.data() + size_t{done} * memory.channels, count, out) != 0) {
            return {};
        }
        result.insert(result.end(), out.begin(), out.end());
        done += count;
    }
    if (stream.Finish(out) != 0) {
        return {};
    }
    result.insert(result.end(), out.begin(), out.end());
    return result;
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
        // The chunk length varies with the input; the result must not.
        CleaningSettings settings;
        settings.buffSize = 128 * static_cast<uint32_t>(1 + size % 8);
        const Outcome memory = LoadAndClean(path, "1000000000", settings);
        const Outcome mapped = LoadAndClean(path, "1", settings);
        if (memory.opened != mapped.opened || memory.summarised != mapped.summarised) {
            Finding("memory and mapped mode disagree on loading the file");
        }
        if (memory.frames != mapped.frames || memory.channels != mapped.channels ||
            memory.rate != mapped.rate) {
            Finding("memory and mapped mode disagree on the layout");
        }
        // Both modes decode every byte alike (mu-law 0x7F included).
        if (memory.loaded != mapped.loaded) {
            Finding("memory and mapped mode read different samples");
        }
        if (memory.summarised == SoundFileResult::Ok) {
            if (memory.cleanCode != 0 || mapped.cleanCode != 0) {
                Finding("a loaded recording was not cleaned");
            }
            if (memory.cleaned != mapped.cleaned) {
                Finding("memory and mapped mode clean to different samples");
            }
            if (Streamed(memory, settings) != memory.cleaned) {
                Finding("the stream and the cleaning job clean to different samples");
            }
        }
        const std::vector<uint8_t> after = ReadBack(path);
        if (after.size() != size || (size > 0 && std::memcmp(after.data(), data, size) != 0)) {
            Finding("the recording changed");
        }
    }
    unlink(path.c_str());
    return 0;
}
