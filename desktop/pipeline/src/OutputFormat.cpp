#include "pipeline/OutputFormat.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>

namespace {

struct Named {
    const char* name;
    OutputChoice choice;
    const char* extension;
};

constexpr Named kChoices[] = {
    {"wav16", OutputChoice::Wav16, ".wav"}, {"wav", OutputChoice::Wav, ".wav"},
    {"flac", OutputChoice::Flac, ".flac"},  {"ogg", OutputChoice::Ogg, ".ogg"},
    {"opus", OutputChoice::Opus, ".opus"},  {"mp3", OutputChoice::Mp3, ".mp3"},
};

// A file that keeps nothing but its length.
struct Nowhere {
    sf_count_t position = 0;
    sf_count_t length = 0;
};

int Subtype(const SoundFormat& format) {
    return format.format & SF_FORMAT_SUBMASK;
}

// WAV with more than two channels needs the extensible header to say which
// speaker each channel is.
int WavContainer(const SoundFormat& input) {
    return input.channels > 2 ? SF_FORMAT_WAVEX : SF_FORMAT_WAV;
}

int WavEncoding(const SoundFormat& input) {
    switch (const int subtype = Subtype(input)) {
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_16:
        case SF_FORMAT_PCM_24:
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
        case SF_FORMAT_ALAW:
        case SF_FORMAT_ULAW:
            return subtype;
        case SF_FORMAT_PCM_S8:
            return SF_FORMAT_PCM_U8;  // WAV stores 8-bit samples unsigned
        default:
            return SF_FORMAT_PCM_16;
    }
}

int FlacEncoding(const SoundFormat& input) {
    switch (Subtype(input)) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
            return SF_FORMAT_PCM_S8;
        case SF_FORMAT_PCM_24:
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
            return SF_FORMAT_PCM_24;
        default:
            return SF_FORMAT_PCM_16;
    }
}

}  // namespace

std::optional<OutputChoice> ParseOutputChoice(const std::string& name) {
    for (const Named& n : kChoices) {
        if (name == n.name) {
            return n.choice;
        }
    }
    return std::nullopt;
}

const char* OutputChoiceNames() {
    return "wav16, wav, flac, ogg, opus, mp3";
}

std::string OutputExtension(OutputChoice choice) {
    for (const Named& n : kChoices) {
        if (choice == n.choice) {
            return n.extension;
        }
    }
    return {};
}

SoundFormat OutputFormatFor(const SoundFormat& input, OutputChoice choice) {
    SoundFormat out = input;
    switch (choice) {
        case OutputChoice::Same:
            break;
        case OutputChoice::Wav16:
            out.format = WavContainer(input) | SF_FORMAT_PCM_16;
            break;
        case OutputChoice::Wav:
            out.format = WavContainer(input) | WavEncoding(input);
            break;
        case OutputChoice::Flac:
            out.format = SF_FORMAT_FLAC | FlacEncoding(input);
            break;
        case OutputChoice::Ogg:
            out.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
            break;
        case OutputChoice::Opus:
            out.format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
            break;
        case OutputChoice::Mp3:
            out.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
            break;
    }
    return out;
}

bool CanWrite(const SoundFormat& format) {
    SF_INFO info{};
    info.format = format.format;
    info.samplerate = format.sampleRate;
    info.channels = format.channels;
    if (sf_format_check(&info) != SF_TRUE) {
        return false;
    }
    // Some encoders check more than sf_format_check does (Opus takes five
    // rates only): start one on a file that keeps nothing.
    Nowhere nowhere;
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* data) { return static_cast<Nowhere*>(data)->length; };
    io.seek = [](sf_count_t offset, int whence, void* data) {
        auto* n = static_cast<Nowhere*>(data);
        n->position = whence == SEEK_SET   ? offset
                      : whence == SEEK_CUR ? n->position + offset
                                           : n->length + offset;
        return n->position;
    };
    io.read = [](void*, sf_count_t, void*) { return sf_count_t{0}; };
    io.write = [](const void*, sf_count_t count, void* data) {
        auto* n = static_cast<Nowhere*>(data);
        n->position += count;
        n->length = std::max(n->length, n->position);
        return count;
    };
    io.tell = [](void* data) { return static_cast<Nowhere*>(data)->position; };
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &nowhere);
    if (file == nullptr) {
        return false;
    }
    sf_close(file);
    return true;
}
