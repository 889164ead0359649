#include "Shard.h"

#include <charconv>

namespace {

std::optional<size_t> ParseCount(std::string_view text) {
    size_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<Shard> ParseShard(const std::string& text) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    const auto k = ParseCount(std::string_view(text).substr(0, slash));
    const auto n = ParseCount(std::string_view(text).substr(slash + 1));
    if (!k || !n || *k < 1 || *k > *n || *n > kMaxShards) {
        return std::nullopt;
    }
    return Shard{*k, *n};
}
