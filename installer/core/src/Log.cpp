#include "installer/Log.h"

#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace installer {
namespace {

std::mutex sinkMutex;
LogSink currentSink;

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return;  // nowhere to report a failing log
        }
        done += static_cast<size_t>(wrote);
    }
}

}  // namespace

void Log(std::string_view text) {
    std::string line(text);
    if (line.empty() || line.back() != '\n') {
        line += '\n';
    }
    std::lock_guard lock(sinkMutex);
    if (currentSink) {
        currentSink(line);
    } else {
        WriteAll(STDERR_FILENO, line);
    }
}

LogSink SetLogSinkForTesting(LogSink sink) {
    std::lock_guard lock(sinkMutex);
    LogSink previous = std::move(currentSink);
    currentSink = std::move(sink);
    return previous;
}

}  // namespace installer
