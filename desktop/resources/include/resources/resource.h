// Command, control and string ids of the desktop program and its command-line
// cleaner. The numbers are fixed: stored settings and translations refer to them.
#pragma once

#include <cstdint>

namespace res {

inline constexpr uint32_t IDS_APP_TITLE = 103;  // "Hushdesk"

// Loading errors, by the sound file's result kind (English / Russian).
inline constexpr uint32_t IDS_ERR_OPEN_EN = 211;
inline constexpr uint32_t IDS_ERR_OPEN_RU = 212;
inline constexpr uint32_t IDS_ERR_FORMAT_EN = 213;
inline constexpr uint32_t IDS_ERR_FORMAT_RU = 214;
inline constexpr uint32_t IDS_ERR_TEMP_DENIED_EN = 217;
inline constexpr uint32_t IDS_ERR_TEMP_DENIED_RU = 218;
inline constexpr uint32_t IDS_ERR_DISK_SPACE_EN = 219;
inline constexpr uint32_t IDS_ERR_DISK_SPACE_RU = 220;

// hushdesk-clean. Each English text is followed by its Russian text at id + 1.
inline constexpr uint32_t IDS_CLI_USAGE = 3000;
inline constexpr uint32_t IDS_CLI_HELP = 3002;
inline constexpr uint32_t IDS_CLI_UNKNOWN_OPTION = 3004;
inline constexpr uint32_t IDS_CLI_MISSING_VALUE = 3006;
inline constexpr uint32_t IDS_CLI_BAD_VALUE = 3008;
inline constexpr uint32_t IDS_CLI_BAD_OPERANDS = 3010;
inline constexpr uint32_t IDS_CLI_SAME_FILE = 3012;
inline constexpr uint32_t IDS_CLI_OUTPUT_EXISTS = 3014;
inline constexpr uint32_t IDS_CLI_CANNOT_READ = 3016;
inline constexpr uint32_t IDS_CLI_CANNOT_WRITE = 3018;
inline constexpr uint32_t IDS_CLI_CLEANED = 3020;
inline constexpr uint32_t IDS_CLI_INTERRUPTED = 3022;
inline constexpr uint32_t IDS_CLI_CLEANING_FAILED = 3024;
inline constexpr uint32_t IDS_CLI_NOT_A_FOLDER = 3026;
inline constexpr uint32_t IDS_CLI_DUPLICATE_OUTPUT = 3028;
inline constexpr uint32_t IDS_CLI_OUTPUT_NOT_REGULAR = 3030;
inline constexpr uint32_t IDS_CLI_INPUT_NOT_REGULAR = 3032;
inline constexpr uint32_t IDS_CLI_TOO_LONG = 3034;
inline constexpr uint32_t IDS_CLI_INTERRUPTED_KEPT = 3036;
inline constexpr uint32_t IDS_CLI_TEMP_FOLDER = 3038;
inline constexpr uint32_t IDS_CLI_INPUT_CHANGED = 3040;

}  // namespace res
