#include "pipeline/WaveformSummary.h"

#include <algorithm>
#include <memory>
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

// Smallest and largest sample of each channel over some frames.
struct Extremes {
    int32_t min0;
    int32_t max0;
    int32_t min1;
    int32_t max1;
};

// Scan: widens `column` and the recording's `all` by `inColumn` frames.
// sampleAt(channel, j) gives the column's sample; one instance for each way of
// reaching a sample, so that the common one (frames at hand) compiles to plain
// array reads.
template <typename SampleAt>
void ScanColumn(SampleAt sampleAt, uint32_t inColumn, bool stereo, Extremes& column,
                Extremes& all) {
    for (uint32_t j = 0; j < inColumn; ++j) {
        const int32_t sample0 = sampleAt(0, j);
        column.min0 = std::min(column.min0, sample0);
        column.max0 = std::max(column.max0, sample0);
        all.min0 = std::min(all.min0, sample0);
        all.max0 = std::max(all.max0, sample0);
        if (stereo) {
            const int32_t sample1 = sampleAt(1, j);
            column.min1 = std::min(column.min1, sample1);
            column.max1 = std::max(column.max1, sample1);
            all.min1 = std::min(all.min1, sample1);
            all.max1 = std::max(all.max1, sample1);
        }
    }
}

// Copy: gathers the frames of many columns from the mapped recording and
// writes them to the working copy at once: one small write per 10 ms column
// made opening a long mapped recording several times slower.
class WorkingCopyFill {
public:
    WorkingCopyFill(CSoundFile& soundFile, uint32_t perColumn)
        : m_soundFile(soundFile),
          m_perColumn(perColumn),
          m_buffer(size_t{perColumn} * kCopyChunkColumns * soundFile.Channels()) {}

    // Reads a column's frames into the buffer and returns them; null when the
    // recording was cut short under the mapping.
    const int16_t* Read(uint32_t first, uint32_t inColumn) {
        if (m_frames == 0) {
            m_first = first;
        }
        int16_t* at = m_buffer.data() + size_t{m_frames} * m_soundFile.Channels();
        if (!m_soundFile.ReadFrames(at, first, inColumn, false)) {
            return nullptr;
        }
        m_frames += inColumn;
        return at;
    }
    // Writes what is gathered once the buffer is full or the last column is
    // in (only the frames the recording has: the copy must end where the
    // recording ends). False when the write falls short.
    bool WriteWhenDue(bool lastColumn) {
        if (m_frames + m_perColumn <= m_perColumn * kCopyChunkColumns && !lastColumn) {
            return true;
        }
        const bool written = m_soundFile.WriteWorkingCopy(m_buffer.data(), m_first, m_frames);
        m_frames = 0;
        return written;
    }

private:
    CSoundFile& m_soundFile;
    uint32_t m_perColumn;
    std::vector<int16_t> m_buffer;
    uint32_t m_first = 0;
    uint32_t m_frames = 0;
};

// Progress: about 100 steps, posted to the dialog or, without one, handed to
// the step hook.
class SummaryProgress {
public:
    SummaryProgress(uint32_t wholeColumns, platform::MessageTarget* dialog,
                    const std::function<void()>& step)
        : m_every(wholeColumns / kProgressSteps), m_dialog(dialog), m_step(step) {}

    void ColumnDone(uint32_t column) const {
        if (m_every == 0 || column % m_every != 0) {
            return;
        }
        if (m_dialog != nullptr) {
            m_dialog->Post(WM_LOADING_PROGRESS, 1, 1);
        } else if (m_step) {
            m_step();
        }
    }

private:
    uint32_t m_every;
    platform::MessageTarget* m_dialog;
    const std::function<void()>& m_step;
};

