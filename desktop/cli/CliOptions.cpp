#include "CliOptions.h"

#include <charconv>

#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr int kMaxPasses = 100;
constexpr unsigned kMaxJobs = 256;

bool ParseInt(const std::string& text, long& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty();
}

std::optional<bool> ParseSwitch(const std::string& text) {
    if (text == "on") {
        return true;
    }
    if (text == "off") {
        return false;
    }
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(bool english) : m_english(english) {}

    ParsedCommandLine Run(const std::vector<std::string>& args) {
        ParsedCommandLine result;
        CliOptions& o = result.options;
        std::vector<std::string> operands;
        bool optionsEnded = false;
        for (size_t i = 0; i < args.size() && m_error.empty(); ++i) {
            std::string arg = args[i];
            if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
                operands.push_back(arg);
                continue;
            }
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            std::string name = arg;
            std::optional<std::string> inlineValue;
            if (arg.rfind("--", 0) == 0) {
                if (auto eq = arg.find('='); eq != std::string::npos) {
                    name = arg.substr(0, eq);
                    inlineValue = arg.substr(eq + 1);
                }
            } else if (arg.size() > 2 && (arg[1] == 'j' || arg[1] == 'o')) {
                name = arg.substr(0, 2);
                inlineValue = arg.substr(2);
            }
            auto value = [&]() -> std::optional<std::string> {
                if (inlineValue) {
                    return inlineValue;
                }
                if (i + 1 < args.size()) {
                    return args[++i];
                }
                Fail(res::Format(Text(res::IDS_CLI_MISSING_VALUE), name.c_str()));
                return std::nullopt;
            };
            auto flag = [&](bool& target) {
                if (inlineValue) {
                    Fail(res::Format(Text(res::IDS_CLI_UNKNOWN_OPTION), arg.c_str()));
                }
                target = true;
            };

            if (name == "-h" || name == "--help") {
                flag(o.help);
            } else if (name == "-V" || name == "--version") {
                flag(o.version);
            } else if (name == "-q" || name == "--quiet") {
                flag(o.quiet);
            } else if (name == "-f" || name == "--force") {
                flag(o.force);
            } else if (name == "--use-saved-settings") {
                flag(o.useSavedSettings);
            } else if (name == "-0" || name == "--null") {
                flag(o.nulSeparated);
            } else if (name == "--keep-tree") {
                flag(o.keepTree);
            } else if (name == "--skip-existing") {
                flag(o.skipExisting);
            } else if (name == "--files-from") {
                if (auto v = value()) {
                    if (v->empty()) {
                        BadValue(*v, name, Text(res::IDS_CLI_FILE_OR_DASH));
                    }
                    o.filesFrom = *v;
                }
            } else if (name == "--report") {
                if (auto v = value()) {
                    if (v->empty()) {
                        BadValue(*v, name, Text(res::IDS_CLI_FILE_OR_DASH));
                    }
                    o.report = *v;
                }
            } else if (name == "--shard") {
                if (auto v = value()) {
                    o.shard = ParseShard(*v);
                    if (!o.shard) {
                        BadValue(*v, name, "K/N, 1 <= K <= N");
                    }
                }
            } else if (name == "-o" || name == "--output-dir") {
                if (auto v = value()) {
                    if (v->empty()) {
                        BadValue(*v, name, "DIR");
                    }
                    o.outputDir = *v;
                }
            } else if (name == "-j" || name == "--jobs") {
                if (auto v = value()) {
                    long n = 0;
                    if (!ParseInt(*v, n) || n < 1 || n > static_cast<long>(kMaxJobs)) {
                        BadValue(*v, name, "1..256");
                    } else {
                        o.jobs = static_cast<unsigned>(n);
                    }
                }
            } else if (name == "--passes") {
                if (auto v = value()) {
                    long n = 0;
                    if (!ParseInt(*v, n) || n < 1 || n > kMaxPasses) {
                        BadValue(*v, name, "1..100");
                    } else {
                        o.passes = static_cast<int>(n);
                    }
                }
            } else if (name == "--gain-max-db") {
                if (auto v = value()) {
                    long n = 0;
                    if (!ParseInt(*v, n) || (n != 0 && n != 6 && n != 12 && n != 18)) {
                        BadValue(*v, name, "0, 6, 12, 18");
                    } else {
                        o.overrides.gainMaxDb = static_cast<uint32_t>(n);
                    }
                }
            } else if (name == "--buffer-size") {
                if (auto v = value()) {
                    long n = 0;
                    if (!ParseInt(*v, n) || n < 128 || n > 1024 || n % 128 != 0) {
                        BadValue(*v, name, "128, 256, ... 1024");
                    } else {
                        o.overrides.buffSize = static_cast<uint32_t>(n);
                    }
                }
            } else if (name == "--noise-suppression") {
                SwitchValue(value(), name, o.overrides.noiseCancel);
            } else if (name == "--white-noise") {
                SwitchValue(value(), name, o.overrides.whiteNoise);
            } else if (name == "--spectrum") {
                SwitchValue(value(), name, o.overrides.spectrum);
            } else if (name == "--tone") {
                SwitchValue(value(), name, o.overrides.tone);
            } else if (name == "--format") {
                if (auto v = value()) {
                    if (auto choice = ParseOutputChoice(*v)) {
                        o.format = *choice;
                    } else {
                        BadValue(*v, name, OutputChoiceNames());
                    }
                }
            } else if (name == "--estimator") {
                if (auto v = value()) {
                    // "described" and "tracking" are the names of an earlier
                    // version, still taken so that scripts keep working.
                    if (*v == "average" || *v == "described") {
                        o.overrides.speechMode = false;
                    } else if (*v == "speech" || *v == "tracking") {
                        o.overrides.speechMode = true;
                    } else {
                        BadValue(*v, name, "average, speech");
                    }
                }
            } else {
                Fail(res::Format(Text(res::IDS_CLI_UNKNOWN_OPTION), arg.c_str()));
            }
        }

        if (m_error.empty() && !o.help && !o.version) {
            CheckBatchOptions(o, operands);
        }
        if (m_error.empty() && !o.help && !o.version && o.filesFrom.empty()) {
            if (!o.outputDir.empty()) {
                o.inputs = operands;
                if (operands.empty()) {
                    Fail(Text(res::IDS_CLI_BAD_OPERANDS));
                }
            } else if (operands.size() == 2) {
                o.inputs = {operands[0]};
                o.output = operands[1];
            } else {
                Fail(Text(res::IDS_CLI_BAD_OPERANDS));
            }
        }
        result.error = m_error;
        return result;
    }

