// The version and build stamp the About box shows.
#pragma once

#include <string>

namespace uimodel {

// "%d.%d.%d.%d" of the program version (the project version of the build).
std::string VersionText(int major, int minor, int patch, int tweak);
// The version this program was built as ("1.0.29.55").
std::string ProgramVersionText();
// "%s; %s" of the build date and time in the compiler's form
// ("Jan 25 2011; 18:44:00"). Reproducible builds set SOURCE_DATE_EPOCH, which
// the compiler uses for both.
std::string BuildStampText(const char* date, const char* time);
std::string ProgramBuildStampText();

}  // namespace uimodel
