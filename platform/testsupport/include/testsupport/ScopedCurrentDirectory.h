// Changes the process's current directory for a scope and goes back
// afterwards. CTest runs each test case in its own process, so this is safe
// for code that resolves paths against the current directory.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& path)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~ScopedCurrentDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
    }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::filesystem::path m_previous;
};

}  // namespace testsupport
