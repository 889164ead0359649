// The format a cleaned recording is written in: its source's own by default,
// or one chosen by name.
#pragma once

#include <optional>
#include <string>

#include "pipeline/SoundFormat.h"

enum class OutputChoice { Same, Wav16, Wav, Flac, Ogg, Opus, Mp3 };

// "wav16", "wav", "flac", "ogg", "opus", "mp3"; nullopt for anything else.
std::optional<OutputChoice> ParseOutputChoice(const std::string& name);
// The names ParseOutputChoice knows, comma-separated.
const char* OutputChoiceNames();
// The usual file name extension of a choice (".wav" ...); empty for Same.
std::string OutputExtension(OutputChoice choice);

// The output format for `input` (its rate and channel count are kept): the
// input's own for Same; otherwise the chosen container, keeping the sample
// resolution where the container can hold it (float stays float in WAV,
// 24-bit stays 24-bit in WAV and FLAC).
SoundFormat OutputFormatFor(const SoundFormat& input, OutputChoice choice);
// True when libsndfile can write `format`.
bool CanWrite(const SoundFormat& format);