private:
    const char* Text(uint32_t id) const { return res::LoadPair(id, m_english); }

    // The list and the output tree need -o DIR; the list replaces INPUT
    // operands; skipping an existing output contradicts replacing it.
    void CheckBatchOptions(const CliOptions& o, const std::vector<std::string>& operands) {
        if (o.nulSeparated && o.filesFrom.empty()) {
            Fail(Text(res::IDS_CLI_NUL_NEEDS_LIST));
        } else if (!o.filesFrom.empty() && o.outputDir.empty()) {
            Fail(res::Format(Text(res::IDS_CLI_NEEDS_OUTPUT_DIR), "--files-from"));
        } else if (o.keepTree && o.outputDir.empty()) {
            Fail(res::Format(Text(res::IDS_CLI_NEEDS_OUTPUT_DIR), "--keep-tree"));
        } else if (!o.filesFrom.empty() && !operands.empty()) {
            Fail(Text(res::IDS_CLI_LIST_AND_OPERANDS));
        } else if (o.skipExisting && o.force) {
            Fail(res::Format(Text(res::IDS_CLI_CONFLICT), "--skip-existing", "--force"));
        }
    }

    void Fail(const std::string& message) {
        if (m_error.empty()) {
            m_error = message;
        }
    }

    void BadValue(const std::string& v, const std::string& name, const char* allowed) {
        Fail(res::Format(Text(res::IDS_CLI_BAD_VALUE), v.c_str(), name.c_str(), allowed));
    }

    void SwitchValue(const std::optional<std::string>& v, const std::string& name,
                     std::optional<bool>& target) {
        if (!v) {
            return;
        }
        if (auto on = ParseSwitch(*v)) {
            target = on;
        } else {
            BadValue(*v, name, "on, off");
        }
    }

    bool m_english;
    std::string m_error;
};

}  // namespace

ExitStatus Worst(ExitStatus a, ExitStatus b) {
    return static_cast<int>(a) >= static_cast<int>(b) ? a : b;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args, bool english) {
    return Parser(english).Run(args);
}

CleaningSettings ResolveSettings(const SettingOverrides& overrides, CleaningSettings base) {
    base.noiseCancel = overrides.noiseCancel.value_or(base.noiseCancel);
    base.gainMaxDb = overrides.gainMaxDb.value_or(base.gainMaxDb);
    base.whiteNoise = overrides.whiteNoise.value_or(base.whiteNoise);
    base.spectrum = overrides.spectrum.value_or(base.spectrum);
    base.tone = overrides.tone.value_or(base.tone);
    base.buffSize = overrides.buffSize.value_or(base.buffSize);
    base.speechMode = overrides.speechMode.value_or(base.speechMode);
    return base;
}
