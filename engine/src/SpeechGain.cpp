#include "SpeechGain.h"

#include <algorithm>
#include <new>

namespace velquor {

bool SetUpSpeechGain(SpeechGain& g, int b) {
    g.cleanSnr = new (std::nothrow) float[b + 1]();
    return g.cleanSnr != nullptr;
}

void FreeSpeechGain(SpeechGain& g) {
    delete[] g.cleanSnr;
    g.cleanSnr = nullptr;
}

void ResetSpeechGain(SpeechGain& g, int b) {
    if (HasSpeechGain(g)) {
        std::fill(g.cleanSnr, g.cleanSnr + b + 1, 0.0f);
    }
}

}  // namespace velquor
