#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "commands/command.h"
#include "commands/command_runner.h"

// Whether a process image is the tray program: a file named Hushlark.exe, in
// any folder, in any letter case.
bool IsProgramImage(const std::wstring& imagePath);

// The main window of the running tray program: a window of the program's
// class whose process image is Hushlark.exe. Another program's window that
// happens to use the same class name is never taken for it. Null when none
// runs.
HWND FindRunningInstance();

// The main window of the running tray program when its process image is the
// program at the full path `programPath`; null when none runs, or another
// copy does.
HWND FindRunningInstanceOf(const std::wstring& programPath);

// The same as FindRunningInstance, waiting up to `timeoutMs` for the window to appear: a first
// instance that holds the mutex may not have made its window yet.
HWND WaitForRunningInstance(DWORD timeoutMs);

// What the running instance answered: the command's exit code, and the text
// of its failure as it sent it back (empty when it sent none).
struct InstanceAnswer {
    int exitCode = kExitDone;
    std::wstring error;
};

// Sends a command to the running instance and waits for its answer; none
// when it did not answer within `timeoutMs`. The failure text comes back to
// a message-only window of this thread while it waits.
[[nodiscard]] std::optional<InstanceAnswer> SendToInstance(HWND instance, const Command& command, DWORD timeoutMs);

// The running instance's side of SendToInstance, for the WM_COPYDATA that
// `instance` received: a request for a command that changes something is
// carried out by `carryOut`, its failure text is sent back to the caller,
// and its exit code is the answer. Anything else is answered kExitFailed.
using CarryOut = std::function<CommandResult(const Command&)>;
[[nodiscard]] LRESULT AnswerRequest(HWND instance, const COPYDATASTRUCT* data, const CarryOut& carryOut);

// Starts the tray program without a command; false when it could not start.
[[nodiscard]] bool StartTrayProgram();
