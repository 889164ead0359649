#include "CleanerBase.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "pipeline/SoundFile.h"
#include "pipeline/SoundFileReader.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

const char* CleanerBase::Text(uint32_t id) const {
    return res::LoadPair(id, m_hooks.english);
}

CleanResult CleanerBase::FailInterrupted() const {
    return Fail(ExitStatus::Interrupted, Text(res::IDS_CLI_INTERRUPTED));
}

CleanerBase::Failure CleanerBase::CheckFiles() {
    struct stat in {};
    return CheckFiles(in);
}

CleanerBase::Failure CleanerBase::CheckFiles(struct stat& in) {
    const char* input = m_request.input.c_str();
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = open(input, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return Fail(ExitStatus::IoError,
                    res::Format(Text(res::IDS_CLI_CANNOT_READ), input, std::strerror(errno)));
    }
    const int statError = fstat(fd, &in) == 0 ? 0 : errno;
    close(fd);
    if (statError != 0) {
        return Fail(ExitStatus::IoError,
                    res::Format(Text(res::IDS_CLI_CANNOT_READ), input, std::strerror(statError)));
    }
    if (S_ISDIR(in.st_mode)) {
        return Fail(ExitStatus::IoError,
                    res::Format(Text(res::IDS_CLI_CANNOT_READ), input, std::strerror(EISDIR)));
    }
    if (!S_ISREG(in.st_mode)) {
        return Fail(ExitStatus::Refused, res::Format(Text(res::IDS_CLI_INPUT_NOT_REGULAR), input));
    }
    const char* output = m_request.output.c_str();
    struct stat out {};
    if (stat(output, &out) == 0) {
        if (out.st_dev == in.st_dev && out.st_ino == in.st_ino) {
            return Fail(ExitStatus::Usage, res::Format(Text(res::IDS_CLI_SAME_FILE), output));
        }
        if (S_ISDIR(out.st_mode)) {
            return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_CANNOT_WRITE), output,
                                                         std::strerror(EISDIR)));
        }
    }
    // The temporary output is made now: a missing or read-only folder is
    // reported before any cleaning.
    return OutputFailure(m_writer.Prepare(m_request.replaceOutput), m_writer.Reason());
}

CleanerBase::Failure CleanerBase::OutputFailure(OutputResult result,
                                                const std::string& reason) const {
    const char* output = m_request.output.c_str();
    switch (result) {
        case OutputResult::Ok:
            return std::nullopt;
        case OutputResult::Exists:
            return Fail(ExitStatus::Usage, res::Format(Text(res::IDS_CLI_OUTPUT_EXISTS), output));
        case OutputResult::NotRegularFile:
            return Fail(ExitStatus::Usage,
                        res::Format(Text(res::IDS_CLI_OUTPUT_NOT_REGULAR), output));
        case OutputResult::Cancelled:
            return FailInterrupted();
        case OutputResult::Failed:
            break;
    }
    return WriteFailure(reason);
}

CleanResult CleanerBase::WriteFailure(const std::string& reason) const {
    return Fail(ExitStatus::IoError, res::Format(Text(res::IDS_CLI_CANNOT_WRITE),
                                                 m_request.output.c_str(), reason.c_str()));
}

CleanerBase::Failure CleanerBase::CheckFormat(const SoundFormat* format) const {
    // A recording of an accepted kind that is only too long is told so,
    // before any time is spent on it.
    if (format != nullptr) {
        SoundFormat shape = *format;
        shape.frames = 0;
        if (IsDesktopFormat(shape) && !DecodedCopyFitsWav(*format)) {
            return Fail(ExitStatus::Refused,
                        res::Format(Text(res::IDS_CLI_TOO_LONG), m_request.input.c_str()));
        }
    }
    if (format == nullptr || !IsDesktopFormat(*format)) {
        return Fail(ExitStatus::Refused,
                    m_request.input + ": " +
                        res::LoadingErrorText(static_cast<int>(SoundFileResult::WrongFormat),
                                              m_hooks.english));
    }
    return std::nullopt;
}

CleanerBase::Failure CleanerBase::CheckInputFormat() const {
    const int fd = open(m_request.input.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    Failure failure;
    {
        SoundFileReader reader;
        failure = CheckFormat(fd >= 0 && reader.Open(fd) ? &reader.Format() : nullptr);
    }
    if (fd >= 0) {
        close(fd);
    }
    return failure;
}
