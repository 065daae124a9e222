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
#define IDD_QUIET_HOURS 114

// Options dialog controls.
#define IDC_SCHEME_LIST 1004
#define IDC_DELETE 1005
#define IDC_RENAME 1006
#define IDC_SET 1007
#define IDC_KEEP_DEFAULT 1009
#define IDC_QUIET_HOURS 1010

// The Options dialog's hotkey row.
#define IDC_HOTKEY 1040

// Rename dialog controls.
#define IDC_NEW_NAME 1008

// Quiet Hours dialog controls; the weekday boxes follow each other from Monday.
#define IDC_QUIET_HOURS_ON 1020
#define IDC_PERIOD_LIST 1021
#define IDC_PERIOD_FROM 1022
#define IDC_PERIOD_TO 1023
#define IDC_ADD_PERIOD 1024
#define IDC_REMOVE_PERIOD 1025
#define IDC_DAY_MONDAY 1030

// Tray menu commands.
#define IDM_SCHEME_BASE 1180
#define IDM_SOUNDS_ON 32769
#define IDM_SOUNDS_OFF 32770
#define IDM_EXIT 32771
#define IDM_LAUNCH_ON_STARTUP 32772
#define IDM_OPTIONS 32773
#define IDM_OFF_15_MINUTES 32774
#define IDM_OFF_1_HOUR 32775
#define IDM_OFF_2_HOURS 32776
#define IDM_OFF_8_HOURS 32777
#define IDM_QUIET_HOURS 32778
#define IDM_QUIET_LOCKED 32779
#define IDM_QUIET_PRESENTING 32780
#define IDM_QUIET_HOURS_DIALOG 32781

// Texts of the string table (strings.rc), loaded with LoadText.
#define IDS_PROGRAM_NAME 2000

// Sound changes and the program's settings: 2100-2199.
#define IDS_SOUNDS_NOT_SAVED 2100
#define IDS_SOUNDS_NOT_SAVED_UNDO_FAILED 2101
#define IDS_SOUNDS_NOT_CHANGED 2102
#define IDS_SETTINGS_NOT_SAVED 2103
#define IDS_STARTUP_NOT_CHANGED 2104
#define IDS_UNDO_FAILED 2105

// The timed off: 2200-2299.
#define IDS_TIP_SOUND_ON 2200
#define IDS_TIP_SOUND_OFF 2201
#define IDS_TIP_OFF_UNTIL 2202
#define IDS_TIP_OFF_UNTIL_TOMORROW 2203
#define IDS_TIP_OFF_OVERDUE 2204
#define IDS_STATUS_UNTIL 2210
#define IDS_STATUS_UNTIL_TOMORROW 2211
#define IDS_STATUS_UNTIL_OVERDUE 2212
#define IDS_TIMED_OFF_NOT_STARTED 2220

// The command line and the console: 2300-2499.
// Usage, one entry for each command's lines, in the order of the command table.
#define IDS_USAGE_HEADER 2300
#define IDS_USAGE_OFF 2301
#define IDS_USAGE_ON 2302
#define IDS_USAGE_TOGGLE 2303
#define IDS_USAGE_SCHEME 2304
#define IDS_USAGE_STATUS 2305
#define IDS_USAGE_LIST 2306
#define IDS_USAGE_EXIT 2307
#define IDS_USAGE_STARTUP_ON_OFF 2308
#define IDS_USAGE_STARTUP_STATUS 2309
#define IDS_USAGE_VERSION 2310
#define IDS_USAGE_FOOTER 2311
// What the commands print.
#define IDS_STATUS_ON 2320
#define IDS_STATUS_OFF 2321
#define IDS_STATUS_SCHEME 2322
#define IDS_LIST_CURRENT 2323
#define IDS_LIST_OTHER 2324
#define IDS_STARTUP_STATUS_ON 2325
#define IDS_STARTUP_STATUS_OFF 2326
#define IDS_STARTUP_STATUS_DISABLED 2327
#define IDS_VERSION_LINE 2328
// Failures, and the line the console prints them on.
#define IDS_ERROR_LINE 2340
#define IDS_NO_SUCH_SCHEME 2341
#define IDS_SEVERAL_SCHEMES 2342
#define IDS_SCHEME_KEY_SEPARATOR 2343
#define IDS_SCHEMES_UNREADABLE 2344
#define IDS_INSTANCE_NO_ANSWER 2345
#define IDS_INSTANCE_INCOMPLETE 2346

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

