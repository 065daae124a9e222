#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The commands that scripts, shortcuts and Task Scheduler give Hushlark.exe
// and hushlark.com, and their checks. Everything here is a pure decision on
// text: what was asked, never how it is carried out.
enum class CommandKind {
    Off,
    On,
    Toggle,
    Scheme,
    Status,
    List,
    Exit,
    StartupOn,
    StartupOff,
    StartupStatus,
    Help,
    Version
};

struct Command {
    CommandKind kind = CommandKind::Help;
    // The scheme asked for by `scheme NAME`: a shown name or a key.
    std::wstring name;
    // For `off --for DURATION`: how long sounds stay off, in seconds.
    std::optional<ULONGLONG> forSeconds;
};

// The exit codes of every command.
enum ExitCode : int {
    kExitDone = 0,         // done, or nothing to do
    kExitFailed = 1,       // a registry failure, or the running instance did not answer in time
    kExitUsage = 2,        // not a command, or a malformed one
    kExitNoSuchScheme = 3, // `scheme NAME` names no scheme
};

// The longest scheme name a command may carry, and the longest timed `off`.
constexpr std::size_t kMaxNameLength = 260;
constexpr ULONGLONG kMaxOffSeconds = 24 * 60 * 60;

// A command from the words after the program's name. Letter case does not
// matter. None when the words are not a command: no words, the start-up
// entry's "/l", anything unknown or malformed.
std::optional<Command> ParseCommand(const std::vector<std::wstring>& words);

// "90s", "45m", "2h": seconds from 1 s to 24 h; none for anything else.
std::optional<ULONGLONG> ParseDuration(const std::wstring& text);

// Commands that change something are carried out by a running instance;
// the others read the registry in the calling process.
bool ChangesSomething(const Command& command);

// The command as one line of text, as it travels to the running instance,
// and back. DecodeCommand applies the same checks as ParseCommand.
std::wstring EncodeCommand(const Command& command);
std::optional<Command> DecodeCommand(const std::wstring& text);

// A command that arrived in WM_COPYDATA from another process: a fixed tag,
// at most 4 KB, UTF-16 text NUL-terminated within the data, and a known
// command. None for anything else.
constexpr ULONG_PTR kCommandTag = 0x484C4B31; // "HLK1"
constexpr DWORD kMaxCommandBytes = 4096;
std::optional<Command> CommandFromCopyData(const COPYDATASTRUCT* data);

// What `--help` prints.
std::wstring UsageText();
