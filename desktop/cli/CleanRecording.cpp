#include "CleanRecording.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "OutputFile.h"
#include "PendingFiles.h"
#include "pipeline/CleaningJob.h"
#include "pipeline/JobDriver.h"
#include "pipeline/LoadingJob.h"
#include "pipeline/Segmentation.h"
#include "pipeline/SoundFile.h"
#include "pipeline/WavSample.h"
#include "pipeline/WaveformSummary.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr double kLoadingShare = 0.15;
constexpr double kWritingShare = 0.05;
constexpr uint32_t kWriteBlockFrames = 65536;
constexpr auto kInterruptPoll = std::chrono::milliseconds(50);

// Closes the recording and removes its working copy on every way out.
class RecordingGuard {
public:
    explicit RecordingGuard(CSoundFile& sound) : m_sound(sound) {}
    ~RecordingGuard() {
        m_sound.Close();
        m_sound.DeleteWorkingCopy();
        UntrackPendingFile(m_ticket);
    }
    void TrackWorkingCopy() {
        if (m_ticket < 0 && !m_sound.WorkingCopyPath().empty()) {
            m_ticket = TrackPendingFile(m_sound.WorkingCopyPath());
        }
    }

private:
    CSoundFile& m_sound;
    int m_ticket = -1;
};

class Cleaner {
public:
    Cleaner(const CleanRequest& request, const CleanHooks& hooks)
        : m_request(request), m_hooks(hooks), m_driver(m_sync), m_guard(m_sound) {}

    CleanResult Run() {
        if (auto failure = CheckFiles()) {
            return *failure;
        }
        if (auto failure = Load()) {
            return *failure;
        }
        m_guard.TrackWorkingCopy();
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
    using Failure = std::optional<CleanResult>;

    const char* Text(uint32_t id) const { return res::LoadPair(id, m_hooks.english); }
    bool Interrupted() const { return m_hooks.interrupted && m_hooks.interrupted->load(); }
    void Report(double fraction) const {
        if (m_hooks.onProgress) {
            m_hooks.onProgress(fraction);
        }
    }

    CleanResult Fail(ExitStatus status, std::string message) const {
        return {status, std::move(message)};
    }
    CleanResult FailInterrupted() const {
        return Fail(ExitStatus::Interrupted, Text(res::IDS_CLI_INTERRUPTED));
    }

    Failure CheckFiles() const {
        const char* input = m_request.input.c_str();
        const int fd = open(input, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return Fail(ExitStatus::IoError,
                        res::Format(Text(res::IDS_CLI_CANNOT_READ), input, std::strerror(errno)));
        }
        struct stat in {};
        fstat(fd, &in);
        close(fd);
        if (S_ISDIR(in.st_mode)) {
            return Fail(ExitStatus::IoError,
                        res::Format(Text(res::IDS_CLI_CANNOT_READ), input, std::strerror(EISDIR)));
        }
        const char* output = m_request.output.c_str();
        struct stat out {};
        if (stat(output, &out) == 0) {
            if (out.st_dev == in.st_dev && out.st_ino == in.st_ino) {
                return Fail(ExitStatus::Usage, res::Format(Text(res::IDS_CLI_SAME_FILE), output));
            }
            if (S_ISDIR(out.st_mode)) {
                return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_CANNOT_WRITE),
                                                             output, std::strerror(EISDIR)));
            }
            if (!m_request.replaceOutput) {
                return Fail(ExitStatus::Usage,
                            res::Format(Text(res::IDS_CLI_OUTPUT_EXISTS), output));
            }
        }
        return std::nullopt;
    }

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
        context.summary = &m_summary;
        context.strips = &m_strips;
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
        context.hasChannel1Strip = m_strips.channel1 != nullptr;
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

    CleanResult WriteFailure(const std::string& reason) const {
        return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_CANNOT_WRITE),
                                                     m_request.output.c_str(), reason.c_str()));
    }

    Failure Write() {
        OutputFile output(m_request.output);
        const int fd = output.Create();
        if (fd < 0) {
            return WriteFailure(std::strerror(errno));
        }
        SF_INFO info{};
        info.samplerate = static_cast<int>(m_sound.SampleRate());
        info.channels = static_cast<int>(m_sound.Channels());
        info.format = m_sound.Info()->format;  // the input's own container and encoding
        SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
        if (file == nullptr) {
            close(fd);
            return WriteFailure(sf_strerror(nullptr));
        }
        const uint32_t frames = m_sound.Frames();
        const uint32_t channels = m_sound.Channels();
        std::vector<int16_t> block;
        if (m_sound.IsMapped()) {
            block.resize(size_t{kWriteBlockFrames} * channels);
        }
        const double base = 1.0 - kWritingShare;
        std::string error;
        for (uint32_t first = 0; first < frames && error.empty(); first += kWriteBlockFrames) {
            if (Interrupted()) {
                sf_close(file);
                return FailInterrupted();
            }
            const uint32_t count = std::min(kWriteBlockFrames, frames - first);
            const int16_t* source = nullptr;
            if (m_sound.IsMapped()) {
                if (!m_sound.ReadFrames(block.data(), first, count)) {
                    error = std::strerror(EIO);
                    break;
                }
                source = block.data();
            } else {
                source = m_sound.GetSampleBuffer() + size_t{first} * channels;
            }
            if (sf_writef_short(file, source, count) != static_cast<sf_count_t>(count)) {
                error = sf_strerror(file);
            }
            Report(base + kWritingShare * double(first + count) / frames);
        }
        if (error.empty()) {
            sf_write_sync(file);
        }
        if (sf_close(file) != 0 && error.empty()) {
            error = std::strerror(EIO);
        }
        if (!error.empty()) {
            return WriteFailure(error);
        }
        if (const int code = output.Commit(m_request.replaceOutput); code != 0) {
            if (code == EEXIST) {
                return Fail(ExitStatus::Usage, res::Format(Text(res::IDS_CLI_OUTPUT_EXISTS),
                                                           m_request.output.c_str()));
            }
            return WriteFailure(std::strerror(code));
        }
        return std::nullopt;
    }

    const CleanRequest& m_request;
    const CleanHooks& m_hooks;
    JobSync m_sync;
    JobDriver m_driver;
    CSoundFile m_sound;
    RecordingGuard m_guard;
    std::unique_ptr<CSegmentation> m_segmentation;
    WaveformSummary m_summary;
    WaveformStrips m_strips;
    CleaningBuffers m_buffers;
};

}  // namespace

CleanResult CleanRecording(const CleanRequest& request, const CleanHooks& hooks) {
    return Cleaner(request, hooks).Run();
}
