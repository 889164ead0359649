// Command line of hushdesk-clean.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Shard.h"
#include "pipeline/CleaningSettings.h"
#include "pipeline/OutputFormat.h"

// Exit statuses; with several inputs the program exits with the worst one.
enum class ExitStatus : int { Ok = 0, Usage = 2, Refused = 3, IoError = 4, Interrupted = 130 };

ExitStatus Worst(ExitStatus a, ExitStatus b);

// Settings given on the command line; unset ones come from the base settings.
struct SettingOverrides {
    std::optional<bool> noiseCancel;
    std::optional<uint32_t> gainMaxDb;
    std::optional<bool> whiteNoise;
    std::optional<bool> spectrum;
    std::optional<bool> tone;
    std::optional<uint32_t> buffSize;
    std::optional<bool> speechMode;  // --estimator speech
};

struct CliOptions {
    SettingOverrides overrides;
    int passes = 1;
    unsigned jobs = 0;  // 0: one per core
    bool useSavedSettings = false;
    bool force = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    OutputChoice format = OutputChoice::Same;  // --format
    std::string outputDir;                     // -o DIR mode when not empty
    std::vector<std::string> inputs;           // one or more
    std::string output;                        // INPUT OUTPUT mode
    // Batches over archives: the input list from a file, the output tree,
    // this run's share, restarts and a machine-readable account.
    std::string filesFrom;  // --files-from; "-" standard input
    bool nulSeparated = false;
    bool keepTree = false;
    std::optional<Shard> shard;
    bool skipExisting = false;
    std::string report;  // --report; "-" standard output
};

struct ParsedCommandLine {
    CliOptions options;
    std::string error;  // empty when the command line is valid
};

// Parses the arguments after the program name. Error texts come from the
// string table in the chosen language.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, bool english);

// The base settings with the command line's overrides applied.
CleaningSettings ResolveSettings(const SettingOverrides& overrides, CleaningSettings base);
