// Setup's debug log. Each call is one line on standard error, written with a
// single write so that lines from the launcher and the probes never interleave
// mid-line. A text that does not end in a line feed gets one: a debugger view
// showed every call as its own line, and the log keeps that shape.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace installer {

void Log(std::string_view text);

// Tests: every line (with its line feed) goes to `sink` instead of standard
// error; an empty function restores standard error. Returns the previous sink.
using LogSink = std::function<void(const std::string& line)>;
LogSink SetLogSinkForTesting(LogSink sink);

}  // namespace installer
