// Writing a recording through libsndfile in a given container, encoding,
// rate and channel count (usually its source's), through an OutputFile: the
// file appears complete at its path or not at all. Used by the batch cleaner
// (block by block while it cleans) and by the desktop program's "Save Cleaned
// As".
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "pipeline/JobProtocol.h"
#include "pipeline/OutputFile.h"
#include "pipeline/SndfileTypes.h"
#include "pipeline/SoundFormat.h"
#include "platform/ManualResetEvent.h"

class CSoundFile;

class SoundFileWriter {
public:
    explicit SoundFileWriter(std::string path);
    ~SoundFileWriter();  // an unfinished file is removed
    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;

    // Checks the path and creates the temporary file, so that a missing or
    // read-only folder is found before any work is done. On failure Reason()
    // says why.
    OutputResult Prepare(bool replace);
    // Starts a file of `layout`'s format, rate and channels (after Prepare).
    // A lossy encoding aims at `bitsPerSecond` when it is not 0.
    OutputResult Start(const SoundFormat& layout, double bitsPerSecond = 0.0);
    // Prepare and Start.
    OutputResult Open(const SoundFormat& layout, bool replace);
    // Appends `frames` interleaved 16-bit frames (libsndfile encodes them).
    bool Write(const int16_t* samples, uint64_t frames);
    // The same for samples in -1..1; beyond that they are clipped.
    bool Write(const float* samples, uint64_t frames);
    // Completes the header, flushes to disk and moves the file into place.
    OutputResult Finish();

    // What went wrong, as a system or libsndfile message; empty otherwise.
    const std::string& Reason() const { return m_reason; }

private:
    OutputResult Fail(OutputResult result, std::string reason);

    template <typename Sample>
    bool WriteFrames(const Sample* samples, uint64_t frames);

    OutputFile m_output;
    sf_private_tag* m_file = nullptr;
    uint64_t m_channels = 1;
    uint64_t m_unflushedBytes = 0;  // written since writeback was last started
    std::string m_reason;
};

struct SaveOptions {
    bool replace = false;
    std::function<void(double fraction)> onProgress;  // 0..1, on the calling thread
    std::function<bool()> cancelled;                  // polled between blocks
    // Held while a block is read from a mapped recording: the window that is
    // mapped is shared with whoever draws the waveform meanwhile.
    platform::JobLockType* readLock = nullptr;
};

struct SaveResult {
    OutputResult result = OutputResult::Ok;
    std::string reason;  // for Failed
};

// Writes every sample of an open recording, in memory or mapped mode, to
// `path` in the source's own format.
SaveResult SaveSoundFile(CSoundFile& sound, const std::string& path, const SaveOptions& options);
// The same through a writer already prepared (options.replace is not used).
SaveResult WriteSoundFile(CSoundFile& sound, SoundFileWriter& writer, const SaveOptions& options);

// SaveSoundFile as a job of the progress dialog, in the cleaning protocol: a
// bar of 100 steps, WM_CLEANING_FINISHED only when the file is in place, and
// JobCancelEvent stops it between blocks (the temporary file then goes and
// the target stays as it was). `result` is written before the job ends.
int SavingJob(JobSync& sync, platform::MessageTarget& dialog, CSoundFile& sound,
              const std::string& path, SaveOptions options, SaveResult* result);
