#pragma once

#include <windows.h>

// Dialog procedure of template IDD_OPTIONS: the scheme list with Set, Rename
// and Delete, and the scheme guard's check box. Every action takes effect at
// once; the dialog always ends with 0.
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the Options dialog modally from the template in `instance`.
void RunOptionsDialog(HWND owner, HINSTANCE instance);
