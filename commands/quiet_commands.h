#pragma once

#include "commands/command_runner.h"

// Carries out a `quiet` command in the calling process: it is never handed to
// the running instance, which watches the settings key and follows what is
// written there. `instanceRuns` says whether one does: with none, switching
// off the last rule that keeps sounds off turns them on here.
[[nodiscard]] CommandResult ExecuteQuietCommand(const Command& command, const SchemeStore& store, bool instanceRuns);

// Whether a command kind is one of the `quiet` commands.
bool IsQuietCommand(CommandKind kind);
