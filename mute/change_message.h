#pragma once

#include <windows.h>

#include <string>

#include "engine/change_report.h"
#include "mute/mute_control.h"

// The text that reports a change that failed: the first line says what
// happened, the second names the key below HKEY_CURRENT_USER of the first
// failure, the third is Windows' text for its error. Empty when nothing failed.
// A change with more than one kind of failure gets one such message for each,
// in the order they happened (the sounds, then the settings, then an undo that
// failed), separated by an empty line.
//
// SchemeGone has no text here: the caller knows which scheme it asked for and
// says itself that it no longer exists.
std::wstring FailureMessage(const SoundChange& change);
std::wstring FailureMessage(const ChangeReport& report);

// A write to the program's settings key that failed with `error`.
std::wstring SettingsFailureMessage(LONG error);

// A change of the start-up entry that failed; empty when nothing failed.
std::wstring StartupFailureMessage(const ChangeReport& report);

// The same as FailureMessage for standard error: each message on one line.
std::wstring FailureLine(const SoundChange& change);
// A message of the three lines above on one line: the place and the error
// follow the first line after a space and a colon.
std::wstring OneLine(std::wstring message);
