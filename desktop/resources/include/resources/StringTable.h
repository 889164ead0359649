// The English/Russian string table. Every text the programs show themselves
// comes from here, chosen by the interface language.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace res {

// The text stored under `id`; empty when there is none.
const char* LoadText(uint32_t id);

// The English text when `english`, else the Russian one, for a pair whose
// Russian text is stored at englishId + 1.
const char* LoadPair(uint32_t englishId, bool english);

// The English or the Russian text of `pair`.
const char* LoadPair(TextPair pair, bool english);

// Every id the table holds, in table order (tests check it is sorted).
std::vector<uint32_t> AllTextIds();

// The text for a loading error kind (1 wrong format, 2 temporary file denied,
// 3 no disk space, 10 open error); empty for any other kind.
const char* LoadingErrorText(int kind, bool english);

// printf-style formatting of a table text.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace res
