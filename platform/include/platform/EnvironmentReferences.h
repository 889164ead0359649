// %NAME% references in command lines and paths of Windows-style media.
//
// %NAME% (NAME non-empty, without '%') is replaced by the variable's value:
// the exact name first, else the first variable whose name matches ignoring
// ASCII case (media write %Temp% or %windir%). An undefined name is kept as
// written, "%NAME%" included, and the scan goes on after its closing '%'; a
// lone '%' stays. Values are inserted as they are, never expanded again.
//
// Callers that split a command line expand each argument after splitting, so
// that a value holding blanks or quotes stays inside its argument.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

std::string ExpandEnvironmentReferences(std::string_view text);

// The value of the variable `name` looked up as above; nullopt when undefined.
std::optional<std::string> LookupEnvironmentVariable(std::string_view name);

}  // namespace platform
