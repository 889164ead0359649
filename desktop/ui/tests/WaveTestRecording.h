// A recording loaded into a waveform control the way File > Open does it
// (open, summarise, make the strips, show them), for the waveform and
// playback GUI tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CWaveControl.h"
#include "PipelineTestSupport.h"
#include "pipeline/JobProtocol.h"
#include "pipeline/Segmentation.h"
#include "pipeline/SoundFile.h"
#include "testsupport/TempFolder.h"
#include "uimodel/WaveformDisplay.h"

namespace guitest {

class WaveTestRecording {
public:
    // Writes a 16 kHz recording to `name` and shows it in `control`; in
    // mapped mode when HUSHDESK_MEMORY_BUDGET says so.
    void Show(CWaveControl& control, const std::vector<int16_t>& interleaved, int channels,
              const std::string& name) {
        control.ReleaseRecording();
        const std::string path = m_folder.File(name);
        ASSERT_TRUE(testsupport::WritePcmWav(path, 16000, channels, interleaved));
        m_file.Close();
        m_file.DeleteWorkingCopy();
        ASSERT_EQ(m_file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
        WaveformDisplay display;
        ASSERT_EQ(BuildWaveformSummary(display.summary, m_file, true, nullptr, nullptr),
                  SoundFileResult::Ok);
        CreateStrips(display.strips, m_file, display.summary);
        m_segmentation = std::make_unique<CSegmentation>(m_file.Frames(), m_file.SampleRate());
        control.ShowRecording(m_file, *m_segmentation, m_sync.JobLock, std::move(display));
    }

    CSoundFile& File() { return m_file; }
    const testsupport::TempFolder& Folder() const { return m_folder; }

private:
    testsupport::TempFolder m_folder;
    CSoundFile m_file;
    std::unique_ptr<CSegmentation> m_segmentation;
    JobSync m_sync;
};

}  // namespace guitest
