#include "pipeline/WaveformSummary.h"

#include <algorithm>
#include <vector>

#include "pipeline/JobProtocol.h"
#include "platform/ManualResetEvent.h"
#include "platform/MessageTarget.h"

namespace {

constexpr int32_t kColumnStartMin = 32767;
constexpr int32_t kColumnStartMax = -32767;
constexpr uint32_t kProgressSteps = 100;
// Columns of frames written to the working copy at once.
constexpr uint32_t kCopyChunkColumns = 1024;

// The recording was cut short while it was copied: an open error, and the
// half-made working copy goes at once.
SoundFileResult SourceChanged(CSoundFile& soundFile) {
    soundFile.Close();
    soundFile.DeleteWorkingCopy();
    return SoundFileResult::OpenError;
}

}  // namespace

SoundFileResult BuildWaveformSummary(WaveformSummary& summary, CSoundFile& soundFile,
                                     bool writeWorkingCopy, platform::MessageTarget* progress,
                                     platform::ManualResetEvent* cancel,
                                     const std::function<void()>& step) {
    const uint32_t frames = soundFile.Frames();
    const bool stereo = soundFile.Channels() > 1;
    const bool copyToWorkingCopy = soundFile.IsMapped() && writeWorkingCopy;

    summary.channel0Min = summary.channel1Min = 32767;
    summary.channel0Max = summary.channel1Max = -32768;
    summary.samplesPerColumn = static_cast<int32_t>(soundFile.SampleRate() * 0.01);
    const auto perColumn = static_cast<uint32_t>(std::max(summary.samplesPerColumn, 0));
    uint32_t columns = 0;
    uint32_t progressStep = 0;
    if (perColumn > 0) {
        columns = frames / perColumn + (frames % perColumn != 0 ? 1 : 0);
        progressStep = (frames / perColumn) / kProgressSteps;
    }
    summary.columnCount = static_cast<int32_t>(columns);
    summary.channel0ColumnMin.assign(columns, 0);
    summary.channel0ColumnMax.assign(columns, 0);
    summary.channel1ColumnMin.assign(stereo ? columns : 0, 0);
    summary.channel1ColumnMax.assign(stereo ? columns : 0, 0);

    // The working copy is written many columns at a time: one small write
    // per 10 ms column made opening a long mapped recording several times
    // slower. The atHand frames also give the column extremes.
    const uint32_t channels = soundFile.Channels();
    std::vector<int16_t> copyBuffer;
    uint32_t copyFirst = 0;
    uint32_t copyFrames = 0;
    if (copyToWorkingCopy) {
        copyBuffer.resize(size_t{perColumn} * kCopyChunkColumns * channels);
    }
    const auto writeCopy = [&]() {
        SNDFILE* copy = soundFile.WorkingCopyHandle();
        const bool written = copyFrames == 0 || copy == nullptr ||
                             (sf_seek(copy, copyFirst, SEEK_SET) == copyFirst &&
                              sf_writef_short(copy, copyBuffer.data(), copyFrames) == copyFrames);
        copyFrames = 0;
        return written;
    };
    const int16_t* memory = soundFile.IsMapped() ? nullptr : soundFile.GetSampleBuffer();
    // Reads while loading must not ask for write access: the source is mapped
    // read-only.
    const bool writeAccess = !writeWorkingCopy;

    // The recording's extremes, kept in locals while scanning and stored on
    // every way out.
    int32_t all0Min = summary.channel0Min;
    int32_t all0Max = summary.channel0Max;
    int32_t all1Min = summary.channel1Min;
    int32_t all1Max = summary.channel1Max;
    const auto storeExtremes = [&] {
        summary.channel0Min = all0Min;
        summary.channel0Max = all0Max;
        summary.channel1Min = all1Min;
        summary.channel1Max = all1Max;
    };
    for (uint32_t k = 0; k < columns; ++k) {
        const uint32_t first = k * perColumn;
        const uint32_t inColumn = std::min(perColumn, frames - first);
        // The column's frames when they are at hand: the atHand ones, or the
        // recording itself in memory.
        const int16_t* atHand = memory != nullptr ? memory + size_t{first} * channels : nullptr;
        if (copyToWorkingCopy) {
            if (copyFrames == 0) {
                copyFirst = first;
            }
            int16_t* at = copyBuffer.data() + size_t{copyFrames} * channels;
            if (!soundFile.ReadFrames(at, first, inColumn, false)) {
                storeExtremes();
                return SourceChanged(soundFile);
            }
            atHand = at;
            copyFrames += inColumn;
            // Only the frames the recording has: the working copy must end
            // where the recording ends.
            if ((copyFrames + perColumn > perColumn * kCopyChunkColumns || k + 1 == columns) &&
                !writeCopy()) {
                storeExtremes();
                return SoundFileResult::NoDiskSpace;
            }
        }
        int32_t min0 = kColumnStartMin;
        int32_t max0 = kColumnStartMax;
        int32_t min1 = kColumnStartMin;
        int32_t max1 = kColumnStartMax;
        // One loop for each way of reaching a sample, so that the common one
        // (frames at hand) compiles to plain array reads.
        const auto scan = [&](auto sampleAt) {
            for (uint32_t j = 0; j < inColumn; ++j) {
                const int32_t sample0 = sampleAt(0, j);
                min0 = std::min(min0, sample0);
                max0 = std::max(max0, sample0);
                all0Min = std::min(all0Min, sample0);
                all0Max = std::max(all0Max, sample0);
                if (stereo) {
                    const int32_t sample1 = sampleAt(1, j);
                    min1 = std::min(min1, sample1);
                    max1 = std::max(max1, sample1);
                    all1Min = std::min(all1Min, sample1);
                    all1Max = std::max(all1Max, sample1);
                }
            }
        };
        if (atHand != nullptr) {
            scan([atHand, channels](uint32_t channel, uint32_t j) -> int32_t {
                return atHand[size_t{j} * channels + channel];
            });
        } else {
            scan([&soundFile, first, writeAccess](uint32_t channel, uint32_t j) -> int32_t {
                return soundFile.GetSample(static_cast<int32_t>(channel), first + j, writeAccess);
            });
        }
        summary.channel0ColumnMin[k] = static_cast<int16_t>(min0);
        summary.channel0ColumnMax[k] = static_cast<int16_t>(max0);
        if (stereo) {
            summary.channel1ColumnMin[k] = static_cast<int16_t>(min1);
            summary.channel1ColumnMax[k] = static_cast<int16_t>(max1);
        }
        if (writeWorkingCopy && cancel != nullptr && JobCancelRequested(*cancel)) {
            storeExtremes();
            soundFile.Close();
            return SoundFileResult::Cancelled;
        }
        if (progressStep > 0 && k % progressStep == 0) {
            if (progress != nullptr) {
                progress->Post(WM_LOADING_PROGRESS, 1, 1);
            } else if (step) {
                step();
            }
        }
    }
    storeExtremes();

    if (copyToWorkingCopy) {
        // A window past the new end reads as zeros after a message; the copy
        // would hold them as if they were the recording.
        if (!soundFile.MappedFileIsWhole()) {
            return SourceChanged(soundFile);
        }
        if (soundFile.WorkingCopyHandle() == nullptr || !soundFile.SwitchToWorkingCopy()) {
            return SoundFileResult::TempFileDenied;
        }
    }
    return SoundFileResult::Ok;
}
