// The command-line path extraction and the version order on arbitrary bytes.
// The extracted path must lie inside the line it came from; the version order
// must be antisymmetric, reflexive and transitive.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "installer/CommandFile.h"
#include "installer/VersionCompare.h"
#include "installer/XmlText.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

int Sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    if (const auto extracted = installer::ExtractCommandPath(input)) {
        Check(!extracted->path.empty());
        Check(extracted->path.data() >= input.data());
        Check(extracted->path.data() + extracted->path.size() <= input.data() + input.size());
    }
    (void)installer::CommandFilePath(input);
    if (const auto value = installer::ParseLeadingInt(input)) {
        Check(input.find_first_of("0123456789") != std::string_view::npos);
    }

    // Three versions separated by newlines.
    const size_t first = input.find('\n');
    const size_t second = first == std::string_view::npos ? first : input.find('\n', first + 1);
    const std::string_view a = input.substr(0, first);
    const std::string_view b = first == std::string_view::npos
                                   ? std::string_view()
                                   : input.substr(first + 1, second - first - 1);
    const std::string_view c =
        second == std::string_view::npos ? std::string_view() : input.substr(second + 1);
    Check(installer::CompareVersions(a, a) == 0);
    const int ab = Sign(installer::CompareVersions(a, b));
    const int bc = Sign(installer::CompareVersions(b, c));
    Check(ab == -Sign(installer::CompareVersions(b, a)));
    if (ab <= 0 && bc <= 0) {
        Check(installer::CompareVersions(a, c) <= 0);
    }
    if (ab == 0 && bc == 0) {
        Check(installer::CompareVersions(a, c) == 0);
    }
    return 0;
}
