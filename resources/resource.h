#pragma once

// The program's identifiers in one place: resources and controls (shared with
// the .rc files), menu commands, and what other processes find the running
// program by (the demo's remote control and the tests use them too).

// Icon groups: sounds muted, sounds on.
#define IDI_SOUND_OFF 108
#define IDI_SOUND_ON 109

// Dialog templates.
#define IDD_OPTIONS 110
#define IDD_RENAME 112

// Options dialog controls.
#define IDC_SCHEME_LIST 1004
#define IDC_DELETE 1005
#define IDC_RENAME 1006
#define IDC_SET 1007
#define IDC_KEEP_DEFAULT 1009

// Rename dialog controls.
#define IDC_NEW_NAME 1008

// Tray menu commands.
#define IDM_SCHEME_BASE 1180
#define IDM_SOUNDS_ON 32769
#define IDM_SOUNDS_OFF 32770
#define IDM_EXIT 32771
#define IDM_LAUNCH_ON_STARTUP 32772
#define IDM_OPTIONS 32773

// Texts of the string table (strings.rc), loaded with LoadText.
#define IDS_PROGRAM_NAME 2000

// Sound changes and the program's settings: 2100-2199.

// The timed off: 2200-2299.

// The command line and the console: 2300-2499.

// The tray icon, its menu and the dialogs: 2500-2699.
#define IDS_MENU_SOUNDS_ON 2500
#define IDS_MENU_SOUNDS_OFF 2501
#define IDS_MENU_CHANGE_SCHEME 2502
#define IDS_MENU_LAUNCH_ON_STARTUP 2503
#define IDS_MENU_OPTIONS 2504
#define IDS_MENU_EXIT 2505
#define IDS_RUNNING_BALLOON 2520
#define IDS_DELETE_TITLE 2540
#define IDS_DELETE_QUESTION 2541
#define IDS_DELETE_CURRENT_REFUSED 2542
#define IDS_DELETE_SYSTEM_REFUSED 2543
#define IDS_DELETE_COMES_BACK_REFUSED 2544
#define IDS_SCHEME_GONE 2545
#define IDS_RENAME_TITLE 2560
#define IDS_RENAME_BLANK 2561
#define IDS_RENAME_RESERVED 2562
#define IDS_RENAME_TAKEN 2563

#ifndef RC_INVOKED
#include <windows.h>

// The hidden main window, found by its class.
inline constexpr wchar_t kMainWindowClass[] = L"Hushlark_Window";
inline constexpr wchar_t kMainWindowTitle[] = L"Hushlark by Quillfen";

// The tray icon's identity and the message its mouse activity arrives as.
inline constexpr UINT kTrayIconId = 321;
inline constexpr UINT kTrayCallbackMessage = WM_APP;

// Posted by a second start to the running instance, which then says that it
// is running already.
inline constexpr UINT kShowRunningMessage = WM_APP + 1;
#endif
