#include "CQuellixView.h"

#include <wx/dnd.h>
#include <wx/textctrl.h>

#include "CQuellixDoc.h"
#include "CWaveControl.h"
#include "UiText.h"
#include "ViewPlayback.h"
#include "WxIds.h"
#include "resources/resource.h"

namespace {

// Files dropped on one of the view's windows go to the view.
class FileDrop : public wxFileDropTarget {
public:
    explicit FileDrop(CQuellixView& view) : m_view(view) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
        std::vector<std::string> files;
        for (const wxString& name : names) {
            files.push_back(name.utf8_string());
        }
        m_view.DropFiles(files);
        return !files.empty();
    }

private:
    CQuellixView& m_view;
};

}  // namespace

CQuellixView::CQuellixView(wxWindow* parent, CQuellixDoc& document)
    : wxPanel(parent, ui::WxId(res::IDD_QUELLIX_FORM)), m_document(document) {
    m_info = new wxTextCtrl(this, ui::WxId(res::IDC_FILE_INFO), wxEmptyString, wxDefaultPosition,
                            wxDefaultSize, wxTE_MULTILINE | wxTE_READONLY | wxBORDER_SUNKEN);
    m_separatorTop = new wxWindow(this, ui::WxId(res::IDC_SEPARATOR_TOP));
    m_separatorBottom = new wxWindow(this, ui::WxId(res::IDC_SEPARATOR_BOTTOM));
    m_wave = new CWaveControl(this, ui::WxId(res::IDC_WAVE));
    m_playback = std::make_unique<ViewPlayback>(*this, *m_wave,
                                                [this] { return m_document.m_bEnglish != 0; });

    Bind(wxEVT_SIZE, &CQuellixView::OnSize, this);
    Bind(wxEVT_UPDATE_UI, &CQuellixView::OnUpdateOpen, this, ui::WxId(res::ID_FILE_OPEN));
    Bind(wxEVT_UPDATE_UI, &CQuellixView::OnUpdateClose, this, ui::WxId(res::ID_FILE_CLOSE));
    Bind(wxEVT_UPDATE_UI, &CQuellixView::OnUpdatePerform, this, ui::WxId(res::ID_NOISE_CLEAN));
    Bind(wxEVT_UPDATE_UI, &CQuellixView::OnUpdateSaveCleaned, this,
         ui::WxId(res::ID_FILE_SAVE_CLEANED));
    for (wxWindow* window : {static_cast<wxWindow*>(this), static_cast<wxWindow*>(m_wave),
                             static_cast<wxWindow*>(m_info)}) {
        window->SetDropTarget(new FileDrop(*this));
    }
    parent->Bind(wxEVT_CLOSE_WINDOW, &CQuellixView::OnFrameClose, this);
    m_document.AttachView(this);
}

CQuellixView::~CQuellixView() {
    // The recording goes with the view: playback stops before its samples are
    // freed, and the working copy is deleted.
    GetParent()->Unbind(wxEVT_CLOSE_WINDOW, &CQuellixView::OnFrameClose, this);
    StopPlayback();
    m_wave->ReleaseRecording();
    m_document.AttachView(nullptr);
    m_document.ReleaseRecording();
}

void CQuellixView::OnInitialUpdate() {
    m_font = wxFont(wxFontInfo(wxSize(0, kInfoFontPx))
                        .Family(wxFONTFAMILY_TELETYPE)
                        .FaceName("Courier")
                        .Bold());
    m_info->SetFont(m_font);
    const wxSize size = GetClientSize();
    LayOut(size.x, size.y);
    // The waveform takes the keys from the start, before anything is loaded.
    m_wave->SetFocus();
}

void CQuellixView::SetFileInformation(const std::string& text) {
    // The text control breaks lines at "\n"; GTK would show the "\r".
    wxString shown = ui::Wx(text);
    shown.Replace("\r\n", "\n");
    m_info->ChangeValue(shown);
}

void CQuellixView::ClearFileInformation() {
    m_info->ChangeValue(wxEmptyString);
}

void CQuellixView::SetWaveform(WaveformDisplay display) {
    if (!m_document.m_pSegmentation) {
        return;  // loading and cleaning always make one; nothing to show without it
    }
    m_wave->ShowRecording(m_document.SoundFile(), *m_document.m_pSegmentation,
                          m_document.Sync().JobLock, std::move(display));
    // As after every load and cleaning pass: one step out (a no-op while the
    // whole recording is shown).
    m_wave->ZoomOut();
    m_wave->SetFocus();
}

void CQuellixView::ReleaseWaveform() {
    m_playback->StopPlayback();
    m_wave->ReleaseRecording();
}

const WaveformDisplay& CQuellixView::Waveform() const {
    return m_wave->Display();
}

bool CQuellixView::HasStrips() const {
    return m_wave->HasStrips();
}

bool CQuellixView::HasChannel1Strip() const {
    return m_wave->Strips().channel1 != nullptr;
}

bool CQuellixView::IsPlaying() const {
    return m_playback->IsPlaying();
}

bool CQuellixView::IsPaused() const {
    return m_playback->IsPaused();
}

void CQuellixView::StopPlayback() {
    m_playback->StopPlayback();
}

wxWindow& CQuellixView::WaveArea() const {
    return *m_wave;
}

void CQuellixView::LayOut(int width, int height) {
    if (width <= kMinLayoutPx || height <= kMinLayoutPx) {
        return;
    }
    const int waveTop = kInfoHeightPx + kSeparatorPx;
    m_info->SetSize(0, 0, width, kInfoHeightPx);
    m_separatorTop->SetSize(0, kInfoHeightPx, width, kSeparatorPx);
    m_wave->SetSize(0, waveTop, width, height - waveTop - kSeparatorPx);
    m_separatorBottom->SetSize(0, height - kSeparatorPx, width, kSeparatorPx);
}

void CQuellixView::OnSize(wxSizeEvent& event) {
    event.Skip();
    m_wave->SetBandTop(CWaveControl::kLoadedBandTopPx);
    const wxSize size = GetClientSize();
    LayOut(size.x, size.y);
}

void CQuellixView::OnUpdateOpen(wxUpdateUIEvent& event) {
    event.Enable(m_document.CanOpen());
}

void CQuellixView::OnUpdateClose(wxUpdateUIEvent& event) {
    event.Enable(m_document.CanClose());
}

void CQuellixView::OnUpdatePerform(wxUpdateUIEvent& event) {
    event.Enable(m_document.CanPerform());
}

void CQuellixView::OnUpdateSaveCleaned(wxUpdateUIEvent& event) {
    event.Enable(m_document.CanSaveCleaned());
}

void CQuellixView::DropFiles(const std::vector<std::string>& files) {
    if (files.empty()) {
        return;
    }
    // Not inside the drop: opening runs modal windows.
    const std::string path = files.front();
    // Also while playing: OpenPath asks about an unsaved result, then stops
    // playback as it closes the recording.
    CallAfter([this, path] { m_document.OpenPath(path); });
}

void CQuellixView::OnFrameClose(wxCloseEvent& event) {
    if (event.CanVeto() && !m_document.ConfirmDiscard()) {
        event.Veto();
        return;
    }
    event.Skip();
}
