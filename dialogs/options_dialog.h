#pragma once

#include <windows.h>

// Dialog procedure of template IDD_OPTIONS: the scheme list with Set, Rename
// and Delete, the scheme guard's check box, and the hotkey box. Every action
// takes effect at once, but for the hotkey box, which is applied as the
// dialog closes (a combination that is refused keeps it open); the dialog
// always ends with 0. Its owner should let go of the hotkey meanwhile.
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the Options dialog modally from the template in `instance`.
void RunOptionsDialog(HWND owner, HINSTANCE instance);
