// Small shell scripts that tests start as programs.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "testsupport/Files.h"

namespace testsupport {

// Writes an executable POSIX shell script, `#!/bin/sh` and `body`, creating
// its folder; fails the running test when it cannot.
inline void WriteScript(const std::string& path, const std::string& body) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(WriteText(path, "#!/bin/sh\n" + body));
    ASSERT_EQ(chmod(path.c_str(), 0755), 0);
}

}  // namespace testsupport
