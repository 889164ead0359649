#include "GuiTest.h"

#include <wx/app.h>

#include "CMainFrame.h"
#include "CQuellixApp.h"

namespace guitest {

MessageBoxLog::MessageBoxLog() : m_answer(wxID_OK) {
    m_previous = ui::SetMessageBoxAnswerer([this](const ui::MessageBoxRequest& request) {
        std::lock_guard lock(m_mutex);
        m_boxes.push_back(request);
        return m_answer;
    });
}

MessageBoxLog::~MessageBoxLog() {
    ui::SetMessageBoxAnswerer(std::move(m_previous));
}

void MessageBoxLog::SetAnswer(int answer) {
    std::lock_guard lock(m_mutex);
    m_answer = answer;
}

std::vector<ui::MessageBoxRequest> MessageBoxLog::Boxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

GuiTest::GuiTest() : m_registryEnv("KESTROVA_REGISTRY_DIR", m_registry.Path()) {}

GuiTest::~GuiTest() {
    StopProgram();
}

CQuellixApp& GuiTest::App() {
    return *static_cast<CQuellixApp*>(wxTheApp);
}

CMainFrame& GuiTest::StartProgram(const std::vector<std::string>& files) {
    App().InitInstance(files);
    Pump(100ms);
    return *App().GetMainFrame();
}

void GuiTest::StopProgram() {
    App().ExitInstance();
    Pump(20ms);
}

}  // namespace guitest