// The installer's options: 2950-2999.
// Usage of the forms installers give, after the other commands' lines.
#define IDS_USAGE_INSTALLERS 2950
#define IDS_USAGE_EXIT_THIS_COPY 2951
#define IDS_USAGE_STARTUP_OFF_THIS_COPY 2952

// Quiet by itself: 2700-2899.
#define IDS_QUIET_OFF_FAILED 2700
#define IDS_QUIET_ON_FAILED 2701
#define IDS_TIP_QUIET_HOURS 2702
#define IDS_TIP_QUIET_HOURS_UNTIL 2703
#define IDS_TIP_SCREEN_LOCKED 2704
#define IDS_TIP_PRESENTING 2705
#define IDS_QUIET_REASON_HOURS 2706
#define IDS_QUIET_REASON_LOCKED 2707
#define IDS_QUIET_REASON_PRESENTING 2708
#define IDS_STATUS_BECAUSE 2709
#define IDS_QUIET_ON 2710
#define IDS_QUIET_OFF 2711
#define IDS_QUIET_LIST_HOURS 2712
#define IDS_QUIET_LIST_PERIOD 2713
#define IDS_QUIET_LIST_LOCKED 2714
#define IDS_QUIET_LIST_PRESENTING 2715
#define IDS_PERIOD_SHOWN 2716
#define IDS_PERIOD_EVERY_DAY 2717
// Monday to Sunday follow each other.
#define IDS_DAY_MONDAY 2720
#define IDS_DAY_TUESDAY 2721
#define IDS_DAY_WEDNESDAY 2722
#define IDS_DAY_THURSDAY 2723
#define IDS_DAY_FRIDAY 2724
#define IDS_DAY_SATURDAY 2725
#define IDS_DAY_SUNDAY 2726
#define IDS_QUIET_HOURS_TITLE 2730
#define IDS_QUIET_SAME_START_AND_END 2731
#define IDS_QUIET_NO_DAY 2732
#define IDS_QUIET_TOO_MANY 2733
#define IDS_USAGE_SHORT_HEADER 2740
#define IDS_USAGE_QUIET 2741
#define IDS_USAGE_QUIET_SWITCH 2742
#define IDS_USAGE_QUIET_ADD 2743
#define IDS_USAGE_QUIET_REMOVE 2744
#define IDS_USAGE_QUIET_CLEAR 2745
#define IDS_RULES_NOT_STARTED 2746
#define IDS_MENU_OFF_FOR_A_WHILE 2750
#define IDS_MENU_OFF_15_MINUTES 2751
#define IDS_MENU_OFF_1_HOUR 2752
#define IDS_MENU_OFF_2_HOURS 2753
#define IDS_MENU_OFF_8_HOURS 2754
#define IDS_MENU_QUIET_AUTOMATICALLY 2755
#define IDS_MENU_QUIET_HOURS 2756
#define IDS_MENU_QUIET_LOCKED 2757
#define IDS_MENU_QUIET_PRESENTING 2758
#define IDS_MENU_QUIET_HOURS_DIALOG 2759

// The hotkey: 3050-3099.
#define IDS_HOTKEY_BALLOON 3050
#define IDS_HOTKEY_TAKEN 3051
#define IDS_HOTKEY_NOT_ALLOWED 3052
#define IDS_HOTKEY_NOT_REGISTERED 3053
#define IDS_HOTKEY_LINE 3054
#define IDS_HOTKEY_NONE 3055
#define IDS_USAGE_HOTKEY 3056

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

// Sent by a dialog of the program to its owner, the main window, after a
// choice by hand (Options' Set): the quiet rules and the timed off follow it.
inline constexpr UINT kChoiceByHandMessage = WM_APP + 2;
#endif
