#include "SetupTestSupport.h"

#include <filesystem>

#include "testsupport/Files.h"

namespace installer::testing {

void SetupTest::WriteMediumFile(const std::string& name, const std::string& text) const {
    const std::filesystem::path path = m_medium.File(name);
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(testsupport::WriteText(path.string(), text)) << path;
}

void SetupTest::WriteMediumProgram(const std::string& name) const {
    WriteMediumFile(name, "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(m_medium.File(name), std::filesystem::perms(0755));
}

}  // namespace installer::testing
