#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "commands/command_runner.h"
#include "mute/hotkey.h"

// Where a change of the hotkey is carried out. `take` registers the new
// combination beside the old one (none registers nothing) and answers
// RegisterHotKey's error when it is refused; `settle` then hears whether the
// change was stored: the new one stays and the old one goes, or the new one
// goes again.
struct HotkeyTaker {
    std::function<DWORD(const std::optional<Hotkey>& hotkey)> take;
    std::function<void(bool stored)> settle;
};

// The taker of a process that holds no hotkey, such as a command run while
// no tray program runs: it registers the combination for its thread and lets
// it go at once, which tells whether another program holds it.
HotkeyTaker TrialTaker();

// Whether the command changes the hotkey: `hotkey KEYS` and `hotkey none`.
bool IsHotkeyChange(const Command& command);

// `hotkey KEYS` and `hotkey none`: taken by `taker`, then stored. A
// combination that is taken ends with 1 and the old hotkey stays; one that is
// not allowed is malformed.
[[nodiscard]] CommandResult ChangeHotkey(const Command& command, const HotkeyTaker& taker);

// What `hotkey` prints, and `status` while there is one: "hotkey: CTRL+ALT+S"
// or "hotkey: none".
std::wstring HotkeyLine(const std::optional<Hotkey>& hotkey);
