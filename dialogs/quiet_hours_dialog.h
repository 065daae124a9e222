#pragma once

#include <windows.h>

// Dialog procedure of template IDD_QUIET_HOURS: the quiet-hours switch, the
// list of periods, two time pickers and seven weekday boxes to add one, Add
// and Remove. OK writes the settings and ends with 1; Cancel writes nothing
// and ends with 0.
INT_PTR CALLBACK QuietHoursDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the Quiet Hours dialog modally. The common controls' date classes must
// have been initialised.
void RunQuietHoursDialog(HWND owner);
