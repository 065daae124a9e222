#include "commands/hotkey_command.h"

#include "mute/change_message.h"
#include "mute/hotkey_message.h"
#include "resources/resource.h"
#include "win32/text.h"

namespace {

// Registered for this thread only for the moment of the trial.
constexpr int kTrialId = 1;

DWORD TryHotkey(const Hotkey& hotkey)
{
    if (!RegisterHotKey(nullptr, kTrialId, hotkey.modifiers | MOD_NOREPEAT, hotkey.key))
        return GetLastError();
    // Registered a moment ago by this thread: letting it go cannot fail.
    UnregisterHotKey(nullptr, kTrialId);
    return ERROR_SUCCESS;
}

} // namespace

HotkeyTaker TrialTaker()
{
    return HotkeyTaker{[](const std::optional<Hotkey>& hotkey) {
                           return hotkey ? TryHotkey(*hotkey) : static_cast<DWORD>(ERROR_SUCCESS);
                       },
                       [](bool) {}};
}

bool IsHotkeyChange(const Command& command)
{
    return command.kind == CommandKind::HotkeySet || command.kind == CommandKind::HotkeyRemove;
}

CommandResult ChangeHotkey(const Command& command, const HotkeyTaker& taker)
{
    const std::optional<Hotkey> hotkey = command.kind == CommandKind::HotkeySet ? command.hotkey : std::nullopt;
    if (command.kind == CommandKind::HotkeySet && !(hotkey && IsAllowedHotkey(*hotkey))) {
        CommandResult result{kExitUsage, L"", L""};
        result.usage = UsageTextFor(command.words);
        return result;
    }
    if (const DWORD error = taker.take(hotkey); error != ERROR_SUCCESS && hotkey) {
        CommandResult result;
        AddFailureMessage(result, HotkeyRefusal(*hotkey, error));
        return result;
    }
    // A store that fails lets the new combination go: the old one stays.
    const LONG stored = WriteHotkey(hotkey);
    taker.settle(stored == ERROR_SUCCESS);
    CommandResult result;
    if (stored != ERROR_SUCCESS)
        AddFailureMessage(result, SettingsFailureMessage(stored));
    return result;
}

std::wstring HotkeyLine(const std::optional<Hotkey>& hotkey)
{
    return FormatText(IDS_HOTKEY_LINE, {hotkey ? HotkeyName(*hotkey) : LoadText(IDS_HOTKEY_NONE)});
}
