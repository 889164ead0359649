// The document's rules for cleaning passes: how many passes the open recording
// has had, whether Perform Noise Cleaning may run now, and whether the
// recording holds a cleaning result that has not been saved.
#pragma once

#include <cstdint>

namespace uimodel {

// How a cleaning pass ended, as the progress dialog reported it.
enum class PassEnd {
    Finished,   // the job's end message arrived
    Cancelled,  // the user cancelled; the chunks done stay cleaned
    Failed,     // the job thread ended without an end message (engine failure)
};

struct CleaningPasses {
    uint32_t m_nCleanPasses = 0;    // cleaning passes run on the open recording
    bool m_bCleanAllowed = false;   // Perform Noise Cleaning may run now
    bool m_bUnsavedResult = false;  // cleaned samples that Save Cleaned As has not written

    // A recording was opened: the count starts over.
    void Opened();
    // The recording was closed: nothing to clean or save; the count stays.
    void Closed();
    // Perform Noise Cleaning starts: no second pass can start meanwhile.
    void PassStarted();
    // A finished or cancelled pass counts and allows another only with
    // AfterNC > 0. A failed pass does not count and leaves cleaning allowed,
    // so the user can try again; what it wrote before failing still counts as
    // a change to save. `wrote` false: the pass changed no sample (it failed
    // before it began), so there is nothing new to save.
    void PassEnded(PassEnd end, int32_t afterNc, bool wrote = true);
    // The settings dialog was confirmed: after at least one pass the new
    // AfterNC decides.
    void SettingsChanged(int32_t afterNc);
    // The cleaned recording was written to a file.
    void Saved();
};

}  // namespace uimodel
