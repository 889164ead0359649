// The application object: start-up and the two commands that belong to no
// window (About, Exit).
//
// Start-up (InitInstance): the profile lives under the current user's
// "Software\Kestrova\Hushdesk" of the registry stand-in; message boxes of code
// without a window are routed to the UI thread; the document, the frame and
// the view are created, the interface language applied, the frame shown; the
// first file named on the command line is opened as File > Open opens one.
// One JobSync serves every job of the run.
#pragma once

#include <wx/app.h>

#include <memory>
#include <string>
#include <vector>

#include "pipeline/JobProtocol.h"

class CMainFrame;
class CQuellixDoc;

class CQuellixApp : public wxApp {
public:
    CQuellixApp();
    ~CQuellixApp() override;

    bool OnInit() override;
    int OnExit() override;

    // Creates the document, frame and view and shows the frame; `files` are
    // the command-line operands. Tests call it directly, once per simulated run.
    bool InitInstance(const std::vector<std::string>& files);
    // Closes the frame (storing its placement) and deletes the document.
    // For tests; a real run ends when the frame closes.
    void ExitInstance();

    CQuellixDoc* GetDocument() const { return m_document.get(); }
    CMainFrame* GetMainFrame() const { return m_frame; }
    JobSync& GetJobSync() { return m_jobSync; }

private:
    void OnAppAbout(wxCommandEvent& event);
    void OnAppExit(wxCommandEvent& event);
    // After SIGTERM, SIGINT or SIGHUP: cancels a running job, waits for it,
    // then closes the frame without questions (or, inside another modal
    // window, cleans up and exits directly).
    void OnExitSignal();

    JobSync m_jobSync;
    std::unique_ptr<CQuellixDoc> m_document;
    CMainFrame* m_frame = nullptr;
    int m_nExitWaits = 0;  // rounds waited for a cancelled job to end
};

wxDECLARE_APP(CQuellixApp);
