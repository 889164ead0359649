#include "BatchReport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "pipeline/SoundFileReader.h"

namespace {

const char* StatusName(ReportStatus status) {
    switch (status) {
        case ReportStatus::Cleaned:
            return "cleaned";
        case ReportStatus::Skipped:
            return "skipped";
        case ReportStatus::Refused:
            return "refused";
        case ReportStatus::Failed:
            return "failed";
    }
    return "failed";
}

// Length of the well-formed UTF-8 sequence at text[i], 0 when there is none.
size_t Utf8Length(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

int WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            return EIO;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

std::optional<RecordingFacts> ReadRecordingFacts(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<RecordingFacts> facts;
    {
        SoundFileReader reader;
        if (reader.Open(fd)) {
            const SoundFormat& format = reader.Format();
            facts = RecordingFacts{format.frames, format.sampleRate, format.channels};
        }
    }
    close(fd);
    return facts;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const size_t length = Utf8Length(text, i); length > 0) {
            out.append(text.substr(i, length));
            i += length;
            continue;
        } else {
            out += "\\ufffd";
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string ReportLine(const ReportEntry& entry) {
    std::string line = "{\"input\":" + JsonString(entry.input);
    line +=
        ",\"output\":" + (entry.output.empty() ? std::string("null") : JsonString(entry.output));
    line += ",\"status\":\"" + std::string(StatusName(entry.status)) + "\"";
    line +=
        ",\"reason\":" + (entry.reason.empty() ? std::string("null") : JsonString(entry.reason));
    if (entry.facts) {
        line += ",\"frames\":" + std::to_string(entry.facts->frames);
        line += ",\"sample_rate\":" + std::to_string(entry.facts->sampleRate);
        line += ",\"channels\":" + std::to_string(entry.facts->channels);
    } else {
        line += ",\"frames\":null,\"sample_rate\":null,\"channels\":null";
    }
    char seconds[32];
    std::snprintf(seconds, sizeof(seconds), "%.3f", entry.seconds);
    line += ",\"seconds\":";
    line += seconds;
    line += "}\n";
    return line;
}

BatchReport::~BatchReport() {
    if (m_ownsFd) {
        close(m_fd);
    }
}

bool BatchReport::Open(const std::string& path, std::string* error) {
    if (path == "-") {
        m_fd = STDOUT_FILENO;
        return true;
    }
    m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    m_ownsFd = true;
    return true;
}

int BatchReport::Add(const ReportEntry& entry) {
    const std::string line = ReportLine(entry);
    std::lock_guard lock(m_mutex);
    return WriteAll(m_fd, line);
}
