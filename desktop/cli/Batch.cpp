#include "Batch.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "resources/StringTable.h"
#include "resources/resource.h"

namespace fs = std::filesystem;

BatchPlan PlanBatch(const CliOptions& options, const CleaningSettings& settings, bool english) {
    BatchPlan plan;
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
        request(options.inputs.front(), options.output);
        return plan;
    }

    const std::string& dir = options.outputDir;
    std::set<std::string> outputs;
    for (const auto& input : options.inputs) {
        fs::path name = fs::path(input).filename();
        // A chosen format gets its own extension, so the file opens as what it is.
        if (options.format != OutputChoice::Same) {
            name.replace_extension(OutputExtension(options.format));
        }
        const std::string output = (fs::path(dir) / name).string();
        if (!outputs.insert(output).second) {
            plan.status = ExitStatus::Usage;
            plan.errors.push_back(
                res::Format(res::LoadPair(res::IDS_CLI_DUPLICATE_OUTPUT, english), output.c_str()));
            continue;
        }
        request(input, output);
    }
    if (plan.status != ExitStatus::Ok) {
        plan.requests.clear();
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
                    size_t* finished) {
    std::mutex mutex;
    size_t next = 0;
    size_t written = 0;
    ExitStatus worst = ExitStatus::Ok;

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
            std::lock_guard lock(mutex);
            worst = Worst(worst, result.status);
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
