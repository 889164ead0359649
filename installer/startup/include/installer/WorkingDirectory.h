// Setup's working folder "Kestrova" below the folder an environment variable
// names (TEMP, TMP, ALLUSERSPROFILE). Nothing else uses it; installers on the
// medium may expect it.
#pragma once

namespace installer {

// Creates "<$variable>/Kestrova" (mode 0700) and logs why it could not: the
// variable is unset or empty, the folder it names does not exist, or the
// working folder exists already.
void EnsureWorkingDirectory(const char* variable);

}  // namespace installer
