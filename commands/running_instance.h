#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "commands/command.h"

// Whether a process image is the tray program: a file named Hushlark.exe, in
// any folder, in any letter case.
bool IsProgramImage(const std::wstring& imagePath);

// The main window of the running tray program: a window of the program's
// class whose process image is Hushlark.exe. Another program's window that
// happens to use the same class name is never taken for it. Null when none
// runs.
HWND FindRunningInstance();

// The same, waiting up to `timeoutMs` for the window to appear: a first
// instance that holds the mutex may not have made its window yet.
HWND WaitForRunningInstance(DWORD timeoutMs);

// Sends a command to the running instance and waits for its exit code; none
// when it did not answer within `timeoutMs`.
std::optional<int> SendToInstance(HWND instance, const Command& command, DWORD timeoutMs);

// Starts the tray program without a command; false when it could not start.
bool StartTrayProgram();
