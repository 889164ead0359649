#include "pipeline/SoundFormat.h"

#include <sndfile.h>

#include "pipeline/SoundFile.h"

namespace {

SF_INFO ToInfo(const SoundFormat& format) {
    SF_INFO info{};
    info.format = format.format;
    info.samplerate = format.sampleRate;
    info.channels = format.channels;
    info.frames = format.frames;
    return info;
}

}  // namespace

bool IsDesktopFormat(const SoundFormat& format) {
    return IsAcceptedSoundFormat(ToInfo(format));
}

bool DecodedCopyFitsWav(const SoundFormat& format) {
    return DecodedCopyFitsWav(ToInfo(format));
}

bool HoldsAtMost16Bits(const SoundFormat& format) {
    switch (format.format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_16:
        case SF_FORMAT_ULAW:
        case SF_FORMAT_ALAW:
        case SF_FORMAT_IMA_ADPCM:
        case SF_FORMAT_MS_ADPCM:
        case SF_FORMAT_GSM610:
        case SF_FORMAT_VOX_ADPCM:
        case SF_FORMAT_G721_32:
        case SF_FORMAT_G723_24:
        case SF_FORMAT_G723_40:
        case SF_FORMAT_DWVW_12:
        case SF_FORMAT_DWVW_16:
        case SF_FORMAT_DPCM_8:
        case SF_FORMAT_DPCM_16:
        case SF_FORMAT_NMS_ADPCM_16:
        case SF_FORMAT_NMS_ADPCM_24:
        case SF_FORMAT_NMS_ADPCM_32:
            return true;
        default:
            return false;
    }
}

bool IsWavContainer(const SoundFormat& format) {
    const int major = format.format & SF_FORMAT_TYPEMASK;
    return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX;
}

bool FitsItsContainer(const SoundFormat& format) {
    if (!IsWavContainer(format)) {
        return true;
    }
    if (format.frames < 0 || format.channels <= 0) {
        return false;
    }
    uint64_t bytes = 2;
    switch (format.format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_ALAW:
        case SF_FORMAT_ULAW:
            bytes = 1;
            break;
        case SF_FORMAT_PCM_24:
            bytes = 3;
            break;
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
            bytes = 4;
            break;
        case SF_FORMAT_DOUBLE:
            bytes = 8;
            break;
        default:
            break;
    }
    // Room for a header, generously; divided so that no product can overflow.
    constexpr uint64_t kMostDataBytes = UINT32_MAX - 4096;
    return static_cast<uint64_t>(format.frames) <=
           kMostDataBytes / bytes / static_cast<uint64_t>(format.channels);
}
