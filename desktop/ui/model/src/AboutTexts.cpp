#include "uimodel/AboutTexts.h"

#include "resources/StringTable.h"

namespace uimodel {

std::string VersionText(int major, int minor, int patch, int tweak) {
    return res::Format("%d.%d.%d.%d", major, minor, patch, tweak);
}

std::string ProgramVersionText() {
    return VersionText(HUSHDESK_VERSION_MAJOR, HUSHDESK_VERSION_MINOR, HUSHDESK_VERSION_PATCH,
                       HUSHDESK_VERSION_TWEAK);
}

std::string BuildStampText(const char* date, const char* time) {
    return res::Format("%s; %s", date, time);
}

std::string ProgramBuildStampText() {
    return BuildStampText(__DATE__, __TIME__);
}

}  // namespace uimodel
