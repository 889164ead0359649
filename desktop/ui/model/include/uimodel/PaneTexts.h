// The texts of the eight status-bar panes (111..118): the cleaning settings
// and the number of cleaning passes, in the interface language.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pipeline/CleaningSettings.h"
#include "resources/resource.h"

namespace uimodel {

using PaneTextArray = std::array<std::string, res::kIndicatorCount>;

// `mapped`: the recording is worked on through its mapped working copy; the
// pass count then ends with a full stop.
PaneTextArray PaneTexts(const CleaningSettings& settings, uint32_t cleanPasses, bool mapped,
                        bool english);

// For each pane, the texts that need the most room in either language (all
// switches on and off, the widest numbers): the frame widens a pane whose
// width in pixels cannot show them in the desktop's font.
std::array<std::vector<std::string>, res::kIndicatorCount> WidestPaneTexts();

}  // namespace uimodel
