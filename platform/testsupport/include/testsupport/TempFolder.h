// A fresh folder under $TMPDIR for one test, removed with everything in it
// afterwards.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "testsupport/Files.h"

namespace testsupport {

class TempFolder {
public:
    TempFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/hushdesk-test-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            // Going on with an empty path would put the test's files at the root.
            throw std::runtime_error("cannot make " + pattern + ": " + std::strerror(errno));
        }
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // `name` may hold further folders ("out/a.wav").
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> List() const { return SortedEntries(m_path); }

private:
    std::string m_path;
};

}  // namespace testsupport
