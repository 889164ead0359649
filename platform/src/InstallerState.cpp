#include "platform/InstallerState.h"

#include <string>

#include "platform/Registry.h"

namespace platform {
namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string ProductKey(std::string_view productCode) {
    return std::string(kInstallerProductsKey) + "\\" + std::string(productCode);
}

int ToState(const std::optional<uint32_t>& value) {
    // Stored as a dword; the state is a signed value.
    return value ? static_cast<int>(static_cast<int32_t>(*value)) : kInstallStateUnknown;
}

}  // namespace

bool IsWellFormedProductCode(std::string_view code) {
    static constexpr std::string_view kShape = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
    if (code.size() != kShape.size()) {
        return false;
    }
    for (size_t i = 0; i < code.size(); ++i) {
        if (kShape[i] == 'x' ? !IsHexDigit(code[i]) : code[i] != kShape[i]) {
            return false;
        }
    }
    return true;
}

int QueryProductState(std::string_view productCode) {
    if (!IsWellFormedProductCode(productCode)) {
        return kInstallStateInvalidArg;
    }
    return ToState(RegReadDword(RegRoot::LocalMachine, ProductKey(productCode), "State"));
}

int QueryFeatureState(std::string_view productCode, std::string_view feature) {
    if (!IsWellFormedProductCode(productCode) || feature.empty()) {
        return kInstallStateInvalidArg;
    }
    return ToState(
        RegReadDword(RegRoot::LocalMachine, ProductKey(productCode) + "\\Features", feature));
}

}  // namespace platform
