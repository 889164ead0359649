// A fixture with a recording written to a fresh folder and opened, and a
// summary to build from it: for the summary's tests here and the strips' tests
// above the pipeline.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "PipelineTestSupport.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WaveformSummary.h"
#include "testsupport/TempFolder.h"

namespace testsupport {

class OpenedRecordingTest : public ::testing::Test {
protected:
    void Open(const std::vector<int16_t>& interleaved, int channels, int rate) {
        const std::string path = folder.File("summary.wav");
        ASSERT_TRUE(WritePcmWav(path, rate, channels, interleaved));
        ASSERT_EQ(file.Open(path, nullptr, nullptr), SoundFileResult::Ok);
    }

    TempFolder folder;
    CSoundFile file;
    WaveformSummary summary;
};

}  // namespace testsupport
