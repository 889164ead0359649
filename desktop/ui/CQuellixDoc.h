// The program's one document: the recording being worked on (its sound file
// and segmentation record), its cleaning settings, the interface language and
// the cleaning-pass rules, with the commands that change them: Open, Close,
// Perform Noise Cleaning, Noise-Cleaning Settings and Save Cleaned As.
//
// Commands reach the document through the frame's routing (CMainFrame.h). Each
// command handler checks its own enable rule again (CanOpen, CanClose, ...),
// since toolbar clicks and direct events do not pass the update handlers.
// Long work runs in the progress dialog; its job reaches the document only
// through the job's context (sound file, settings, buffers, JobSync), and what
// the loading job builds is staging that the document moves into place after
// the dialog has closed.
#pragma once

#include <wx/event.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "pipeline/CleaningJob.h"
#include "pipeline/CleaningSettings.h"
#include "pipeline/JobProtocol.h"
#include "pipeline/Segmentation.h"
#include "pipeline/SoundFile.h"
#include "uimodel/CleaningPasses.h"
#include "uimodel/WaveformDisplay.h"

class CQuellixView;
class wxWindow;

// uimodel::CleaningPasses holds m_nCleanPasses, m_bCleanAllowed and
// m_bUnsavedResult with their rules.
class CQuellixDoc : public wxEvtHandler, public uimodel::CleaningPasses {
public:
    // Loads the cleaning settings from the store; missing values keep their
    // defaults. `sync` serves every job of the run and outlives the document.
    explicit CQuellixDoc(JobSync& sync);
    ~CQuellixDoc() override;
    CQuellixDoc(const CQuellixDoc&) = delete;
    CQuellixDoc& operator=(const CQuellixDoc&) = delete;

    // The view registers itself while it lives.
    void AttachView(CQuellixView* view) { m_pView = view; }
    CQuellixView* GetView() const { return m_pView; }

    // Opens the recording at `path` as File > Open does after its file dialog
    // (also for the command line and dropped files): asks first when a
    // cleaned result would be lost, then loads it in the progress dialog.
    // True when the recording is open afterwards.
    virtual bool OpenPath(const std::string& path);
    // File > Close without asking; also what a failed load ends with. Stops
    // playback, releases the display, closes the sound file and deletes the
    // working copy.
    void CloseRecording();
    // The part of CloseRecording that touches no window: for the view's
    // destruction, when the frame is going away.
    void ReleaseRecording();
    // Perform Noise Cleaning as its command runs it, without the enable check.
    void RunCleaning();
    // Writes the recording as it now stands to `path` in its own format, as a
    // job under the progress dialog (playback stopped first; Cancel leaves the
    // target as it was). Refuses the opened recording itself (any link to it)
    // and its working copy; `replace` false also refuses an existing file.
    // True when written; a box says why not.
    bool SaveCleanedTo(const std::string& path, bool replace = true);
    // Before a command discards the recording: when it holds a cleaned result
    // that was not saved, asks Yes (save first) / No / Cancel. True to go on.
    bool ConfirmDiscard();

    // Enable rules, shared by the update handlers and the commands.
    bool CanOpen() const;
    bool CanClose() const;
    bool CanPerform() const;
    bool CanSaveCleaned() const;

    // The title the frame shows before " - Hushdesk"; empty with no recording.
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::string& title);
    // The information text of the open recording (empty with none).
    std::string FileInformation() const;

    // True while the recording is worked on through its mapped working copy.
    bool IsMappedMode() const { return m_bMappedMode; }
    CSoundFile& SoundFile() { return m_soundFile; }
    JobSync& Sync() const { return m_sync; }

    // Noise-cleaning settings (32789): reloads the record, runs the settings
    // dialog, on Save stores the record and re-evaluates m_bCleanAllowed
    // after a pass.
    void RunSettingsDialog(wxWindow* parent);

    int32_t m_bEnglish = 1;  // interface language: 1 English, 0 Russian
    CleaningSettings m_settings;
    bool m_bModalOpen = false;  // a modal window of the document is running
    std::string m_strPath;      // full path of the current recording; empty when none
    std::unique_ptr<CSegmentation> m_pSegmentation;

    std::function<void()> onTitleChanged;
    // Tests: asked instead of the file dialogs (save: Save Cleaned As); an
    // empty answer is a cancelled dialog.
    std::function<std::string(bool save)> chooseFile;
    // Tests: the cleaning job's engine factory instead of CreateVelquor.
    std::function<IVelquor*()> createEngine;
    // Tests: builds the display after a pass instead of BuildWaveformDisplay
    // (to make it fail).
    std::function<SoundFileResult(WaveformDisplay&)> rebuildDisplay;

private:
    void OnFileOpen(wxCommandEvent& event);
    void OnFileClose(wxCommandEvent& event);
    void OnNoiseClean(wxCommandEvent& event);
    void OnNoiseSettings(wxCommandEvent& event);
    void OnSaveCleaned(wxCommandEvent& event);
    bool RunSaveCleanedAs();
    // The open or save file dialog; empty when cancelled.
    std::string ChooseFile(bool save);
    wxWindow* DialogParent() const;
    bool Playing() const;

    JobSync& m_sync;
    CSoundFile m_soundFile;
    CleaningBuffers m_buffers;
    CQuellixView* m_pView = nullptr;
    bool m_bMappedMode = false;  // read by the panes: never from the sound file mid-job
    std::string m_strTitle;
};
