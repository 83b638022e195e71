// Resource ids of the dialog templates, controls, strings and icons.
#pragma once

// Dialog templates
inline constexpr int IDD_ABOUT = 130;
inline constexpr int IDD_HELP = 132;
inline constexpr int IDD_AGREEMENT = 133;
inline constexpr int IDD_MAIN = 102;

// Icons and strings
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

// System commands
inline constexpr unsigned SC_MINIMIZE = 0xF020;
inline constexpr unsigned SC_CLOSE = 0xF060;
inline constexpr unsigned SC_RESTORE = 0xF120;

// Common controls
inline constexpr int IDOK_BUTTON = 1;  // the OK button of the help and about dialogs

// Main dialog
inline constexpr int IDC_EXIT = 1000;
inline constexpr int IDC_OPEN_AVI = 1001;
inline constexpr int IDC_START = 1002;
inline constexpr int IDC_SET_OUTPUT_DIR = 1003;
inline constexpr int IDC_PROGRESS = 1004;
inline constexpr int IDC_INPUT_FILE = 1005;
inline constexpr int IDC_OUTPUT_DIR = 1006;
inline constexpr int IDC_STOP = 1008;
inline constexpr int IDC_START_FRAME = 1009;
inline constexpr int IDC_END_FRAME = 1010;
inline constexpr int IDC_TOTAL_FRAMES = 1011;
inline constexpr int IDC_FRAME_SLIDER = 1012;
inline constexpr int IDC_FPS = 1013;
inline constexpr int IDC_DURATION = 1014;
inline constexpr int IDC_CURRENT_FRAME = 1015;
inline constexpr int IDC_SAVE_FRAME = 1016;
inline constexpr int IDC_ABOUT = 1017;
inline constexpr int IDC_FRAME_WIDTH = 1018;
inline constexpr int IDC_FRAME_HEIGHT = 1019;

// Agreement dialog
inline constexpr int IDC_ACCEPT = 1013;
inline constexpr int IDC_REJECT = 1014;
inline constexpr int IDC_AGREEMENT_TEXT = 1015;

// Help and about dialogs
inline constexpr int IDC_HELP_TEXT = 1018;
inline constexpr int IDC_VERSION = 1014;
