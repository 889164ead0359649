#include "pipeline/SoundFileWriter.h"

#include <fcntl.h>
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include "pipeline/SoundFile.h"

namespace {

constexpr uint32_t kSaveBlockFrames = 65536;
// After this much written, the disk is asked to start writing it out, so that
// the flush before the file is moved into place has little left to wait for.
constexpr uint64_t kWritebackBytes = uint64_t{8} << 20;
// libsndfile's MP3 encoder spans 320 kbit/s (level 0) to 32 kbit/s (level 1)
// in constant-bitrate mode.
constexpr double kMp3BestBitsPerSecond = 320000.0;
constexpr double kMp3LeastBitsPerSecond = 32000.0;

sf_count_t WriteCall(SNDFILE* file, const int16_t* samples, sf_count_t frames) {
    return sf_writef_short(file, samples, frames);
}

sf_count_t WriteCall(SNDFILE* file, const float* samples, sf_count_t frames) {
    return sf_writef_float(file, samples, frames);
}

// Asks the MP3 encoder for about `bitsPerSecond` at a constant rate, so a
// cleaned MP3 is about as large as its source.
void AimAtBitrate(SNDFILE* file, double bitsPerSecond) {
    int mode = SF_BITRATE_MODE_CONSTANT;
    sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof(mode));
    double level =
        (kMp3BestBitsPerSecond - bitsPerSecond) / (kMp3BestBitsPerSecond - kMp3LeastBitsPerSecond);
    level = std::clamp(level, 0.0, 1.0);
    sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof(level));
}

}  // namespace

SoundFileWriter::SoundFileWriter(std::string path) : m_output(std::move(path)) {}

SoundFileWriter::~SoundFileWriter() {
    if (m_file != nullptr) {
        sf_close(m_file);
    }
}

OutputResult SoundFileWriter::Fail(OutputResult result, std::string reason) {
    m_reason = std::move(reason);
    return result;
}

OutputResult SoundFileWriter::Prepare(bool replace) {
    const OutputResult created = m_output.Create(replace);
    if (created == OutputResult::Failed) {
        return Fail(created, std::strerror(m_output.Error()));
    }
    return created;
}

OutputResult SoundFileWriter::Open(const SoundFormat& layout, bool replace) {
    const OutputResult prepared = Prepare(replace);
    return prepared == OutputResult::Ok ? Start(layout) : prepared;
}

