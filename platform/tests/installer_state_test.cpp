#include "platform/InstallerState.h"

#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "testsupport/ScopedEnv.h"
#include "testsupport/TempFolder.h"

namespace platform {
namespace {

constexpr char kCode[] = "{6F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9}";

TEST(InstallerStateTest, ReadsRecordedStatesOfWellFormedCodesOnly) {
    testsupport::TempFolder folder;
    testsupport::ScopedEnv dir("KESTROVA_REGISTRY_DIR", folder.Path());
    const std::string key = std::string(kInstallerProductsKey) + "\\" + kCode;
    ASSERT_EQ(RegWriteDword(RegRoot::LocalMachine, key, "State", 5), RegStatus::Ok);
    ASSERT_EQ(RegWriteDword(RegRoot::LocalMachine, key + "\\Features", "Engine", 3), RegStatus::Ok);
    ASSERT_EQ(RegWriteDword(RegRoot::LocalMachine, key + "\\Features", "Broken", 0xFFFFFFFE),
              RegStatus::Ok);

    EXPECT_EQ(QueryProductState(kCode), kInstallStateDefault);
    EXPECT_EQ(QueryProductState("{6f1e2d3c-4b5a-4978-8695-a4b3c2d1e0f9}"), kInstallStateDefault);
    EXPECT_EQ(QueryFeatureState(kCode, "engine"), kInstallStateLocal);
    EXPECT_EQ(QueryFeatureState(kCode, "Broken"), -2);
    EXPECT_EQ(QueryFeatureState(kCode, "Missing"), kInstallStateUnknown);
    EXPECT_EQ(QueryProductState("{00000000-0000-0000-0000-000000000000}"), kInstallStateUnknown);

    // A code is part of a key path: anything but a GUID in braces is refused
    // before it can address another key.
    const char* malformed[] = {"", "6F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9",
                               "{6F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9}\\Features",
                               "{6F1E2D3C-4B5A-4978-8695-A4B3C2D1E0FG}",
                               "{6F1E2D3C_4B5A-4978-8695-A4B3C2D1E0F9}"};
    for (const char* code : malformed) {
        EXPECT_EQ(QueryProductState(code), kInstallStateInvalidArg) << code;
        EXPECT_EQ(QueryFeatureState(code, "Engine"), kInstallStateInvalidArg) << code;
    }
}

}  // namespace
}  // namespace platform
