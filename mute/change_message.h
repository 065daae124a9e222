#pragma once

#include <string>

#include "engine/change_report.h"
#include "mute/mute_control.h"

// The text that reports a change that failed: the first line says what
// happened, the second names the key below HKEY_CURRENT_USER of the first
// failure, the third is Windows' text for its error. Empty when nothing failed.
std::wstring FailureMessage(const SoundChange& change);
std::wstring FailureMessage(const ChangeReport& report);

// A write to the program's settings key that failed with `error`.
std::wstring SettingsFailureMessage(LONG error);

// A change of the start-up entry that failed; empty when nothing failed.
std::wstring StartupFailureMessage(const ChangeReport& report);

// The same on one line, for standard error.
std::wstring FailureLine(const SoundChange& change);
// A message of the three lines above on one line: the place and the error
// follow the first line after a space and a colon.
std::wstring OneLine(std::wstring message);
