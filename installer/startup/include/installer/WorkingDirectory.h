// Setup's working folder "Kestrova" below the folder an environment variable
// names (TEMP, TMP, ALLUSERSPROFILE). Nothing else uses it; installers on the
// medium may expect it.
#pragma once

#include <optional>
#include <string>

namespace installer {

// Creates "<$variable>/Kestrova" (mode 0700) and logs why it could not: the
// variable is unset or empty, the folder it names does not exist, or the
// working folder exists already. An existing one is used only when it is a
// folder of this user that others cannot write to; otherwise a private
// "Kestrova-XXXXXX" (mode 0700) is made beside it, and the log says which.
// Returns the folder in use, if any.
std::optional<std::string> EnsureWorkingDirectory(const char* variable);

}  // namespace installer
