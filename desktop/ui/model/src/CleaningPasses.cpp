#include "uimodel/CleaningPasses.h"

namespace uimodel {

void CleaningPasses::Opened() {
    m_nCleanPasses = 0;
    m_bCleanAllowed = true;
    m_bUnsavedResult = false;
}

void CleaningPasses::Closed() {
    // The count is kept: only Open starts it over, so pane 118 still shows
    // the passes of the recording just closed.
    m_bCleanAllowed = false;
    m_bUnsavedResult = false;
}

void CleaningPasses::PassStarted() {
    m_bCleanAllowed = false;
}

void CleaningPasses::PassEnded(PassEnd end, int32_t afterNc, bool wrote) {
    m_bUnsavedResult = m_bUnsavedResult || wrote;
    if (end == PassEnd::Failed) {
        m_bCleanAllowed = true;
        return;
    }
    ++m_nCleanPasses;
    m_bCleanAllowed = afterNc > 0;
}

void CleaningPasses::SettingsChanged(int32_t afterNc) {
    if (m_nCleanPasses > 0) {
        m_bCleanAllowed = afterNc > 0;
    }
}

void CleaningPasses::Saved() {
    m_bUnsavedResult = false;
}

}  // namespace uimodel
