#include "CQuellixDoc.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "CProgressDlg.h"
#include "CQuellixView.h"
#include "CTuneDlg.h"
#include "MessageBox.h"
#include "OrderlyExit.h"
#include "UiText.h"
#include "WxIds.h"
#include "pipeline/LoadingJob.h"
#include "pipeline/SettingsStore.h"
#include "pipeline/SoundFileWriter.h"
#include "platform/Files.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "uimodel/FileInformation.h"
#include "uimodel/WaveformDisplay.h"

namespace {

uimodel::PassEnd PassEndOf(const JobOutcome& outcome) {
    switch (outcome.end) {
        case JobEnd::Finished:
            return uimodel::PassEnd::Finished;
        case JobEnd::Cancelled:
            return uimodel::PassEnd::Cancelled;
        case JobEnd::Error:
        case JobEnd::Failed:
            break;
    }
    return uimodel::PassEnd::Failed;
}

}  // namespace

CQuellixDoc::CQuellixDoc(JobSync& sync) : m_sync(sync) {
    LoadSettings(&m_settings);
    Bind(wxEVT_MENU, &CQuellixDoc::OnFileOpen, this, ui::WxId(res::ID_FILE_OPEN));
    Bind(wxEVT_MENU, &CQuellixDoc::OnFileClose, this, ui::WxId(res::ID_FILE_CLOSE));
    Bind(wxEVT_MENU, &CQuellixDoc::OnNoiseClean, this, ui::WxId(res::ID_NOISE_CLEAN));
    Bind(wxEVT_MENU, &CQuellixDoc::OnNoiseSettings, this, ui::WxId(res::ID_NOISE_SETTINGS));
    Bind(wxEVT_MENU, &CQuellixDoc::OnSaveCleaned, this, ui::WxId(res::ID_FILE_SAVE_CLEANED));
}

CQuellixDoc::~CQuellixDoc() {
    // The working copy lives only while its recording is open.
    ReleaseRecording();
}

wxWindow* CQuellixDoc::DialogParent() const {
    if (m_pView != nullptr) {
        return m_pView;
    }
    return wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
}

bool CQuellixDoc::Playing() const {
    return m_pView != nullptr && (m_pView->IsPlaying() || m_pView->IsPaused());
}

bool CQuellixDoc::CanOpen() const {
    return !m_bModalOpen && (m_pView == nullptr || !m_pView->IsPlaying());
}

bool CQuellixDoc::CanClose() const {
    return !m_bModalOpen && m_pView != nullptr && m_pView->HasStrips() &&
           m_soundFile.Frames() > 0 && !m_pView->IsPlaying();
}

bool CQuellixDoc::CanPerform() const {
    return !m_bModalOpen && m_bCleanAllowed && m_pView != nullptr && m_pView->HasStrips() &&
           m_soundFile.Frames() > 0 && !Playing();
}

bool CQuellixDoc::CanSaveCleaned() const {
    // Only after a pass: before one, a "-cleaned" copy would be the original.
    return !m_bModalOpen && !m_strPath.empty() && m_soundFile.Frames() > 0 && m_nCleanPasses > 0;
}

void CQuellixDoc::SetTitle(const std::string& title) {
    m_strTitle = title;
    if (onTitleChanged) {
        onTitleChanged();
    }
}

std::string CQuellixDoc::FileInformation() const {
    if (m_strPath.empty()) {
        return {};
    }
    return uimodel::FileInformationText(m_strPath, m_soundFile.SampleRate(), m_soundFile.Frames(),
                                        m_soundFile.ChannelCount(), m_bEnglish != 0);
}

void CQuellixDoc::OnFileOpen(wxCommandEvent&) {
    if (!CanOpen() || !ConfirmDiscard()) {
        return;
    }
    if (m_pView != nullptr) {
        m_pView->StopPlayback();
    }
    const std::string path = ChooseFile(false);
    if (path.empty()) {
        if (m_pView != nullptr) {
            m_pView->Refresh();
        }
        return;
    }
    // The question was asked before the file dialog.
    m_bUnsavedResult = false;
    OpenPath(path);
}

