#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "mute/hotkey.h"
#include "mute/quiet_hours.h"

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
    QuietShow,
    QuietHoursOn,
    QuietHoursOff,
    QuietLockedOn,
    QuietLockedOff,
    QuietPresentingOn,
    QuietPresentingOff,
    QuietHoursAdd,
    QuietHoursRemove,
    QuietHoursClear,
    HotkeyShow,
    HotkeySet,
    HotkeyRemove,
    Help,
    Version
};

struct Command {
    CommandKind kind = CommandKind::Help;
    // The scheme asked for by `scheme NAME`: a shown name or a key.
    std::wstring name;
    // For `off --for DURATION`: how long sounds stay off, in seconds.
    std::optional<ULONGLONG> forSeconds;
    // For `quiet hours add HH:MM-HH:MM [DAYS]`: the period; no days when
    // none were given. For `quiet hours remove N`: N, counted from 1.
    std::optional<QuietPeriod> period;
    std::size_t periodNumber = 0;
    // For `hotkey KEYS`: the combination, one that is allowed.
    std::optional<Hotkey> hotkey;
    // For `exit --this-copy` and `startup off --this-copy`, which installers
    // give: act only on this copy of the program, the Hushlark.exe of the
    // calling program's folder, and leave any other copy alone.
    bool thisCopy = false;
    // The words it was parsed from, exactly as given: they travel to the
    // running instance, which parses them again.
    std::vector<std::wstring> words;
};

// The exit codes of every command.
enum ExitCode : int {
    kExitDone = 0,         // done, or nothing to do
    kExitFailed = 1,       // a registry failure, or the running instance did not answer in time
    kExitUsage = 2,        // not a command, or a malformed one
    kExitNoSuchScheme = 3, // `scheme NAME` names no scheme, or several
};

// The longest timed `off`.
constexpr ULONGLONG kMaxOffSeconds = 24 * 60 * 60;

// What the words after the program's name are.
enum class ParseStatus {
    Command,     // a command, in `command`
    Malformed,   // the first word is a command's, the rest does not fit it
    NotACommand, // no words, the start-up entry's "/l", or an unknown first word
};
struct ParsedCommand {
    ParseStatus status = ParseStatus::NotACommand;
    Command command;
};

// Letter case does not matter.
[[nodiscard]] ParsedCommand ParseCommandLine(const std::vector<std::wstring>& words);

// The command, or none when the words are not one (malformed or not).
[[nodiscard]] std::optional<Command> ParseCommand(const std::vector<std::wstring>& words);

// "90s", "45m", "2h": seconds from 1 s to 24 h; none for anything else.
std::optional<ULONGLONG> ParseDuration(const std::wstring& text);

// Commands that change something are carried out by a running instance;
// the others read the registry in the calling process.
bool ChangesSomething(const Command& command);

// What `--help` prints: one line or two for each command, in the order of
// the command table, then the installers' forms.
std::wstring UsageText();

// What a malformed command prints: the usage lines of the commands its words
// begin, under a short heading.
std::wstring UsageTextFor(const std::vector<std::wstring>& words);
