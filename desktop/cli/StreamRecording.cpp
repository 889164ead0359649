#include "StreamRecording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "CleanerBase.h"
#include "pipeline/BandSplitStream.h"
#include "pipeline/CleaningStream.h"
#include "pipeline/OutputFormat.h"
#include "pipeline/SoundFileReader.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr uint32_t kBlockFrames = CleaningStream::kMaxBlockFrames;
// Frames read, and cleaned frames gathered before a write, per system call:
// fewer, larger calls than one per engine block, still in constant memory.
constexpr uint64_t kIoFrames = 16 * kBlockFrames;
constexpr int kLowestRateHz = 8000;
constexpr int kHighestRateHz = 192000;
constexpr float kFullScale = 32768.0F;

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
        m_input.Open(m_request.input);
        if (m_input.fd() < 0) {
            return Fail(ExitStatus::IoError,
                        res::Format(Text(res::IDS_CLI_CANNOT_READ), path, std::strerror(errno)));
        }
        if (fstat(m_input.fd(), &m_opened) != 0) {
            return Fail(ExitStatus::IoError,
                        res::Format(Text(res::IDS_CLI_CANNOT_READ), path, std::strerror(errno)));
        }
        if (!SameFileState(before, m_opened)) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_INPUT_CHANGED), path));
        }
        if (!m_input.OpenSound()) {
            return Fail(ExitStatus::Refused, res::Format(Text(res::IDS_CLI_UNREADABLE), path,
                                                         m_input.reader().Reason().c_str()));
        }
        const SoundFormat& format = m_input.reader().Format();
        const SoundFormat output = OutputFormatFor(format, m_request.format);
        if (auto failure = CheckStreamFormat(format, output)) {
            return *failure;
        }
        m_channels = static_cast<uint64_t>(format.channels);
        m_shortOutput = HoldsAtMost16Bits(output);
        if (const OutputResult started = m_writer.Start(output, SourceBitsPerSecond(format));
            started != OutputResult::Ok) {
            return *OutputFailure(started, m_writer.Reason());
        }
        const bool engineRate = format.sampleRate == 8000 || format.sampleRate == 16000;
        if (auto failure = engineRate ? CleanAtEngineRate() : CleanBandSplit()) {
            return *failure;
        }
        // A file rewritten while it was read would give a mixture of both.
        if (InputChanged()) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_INPUT_CHANGED), path));
        }
        if (auto failure = OutputFailure(m_writer.Finish(), m_writer.Reason())) {
            return *failure;
        }
        Report(1.0);
        return {};
    }

