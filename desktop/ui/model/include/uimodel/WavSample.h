// The numbers behind one waveform strip: which channel's summary it shows, its
// vertical full scale, and the frames it covers. The waveform control draws it
// (pens, fonts and colours live there).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

class CSoundFile;
struct WaveformSummary;

class CWavSample {
public:
    static constexpr int32_t kBottomMarginPx = 20;

    // `overview` takes channel 0's summary whatever `channel` says. The column
    // arrays are the summary's: valid until its next pass, before which the
    // document releases every strip.
    CWavSample(bool overview, const CSoundFile& soundFile, const WaveformSummary& summary,
               int32_t channel);
    virtual ~CWavSample() = default;

    // Shows `visibleFrames` frames from `firstFrame`; the last visible frame
    // follows from them.
    void SetVisibleRange(uint32_t firstFrame, uint32_t visibleFrames);

    const CSoundFile* soundFile;
    int32_t channel;
    bool overview;
    int32_t samplesPerColumn;
    int32_t columnCount;
    int32_t minimum;
    int32_t maximum;
    std::span<const int16_t> columnMinima;
    std::span<const int16_t> columnMaxima;
    int32_t verticalFullScale;         // current; zooming changes it
    int32_t initialVerticalFullScale;  // as computed at creation
    uint32_t totalFrames;
    double secondsPerFrame;
    uint32_t visibleFrames = 0;
    uint32_t firstVisibleFrame = 0;
    uint32_t lastVisibleFrame = 0;
    uint32_t page = 0;
    bool showRuler = true;
    int32_t bottomMarginPx = kBottomMarginPx;
    std::array<std::string, 3> texts;
};

// The smallest multiple of 200 strictly above 1.1 x the larger magnitude of
// the two extremes: 200 for silence, 36,200 for a full-scale peak.
int32_t VerticalFullScale(int32_t minimum, int32_t maximum);

// The waveform control's three strips: channel 0, channel 1 (stereo only) and
// the overview that always spans the whole recording.
struct WaveformStrips {
    std::unique_ptr<CWavSample> channel0;
    std::unique_ptr<CWavSample> channel1;
    std::unique_ptr<CWavSample> overview;
};

// Creates the strips for a freshly summarised recording as loading and the
// redisplay after cleaning do: channel strips showing every frame from 0, the
// overview (overview flag = stereo) without its ruler.
void CreateStrips(WaveformStrips& strips, const CSoundFile& soundFile,
                  const WaveformSummary& summary);
