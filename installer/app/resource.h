// Setup's window, control, command and string ids, with the numbers they have
// always had. The language dialog's OK and Cancel are wx's own ids (wxID_OK,
// wxID_CANCEL), which give them their standard behaviour; kIdOk and kIdCancel
// are the numbers they stand for.
#pragma once

namespace installer::res {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAboutCommand = 16;       // "&About Setvane..." (F1 here)
constexpr int kIddAboutBox = 100;         // CAboutDlg
constexpr int kIdsAboutBox = 101;         // "&About Setvane..."
constexpr int kIddSetupDialog = 102;      // CSVDlg, 316 x 198 dialog units
constexpr int kIdrPageTemplate = 104;     // the page template
constexpr int kIdrMainIcon = 128;         // the window icon
constexpr int kIddLanguageDialog = 129;   // CLangSelectionDlg, 244 x 71 dialog units
constexpr int kIdcLanguageList = 1000;    // the language list
constexpr int kIdcLanguagePrompt = 1001;  // "Select language from list:"

}  // namespace installer::res
