#pragma once

// Resource and control identifiers of Hushlark.exe (shared with the .rc files).

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
