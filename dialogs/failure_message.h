#pragma once

#include <windows.h>

#include <string>

#include "engine/change_report.h"
#include "mute/mute_control.h"

// The text that reports a change that failed: the first line says what
// happened, the second names the key below HKEY_CURRENT_USER of the first
// failure, the third is Windows' text for its error. Empty when nothing failed.
std::wstring FailureMessage(const SoundChange& change);
std::wstring FailureMessage(const ChangeReport& report);

// Shows the failure, if any, in a warning box titled "Hushlark" owned by
// `owner`. Runs a message loop while it is open: the caller touches nothing
// that may have gone away meanwhile.
void ShowFailure(HWND owner, const std::wstring& message);
