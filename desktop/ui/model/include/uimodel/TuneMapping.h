// How the settings dialog shows the cleaning settings and reads them back:
// the two lists hold fixed items, and a stored value that is not one of them
// shows (and is saved as) the largest item.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pipeline/CleaningSettings.h"

namespace uimodel {

// "0", "6", "12", "18".
std::vector<std::string> GainItems();
// "128", "256", ... "1024".
std::vector<std::string> BufferItems();

int GainIndex(uint32_t gainMaxDb);    // 3 ("18") for a value not in the list
uint32_t GainFromIndex(int index);    // index x 6
int BufferIndex(uint32_t buffSize);   // 7 ("1024") for a value not in the list
uint32_t BufferFromIndex(int index);  // (index + 1) x 128

// What the dialog's controls hold.
struct TuneControls {
    bool noiseCancel = false;  // 1006
    int gainIndex = 0;         // 1007
    bool whiteNoise = false;   // 1008
    bool spectrum = false;     // 1009
    bool tone = false;         // 1010
    bool speechMode = false;   // 1100
    int bufferIndex = 0;       // 1011
    int afterNc = 0;           // 1012/1013: index of the selected radio button
};

TuneControls ToControls(const CleaningSettings& settings);
// Writes the controls into `settings` (every field the dialog shows).
void FromControls(const TuneControls& controls, CleaningSettings& settings);

}  // namespace uimodel
