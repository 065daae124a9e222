#pragma once

#include <string>

// Launch at logon: a value "Hushlark" in the per-user Run key. It is on
// exactly when a value of that name exists, whatever its type and data.
bool IsLaunchOnStartupOn();

// Deletes the value when it exists, otherwise writes the command that starts
// the running executable.
void ToggleLaunchOnStartup();

// The command stored in the Run value: the program's full path in quotes, so
// that a path with spaces cannot be taken for another program, then " /l".
std::wstring StartupCommand(const std::wstring& programPath);
