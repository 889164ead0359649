#include "MessageBox.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>
#include <wx/toplevel.h>

#include <mutex>

#include "OrderlyExit.h"
#include "platform/ShowMessage.h"

namespace ui {
namespace {

std::mutex answererMutex;
MessageBoxAnswerer installedAnswerer;
int showingBoxes = 0;  // UI thread only
int holdingBoxes = 0;  // UI thread only

}  // namespace

int ShowMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
    MessageBoxAnswerer answerer;
    {
        std::lock_guard lock(answererMutex);
        answerer = installedAnswerer;
    }
    if (answerer) {
        return answerer({text.utf8_string(), caption.utf8_string(), style});
    }
    if (ExitRequested()) {
        return wxID_CANCEL;  // nobody is there to answer
    }
    if (parent == nullptr && wxTheApp != nullptr) {
        parent = wxTheApp->GetTopWindow();
    }
    // The stored texts break lines with "\r\n"; GTK would show the "\r".
    wxString shown = text;
    shown.Replace("\r\n", "\n");
    wxMessageDialog dialog(parent, shown, caption, style);
    ++showingBoxes;
    const int answer = dialog.ShowModal();
    --showingBoxes;
    return answer;
}

HoldBoxes::HoldBoxes() {
    ++holdingBoxes;
}

HoldBoxes::~HoldBoxes() {
    --holdingBoxes;
}

bool MessageBoxShowing() {
    return showingBoxes > 0;
}

MessageBoxAnswerer SetMessageBoxAnswerer(MessageBoxAnswerer answerer) {
    std::lock_guard lock(answererMutex);
    MessageBoxAnswerer previous = std::move(installedAnswerer);
    installedAnswerer = std::move(answerer);
    return previous;
}

long StyleForPlatformFlags(uint32_t flags) {
    long style = wxOK;
    switch (flags & 0xF0) {
        case platform::kMbIconError:
            style |= wxICON_ERROR;
            break;
        case platform::kMbIconWarning:
            style |= wxICON_WARNING;
            break;
        case platform::kMbIconInformation:
            style |= wxICON_INFORMATION;
            break;
        default:
            break;
    }
    return style;
}

void InstallPlatformMessageHandler() {
    platform::SetMessageHandler(
        [](const std::string& text, const std::string& caption, uint32_t flags) {
            const wxString wxText = wxString::FromUTF8(text.c_str());
            const wxString wxCaption = wxString::FromUTF8(caption.c_str());
            const long style = StyleForPlatformFlags(flags);
            if (wxThread::IsMain() && holdingBoxes == 0) {
                ShowMessageBox(wxText, wxCaption, style);
            } else if (wxTheApp != nullptr) {
                wxTheApp->CallAfter(
                    [wxText, wxCaption, style] { ShowMessageBox(wxText, wxCaption, style); });
            }
        });
}

}  // namespace ui
