// --shard K/N: this run's share of the input list. Entry i (from 0) belongs
// to shard i mod N + 1, so N runs with K = 1..N take every entry exactly once
// and the share depends only on the list, never on the files or the machine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

struct Shard {
    size_t index = 1;  // K, 1-based
    size_t count = 1;  // N

    bool Holds(size_t position) const { return position % count == index - 1; }
};

// "K/N" with 1 <= K <= N <= kMaxShards; nothing else.
std::optional<Shard> ParseShard(const std::string& text);

inline constexpr size_t kMaxShards = 1000000;
