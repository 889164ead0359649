// Setup's configuration reader on arbitrary bytes, then the dependency rules.
// Beyond not crashing, the model must hold together: every index entry names
// an item that carries that Action, listed prerequisites are not installed,
// and the sizes the page divides and multiplies by are positive.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "installer/Config.h"
#include "installer/Log.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

template <typename Index, typename Items>
void CheckIndex(const Index& index, const Items& items) {
    for (const auto& [action, position] : index) {
        Check(position < items.size());
        Check(items[position].Action == action);
    }
    for (const auto& item : items) {
        Check(index.count(item.Action) == 1);
    }
}

// Probes read the registry: point them at one that does not exist, and keep
// the log quiet. Done on the first input, since the corpus replay has no
// initialisation hook.
void SetUpOnce() {
    static const bool done = [] {
        setenv("KESTROVA_REGISTRY_DIR", "/nonexistent/kestrova-fuzz", 1);
        installer::SetLogSinkForTesting([](const std::string&) {});
        return true;
    }();
    (void)done;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpOnce();
    installer::Config config =
        installer::Config::FromText(std::string_view(reinterpret_cast<const char*>(data), size));
    Check(config.Width > 0);
    Check(config.MaxItemsInColumn > 0);
    CheckIndex(config.mainIndex, config.mainItems);
    CheckIndex(config.prerequisiteIndex, config.prerequisites);
    bool blocking = false;
    for (const auto& item : config.prerequisites) {
        Check(!item.installed);
        Check(item.enabled);
        blocking = blocking || !item.Message.empty();
    }
    Check(blocking == config.hasBlockingMessage);
    for (const auto& item : config.mainItems) {
        Check(item.CheckCommandLine >= 0 && item.CheckCommandLine <= 2);
        if (item.enabled) {
            Check(item.dependencyText.empty() && item.conflictText.empty());
        }
        (void)installer::IsVisible(item);
    }
    config.UpdateEnabled();  // a second evaluation of the same states changes nothing
    return 0;
}