OutputResult SoundFileWriter::Start(const SoundFormat& layout, double bitsPerSecond) {
    if (m_output.Descriptor() < 0 || m_file != nullptr) {
        return Fail(OutputResult::Failed, std::strerror(EBADF));
    }
    SF_INFO info{};
    info.samplerate = layout.sampleRate;
    info.channels = layout.channels;
    info.format = layout.format;
    // The descriptor stays ours whatever happens: libsndfile closes a
    // descriptor it was handed to own even when opening fails.
    m_file = sf_open_fd(m_output.Descriptor(), SFM_WRITE, &info, SF_FALSE);
    m_channels = static_cast<uint64_t>(std::max(layout.channels, 1));
    if (m_file == nullptr) {
        return Fail(OutputResult::Failed, sf_strerror(nullptr));
    }
    // Floats beyond full scale become the largest value, not a wrapped one.
    sf_command(m_file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    if (bitsPerSecond > 0 && (layout.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
        AimAtBitrate(m_file, bitsPerSecond);
    }
    return OutputResult::Ok;
}

bool SoundFileWriter::Write(const int16_t* samples, uint64_t frames) {
    return WriteFrames(samples, frames);
}

bool SoundFileWriter::Write(const float* samples, uint64_t frames) {
    return WriteFrames(samples, frames);
}

template <typename Sample>
bool SoundFileWriter::WriteFrames(const Sample* samples, uint64_t frames) {
    if (m_file == nullptr) {
        return false;
    }
    constexpr uint64_t kLargestCall = std::numeric_limits<int32_t>::max();
    while (frames > 0) {
        const uint64_t count = std::min(frames, kLargestCall / m_channels);
        if (WriteCall(m_file, samples, static_cast<sf_count_t>(count)) !=
            static_cast<sf_count_t>(count)) {
            m_reason = sf_strerror(m_file);
            return false;
        }
        samples += count * m_channels;
        frames -= count;
        m_unflushedBytes += count * m_channels * sizeof(Sample);
    }
    if (m_unflushedBytes >= kWritebackBytes) {
        // Only a hint: it starts writeback and waits for nothing; Finish
        // still flushes everything before the move.
        sync_file_range(m_output.Descriptor(), 0, 0, SYNC_FILE_RANGE_WRITE);
        m_unflushedBytes = 0;
    }
    return true;
}

OutputResult SoundFileWriter::Finish() {
    if (m_file == nullptr) {
        return Fail(OutputResult::Failed, std::strerror(EBADF));
    }
    SNDFILE* file = m_file;
    m_file = nullptr;
    if (sf_close(file) != 0) {
        return Fail(OutputResult::Failed, std::strerror(EIO));
    }
    const OutputResult committed = m_output.Commit();
    if (committed == OutputResult::Failed) {
        return Fail(committed, std::strerror(m_output.Error()));
    }
    return committed;
}

SaveResult SaveSoundFile(CSoundFile& sound, const std::string& path, const SaveOptions& options) {
    SoundFileWriter writer(path);
    if (const OutputResult prepared = writer.Prepare(options.replace);
        prepared != OutputResult::Ok) {
        return {prepared, writer.Reason()};
    }
    return WriteSoundFile(sound, writer, options);
}

SaveResult WriteSoundFile(CSoundFile& sound, SoundFileWriter& writer, const SaveOptions& options) {
    const SF_INFO* source = sound.Info();
    if (source == nullptr) {
        return {OutputResult::Failed, std::strerror(EBADF)};
    }
    const SoundFormat layout{source->format, source->samplerate, source->channels, source->frames};
    if (const OutputResult started = writer.Start(layout); started != OutputResult::Ok) {
        return {started, writer.Reason()};
    }
    const uint32_t frames = sound.Frames();
    const uint32_t channels = sound.Channels();
    std::vector<int16_t> block;
    if (sound.IsMapped()) {
        block.resize(size_t{kSaveBlockFrames} * channels);
    }
    for (uint32_t first = 0; first < frames; first += std::min(kSaveBlockFrames, frames - first)) {
        if (options.cancelled && options.cancelled()) {
            return {OutputResult::Cancelled, {}};
        }
        const uint32_t count = std::min(kSaveBlockFrames, frames - first);
        const int16_t* samples = nullptr;
        if (sound.IsMapped()) {
            std::unique_lock<platform::JobLockType> lock;
            if (options.readLock != nullptr) {
                lock = std::unique_lock(*options.readLock);
            }
            if (!sound.ReadFrames(block.data(), first, count)) {
                return {OutputResult::Failed, std::strerror(EIO)};
            }
            samples = block.data();
        } else {
            samples = sound.GetSampleBuffer() + uint64_t{first} * channels;
        }
        if (!writer.Write(samples, count)) {
            return {OutputResult::Failed, writer.Reason()};
        }
        if (options.onProgress) {
            options.onProgress(double(uint64_t{first} + count) / frames);
        }
    }
    // A cancel that came during the last block still leaves the target as it
    // was: nothing has been moved into place yet.
    if (options.cancelled && options.cancelled()) {
        return {OutputResult::Cancelled, {}};
    }
    const OutputResult finished = writer.Finish();
    return {finished, writer.Reason()};
}

int SavingJob(JobSync& sync, platform::MessageTarget& dialog, CSoundFile& sound,
              const std::string& path, SaveOptions options, SaveResult* result) {
    constexpr uint32_t kSteps = 100;
    JobStartHandshake(sync, dialog, WM_CLEANING_STARTED, kSteps, 1);
    uint32_t posted = 0;
    options.onProgress = [&](double fraction) {
        const auto reached = static_cast<uint32_t>(fraction * kSteps);
        for (; posted < std::min(reached, kSteps); ++posted) {
            dialog.Post(WM_CLEANING_PROGRESS, posted + 1, 0);
        }
    };
    options.cancelled = [&sync] { return JobCancelRequested(sync.JobCancelEvent); };
    const SaveResult saved = SaveSoundFile(sound, path, options);
    if (result != nullptr) {
        *result = saved;
    }
    if (saved.result == OutputResult::Ok) {
        JobEndHandshake(sync, dialog, WM_CLEANING_FINISHED, 1, 1);
    }
    return saved.result == OutputResult::Ok ? 0 : 1;
}
