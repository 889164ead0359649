// The progress line of hushdesk-clean on standard error: one bar per file
// being cleaned, redrawn in place on a terminal; finished files are printed
// above it. Thread-safe.
#pragma once

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

// `text` with control characters (a newline in a file name, say) written as
// escapes, so that one message stays one line and cannot move the cursor.
std::string Printable(const std::string& text);

class ProgressBoard {
public:
    // `live` draws bars (standard error is a terminal and not quiet).
    ProgressBoard(std::FILE* out, bool live);

    void Update(int slot, const std::string& name, double fraction);
    void Remove(int slot);
    // Prints a line above the bars.
    void Print(const std::string& line);

private:
    void DrawLocked(bool force);

    std::FILE* m_out;
    bool m_live;
    std::mutex m_mutex;
    std::map<int, std::pair<std::string, double>> m_bars;
    std::chrono::steady_clock::time_point m_lastDraw{};
};
