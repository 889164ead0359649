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

}  // namespace

SoundFileResult BuildWaveformSummary(WaveformSummary& summary, CSoundFile& soundFile,
                                     bool writeWorkingCopy, platform::MessageTarget* progress,
                                     platform::ManualResetEvent* cancel,
                                     const SummaryTitleProgress* title) {
    const bool showTitle = progress == nullptr && title != nullptr;
    uint32_t percent = 0;
    if (showTitle && title->show) {
        title->show(percent);
    }

    const uint32_t frames = soundFile.Frames();
    const bool stereo = soundFile.Channels() > 1;
    const bool copyToWorkingCopy = soundFile.IsMapped() && writeWorkingCopy;

    summary.channel0Min = summary.channel1Min = 32767;
    summary.channel0Max = summary.channel1Max = -32768;
    summary.samplesPerColumn = static_cast<int32_t>(soundFile.SampleRate() * 0.01);
    const auto perColumn = static_cast<uint32_t>(std::max(summary.samplesPerColumn, 0));
    uint32_t columns = 0;
    uint32_t step = 0;
    if (perColumn > 0) {
        columns = frames / perColumn + (frames % perColumn != 0 ? 1 : 0);
        step = (frames / perColumn) / kProgressSteps;
    }
    summary.columnCount = static_cast<int32_t>(columns);
    summary.channel0ColumnMin.assign(columns, 0);
    summary.channel0ColumnMax.assign(columns, 0);
    summary.channel1ColumnMin.assign(stereo ? columns : 0, 0);
    summary.channel1ColumnMax.assign(stereo ? columns : 0, 0);

    std::vector<int16_t> copyBuffer;
    if (copyToWorkingCopy) {
        copyBuffer.resize(size_t{perColumn} * soundFile.Channels());
    }
    // Reads while loading must not ask for write access: the source is mapped
    // read-only.
    const bool writeAccess = !writeWorkingCopy;

    for (uint32_t k = 0; k < columns; ++k) {
        const uint32_t first = k * perColumn;
        const uint32_t inColumn = std::min(perColumn, frames - first);
        if (copyToWorkingCopy) {
            soundFile.ReadFrames(copyBuffer.data(), first, inColumn, false);
            if (SNDFILE* copy = soundFile.WorkingCopyHandle()) {
                // Only the frames the recording has: the working copy must end
                // where the recording ends.
                sf_seek(copy, first, SEEK_SET);
                if (sf_writef_short(copy, copyBuffer.data(), inColumn) != inColumn) {
                    return SoundFileResult::NoDiskSpace;
                }
            }
        }
        int32_t min0 = kColumnStartMin;
        int32_t max0 = kColumnStartMax;
        int32_t min1 = kColumnStartMin;
        int32_t max1 = kColumnStartMax;
        for (uint32_t j = 0; j < inColumn; ++j) {
            const int32_t sample0 = soundFile.GetSample(0, first + j, writeAccess);
            min0 = std::min(min0, sample0);
            max0 = std::max(max0, sample0);
            summary.channel0Min = std::min(summary.channel0Min, sample0);
            summary.channel0Max = std::max(summary.channel0Max, sample0);
            if (stereo) {
                const int32_t sample1 = soundFile.GetSample(1, first + j, writeAccess);
                min1 = std::min(min1, sample1);
                max1 = std::max(max1, sample1);
                summary.channel1Min = std::min(summary.channel1Min, sample1);
                summary.channel1Max = std::max(summary.channel1Max, sample1);
            }
        }
        summary.channel0ColumnMin[k] = static_cast<int16_t>(min0);
        summary.channel0ColumnMax[k] = static_cast<int16_t>(max0);
        if (stereo) {
            summary.channel1ColumnMin[k] = static_cast<int16_t>(min1);
            summary.channel1ColumnMax[k] = static_cast<int16_t>(max1);
        }
        if (writeWorkingCopy && cancel != nullptr && JobCancelRequested(*cancel)) {
            soundFile.Close();
            return SoundFileResult::Cancelled;
        }
        if (step > 0 && k % step == 0) {
            if (progress != nullptr) {
                progress->Post(WM_LOADING_PROGRESS, 1, 1);
            } else if (showTitle && title->show) {
                title->show(++percent);
            }
        }
    }

    if (showTitle && title->restore) {
        title->restore();
    }
    if (copyToWorkingCopy) {
        if (soundFile.WorkingCopyHandle() == nullptr || !soundFile.SwitchToWorkingCopy()) {
            return SoundFileResult::TempFileDenied;
        }
    }
    return SoundFileResult::Ok;
}
