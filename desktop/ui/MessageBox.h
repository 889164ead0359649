// The program's one way to show a message box.
//
// Every box goes through ShowMessageBox, so tests can answer and record boxes
// (SetMessageBoxAnswerer) instead of showing them. Code without a window uses
// platform::ShowMessage; InstallPlatformMessageHandler routes that here: on
// the UI thread the box is shown at once, from any other thread it is queued
// for the UI thread and the caller goes on without waiting (a job that waited
// for the user while holding the sample lock would block painting for good).
#pragma once

#include <wx/string.h>

#include <functional>
#include <string>

class wxWindow;

namespace ui {

struct MessageBoxRequest {
    std::string text;  // UTF-8, as passed ("\r\n" kept)
    std::string caption;
    long style = 0;  // wxOK, wxCANCEL, wxYES_NO, wxICON_*
};

// Shows a modal box and returns the button pressed: wxID_OK, wxID_CANCEL,
// wxID_YES or wxID_NO. `parent` null: the active top-level window. Once the
// program is ending on a signal nothing is shown and wxID_CANCEL returned.
int ShowMessageBox(const wxString& text, const wxString& caption, long style,
                   wxWindow* parent = nullptr);

// True while a box is on screen (its caller waits in a nested loop).
bool MessageBoxShowing();

// Tests: `answerer` is asked instead of showing a box; an empty one restores
// the real boxes. Returns the previous answerer.
using MessageBoxAnswerer = std::function<int(const MessageBoxRequest&)>;
MessageBoxAnswerer SetMessageBoxAnswerer(MessageBoxAnswerer answerer);

// Style bits for platform::ShowMessage flags (icons; always an OK button).
long StyleForPlatformFlags(uint32_t flags);

// Routes platform::ShowMessage to ShowMessageBox (see above).
void InstallPlatformMessageHandler();

// While one lives, platform::ShowMessage on the UI thread queues its box like
// a worker thread's: for a paint (a box there would run a nested loop
// mid-paint) and the sample lock (a cleaning job would wait on it until the
// box is dismissed).
class HoldBoxes {
public:
    HoldBoxes();
    ~HoldBoxes();
    HoldBoxes(const HoldBoxes&) = delete;
    HoldBoxes& operator=(const HoldBoxes&) = delete;
};

}  // namespace ui
