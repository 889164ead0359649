// Version and service-pack texts ("9.00.3042.00", "Service Pack 3") compared
// the way people read them: runs of digits by their value, everything else
// ignoring ASCII case, and a text that is a prefix of the other is the
// smaller. So "10.0" is above "9.0" and "Service Pack 10" above "Service
// Pack 4", while every same-width pair compares as plain text would.
#pragma once

#include <string_view>

namespace installer {

// Negative, zero or positive as `a` is below, equal to or above `b`.
int CompareVersions(std::string_view a, std::string_view b);

inline bool VersionAtLeast(std::string_view a, std::string_view b) {
    return CompareVersions(a, b) >= 0;
}

}  // namespace installer
