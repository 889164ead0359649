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
// wxID_YES or wxID_NO. `parent` null: the active top-level window.
int ShowMessageBox(const wxString& text, const wxString& caption, long style,
                   wxWindow* parent = nullptr);

// Tests: `answerer` is asked instead of showing a box; an empty one restores
// the real boxes. Returns the previous answerer.
using MessageBoxAnswerer = std::function<int(const MessageBoxRequest&)>;
MessageBoxAnswerer SetMessageBoxAnswerer(MessageBoxAnswerer answerer);

// Style bits for platform::ShowMessage flags (icons; always an OK button).
long StyleForPlatformFlags(uint32_t flags);

// Routes platform::ShowMessage to ShowMessageBox (see above).
void InstallPlatformMessageHandler();

}  // namespace ui
