#include "installer/VersionCompare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace installer {
namespace {

int Sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

TEST(VersionCompareTest, ComparesDigitRunsByValueAndTextIgnoringCase) {
    struct Case {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        {"9.00.3042.00", "9.00.0000.00", 1},
        {"2.81.1117.0", "2.8", 1},
        {"6.0", "5.1", 1},
        {"10.0", "9.0", 1},  // text order would say below
        {"Service Pack 10", "Service Pack 4", 1},
        {"Service Pack 3", "Service Pack 4", -1},
        {"service pack 4", "Service Pack 4", 0},
        {"9.0", "9.00", 0},
        {"9.0", "9.0.1", -1},
        {"", "1.0", -1},
        {"", "", 0},
        {"1.0a", "1.0B", -1},
        {"0000000000000000000000000000000000000001", "1", 0},
        {"9999999999999999999999999999999999999999", "10000000000000000000000000000000000000000",
         -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sign(CompareVersions(c.a, c.b)), c.order) << c.a << " vs " << c.b;
        EXPECT_EQ(Sign(CompareVersions(c.b, c.a)), -c.order) << c.b << " vs " << c.a;
    }
    EXPECT_TRUE(VersionAtLeast("2.81.1117.0", "2.8"));
    EXPECT_FALSE(VersionAtLeast("2.7", "2.8"));
}

TEST(VersionCompareTest, OrderIsTransitiveOverMixedTexts) {
    const std::vector<std::string> texts = {"",
                                            "0",
                                            "00",
                                            "1",
                                            "1.0",
                                            "1.00",
                                            "1.0.0",
                                            "1a",
                                            "1A",
                                            "1.10",
                                            "1.9",
                                            "a",
                                            "A1",
                                            "a10",
                                            "a9",
                                            "9",
                                            "10",
                                            ".",
                                            "-",
                                            "z",
                                            "Service Pack 2",
                                            "service pack 10"};
    for (const auto& a : texts) {
        for (const auto& b : texts) {
            for (const auto& c : texts) {
                if (CompareVersions(a, b) <= 0 && CompareVersions(b, c) <= 0) {
                    EXPECT_LE(CompareVersions(a, c), 0) << a << " <= " << b << " <= " << c;
                }
            }
        }
    }
}

}  // namespace
}  // namespace installer
