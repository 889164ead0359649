#include "uimodel/WavSample.h"

#include <algorithm>
#include <cstdlib>

#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"

int32_t VerticalFullScale(int32_t minimum, int32_t maximum) {
    constexpr int32_t kScaleStep = 200;
    const int32_t peak = std::max(std::abs(minimum), std::abs(maximum));
    const auto headroom = static_cast<int32_t>(1.1 * peak);
    return (headroom / kScaleStep + 1) * kScaleStep;
}

CWavSample::CWavSample(bool overviewStrip, const CSoundFile& file, const WaveformSummary& summary,
                       int32_t channelIndex)
    : soundFile(&file),
      channel(channelIndex),
      overview(overviewStrip),
      samplesPerColumn(summary.samplesPerColumn),
      columnCount(summary.columnCount) {
    const bool useChannel1 = !overview && channel == 1 && !summary.channel1ColumnMin.empty();
    minimum = useChannel1 ? summary.channel1Min : summary.channel0Min;
    maximum = useChannel1 ? summary.channel1Max : summary.channel0Max;
    columnMinima = useChannel1 ? summary.channel1ColumnMin : summary.channel0ColumnMin;
    columnMaxima = useChannel1 ? summary.channel1ColumnMax : summary.channel0ColumnMax;
    verticalFullScale = VerticalFullScale(minimum, maximum);
    initialVerticalFullScale = verticalFullScale;
    totalFrames = file.Frames();
    secondsPerFrame = file.SampleRate() > 0 ? 1.0 / file.SampleRate() : 0.0;
}

void CWavSample::SetVisibleRange(uint32_t firstFrame, uint32_t frames) {
    firstVisibleFrame = firstFrame;
    visibleFrames = frames;
    lastVisibleFrame = frames > 0 ? firstFrame + frames - 1 : firstFrame;
}

void CreateStrips(WaveformStrips& strips, const CSoundFile& soundFile,
                  const WaveformSummary& summary) {
    const uint32_t channels = soundFile.Channels();
    strips.channel0.reset();
    strips.channel1.reset();
    strips.overview.reset();
    if (channels == 1 || channels == 2) {
        strips.channel0 = std::make_unique<CWavSample>(false, soundFile, summary, 0);
        strips.channel0->SetVisibleRange(0, soundFile.Frames());
    }
    if (channels == 2) {
        strips.channel1 = std::make_unique<CWavSample>(false, soundFile, summary, 1);
        strips.channel1->SetVisibleRange(0, soundFile.Frames());
    }
    strips.overview = std::make_unique<CWavSample>(channels == 2, soundFile, summary, 0);
    strips.overview->showRuler = false;
}
