#pragma once

#include "commands/command_runner.h"

// Carries out a command given on the command line. A command that changes
// something goes to the running instance when one runs, so that its icon
// follows at once and only one process writes; otherwise, and for status and
// list, it runs in this process. `exit` asks the instance to end and waits
// until its process has ended; `exit --this-copy` does so only when the
// instance's process image is this copy's Hushlark.exe. A timed "off" with no instance running starts
// the tray program, which turns sounds on again when the time comes.
[[nodiscard]] CommandResult RunCommand(const Command& command);
