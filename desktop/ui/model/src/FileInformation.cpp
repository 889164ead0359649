#include "uimodel/FileInformation.h"

#include "resources/StringTable.h"

namespace uimodel {

std::string DurationText(uint32_t frames, uint32_t sampleRate) {
    const uint32_t seconds = sampleRate > 0 ? frames / sampleRate : 0;
    return res::Format("%u:%02u", seconds / 60, seconds % 60);
}

std::string FileInformationText(const std::string& path, uint32_t sampleRate, uint32_t frames,
                                uint32_t channels, bool english) {
    const char* channelText =
        res::LoadText(channels == 2 ? res::IDS_CHANNELS_STEREO : res::IDS_CHANNELS_MONO);
    return res::Format(res::LoadPair(res::kTextFileInfo, english), path.c_str(), sampleRate,
                       DurationText(frames, sampleRate).c_str(), channels, channelText);
}

std::string TitleFromPath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace uimodel