// Sizes the summary for the recording, its extremes at their start values;
// returns the frames per column (0 when the rate gives none).
uint32_t StartSummary(WaveformSummary& summary, const CSoundFile& soundFile) {
    const uint32_t frames = soundFile.Frames();
    const bool stereo = soundFile.Channels() > 1;
    summary.channel0Min = summary.channel1Min = 32767;
    summary.channel0Max = summary.channel1Max = -32768;
    summary.samplesPerColumn = static_cast<int32_t>(soundFile.SampleRate() * 0.01);
    const auto perColumn = static_cast<uint32_t>(std::max(summary.samplesPerColumn, 0));
    const uint32_t columns =
        perColumn > 0 ? frames / perColumn + (frames % perColumn != 0 ? 1 : 0) : 0;
    summary.columnCount = static_cast<int32_t>(columns);
    summary.channel0ColumnMin.assign(columns, 0);
    summary.channel0ColumnMax.assign(columns, 0);
    summary.channel1ColumnMin.assign(stereo ? columns : 0, 0);
    summary.channel1ColumnMax.assign(stereo ? columns : 0, 0);
    return perColumn;
}

void StoreColumn(WaveformSummary& summary, uint32_t k, const Extremes& column, bool stereo) {
    summary.channel0ColumnMin[k] = static_cast<int16_t>(column.min0);
    summary.channel0ColumnMax[k] = static_cast<int16_t>(column.max0);
    if (stereo) {
        summary.channel1ColumnMin[k] = static_cast<int16_t>(column.min1);
        summary.channel1ColumnMax[k] = static_cast<int16_t>(column.max1);
    }
}

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
    const uint32_t channels = soundFile.Channels();
    const bool stereo = channels > 1;
    const uint32_t perColumn = StartSummary(summary, soundFile);
    const auto columns = static_cast<uint32_t>(summary.columnCount);
    const SummaryProgress report(perColumn > 0 ? frames / perColumn : 0, progress, step);
    std::unique_ptr<WorkingCopyFill> copy;
    if (soundFile.IsMapped() && writeWorkingCopy) {
        copy = std::make_unique<WorkingCopyFill>(soundFile, perColumn);
    }
    const int16_t* memory = soundFile.IsMapped() ? nullptr : soundFile.GetSampleBuffer();
    // Reads while loading must not ask for write access: the source is mapped
    // read-only.
    const bool writeAccess = !writeWorkingCopy;

    // The recording's extremes, stored on every way out.
    Extremes all{summary.channel0Min, summary.channel0Max, summary.channel1Min,
                 summary.channel1Max};
    const auto finish = [&summary, &all](SoundFileResult result) {
        summary.channel0Min = all.min0;
        summary.channel0Max = all.max0;
        summary.channel1Min = all.min1;
        summary.channel1Max = all.max1;
        return result;
    };
    for (uint32_t k = 0; k < columns; ++k) {
        const uint32_t first = k * perColumn;
        const uint32_t inColumn = std::min(perColumn, frames - first);
        // The column's frames when they are at hand: copied, or the recording
        // itself in memory.
        const int16_t* atHand = memory != nullptr ? memory + size_t{first} * channels : nullptr;
        if (copy != nullptr) {
            atHand = copy->Read(first, inColumn);
            if (atHand == nullptr) {
                return finish(SourceChanged(soundFile));
            }
            if (!copy->WriteWhenDue(k + 1 == columns)) {
                return finish(SoundFileResult::NoDiskSpace);
            }
        }
        Extremes column{kColumnStartMin, kColumnStartMax, kColumnStartMin, kColumnStartMax};
        if (atHand != nullptr) {
            const auto sampleAt = [atHand, channels](uint32_t channel, uint32_t j) -> int32_t {
                return atHand[size_t{j} * channels + channel];
            };
            ScanColumn(sampleAt, inColumn, stereo, column, all);
        } else {
            const auto sampleAt = [&soundFile, first, writeAccess](uint32_t channel,
                                                                   uint32_t j) -> int32_t {
                return soundFile.GetSample(static_cast<int32_t>(channel), first + j, writeAccess);
            };
            ScanColumn(sampleAt, inColumn, stereo, column, all);
        }
        StoreColumn(summary, k, column, stereo);
        if (writeWorkingCopy && cancel != nullptr && JobCancelRequested(*cancel)) {
            finish(SoundFileResult::Cancelled);
            soundFile.Close();
            return SoundFileResult::Cancelled;
        }
        report.ColumnDone(k);
    }
    finish(SoundFileResult::Ok);
    return copy != nullptr ? soundFile.CompleteWorkingCopy() : SoundFileResult::Ok;
}
