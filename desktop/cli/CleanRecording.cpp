#include "CleanRecording.h"

#include "CleanerBase.h"
#include "StreamRecording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "pipeline/CleaningJob.h"
#include "pipeline/JobDriver.h"
#include "pipeline/LoadingJob.h"
#include "pipeline/PendingFiles.h"
#include "pipeline/Segmentation.h"
#include "pipeline/SoundFile.h"
#include "pipeline/SoundFileWriter.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr double kLoadingShare = 0.15;
constexpr double kWritingShare = 0.05;
constexpr auto kInterruptPoll = std::chrono::milliseconds(50);

// Closes the recording and removes its working copy on every way out.
class RecordingGuard {
public:
    explicit RecordingGuard(CSoundFile& sound) : m_sound(sound) {}
    ~RecordingGuard() {
        m_sound.Close();
        m_sound.DeleteWorkingCopy();
    }

private:
    CSoundFile& m_sound;
};

// The desktop program's way: the loading job reads the whole recording,
// every pass runs the cleaning job over it, then it is written out.
class JobCleaner : public CleanerBase {
public:
    JobCleaner(const CleanRequest& request, const CleanHooks& hooks)
        : CleanerBase(request, hooks), m_driver(m_sync), m_guard(m_sound) {}

    CleanResult Run() {
        if (auto failure = CheckFiles()) {
            return *failure;
        }
        if (auto failure = CheckInputFormat()) {
            return *failure;
        }
        if (auto failure = Load()) {
            return *failure;
        }
        for (int pass = 0; pass < m_request.passes; ++pass) {
            if (auto failure = CleanPass(pass)) {
                return *failure;
            }
        }
        if (auto failure = Write()) {
            return *failure;
        }
        Report(1.0);
        return {};
    }

private:
    // Runs one job under the driver; a watcher passes an interruption on as
    // the Cancel button would.
    JobOutcome RunJob(JobKind kind, const JobDriver::JobFunction& job, double base, double share) {
        JobDriverOptions options;
        options.onProgress = [&](const JobProgress& step) {
            if (step.barUpper > 0) {
                Report(base + share * std::min(1.0, double(step.barPosition) / step.barUpper));
            }
        };
        std::jthread watcher([this](std::stop_token stop) {
            while (!stop.stop_requested()) {
                if (Interrupted()) {
                    m_driver.RequestCancel();
                    return;
                }
                std::this_thread::sleep_for(kInterruptPoll);
            }
        });
        return m_driver.Run(kind, job, options);
    }

    Failure Load() {
        LoadingContext context;
        context.sync = &m_sync;
        context.soundFile = &m_sound;
        context.path = m_request.input;
        context.segmentation = &m_segmentation;
        const JobOutcome outcome = RunJob(
            JobKind::Loading,
            [&context](platform::MessageTarget& dialog) {
                context.dialog = &dialog;
                return LoadingJob(context);
            },
            0.0, kLoadingShare);
        if (Interrupted() || outcome.end == JobEnd::Cancelled) {
            return FailInterrupted();
        }
        const char* input = m_request.input.c_str();
        if (outcome.end == JobEnd::Error) {
            const int kind = static_cast<int>(outcome.errorKind);
            const std::string text = res::LoadingErrorText(kind, m_hooks.english);
            if (kind == static_cast<int>(SoundFileResult::WrongFormat)) {
                return Fail(ExitStatus::Refused, m_request.input + ": " + text);
            }
            if (kind == static_cast<int>(SoundFileResult::OpenError)) {
                return Fail(ExitStatus::IoError, text + m_request.input + ")");
            }
            return Fail(ExitStatus::IoError, m_request.input + ": " + text);
        }
        if (outcome.end != JobEnd::Finished) {
            return Fail(ExitStatus::IoError,
                        res::Format(Text(res::IDS_CLI_CLEANING_FAILED), input, outcome.exitCode));
        }
        return std::nullopt;
    }

    Failure CleanPass(int pass) {
        CleaningContext context;
        context.sync = &m_sync;
        context.soundFile = &m_sound;
        context.settings = &m_request.settings;
        context.buffers = &m_buffers;
        // No strips here: the desktop has a channel-1 strip exactly for stereo.
        context.hasChannel1Strip = m_sound.Channels() == 2;
        const double share = (1.0 - kLoadingShare - kWritingShare) / m_request.passes;
        const JobOutcome outcome = RunJob(
            JobKind::Cleaning,
            [&context](platform::MessageTarget& dialog) {
                context.dialog = &dialog;
                return CleaningJob(context);
            },
            kLoadingShare + share * pass, share);
        if (Interrupted() || outcome.end == JobEnd::Cancelled) {
            return FailInterrupted();
        }
        if (outcome.end != JobEnd::Finished) {
            return Fail(ExitStatus::IoError,
                        res::Format(Text(res::IDS_CLI_CLEANING_FAILED), m_request.input.c_str(),
                                    outcome.exitCode));
        }
        return std::nullopt;
    }

    Failure Write() {
        SaveOptions options;
        const double base = 1.0 - kWritingShare;
        options.onProgress = [&](double fraction) { Report(base + kWritingShare * fraction); };
        options.cancelled = [this] { return Interrupted(); };
        const SaveResult saved = WriteSoundFile(m_sound, m_writer, options);
        return OutputFailure(saved.result, saved.reason);
    }

    JobSync m_sync;
    JobDriver m_driver;
    CSoundFile m_sound;
    RecordingGuard m_guard;
    std::unique_ptr<CSegmentation> m_segmentation;
    CleaningBuffers m_buffers;
};

}  // namespace

CleanResult CleanRecording(const CleanRequest& request, const CleanHooks& hooks) {
    if (request.viaJobs) {
        return JobCleaner(request, hooks).Run();
    }
    return StreamRecording(request, hooks);
}
