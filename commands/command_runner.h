#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/command.h"
#include "engine/scheme_store.h"
#include "mute/mute_control.h"

// What a command did: its exit code, what it prints (status, list, usage,
// version) and, when it failed, the text for standard error: one line, or the
// place and the error on lines of their own where the failure has no other
// line to say it.
struct CommandResult {
    int exitCode = kExitDone;
    std::wstring output;
    std::wstring error;
    // For `off --for`: the end of the timed off was stored, and only a running
    // tray program turns sounds on when it comes.
    bool timedOffStored = false;
    // A rule was switched on, which only a running tray program follows.
    bool rulesNeedTray = false;
    // A choice by hand was made, leaving sounds on (true) or off: the quiet
    // rules are told, in the process that follows them.
    std::optional<bool> byHand;
    // For a command that proves malformed only when carried out: its usage
    // lines, printed as they are.
    std::wstring usage;
    // The failure as a box shows it (mute/change_message.h), for a choice
    // made in the tray program itself, such as its hotkey; standard error
    // gets `error`.
    std::wstring failureMessage;
};

// Makes the result a failure (exit code 1) and adds one line for standard
// error after any line before it.
void AddFailure(CommandResult& result, const std::wstring& line);
// The same for a failure message of several lines: standard error gets it on
// one line, a box whole, after an empty line when another came before.
void AddFailureMessage(CommandResult& result, const std::wstring& message);

// Carries out a command on the registry in this process, without showing
// anything: the running instance calls it for the commands it is sent, the
// calling process when no instance runs. Turning sounds on or off by hand,
// and choosing a scheme, end a timed "off"; `off --for` sets it (and while
// sounds are off already, only sets it). `exit` is left to the caller. `nowUtc` is the current time
// as a FILETIME.
[[nodiscard]] CommandResult ExecuteCommand(const Command& command, const SchemeStore& store, ULONGLONG nowUtc);

// The schemes that `scheme NAME` may mean: the one whose key equals the name
// in any letter case, when there is one, since a key always means itself;
// otherwise every scheme shown under that name, in enumeration order. More
// than one means that the name alone does not say which.
std::vector<SchemeEntry> FindSchemes(const SchemeListing& listing, const std::wstring& name);

// What applying the scheme the user named `name` did, as a command's result:
// a scheme gone meanwhile is no such scheme.
[[nodiscard]] CommandResult SchemeChangeResult(const SoundChange& change, const std::wstring& name);