private:
    Failure CheckStreamFormat(const SoundFormat& format, const SoundFormat& output) const {
        const char* path = m_request.input.c_str();
        // What the desktop program opens keeps the checks and texts it always had.
        SoundFormat shape = format;
        shape.frames = 0;
        if (IsDesktopFormat(shape)) {
            if (auto failure = CheckFormat(&format)) {
                return failure;
            }
        }
        if (format.sampleRate < kLowestRateHz || format.sampleRate > kHighestRateHz) {
            return Fail(ExitStatus::Refused,
                        res::Format(Text(res::IDS_CLI_RATE), path, format.sampleRate));
        }
        if (format.channels < 1 || format.frames < 0) {
            return Fail(ExitStatus::Refused, res::Format(Text(res::IDS_CLI_DAMAGED), path));
        }
        if (!CanWrite(output)) {
            return Fail(ExitStatus::Refused, res::Format(Text(res::IDS_CLI_CANNOT_ENCODE), path,
                                                         output.sampleRate, output.channels));
        }
        if (!FitsItsContainer(output)) {
            return Fail(ExitStatus::Refused, res::Format(Text(res::IDS_CLI_TOO_LONG), path));
        }
        return std::nullopt;
    }

    // The source's average bitrate, which a lossy output aims at.
    double SourceBitsPerSecond(const SoundFormat& format) const {
        if (format.frames <= 0 || format.sampleRate <= 0) {
            return 0.0;
        }
        const double seconds = double(format.frames) / format.sampleRate;
        return double(m_opened.st_size) * 8.0 / seconds;
    }

    bool InputChanged() const {
        struct stat now {};
        return fstat(m_input.fd(), &now) != 0 || !SameFileState(m_opened, now);
    }

    // Fewer frames than the header promised: the file was cut short while it
    // was read, or it is damaged.
    CleanResult ShortRead() {
        const char* path = m_request.input.c_str();
        if (InputChanged()) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_INPUT_CHANGED), path));
        }
        std::string text = res::Format(Text(res::IDS_CLI_DAMAGED), path);
        if (const std::string reason = m_input.reader().Reason(); !reason.empty()) {
            text += " (" + reason + ")";
        }
        return Fail(ExitStatus::Refused, std::move(text));
    }

    // 8 and 16 kHz: the engines take the samples as they are.
    Failure CleanAtEngineRate() {
        SoundFileReader& reader = m_input.reader();
        const SoundFormat& format = reader.Format();
        CleaningStream stream;
        if (!stream.Init(m_request.settings, static_cast<uint32_t>(format.sampleRate),
                         static_cast<uint32_t>(format.channels), m_request.passes)) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_CLEANING_FAILED),
                                                         m_request.input.c_str(), 1));
        }
        return Clean<int16_t>(stream);
    }

    // Other rates: the band split.
    Failure CleanBandSplit() {
        const SoundFormat& format = m_input.reader().Format();
        BandSplitStream stream;
        if (!stream.Init(m_request.settings, static_cast<uint32_t>(format.sampleRate),
                         static_cast<uint32_t>(format.channels), m_request.passes)) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_CLEANING_FAILED),
                                                         m_request.input.c_str(), 1));
        }
        return Clean<float>(stream);
    }

    template <typename Sample, typename Stream>
    Failure Clean(Stream& stream) {
        SoundFileReader& reader = m_input.reader();
        const auto channels = static_cast<uint64_t>(reader.Format().channels);
        const auto frames = static_cast<uint64_t>(reader.Format().frames);
        std::vector<Sample> block(kIoFrames * channels);
        std::vector<Sample> cleaned;
        std::vector<Sample>& pending = Pending<Sample>();
        cleaned.reserve(2 * kBlockFrames * channels);
        pending.reserve((kIoFrames + 2 * kBlockFrames) * channels);
        for (uint64_t done = 0; done < frames;) {
            if (Interrupted()) {
                return FailInterrupted();
            }
            const uint64_t want = std::min(kIoFrames, frames - done);
            if (reader.Read(block.data(), want) != want) {
                return ShortRead();
            }
            for (uint64_t first = 0; first < want; first += kBlockFrames) {
                const auto count =
                    static_cast<uint32_t>(std::min<uint64_t>(kBlockFrames, want - first));
                if (auto failure = Pass(
                        stream.Push(block.data() + first * channels, count, cleaned), cleaned)) {
                    return failure;
                }
            }
            if (auto failure = WritePending<Sample>(kIoFrames / 2)) {
                return failure;
            }
            done += want;
            Report(double(done) / double(frames));
        }
        if (auto failure = Pass(stream.Finish(cleaned), cleaned)) {
            return failure;
        }
        return WritePending<Sample>(0);
    }

    template <typename Sample>
    std::vector<Sample>& Pending() {
        if constexpr (std::is_same_v<Sample, float>) {
            return m_pendingFloat;
        } else {
            return m_pending;
        }
    }

    // Gathers what came out of the engines for the next write, or reports
    // their failure.
    template <typename Sample>
    Failure Pass(int code, const std::vector<Sample>& cleaned) {
        if (code != 0) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_CLEANING_FAILED),
                                                         m_request.input.c_str(), code));
        }
        std::vector<Sample>& pending = Pending<Sample>();
        pending.insert(pending.end(), cleaned.begin(), cleaned.end());
        return std::nullopt;
    }

    // Writes the gathered frames once there are at least `atLeast` of them.
    template <typename Sample>
    Failure WritePending(uint64_t atLeast) {
        std::vector<Sample>& pending = Pending<Sample>();
        const uint64_t frames = pending.size() / m_channels;
        if (frames == 0 || frames < atLeast) {
            return std::nullopt;
        }
        bool written = false;
        if constexpr (std::is_same_v<Sample, float>) {
            // Encodings of 16 bits or fewer get 16-bit samples rounded here:
            // libsndfile would scale floats by 32767 and so lose a step.
            if (m_shortOutput) {
                m_pending.resize(pending.size());
                for (size_t i = 0; i < pending.size(); ++i) {
                    const float v = std::round(pending[i] * kFullScale);
                    m_pending[i] = static_cast<int16_t>(std::clamp(v, -kFullScale, kFullScale - 1));
                }
                written = m_writer.Write(m_pending.data(), frames);
                m_pending.clear();
            } else {
                written = m_writer.Write(pending.data(), frames);
            }
        } else {
            written = m_writer.Write(pending.data(), frames);
        }
        if (!written) {
            return WriteFailure(m_writer.Reason());
        }
        pending.clear();
        return std::nullopt;
    }

    Input m_input;
    struct stat m_opened {};
    uint64_t m_channels = 1;
    bool m_shortOutput = true;
    std::vector<int16_t> m_pending;     // cleaned frames not written yet
    std::vector<float> m_pendingFloat;  // the same on the band split
};

}  // namespace

CleanResult StreamRecording(const CleanRequest& request, const CleanHooks& hooks) {
    return StreamCleaner(request, hooks).Run();
}
