// What both ways of cleaning a recording share: the checks made before any
// work, the messages, progress and interruption.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>

#include "CleanRecording.h"
#include "pipeline/SoundFileWriter.h"
#include "pipeline/SoundFormat.h"

class CleanerBase {
public:
    CleanerBase(const CleanRequest& request, const CleanHooks& hooks)
        : m_request(request), m_hooks(hooks), m_writer(request.output) {}

protected:
    using Failure = std::optional<CleanResult>;

    const char* Text(uint32_t id) const;
    bool Interrupted() const { return m_hooks.interrupted && m_hooks.interrupted->load(); }
    void Report(double fraction) const {
        if (m_hooks.onProgress) {
            m_hooks.onProgress(fraction);
        }
    }
    CleanResult Fail(ExitStatus status, std::string message) const {
        return {status, std::move(message)};
    }
    CleanResult FailInterrupted() const;
    CleanResult WriteFailure(const std::string& reason) const;

    // The input is a regular file other than the output; the output's
    // temporary file is made now, so that a missing or read-only folder is
    // reported before any cleaning.
    Failure CheckFiles();
    Failure CheckFiles(struct stat& in);
    Failure OutputFailure(OutputResult result, const std::string& reason) const;
    // The input's format as libsndfile reports it (null: not a sound file it
    // knows). Refused as well: a recording whose cleaned 16-bit copy would
    // not fit in a WAV file, before any time is spent on it.
    Failure CheckFormat(const SoundFormat* format) const;
    // CheckFormat on the file at the input path.
    Failure CheckInputFormat() const;

    const CleanRequest& m_request;
    const CleanHooks& m_hooks;
    SoundFileWriter m_writer;
};