std::string CQuellixDoc::ChooseFile(bool save) {
    if (chooseFile) {
        return chooseFile(save);
    }
    m_bModalOpen = true;
    std::string chosen;
    if (save) {
        const wxFileName source(ui::Wx(m_strPath));
        wxFileDialog dialog(DialogParent(), ui::Text(res::kTextSaveCleanedTitle, m_bEnglish != 0),
                            source.GetPath(), source.GetName() + "-cleaned.wav",
                            ui::Text(res::IDS_OPEN_FILTER), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (dialog.ShowModal() == wxID_OK) {
            chosen = dialog.GetPath().utf8_string();
        }
    } else {
        wxFileDialog dialog(DialogParent(), wxEmptyString, wxEmptyString, wxEmptyString,
                            ui::Text(res::IDS_OPEN_FILTER), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
        if (dialog.ShowModal() == wxID_OK) {
            chosen = dialog.GetPath().utf8_string();
        }
    }
    m_bModalOpen = false;
    return chosen;
}

bool CQuellixDoc::OpenPath(const std::string& path) {
    if (m_bModalOpen || !ConfirmDiscard()) {
        return false;
    }
    CloseRecording();
    m_strPath = path;
    Opened();

    // The job builds into staging; nothing on screen changes until it is done.
    std::unique_ptr<CSegmentation> segmentation;
    WaveformDisplay display;
    LoadingContext context;
    context.sync = &m_sync;
    context.soundFile = &m_soundFile;
    context.path = path;
    context.segmentation = &segmentation;
    context.summary = &display.summary;
    context.summarised = [&display](const CSoundFile& file, const WaveformSummary& summary) {
        CreateStrips(display.strips, file, summary);
    };
    m_bModalOpen = true;
    CProgressDlg dialog(DialogParent(), m_sync, false, m_bEnglish != 0,
                        [&context](platform::MessageTarget& window) {
                            context.dialog = &window;
                            return LoadingJob(context);
                        });
    const int result = dialog.DoModal();
    m_bModalOpen = false;
    if (result != kDialogOk) {
        CloseRecording();
        return false;
    }
    m_pSegmentation = std::move(segmentation);
    m_bMappedMode = m_soundFile.IsMapped();
    SetTitle(uimodel::TitleFromPath(m_strPath));
    if (m_pView != nullptr) {
        m_pView->SetFileInformation(FileInformation());
        m_pView->SetWaveform(std::move(display));
    }
    return true;
}

void CQuellixDoc::OnFileClose(wxCommandEvent&) {
    if (!CanClose() || !ConfirmDiscard()) {
        return;
    }
    CloseRecording();
}

void CQuellixDoc::CloseRecording() {
    if (m_pView != nullptr) {
        m_pView->StopPlayback();
        m_pView->ReleaseWaveform();
    }
    const bool hadTitle = !m_strTitle.empty();
    {
        wxBusyCursor busy;
        ReleaseRecording();
    }
    if (m_pView != nullptr) {
        m_pView->ClearFileInformation();
    }
    if (hadTitle) {
        SetTitle({});
    }
}

void CQuellixDoc::ReleaseRecording() {
    m_pSegmentation.reset();
    m_soundFile.Close();
    m_soundFile.DeleteWorkingCopy();
    m_bMappedMode = false;
    m_strPath.clear();
    Closed();
}

void CQuellixDoc::OnNoiseClean(wxCommandEvent&) {
    if (CanPerform()) {
        RunCleaning();
    }
}

void CQuellixDoc::RunCleaning() {
    if (m_pView == nullptr || m_soundFile.Frames() == 0) {
        return;
    }
    // The job rewrites the samples the output might be reading.
    m_pView->StopPlayback();
    PassStarted();
    CleaningContext context;
    context.soundFile = &m_soundFile;
    context.settings = &m_settings;
    context.buffers = &m_buffers;
    context.sync = &m_sync;
    context.documentHasView = true;
    context.hasChannel1Strip = m_pView->HasChannel1Strip();
    if (createEngine) {
        context.createEngine = createEngine;
    }
    m_bModalOpen = true;
    CProgressDlg dialog(DialogParent(), m_sync, true, m_bEnglish != 0,
                        [&context](platform::MessageTarget& window) {
                            context.dialog = &window;
                            return CleaningJob(context);
                        });
    dialog.DoModal();
    m_bModalOpen = false;
    if (ui::ExitRequested()) {
        return;  // the program is ending: no redraw, no box
    }
    const uimodel::PassEnd end = PassEndOf(dialog.Outcome());
    if (end == uimodel::PassEnd::Failed) {
        ui::ShowMessageBox(ui::Text(res::kTextCleaningFailed, m_bEnglish != 0),
                           ui::Text(res::IDS_APP_TITLE), wxOK | wxICON_ERROR, DialogParent());
    }

    // Redraw what the pass left, finished or not. The percent goes to the
    // main window's caption while the summary is rebuilt.
    bool redrawFailed = false;
    {
        wxBusyCursor busy;
        auto* top = wxTheApp != nullptr ? wxDynamicCast(wxTheApp->GetTopWindow(), wxTopLevelWindow)
                                        : nullptr;
        const wxString caption = top != nullptr ? top->GetTitle() : wxString();
        SummaryTitleProgress title;
        title.show = [this, top](uint32_t percent) {
            if (top != nullptr) {
                top->SetTitle(
                    ui::Wx(res::Format(res::LoadText(res::IDS_SUMMARY_PROGRESS_FORMAT), percent,
                                       res::LoadPair(res::kTextSummaryProgress, m_bEnglish != 0))));
            }
        };
        title.restore = [top, caption] {
            if (top != nullptr) {
                top->SetTitle(caption);
            }
        };
        WaveformDisplay display;
        SoundFileResult rebuilt = SoundFileResult::OpenError;
        try {
            rebuilt = rebuildDisplay ? rebuildDisplay(display)
                                     : BuildWaveformDisplay(display, m_soundFile, &title);
        } catch (const std::bad_alloc&) {
            title.restore();
        }
        if (rebuilt == SoundFileResult::Ok) {
            m_pSegmentation =
                std::make_unique<CSegmentation>(m_soundFile.Frames(), m_soundFile.SampleRate());
            m_pSegmentation->cursorFrame = 0;
            m_pView->SetWaveform(std::move(display));
        } else {
            redrawFailed = true;
        }
    }
    // A job that never started (the engine could not be made) changed nothing.
    const auto& messages = dialog.Outcome().messages;
    const bool wrote = std::any_of(messages.begin(), messages.end(), [](const auto& message) {
        return message.id == WM_CLEANING_STARTED;
    });
    PassEnded(end, m_settings.afterNc, wrote);
    if (redrawFailed) {
        // The view still holds the previous display, whose buffers are
        // untouched: the recording stays usable, only its picture is old.
        ui::ShowMessageBox(ui::Text(res::kTextRedrawFailed, m_bEnglish != 0),
                           ui::Text(res::IDS_APP_TITLE), wxOK | wxICON_ERROR, DialogParent());
    }
}

void CQuellixDoc::RunSettingsDialog(wxWindow* parent) {
    LoadSettings(&m_settings);
    m_bModalOpen = true;
    CTuneDlg dialog(parent, &m_settings, m_bEnglish != 0);
    const int result = dialog.ShowModal();
    m_bModalOpen = false;
    if (result != wxID_OK) {
        return;
    }
    SaveSettings(&m_settings);
    SettingsChanged(m_settings.afterNc);
}

void CQuellixDoc::OnNoiseSettings(wxCommandEvent&) {
    RunSettingsDialog(DialogParent());
}

void CQuellixDoc::OnSaveCleaned(wxCommandEvent&) {
    if (CanSaveCleaned()) {
        RunSaveCleanedAs();
    }
}

bool CQuellixDoc::RunSaveCleanedAs() {
    std::string path = ChooseFile(true);
    if (path.empty()) {
        return false;
    }
    // GTK's dialog adds no extension; a name without one becomes a WAV file.
    // The dialog asked about replacing the typed name, not this one.
    bool replace = true;
    if (!wxFileName(ui::Wx(path)).HasExt()) {
        path += ".wav";
        replace = false;
    }
    return SaveCleanedTo(path, replace);
}

bool CQuellixDoc::SaveCleanedTo(const std::string& path, bool replace) {
    const bool english = m_bEnglish != 0;
    if (m_soundFile.Frames() == 0 || m_strPath.empty() || m_bModalOpen) {
        return false;
    }
    if (platform::SameFile(path, m_strPath) ||
        platform::SameFile(path, m_soundFile.WorkingCopyPath())) {
        ui::ShowMessageBox(ui::Text(res::kTextSaveSameFile, english), ui::Text(res::IDS_APP_TITLE),
                           wxOK | wxICON_ERROR, DialogParent());
        return false;
    }
    // Streaming playback would compete with the save for the mapped recording.
    if (m_pView != nullptr) {
        m_pView->StopPlayback();
    }
    SaveResult saved{OutputResult::Failed, {}};
    SaveOptions options;
    options.replace = replace;
    options.readLock = &m_sync.JobLock;
    m_bModalOpen = true;
    {
        CProgressDlg dialog(
            DialogParent(), m_sync, true, english, [&](platform::MessageTarget& window) {
                return SavingJob(m_sync, window, m_soundFile, path, options, &saved);
            });
        dialog.SetJobCaption(res::kTextSaving);
        dialog.DoModal();
    }
    m_bModalOpen = false;
    if (saved.result == OutputResult::Cancelled || ui::ExitRequested()) {
        return saved.result == OutputResult::Ok;
    }
    if (saved.result != OutputResult::Ok) {
        const std::string reason =
            saved.result == OutputResult::Exists ? std::strerror(EEXIST) : saved.reason;
        ui::ShowMessageBox(ui::Wx(res::Format(res::LoadPair(res::kTextSaveFailed, english),
                                              path.c_str(), reason.c_str())),
                           ui::Text(res::IDS_APP_TITLE), wxOK | wxICON_ERROR, DialogParent());
        return false;
    }
    Saved();
    return true;
}

bool CQuellixDoc::ConfirmDiscard() {
    if (!m_bUnsavedResult || m_strPath.empty()) {
        return true;
    }
    const int answer = ui::ShowMessageBox(ui::Text(res::kTextAskSaveCleaned, m_bEnglish != 0),
                                          ui::Text(res::IDS_APP_TITLE),
                                          wxYES_NO | wxCANCEL | wxICON_QUESTION, DialogParent());
    if (answer == wxID_YES) {
        return RunSaveCleanedAs();
    }
    return answer == wxID_NO;
}
