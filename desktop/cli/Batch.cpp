#include "Batch.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "BatchLedger.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace fs = std::filesystem;

BatchPlan PlanBatch(const CliOptions& options, const CleaningSettings& settings, bool english,
                    const std::vector<std::string>* listed) {
    BatchPlan plan;
    const Shard shard = options.shard.value_or(Shard{});
    auto request = [&](const std::string& input, const std::string& output) {
        CleanRequest r;
        r.input = input;
        r.output = output;
        r.settings = settings;
        r.passes = options.passes;
        r.replaceOutput = options.force;
        r.format = options.format;
        plan.requests.push_back(std::move(r));
    };
    if (options.outputDir.empty()) {
        if (shard.Holds(0)) {
            request(options.inputs.front(), options.output);
        }
        return plan;
    }

    const std::string& dir = options.outputDir;
    const std::vector<std::string>& inputs = listed != nullptr ? *listed : options.inputs;
    std::set<std::string> outputs;
    for (size_t position = 0; position < inputs.size(); ++position) {
        const std::string& input = inputs[position];
        if (listed != nullptr) {
            if (auto bad = CheckListEntry(input, position, english)) {
                if (shard.Holds(position)) {
                    plan.badEntries.push_back(std::move(*bad));
                }
                continue;
            }
        }
        fs::path path = OutputPathUnder(dir, input, options.keepTree);
        // A chosen format gets its own extension, so the file opens as what it is.
        if (options.format != OutputChoice::Same) {
            path.replace_extension(OutputExtension(options.format));
        }
        const std::string output = path.string();
        if (!outputs.insert(output).second) {
            plan.status = ExitStatus::Usage;
            plan.errors.push_back(
                res::Format(res::LoadPair(res::IDS_CLI_DUPLICATE_OUTPUT, english), output.c_str()));
            continue;
        }
        if (shard.Holds(position)) {
            request(input, output);
        }
    }
    if (plan.status != ExitStatus::Ok) {
        if (listed != nullptr && !options.keepTree) {
            plan.errors.push_back(res::LoadPair(res::IDS_CLI_KEEP_TREE_HINT, english));
        }
        plan.requests.clear();
        plan.badEntries.clear();
        return plan;
    }
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0) {
        if (mkdir(dir.c_str(), 0777) != 0) {
            plan.status = ExitStatus::IoError;
            plan.errors.push_back(res::Format(res::LoadPair(res::IDS_CLI_CANNOT_WRITE, english),
                                              dir.c_str(), std::strerror(errno)));
            plan.requests.clear();
            return plan;
        }
    } else if (!S_ISDIR(st.st_mode)) {
        plan.status = ExitStatus::Usage;
        plan.errors.push_back(
            res::Format(res::LoadPair(res::IDS_CLI_NOT_A_FOLDER, english), dir.c_str()));
        plan.requests.clear();
        return plan;
    }
    return plan;
}

ExitStatus RunBatch(const std::vector<CleanRequest>& requests, unsigned jobs, bool english,
                    bool quiet, ProgressBoard& board, const std::atomic<bool>& interrupted,
                    size_t* finished, const BatchExtras& extras) {
    std::mutex mutex;
    size_t next = 0;
    size_t written = 0;
    ExitStatus worst = ExitStatus::Ok;
    BatchLedger ledger(extras, english, quiet, board);
    if (extras.badEntries != nullptr) {
        for (const BadEntry& bad : *extras.badEntries) {
            worst = Worst(worst, ledger.Bad(bad));
        }
    }

    auto worker = [&](int slot) {
        for (;;) {
            size_t index = 0;
            {
                std::lock_guard lock(mutex);
                if (next == requests.size() || interrupted.load()) {
                    return;
                }
                index = next++;
            }
            const CleanRequest& request = requests[index];
            const auto started = std::chrono::steady_clock::now();
            if (auto early = ledger.BeforeCleaning(request)) {
                std::lock_guard lock(mutex);
                worst = Worst(worst, *early);
                continue;
            }
            CleanHooks hooks;
            hooks.english = english;
            hooks.interrupted = &interrupted;
            hooks.onProgress = [&](double fraction) {
                board.Update(slot, request.input, fraction);
            };
            const CleanResult result = CleanRecording(request, hooks);
            board.Remove(slot);
            if (result.status == ExitStatus::Ok) {
                if (!quiet) {
                    board.Print(res::Format(res::LoadPair(res::IDS_CLI_CLEANED, english),
                                            request.input.c_str(), request.output.c_str()));
                }
            } else if (result.status != ExitStatus::Interrupted) {
                board.Print("hushdesk-clean: " + result.message);
            }
            const ExitStatus reported = ledger.Finished(request, result, started);
            std::lock_guard lock(mutex);
            worst = Worst(worst, Worst(result.status, reported));
            written += result.status == ExitStatus::Ok ? 1 : 0;
        }
    };

    const unsigned threads = std::max(1u, std::min<unsigned>(jobs, requests.size()));
    std::vector<std::jthread> pool;
    for (unsigned i = 1; i < threads; ++i) {
        pool.emplace_back(worker, static_cast<int>(i));
    }
    worker(0);
    pool.clear();
    if (finished != nullptr) {
        *finished = written;
    }
    return interrupted.load() ? ExitStatus::Interrupted : worst;
}
