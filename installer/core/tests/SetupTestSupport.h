// What Setup's tests share: a fresh folder that is both the current
// directory (the medium) and the registry folder, and the log lines written
// meanwhile.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/Log.h"
#include "testsupport/ScopedCurrentDirectory.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace installer::testing {

class LogCapture {
public:
    LogCapture() {
        m_previous =
            SetLogSinkForTesting([this](const std::string& line) { m_lines.push_back(line); });
    }
    ~LogCapture() { SetLogSinkForTesting(std::move(m_previous)); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& Lines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

private:
    std::vector<std::string> m_lines;
    LogSink m_previous;
};

class SetupTest : public ::testing::Test {
protected:
    std::string File(const std::string& name) const { return m_medium.File(name); }
    // Writes a file of the medium, making its folders.
    void WriteMediumFile(const std::string& name, const std::string& text = "x") const;
    // Writes an executable shell script of the medium (a file that starts).
    void WriteMediumProgram(const std::string& name) const;

    testsupport::TempFolder m_medium;
    testsupport::TempFolder m_registry;
    testsupport::ScopedEnv m_registryDir{"KESTROVA_REGISTRY_DIR", m_registry.Path()};
    testsupport::ScopedCurrentDirectory m_cwd{m_medium.Path()};
    LogCapture m_log;
};

}  // namespace installer::testing
