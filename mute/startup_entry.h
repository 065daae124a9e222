#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/change_report.h"

// Launch at logon: the value "Hushlark" in the per-user Run key, which names
// this program (the Hushlark.exe of this process's folder) followed by " /l".
// Windows' Task Manager and Settings disable an entry without deleting it, by
// marking our value below Explorer\StartupApproved\Run. Both keys are below
// HKEY_CURRENT_USER.
inline constexpr wchar_t kRunKeyPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kStartupApprovedKeyPath[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline constexpr wchar_t kStartupValueName[] = L"Hushlark";

enum class StartupState {
    Off,      // no Run value for this program
    On,       // Windows starts this program at logon
    Disabled, // the Run value names this program, but Windows will not start it
};

StartupState ReadStartupState();

// Writes the Run value for this program and deletes our StartupApproved
// value, since the user asked for start-up here. The report names the key of
// the first failure.
[[nodiscard]] ChangeReport TurnStartupOn();

// Deletes the Run value, wherever it points, and our StartupApproved value.
[[nodiscard]] ChangeReport TurnStartupOff();

// The same, only when the Run value starts this program; an entry of another
// copy (a portable one, say) stays as it is, and so does its StartupApproved
// value. What installers do on removal. A Run key that cannot be read is a
// failure, and nothing is deleted.
[[nodiscard]] ChangeReport TurnStartupOffForThisCopy();

// The command stored in the Run value: the program's full path in quotes, so
// that a path with spaces cannot be taken for another program, then " /l".
std::wstring StartupCommand(const std::wstring& programPath);

// The program a Run value starts: the quoted path, or an unquoted one up to
// ".exe"; none when the text names no program.
std::optional<std::wstring> ProgramOfCommand(const std::wstring& command);

// Whether a Run value's command starts the program at the full path
// `programPath`.
bool StartsProgram(const std::wstring& command, const std::wstring& programPath);

// Whether a StartupApproved value marks the entry disabled: its first byte is
// odd (03 and 07 are seen). Empty data does not.
bool MarksDisabled(const std::vector<unsigned char>& approvedBytes);
