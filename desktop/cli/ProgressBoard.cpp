#include "ProgressBoard.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarCells = 20;

size_t TerminalColumns(std::FILE* out) {
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

}  // namespace

ProgressBoard::ProgressBoard(std::FILE* out, bool live) : m_out(out), m_live(live) {}

void ProgressBoard::Update(int slot, const std::string& name, double fraction) {
    if (!m_live) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_bars[slot] = {Printable(std::filesystem::path(name).filename().string()),
                    std::clamp(fraction, 0.0, 1.0)};
    DrawLocked(false);
}

void ProgressBoard::Remove(int slot) {
    if (!m_live) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_bars.erase(slot);
    DrawLocked(true);
}

std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

void ProgressBoard::Print(const std::string& line) {
    std::lock_guard lock(m_mutex);
    if (m_live) {
        std::fputs("\r\033[K", m_out);
    }
    std::fprintf(m_out, "%s\n", Printable(line).c_str());
    if (m_live) {
        DrawLocked(true);
    }
    std::fflush(m_out);
}

void ProgressBoard::DrawLocked(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - m_lastDraw < kRedrawInterval) {
        return;
    }
    m_lastDraw = now;
    std::string line;
    for (const auto& [slot, bar] : m_bars) {
        const int filled = static_cast<int>(bar.second * kBarCells + 0.5);
        line += bar.first + " [" + std::string(filled, '#') + std::string(kBarCells - filled, ' ') +
                "] " + std::to_string(static_cast<int>(bar.second * 100)) + "%  ";
    }
    const size_t columns = TerminalColumns(m_out);
    if (line.size() >= columns) {
        line.resize(columns - 1);
    }
    std::fprintf(m_out, "\r\033[K%s", line.c_str());
    std::fflush(m_out);
}
