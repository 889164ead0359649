#include "pipeline/Segmentation.h"

CSegmentation::CSegmentation(uint32_t frameCount, uint32_t rate)
    : frames(frameCount), sampleRate(rate) {}

CSegmentation::~CSegmentation() = default;
