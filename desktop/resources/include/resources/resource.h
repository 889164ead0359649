// Command, control, dialog, bitmap, pane, timer, message and string ids of the
// desktop program and its command-line cleaner. The numbers are fixed: stored
// settings, translations and the job protocol refer to them. Window ids handed
// to wxWidgets go through the id table of the desktop program
// (desktop/ui/model/CommandIds.h), because wx refuses ids of 32767 and above.
//
// String id ranges:
//   100..220     texts of the desktop program (English/Russian pairs; a pair's
//                Russian text is not always at English id + 1, see TextPair)
//   3000..3999   hushdesk-clean (Russian at English id + 1)
//   4000..4019   document commands, progress dialog, saving (Russian at id + 1)
//   4020..4039   waveform control and playback (Russian at id + 1)
//   4040..4099   desktop texts that have no number of their own elsewhere
//   4100..4199   Russian texts of the menu and dialog resources
#pragma once

#include <cstdint>

namespace res {

// ---- Commands --------------------------------------------------------------
inline constexpr uint32_t ID_FILE_NEW = 57600;  // nothing reaches it: Ctrl+N is not bound
inline constexpr uint32_t ID_FILE_OPEN = 57601;
inline constexpr uint32_t ID_FILE_CLOSE = 57602;
inline constexpr uint32_t ID_APP_ABOUT = 57664;
inline constexpr uint32_t ID_APP_EXIT = 57665;
inline constexpr uint32_t ID_PLAY = 32771;
inline constexpr uint32_t ID_ZOOM_IN = 32774;
inline constexpr uint32_t ID_PAUSE = 32775;
inline constexpr uint32_t ID_ZOOM_OUT = 32776;
inline constexpr uint32_t ID_PLAY_FROM_CURSOR = 32780;
inline constexpr uint32_t ID_STOP = 32782;
inline constexpr uint32_t ID_NOISE_CLEAN = 32783;     // perform noise cleaning
inline constexpr uint32_t ID_NOISE_SETTINGS = 32789;  // noise-cleaning settings dialog
inline constexpr uint32_t ID_LANGUAGE_ENGLISH = 32801;
inline constexpr uint32_t ID_LANGUAGE_RUSSIAN = 32802;
inline constexpr uint32_t ID_VIEW_TOOLBAR = 59392;     // also the toolbar's window id
inline constexpr uint32_t ID_VIEW_STATUS_BAR = 59393;  // also the status bar's window id
// File > Save Cleaned As (Ctrl+S): writes the recording as it now stands.
inline constexpr uint32_t ID_FILE_SAVE_CLEANED = 32810;

// Dialog results and the standard buttons.
inline constexpr uint32_t IDOK = 1;
inline constexpr uint32_t IDCANCEL = 2;

// ---- Resources -------------------------------------------------------------
inline constexpr uint32_t IDD_ABOUTBOX = 100;
inline constexpr uint32_t IDD_QUELLIX_FORM = 101;  // the view
inline constexpr uint32_t IDR_MAINFRAME =
    128;  // menu, accelerators, toolbar, icon, document string
inline constexpr uint32_t IDB_TOOLBAR_NORMAL = 130;
inline constexpr uint32_t IDB_TOOLBAR_DISABLED = 131;
inline constexpr uint32_t IDB_TOOLBAR_HOT = 133;
inline constexpr uint32_t IDD_TUNE = 139;      // noise-cleaning settings
inline constexpr uint32_t IDD_PROGRESS = 142;  // progress of a job

// ---- Controls --------------------------------------------------------------
inline constexpr uint32_t IDC_WAVE = 1000;       // view: waveform control
inline constexpr uint32_t IDC_FILE_INFO = 1003;  // view: file-information box
inline constexpr uint32_t IDC_NOISE_CANCEL = 1006;
inline constexpr uint32_t IDC_GAIN_MAX = 1007;
inline constexpr uint32_t IDC_WHITE_NOISE = 1008;
inline constexpr uint32_t IDC_SPECTRUM = 1009;
inline constexpr uint32_t IDC_TONE = 1010;
inline constexpr uint32_t IDC_BUFF_SIZE = 1011;
inline constexpr uint32_t IDC_DISABLE_RECLEANING = 1012;  // first of the radio group
inline constexpr uint32_t IDC_ENABLE_RECLEANING = 1013;
inline constexpr uint32_t IDC_PROGRESS = 1014;
inline constexpr uint32_t IDC_VERSION_RU = 1015;
inline constexpr uint32_t IDC_BUILD_DATE_RU = 1016;
inline constexpr uint32_t IDC_SEPARATOR_TOP = 1017;  // view: below the information box
inline constexpr uint32_t IDC_GAIN_LABEL = 1018;
inline constexpr uint32_t IDC_SEPARATOR_BOTTOM = 1019;  // view: below the waveform
inline constexpr uint32_t IDC_BUFF_LABEL = 1020;
inline constexpr uint32_t IDC_VERSION_EN = 1021;
inline constexpr uint32_t IDC_AFTER_NC_GROUP = 1022;  // settings dialog: group box
inline constexpr uint32_t IDC_CANCEL_JOB = 1022;      // progress dialog: Cancel button
inline constexpr uint32_t IDC_BUILD_DATE_EN = 1023;
// Ours, beyond the original dialogs: above their 1000..1023.
inline constexpr uint32_t IDC_SPEECH_MODE = 1100;  // settings dialog: speech mode

// ---- Status-bar panes (field index = id - ID_INDICATOR_FIRST) --------------
inline constexpr uint32_t ID_INDICATOR_NOISE_CANCEL = 111;
inline constexpr uint32_t ID_INDICATOR_WHITE_NOISE = 112;
inline constexpr uint32_t ID_INDICATOR_SPECTRUM = 113;
inline constexpr uint32_t ID_INDICATOR_TONE = 114;
inline constexpr uint32_t ID_INDICATOR_GAIN_MAX = 115;
inline constexpr uint32_t ID_INDICATOR_BUFF_SIZE = 116;
inline constexpr uint32_t ID_INDICATOR_AFTER_NC = 117;
inline constexpr uint32_t ID_INDICATOR_PASSES = 118;
inline constexpr uint32_t ID_INDICATOR_FIRST = ID_INDICATOR_NOISE_CANCEL;
inline constexpr uint32_t kIndicatorCount = 8;

// ---- Timers ----------------------------------------------------------------
inline constexpr uint32_t TIMER_FOCUS = 1;         // view, 1000 ms
inline constexpr uint32_t TIMER_AUTO_SCROLL = 10;  // waveform control, 100 ms
inline constexpr uint32_t TIMER_PLAY_FOLLOW = 11;  // view, 50 ms

// ---- Messages --------------------------------------------------------------
// Posted by the sound output to the view. The job messages 1271..1279 are
// declared with the job protocol (pipeline/JobProtocol.h).
inline constexpr uint32_t WM_PLAY_FINISHED = 1025;  // everything handed over has been played
inline constexpr uint32_t WM_PLAY_NEXT_BLOCK = 1026;

// ---- Strings ---------------------------------------------------------------
// A text in both languages. Most pairs keep the Russian text at English id + 1;
// a few do not (162/184, 164/183, 119/205, 120/206), and menu and dialog
// captions keep their Russian text among the resource texts (4100..4199).
struct TextPair {
    uint32_t english;
    uint32_t russian;
};
constexpr TextPair NextIdPair(uint32_t englishId) {
    return {englishId, englishId + 1};
}

inline constexpr uint32_t IDS_OLE_INIT_FAILED = 100;  // English only; nothing on Linux shows it
inline constexpr uint32_t IDS_TUNE_CAPTION = 102;
inline constexpr uint32_t IDS_APP_TITLE = 103;  // "Hushdesk", both languages
inline constexpr uint32_t IDS_TUNE_NOISE_CANCEL = 104;
inline constexpr uint32_t IDS_TUNE_WHITE_NOISE = 105;
inline constexpr uint32_t IDS_TUNE_SPECTRUM = 106;
inline constexpr uint32_t IDS_TUNE_TONE = 107;
inline constexpr uint32_t IDS_TUNE_GAIN_MAX = 108;
inline constexpr uint32_t IDS_TUNE_BUFF_SIZE = 109;
inline constexpr uint32_t IDS_TUNE_AFTER_NC = 110;
inline constexpr uint32_t IDS_DISABLE_RECLEANING = 119;  // Russian pane text: 205
inline constexpr uint32_t IDS_ENABLE_RECLEANING = 120;   // Russian pane text: 206
inline constexpr uint32_t IDS_SAVE = 121;
inline constexpr uint32_t IDS_CANCEL = 122;
inline constexpr uint32_t IDS_DOCUMENT_TEMPLATE = IDR_MAINFRAME;  // 128

// English captions of menu 128 (the Russian ones are resource texts below).
inline constexpr uint32_t IDS_MENU_FILE = 152;
inline constexpr uint32_t IDS_MENU_PLAY = 153;
inline constexpr uint32_t IDS_MENU_NOISE_CLEAN = 154;
inline constexpr uint32_t IDS_MENU_VIEW = 155;
inline constexpr uint32_t IDS_MENU_HELP = 156;
inline constexpr uint32_t IDS_MENU_OPEN = 157;
inline constexpr uint32_t IDS_MENU_CLOSE = 158;
inline constexpr uint32_t IDS_MENU_EXIT = 159;
inline constexpr uint32_t IDS_MENU_PLAY_ITEM = 160;
inline constexpr uint32_t IDS_MENU_PAUSE = 161;
inline constexpr uint32_t IDS_STOP = 162;              // menu caption and tooltip; Russian 184
inline constexpr uint32_t IDS_PLAY_FROM_CURSOR = 164;  // menu caption and tooltip; Russian 183
inline constexpr uint32_t IDS_MENU_SETTINGS = 165;
inline constexpr uint32_t IDS_MENU_PERFORM = 166;
inline constexpr uint32_t IDS_MENU_TOOLBAR = 167;
inline constexpr uint32_t IDS_MENU_STATUS_BAR = 168;
inline constexpr uint32_t IDS_MENU_ZOOM_IN = 169;
inline constexpr uint32_t IDS_MENU_ZOOM_OUT = 170;
inline constexpr uint32_t IDS_MENU_LANGUAGE = 171;
inline constexpr uint32_t IDS_MENU_ABOUT = 172;

// Language prompts: the Russian sentence, then the English one.
inline constexpr uint32_t IDS_ASK_ENGLISH_RU = 173;
inline constexpr uint32_t IDS_ASK_ENGLISH_EN = 174;
inline constexpr uint32_t IDS_ASK_RUSSIAN_RU = 175;
inline constexpr uint32_t IDS_ASK_RUSSIAN_EN = 176;

// Toolbar tooltips.
inline constexpr uint32_t IDS_TIP_OPEN = 177;   // Russian 178
inline constexpr uint32_t IDS_TIP_PLAY = 179;   // Russian 180
inline constexpr uint32_t IDS_TIP_PAUSE = 181;  // Russian 182
inline constexpr uint32_t IDS_TIP_PLAY_FROM_CURSOR_RU = 183;
inline constexpr uint32_t IDS_TIP_STOP_RU = 184;
inline constexpr uint32_t IDS_TIP_PERFORM = 185;   // Russian 186
inline constexpr uint32_t IDS_TIP_SETTINGS = 191;  // Russian 192
inline constexpr uint32_t IDS_TIP_ABOUT = 193;     // Russian 194

// Status-bar pane labels.
inline constexpr uint32_t IDS_PANE_NOISE_CANCEL = 187;  // Russian 188
inline constexpr uint32_t IDS_PANE_WHITE_NOISE = 189;   // Russian 190
inline constexpr uint32_t IDS_PANE_SPECTRUM = 195;      // Russian 196
inline constexpr uint32_t IDS_PANE_TONE = 197;          // Russian 198
inline constexpr uint32_t IDS_PANE_GAIN_MAX = 199;      // Russian 200
inline constexpr uint32_t IDS_PANE_BUFF_SIZE = 201;     // Russian 202
inline constexpr uint32_t IDS_PANE_PASSES = 203;        // Russian 204
inline constexpr uint32_t IDS_PANE_RECLEANING_DISABLED_RU = 205;
inline constexpr uint32_t IDS_PANE_RECLEANING_ENABLED_RU = 206;

// Progress dialog captions.
inline constexpr uint32_t IDS_CAPTION_CLEANING = 207;  // Russian 208
inline constexpr uint32_t IDS_CAPTION_LOADING = 209;   // Russian 210

// Loading errors, by the sound file's result kind (English / Russian).
inline constexpr uint32_t IDS_ERR_OPEN_EN = 211;
inline constexpr uint32_t IDS_ERR_OPEN_RU = 212;
inline constexpr uint32_t IDS_ERR_FORMAT_EN = 213;
inline constexpr uint32_t IDS_ERR_FORMAT_RU = 214;
inline constexpr uint32_t IDS_ERR_TEMP_DENIED_EN = 217;
inline constexpr uint32_t IDS_ERR_TEMP_DENIED_RU = 218;
inline constexpr uint32_t IDS_ERR_DISK_SPACE_EN = 219;
inline constexpr uint32_t IDS_ERR_DISK_SPACE_RU = 220;

// hushdesk-clean. Each English text is followed by its Russian text at id + 1.
inline constexpr uint32_t IDS_CLI_USAGE = 3000;
inline constexpr uint32_t IDS_CLI_HELP = 3002;
inline constexpr uint32_t IDS_CLI_UNKNOWN_OPTION = 3004;
inline constexpr uint32_t IDS_CLI_MISSING_VALUE = 3006;
inline constexpr uint32_t IDS_CLI_BAD_VALUE = 3008;
inline constexpr uint32_t IDS_CLI_BAD_OPERANDS = 3010;
inline constexpr uint32_t IDS_CLI_SAME_FILE = 3012;
inline constexpr uint32_t IDS_CLI_OUTPUT_EXISTS = 3014;
inline constexpr uint32_t IDS_CLI_CANNOT_READ = 3016;
inline constexpr uint32_t IDS_CLI_CANNOT_WRITE = 3018;
inline constexpr uint32_t IDS_CLI_CLEANED = 3020;
inline constexpr uint32_t IDS_CLI_INTERRUPTED = 3022;
inline constexpr uint32_t IDS_CLI_CLEANING_FAILED = 3024;
inline constexpr uint32_t IDS_CLI_NOT_A_FOLDER = 3026;
inline constexpr uint32_t IDS_CLI_DUPLICATE_OUTPUT = 3028;
inline constexpr uint32_t IDS_CLI_OUTPUT_NOT_REGULAR = 3030;
inline constexpr uint32_t IDS_CLI_INPUT_NOT_REGULAR = 3032;
inline constexpr uint32_t IDS_CLI_TOO_LONG = 3034;
inline constexpr uint32_t IDS_CLI_INTERRUPTED_KEPT = 3036;
inline constexpr uint32_t IDS_CLI_TEMP_FOLDER = 3038;
inline constexpr uint32_t IDS_CLI_INPUT_CHANGED = 3040;
// Recordings of every format and rate (3060..3069).
inline constexpr uint32_t IDS_CLI_UNREADABLE = 3060;
inline constexpr uint32_t IDS_CLI_RATE = 3062;
inline constexpr uint32_t IDS_CLI_DAMAGED = 3064;
inline constexpr uint32_t IDS_CLI_CANNOT_ENCODE = 3066;
// 3100..3139: hushdesk-clean over archives (file lists, shards, reports).
inline constexpr uint32_t IDS_CLI_FILE_OR_DASH = 3100;  // allowed value of a file option
inline constexpr uint32_t IDS_CLI_NUL_NEEDS_LIST = 3102;
inline constexpr uint32_t IDS_CLI_NEEDS_OUTPUT_DIR = 3104;  // format: option
inline constexpr uint32_t IDS_CLI_LIST_AND_OPERANDS = 3106;
inline constexpr uint32_t IDS_CLI_CONFLICT = 3108;     // format: option, option
inline constexpr uint32_t IDS_CLI_EMPTY_ENTRY = 3110;  // format: entry number
inline constexpr uint32_t IDS_CLI_SKIPPED = 3112;      // format: input, output
inline constexpr uint32_t IDS_CLI_KEEP_TREE_HINT = 3114;

// Document commands, progress dialog, saving (Russian at id + 1).
inline constexpr uint32_t IDS_MENU_SAVE_CLEANED = 4000;   // File menu caption
inline constexpr uint32_t IDS_SAVE_CLEANED_TITLE = 4002;  // the save dialog's title
inline constexpr uint32_t IDS_ASK_SAVE_CLEANED = 4004;    // before a cleaned result is discarded
inline constexpr uint32_t IDS_SAVE_SAME_FILE = 4006;      // the target is the opened recording
inline constexpr uint32_t IDS_SAVE_FAILED = 4008;         // format: target path, reason
inline constexpr uint32_t IDS_CLEANING_FAILED = 4010;     // the job ended without finishing
inline constexpr uint32_t IDS_SAVING = 4012;              // the progress caption while saving
inline constexpr uint32_t IDS_ERR_UNREADABLE = 4014;      // open: missing, unreadable, no file
inline constexpr uint32_t IDS_REDRAW_FAILED = 4016;       // the waveform after a pass failed
// 4020..4039: waveform control and playback.
inline constexpr uint32_t IDS_NO_AUDIO_DEVICE = 4020;   // Russian 4021
inline constexpr uint32_t IDS_PLAYBACK_REFUSED = 4022;  // a block was refused; Russian 4023

// Desktop texts without a number of their own (Russian at id + 1 for pairs).
inline constexpr uint32_t IDS_ON = 4040;   // "ON." / "ВКЛ."
inline constexpr uint32_t IDS_OFF = 4042;  // "OFF." / "ОТКЛ."
// File information above the waveform: printf format of path, sample rate,
// duration text ("%u:%02u"), channel count and channel text.
inline constexpr uint32_t IDS_FILE_INFO = 4044;
inline constexpr uint32_t IDS_CHANNELS_STEREO = 4046;  // " - STEREO", both languages
inline constexpr uint32_t IDS_CHANNELS_MONO = 4047;    // " - MONO", both languages
// Shown in Russian whatever the interface language.
inline constexpr uint32_t IDS_OPEN_UNKNOWN_ERROR = 4048;
inline constexpr uint32_t IDS_PLAYBACK_CLOSE_ERROR = 4049;
// Caption progress while the waveform summary is rebuilt: format of the
// percent and the text.
inline constexpr uint32_t IDS_SUMMARY_PROGRESS_FORMAT = 4050;  // "%% %u - %s", both languages
inline constexpr uint32_t IDS_SUMMARY_PROGRESS = 4052;         // Russian at 4053
inline constexpr uint32_t IDS_OPEN_FILTER = 4054;  // open-file dialog filter, both languages
inline constexpr uint32_t IDS_ABOUT_MAKER = 4056;  // About box maker lines, both languages
inline constexpr uint32_t IDS_ABOUT_COPYRIGHT = 4057;

// Russian texts of the menu resource 128.
inline constexpr uint32_t IDS_RU_MENU_FILE = 4100;
inline constexpr uint32_t IDS_RU_MENU_OPEN = 4101;
inline constexpr uint32_t IDS_RU_MENU_CLOSE = 4102;
inline constexpr uint32_t IDS_RU_MENU_EXIT = 4103;
inline constexpr uint32_t IDS_RU_MENU_PLAY = 4104;
inline constexpr uint32_t IDS_RU_MENU_PLAY_ITEM = 4105;
inline constexpr uint32_t IDS_RU_MENU_PAUSE = 4106;
inline constexpr uint32_t IDS_RU_MENU_STOP = 4107;
inline constexpr uint32_t IDS_RU_MENU_PLAY_FROM_CURSOR = 4108;
inline constexpr uint32_t IDS_RU_MENU_NOISE_CLEAN = 4109;
inline constexpr uint32_t IDS_RU_MENU_SETTINGS = 4110;
inline constexpr uint32_t IDS_RU_MENU_PERFORM = 4111;
inline constexpr uint32_t IDS_RU_MENU_VIEW = 4112;
inline constexpr uint32_t IDS_RU_MENU_TOOLBAR = 4113;
inline constexpr uint32_t IDS_RU_MENU_STATUS_BAR = 4114;
inline constexpr uint32_t IDS_RU_MENU_LANGUAGE = 4115;
inline constexpr uint32_t IDS_MENU_LANGUAGE_ENGLISH = 4116;  // bilingual, never relabelled
inline constexpr uint32_t IDS_MENU_LANGUAGE_RUSSIAN = 4117;  // bilingual, never relabelled
inline constexpr uint32_t IDS_RU_MENU_ZOOM_IN = 4118;
inline constexpr uint32_t IDS_RU_MENU_ZOOM_OUT = 4119;
inline constexpr uint32_t IDS_RU_MENU_HELP = 4120;
inline constexpr uint32_t IDS_RU_MENU_ABOUT = 4121;

// Russian texts of the settings dialog 139 and the progress dialog 142.
inline constexpr uint32_t IDS_RU_TUNE_CAPTION = 4130;
inline constexpr uint32_t IDS_RU_TUNE_NOISE_CANCEL = 4131;
inline constexpr uint32_t IDS_RU_TUNE_GAIN_MAX = 4132;
inline constexpr uint32_t IDS_RU_TUNE_WHITE_NOISE = 4133;
inline constexpr uint32_t IDS_RU_TUNE_SPECTRUM = 4134;
inline constexpr uint32_t IDS_RU_TUNE_TONE = 4135;
inline constexpr uint32_t IDS_RU_TUNE_BUFF_SIZE = 4136;
inline constexpr uint32_t IDS_RU_TUNE_AFTER_NC = 4137;
inline constexpr uint32_t IDS_RU_TUNE_DISABLE_RECLEANING = 4138;
inline constexpr uint32_t IDS_RU_TUNE_ENABLE_RECLEANING = 4139;
inline constexpr uint32_t IDS_RU_SAVE = 4140;
inline constexpr uint32_t IDS_RU_CANCEL = 4141;  // also the progress dialog's button

// The settings dialog's speech-mode check box (ours; Russian at id + 1).
inline constexpr uint32_t IDS_TUNE_SPEECH_MODE = 4170;

// Texts of the About box 100 (bilingual: it shows both languages at once).
inline constexpr uint32_t IDS_ABOUT_TITLE = 4150;
inline constexpr uint32_t IDS_ABOUT_VERSION_RU = 4151;
inline constexpr uint32_t IDS_ABOUT_DATE_RU = 4152;
inline constexpr uint32_t IDS_ABOUT_VERSION_EN = 4153;
inline constexpr uint32_t IDS_ABOUT_DATE_EN = 4154;
inline constexpr uint32_t IDS_ABOUT_OK = 4155;

// Setup's own boxes (English, Russian at +1), chosen by its installation language.
inline constexpr uint32_t IDS_SETUP_NO_CONFIGURATION = 4300;   // + the folder
inline constexpr uint32_t IDS_SETUP_NO_WORKING_FOLDER = 4302;  // + the folder

// ---- Text pairs ------------------------------------------------------------
inline constexpr TextPair kTextAppTitle{IDS_APP_TITLE, IDS_APP_TITLE};
inline constexpr TextPair kTextOn = NextIdPair(IDS_ON);
inline constexpr TextPair kTextSetupNoConfiguration = NextIdPair(IDS_SETUP_NO_CONFIGURATION);
inline constexpr TextPair kTextSetupNoWorkingFolder = NextIdPair(IDS_SETUP_NO_WORKING_FOLDER);
inline constexpr TextPair kTextOff = NextIdPair(IDS_OFF);
inline constexpr TextPair kTextFileInfo = NextIdPair(IDS_FILE_INFO);
inline constexpr TextPair kTextSummaryProgress = NextIdPair(IDS_SUMMARY_PROGRESS);
inline constexpr TextPair kTextSaveCleanedTitle = NextIdPair(IDS_SAVE_CLEANED_TITLE);
inline constexpr TextPair kTextAskSaveCleaned = NextIdPair(IDS_ASK_SAVE_CLEANED);
inline constexpr TextPair kTextSaveSameFile = NextIdPair(IDS_SAVE_SAME_FILE);
inline constexpr TextPair kTextSaveFailed = NextIdPair(IDS_SAVE_FAILED);
inline constexpr TextPair kTextCleaningFailed = NextIdPair(IDS_CLEANING_FAILED);
inline constexpr TextPair kTextSaving = NextIdPair(IDS_SAVING);
inline constexpr TextPair kTextUnreadable = NextIdPair(IDS_ERR_UNREADABLE);
inline constexpr TextPair kTextRedrawFailed = NextIdPair(IDS_REDRAW_FAILED);

inline constexpr TextPair kTextTuneCaption{IDS_TUNE_CAPTION, IDS_RU_TUNE_CAPTION};
inline constexpr TextPair kTextTuneNoiseCancel{IDS_TUNE_NOISE_CANCEL, IDS_RU_TUNE_NOISE_CANCEL};
inline constexpr TextPair kTextTuneWhiteNoise{IDS_TUNE_WHITE_NOISE, IDS_RU_TUNE_WHITE_NOISE};
inline constexpr TextPair kTextTuneSpectrum{IDS_TUNE_SPECTRUM, IDS_RU_TUNE_SPECTRUM};
inline constexpr TextPair kTextTuneTone{IDS_TUNE_TONE, IDS_RU_TUNE_TONE};
inline constexpr TextPair kTextTuneGainMax{IDS_TUNE_GAIN_MAX, IDS_RU_TUNE_GAIN_MAX};
inline constexpr TextPair kTextTuneBuffSize{IDS_TUNE_BUFF_SIZE, IDS_RU_TUNE_BUFF_SIZE};
inline constexpr TextPair kTextTuneAfterNc{IDS_TUNE_AFTER_NC, IDS_RU_TUNE_AFTER_NC};
inline constexpr TextPair kTextTuneDisableRecleaning{IDS_DISABLE_RECLEANING,
                                                     IDS_RU_TUNE_DISABLE_RECLEANING};
inline constexpr TextPair kTextTuneEnableRecleaning{IDS_ENABLE_RECLEANING,
                                                    IDS_RU_TUNE_ENABLE_RECLEANING};
inline constexpr TextPair kTextTuneSpeechMode = NextIdPair(IDS_TUNE_SPEECH_MODE);
inline constexpr TextPair kTextSave{IDS_SAVE, IDS_RU_SAVE};
inline constexpr TextPair kTextCancel{IDS_CANCEL, IDS_RU_CANCEL};

inline constexpr TextPair kTextTipOpen = NextIdPair(IDS_TIP_OPEN);
inline constexpr TextPair kTextTipPlay = NextIdPair(IDS_TIP_PLAY);
inline constexpr TextPair kTextTipPause = NextIdPair(IDS_TIP_PAUSE);
inline constexpr TextPair kTextTipPlayFromCursor{IDS_PLAY_FROM_CURSOR, IDS_TIP_PLAY_FROM_CURSOR_RU};
inline constexpr TextPair kTextTipStop{IDS_STOP, IDS_TIP_STOP_RU};
inline constexpr TextPair kTextTipPerform = NextIdPair(IDS_TIP_PERFORM);
inline constexpr TextPair kTextTipSettings = NextIdPair(IDS_TIP_SETTINGS);
inline constexpr TextPair kTextTipAbout = NextIdPair(IDS_TIP_ABOUT);

inline constexpr TextPair kTextPaneNoiseCancel = NextIdPair(IDS_PANE_NOISE_CANCEL);
inline constexpr TextPair kTextPaneWhiteNoise = NextIdPair(IDS_PANE_WHITE_NOISE);
inline constexpr TextPair kTextPaneSpectrum = NextIdPair(IDS_PANE_SPECTRUM);
inline constexpr TextPair kTextPaneTone = NextIdPair(IDS_PANE_TONE);
inline constexpr TextPair kTextPaneGainMax = NextIdPair(IDS_PANE_GAIN_MAX);
inline constexpr TextPair kTextPaneBuffSize = NextIdPair(IDS_PANE_BUFF_SIZE);
inline constexpr TextPair kTextPaneRecleaningDisabled{IDS_DISABLE_RECLEANING,
                                                      IDS_PANE_RECLEANING_DISABLED_RU};
inline constexpr TextPair kTextPaneRecleaningEnabled{IDS_ENABLE_RECLEANING,
                                                     IDS_PANE_RECLEANING_ENABLED_RU};
inline constexpr TextPair kTextPanePasses = NextIdPair(IDS_PANE_PASSES);

inline constexpr TextPair kTextCaptionCleaning = NextIdPair(IDS_CAPTION_CLEANING);
inline constexpr TextPair kTextCaptionLoading = NextIdPair(IDS_CAPTION_LOADING);

}  // namespace res
