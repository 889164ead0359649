// hushdesk-clean: removes background noise from speech recordings in batch,
// with exactly the cleaning of the desktop program.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Batch.h"
#include "CliOptions.h"
#include "FileList.h"
#include "ProgressBoard.h"
#include "pipeline/PendingFiles.h"
#include "pipeline/SettingsStore.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr const char* kVersion = "1.0.29.55";

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_signal{0};

// The first signal lets every file stop at its next check point and clean up;
// a second one removes the temporary files at once and exits.
void OnInterrupt(int signal) {
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
    if (g_interrupted.exchange(true)) {
        RemovePendingFiles();
        _exit(128 + signal);
    }
}

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    // Over a file-size limit a write then fails with EFBIG and is reported
    // like a full disk, with no partial file, instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    bool english = true;
    LoadLanguage(&english);

    const ParsedCommandLine parsed =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), english);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "hushdesk-clean: %s\n%s", Printable(parsed.error).c_str(),
                     res::LoadPair(res::IDS_CLI_USAGE, english));
        return static_cast<int>(ExitStatus::Usage);
    }
    const CliOptions& options = parsed.options;
    if (options.help) {
        std::fputs(res::LoadPair(res::IDS_CLI_HELP, english), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("hushdesk-clean %s\n", kVersion);
        return 0;
    }

    CleaningSettings base;
    if (options.useSavedSettings) {
        LoadSettings(&base);
    }
    const CleaningSettings settings = ResolveSettings(options.overrides, base);

    ProgressBoard board(stderr, !options.quiet && isatty(fileno(stderr)));
    FileListResult list;
    if (!options.filesFrom.empty()) {
        list = ReadFileList(options.filesFrom, options.nulSeparated, english);
        if (list.status != ExitStatus::Ok) {
            board.Print("hushdesk-clean: " + list.error);
            return static_cast<int>(list.status);
        }
    }
    const BatchPlan plan =
        PlanBatch(options, settings, english, options.filesFrom.empty() ? nullptr : &list.entries);
    for (const auto& error : plan.errors) {
        board.Print("hushdesk-clean: " + error);
    }
    if (plan.status != ExitStatus::Ok) {
        return static_cast<int>(plan.status);
    }
    BatchReport report;
    BatchExtras extras;
    extras.skipExisting = options.skipExisting;
    extras.makeFolders = options.keepTree;
    extras.badEntries = &plan.badEntries;
    if (!options.report.empty()) {
        std::string reason;
        if (!report.Open(options.report, &reason)) {
            board.Print("hushdesk-clean: " +
                        res::Format(res::LoadPair(res::IDS_CLI_CANNOT_WRITE, english),
                                    options.report.c_str(), reason.c_str()));
            return static_cast<int>(ExitStatus::IoError);
        }
        extras.report = &report;
        extras.reportPath = options.report;
    }

    InstallInterruptHandlers();
    const unsigned jobs =
        options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    size_t finished = 0;
    const ExitStatus status = RunBatch(plan.requests, jobs, english, options.quiet, board,
                                       g_interrupted, &finished, extras);
    if (status == ExitStatus::Interrupted) {
        // Outputs finished before the signal are complete and stay.
        const std::string text =
            finished == 0 ? res::LoadPair(res::IDS_CLI_INTERRUPTED, english)
                          : res::Format(res::LoadPair(res::IDS_CLI_INTERRUPTED_KEPT, english),
                                        static_cast<int>(finished));
        board.Print("hushdesk-clean: " + text);
        // The usual status for death by that signal: 130 for SIGINT, 143 for
        // SIGTERM, 129 for SIGHUP.
        const int signal = g_signal.load();
        return signal > 0 ? 128 + signal : static_cast<int>(status);
    }
    return static_cast<int>(status);
}
