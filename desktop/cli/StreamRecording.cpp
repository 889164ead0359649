#include "StreamRecording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "CleanerBase.h"
#include "pipeline/CleaningStream.h"
#include "pipeline/SoundFileReader.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr uint32_t kBlockFrames = CleaningStream::kMaxBlockFrames;
// Frames read, and cleaned frames gathered before a write, per system call:
// fewer, larger calls than one per engine block, still in constant memory.
constexpr uint64_t kIoFrames = 16 * kBlockFrames;

bool SameFileState(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The input's descriptor and reader, closed on every way out (the reader
// first: it reads through the descriptor).
class Input {
public:
    ~Input() {
        m_reader.reset();
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    int fd() const { return m_fd; }
    SoundFileReader& reader() { return *m_reader; }
    void Open(const std::string& path) {
        m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    }
    bool OpenSound() {
        m_reader = std::make_unique<SoundFileReader>();
        return m_reader->Open(m_fd);
    }

private:
    int m_fd = -1;
    std::unique_ptr<SoundFileReader> m_reader;
};

class StreamCleaner : public CleanerBase {
public:
    using CleanerBase::CleanerBase;

    CleanResult Run() {
        struct stat before {};
        if (auto failure = CheckFiles(before)) {
            return *failure;
        }
        const char* path = m_request.input.c_str();
        Input input;
        input.Open(m_request.input);
        struct stat opened {};
        if (input.fd() < 0) {
            return Fail(ExitStatus::IoError,
                        res::Format(Text(res::IDS_CLI_CANNOT_READ), path, std::strerror(errno)));
        }
        if (fstat(input.fd(), &opened) != 0) {
            return Fail(ExitStatus::IoError,
                        res::Format(Text(res::IDS_CLI_CANNOT_READ), path, std::strerror(errno)));
        }
        if (!SameFileState(before, opened)) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_INPUT_CHANGED), path));
        }
        const bool known = input.OpenSound();
        if (auto failure = CheckFormat(known ? &input.reader().Format() : nullptr)) {
            return *failure;
        }
        const SoundFormat& format = input.reader().Format();
        m_channels = static_cast<uint64_t>(format.channels);
        if (const OutputResult started = m_writer.Start(format); started != OutputResult::Ok) {
            return *OutputFailure(started, m_writer.Reason());
        }
        CleaningStream stream;
        if (!stream.Init(m_request.settings, static_cast<uint32_t>(format.sampleRate),
                         static_cast<uint32_t>(format.channels), m_request.passes)) {
            return Fail(ExitStatus::IoError,
                        res::Format(Text(res::IDS_CLI_CLEANING_FAILED), path, 1));
        }
        if (auto failure = Clean(input.reader(), stream)) {
            return *failure;
        }
        // A file rewritten while it was read would give a mixture of both.
        struct stat after {};
        if (fstat(input.fd(), &after) != 0 || !SameFileState(opened, after)) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_INPUT_CHANGED), path));
        }
        if (auto failure = OutputFailure(m_writer.Finish(), m_writer.Reason())) {
            return *failure;
        }
        Report(1.0);
        return {};
    }

private:
    Failure Clean(SoundFileReader& reader, CleaningStream& stream) {
        const auto channels = static_cast<uint64_t>(reader.Format().channels);
        const auto frames = static_cast<uint64_t>(reader.Format().frames);
        std::vector<int16_t> block(kIoFrames * channels);
        std::vector<int16_t> cleaned;
        cleaned.reserve(2 * kBlockFrames * channels);
        m_pending.reserve((kIoFrames + 2 * kBlockFrames) * channels);
        for (uint64_t done = 0; done < frames;) {
            if (Interrupted()) {
                return FailInterrupted();
            }
            const uint64_t want = std::min(kIoFrames, frames - done);
            // Fewer frames than the header promised: the file was cut short
            // while it was read.
            if (reader.Read(block.data(), want) != want) {
                return Fail(ExitStatus::IoError,
                            res::Format(Text(res::IDS_CLI_INPUT_CHANGED), m_request.input.c_str()));
            }
            for (uint64_t first = 0; first < want; first += kBlockFrames) {
                const auto count =
                    static_cast<uint32_t>(std::min<uint64_t>(kBlockFrames, want - first));
                if (auto failure = Pass(
                        stream.Push(block.data() + first * channels, count, cleaned), cleaned)) {
                    return failure;
                }
            }
            if (auto failure = WritePending(kIoFrames / 2)) {
                return failure;
            }
            done += want;
            Report(double(done) / double(frames));
        }
        if (auto failure = Pass(stream.Finish(cleaned), cleaned)) {
            return failure;
        }
        return WritePending(0);
    }

    // Gathers what came out of the engines for the next write, or reports
    // their failure.
    Failure Pass(int code, const std::vector<int16_t>& cleaned) {
        if (code != 0) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_CLEANING_FAILED),
                                                         m_request.input.c_str(), code));
        }
        m_pending.insert(m_pending.end(), cleaned.begin(), cleaned.end());
        return std::nullopt;
    }

    // Writes the gathered frames once there are at least `atLeast` of them.
    Failure WritePending(uint64_t atLeast) {
        const uint64_t frames = m_pending.size() / m_channels;
        if (frames == 0 || frames < atLeast) {
            return std::nullopt;
        }
        if (!m_writer.Write(m_pending.data(), frames)) {
            return WriteFailure(m_writer.Reason());
        }
        m_pending.clear();
        return std::nullopt;
    }

    uint64_t m_channels = 1;
    std::vector<int16_t> m_pending;  // cleaned frames not written yet
};

}  // namespace

CleanResult StreamRecording(const CleanRequest& request, const CleanHooks& hooks) {
    return StreamCleaner(request, hooks).Run();
}
