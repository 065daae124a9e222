#pragma once

#include <windows.h>

#include <string>

#include "commands/command.h"
#include "engine/scheme_store.h"

// What a command did: its exit code, what it prints (status, list, usage,
// version) and, when it failed, one line for standard error.
struct CommandResult {
    int exitCode = kExitDone;
    std::wstring output;
    std::wstring error;
    // For `off --for`: the end of the timed off was stored, and only a running
    // tray program turns sounds on when it comes.
    bool timedOffStored = false;
};

// Makes the result a failure (exit code 1) and adds one line for standard
// error after any line before it.
void AddFailure(CommandResult& result, const std::wstring& line);

// Carries out a command on the registry in this process, without showing
// anything: the running instance calls it for the commands it is sent, the
// calling process when no instance runs. Turning sounds on or off by hand,
// and choosing a scheme, end a timed "off"; `off --for` sets it (and while
// sounds are off already, only sets it). `exit` is left to the caller. `nowUtc` is the current time
// as a FILETIME.
CommandResult ExecuteCommand(const Command& command, const SchemeStore& store, ULONGLONG nowUtc);

// The scheme that `scheme NAME` means: the first, in enumeration order, whose
// shown name or key equals the name in any letter case. None when no scheme
// matches.
std::optional<SchemeEntry> FindScheme(const SchemeListing& listing, const std::wstring& name);
