#include "installer/VersionCompare.h"

namespace installer {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int Sign(long value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// Compares the digit runs starting at a[i] and b[j] by value (any length, no
// overflow) and moves both past their runs.
int CompareDigitRuns(std::string_view a, size_t& i, std::string_view b, size_t& j) {
    while (i < a.size() && a[i] == '0') {
        ++i;
    }
    while (j < b.size() && b[j] == '0') {
        ++j;
    }
    const size_t aStart = i;
    const size_t bStart = j;
    while (i < a.size() && IsDigit(a[i])) {
        ++i;
    }
    while (j < b.size() && IsDigit(b[j])) {
        ++j;
    }
    const size_t aLength = i - aStart;
    const size_t bLength = j - bStart;
    if (aLength != bLength) {
        return aLength < bLength ? -1 : 1;
    }
    return Sign(a.substr(aStart, aLength).compare(b.substr(bStart, bLength)));
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const int order = CompareDigitRuns(a, i, b, j);
            if (order != 0) {
                return order;
            }
            continue;
        }
        const char x = Lower(a[i]);
        const char y = Lower(b[j]);
        if (x != y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        }
        ++i;
        ++j;
    }
    const bool aLeft = i < a.size();
    const bool bLeft = j < b.size();
    return aLeft == bLeft ? 0 : (aLeft ? 1 : -1);
}

}  // namespace installer
