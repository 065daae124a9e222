#include "commands/command_runner.h"

#include "commands/hotkey_command.h"
#include "commands/quiet_commands.h"
#include "commands/running_instance.h"

#include "engine/scheme_paths.h"
#include "mute/change_message.h"
#include "mute/hotkey.h"
#include "mute/mute_control.h"
#include "mute/startup_entry.h"
#include "mute/quiet_rules.h"
#include "mute/quiet_text.h"
#include "mute/timed_off.h"
#include "resources/resource.h"
#include "win32/clock.h"
#include "win32/registry.h"
#include "win32/text.h"

namespace {

// A sound change's exit code, with its failure on one line.
[[nodiscard]] CommandResult Result(const SoundChange& change)
{
    CommandResult result;
    if (change.result == SoundChange::Result::NotSaved || change.result == SoundChange::Result::PartlyDone ||
        change.settingsError != ERROR_SUCCESS) {
        result.exitCode = kExitFailed;
        result.error = FailureLine(change);
        result.failureMessage = FailureMessage(change);
    }
    return result;
}

CommandResult TurnOff(const SchemeStore& store, const Command& command, ULONGLONG nowUtc)
{
    if (!command.forSeconds)
        return Result(TurnSoundsOff(store));
    const SoundChange change = TurnSoundsOffFor(store, *command.forSeconds, nowUtc);
    CommandResult result = Result(change);
    result.timedOffStored = ReadTimedOff(nowUtc).state == TimedOff::State::Running;
    return result;
}

std::wstring StatusText(const SchemeStore& store, ULONGLONG nowUtc)
{
    const bool soundOn = store.IsSoundOn();
    const std::wstring current = store.ReadCurrentScheme();
    std::wstring text = LoadText(soundOn ? IDS_STATUS_ON : IDS_STATUS_OFF);
    text += FormatText(IDS_STATUS_SCHEME, {current.empty() ? std::wstring() : store.ReadDisplayName(current)});
    text += StatusUntilLine(soundOn, ReadTimedOff(nowUtc), nowUtc);
    if (!soundOn) {
        const QuietSettings quiet = ReadQuietSettings();
        if (!quiet.offBy.Empty())
            text += BecauseLine(quiet.offBy.Intersection(RulesHoldingNow(quiet)));
    }
    if (const std::optional<Hotkey> hotkey = ReadHotkey())
        text += HotkeyLine(hotkey);
    return text;
}

// The schemes could not all be listed: the first line says so, the second
// names the key, the third is Windows' text for the error.
[[nodiscard]] CommandResult Unreadable(LONG error)
{
    return CommandResult{kExitFailed, L"",
                         FormatText(IDS_SCHEMES_UNREADABLE, {scheme_paths::kNames, registry::ErrorText(error)})};
}

[[nodiscard]] CommandResult NoSuchScheme(const std::wstring& name)
{
    return CommandResult{kExitNoSuchScheme, L"", FormatText(IDS_NO_SUCH_SCHEME, {name})};
}

[[nodiscard]] CommandResult ListResult(const SchemeStore& store)
{
    const SchemeListing listing = store.ListSchemes();
    if (listing.error != ERROR_SUCCESS)
        return Unreadable(listing.error);
    std::wstring text;
    for (const SchemeEntry& scheme : listing.schemes)
        text += FormatText(scheme.isCurrent ? IDS_LIST_CURRENT : IDS_LIST_OTHER, {scheme.shownName});
    return CommandResult{kExitDone, text, L""};
}

[[nodiscard]] CommandResult ChooseSchemeNamed(const SchemeStore& store, const std::wstring& name)
{
    const SchemeListing listing = store.ListSchemes();
    if (listing.error != ERROR_SUCCESS)
        return Unreadable(listing.error);
    const std::vector<SchemeEntry> schemes = FindSchemes(listing, name);
    if (schemes.empty())
        return NoSuchScheme(name);
    if (schemes.size() > 1) {
        std::wstring keys;
        for (const SchemeEntry& scheme : schemes)
            keys += (keys.empty() ? L"" : LoadText(IDS_SCHEME_KEY_SEPARATOR)) + scheme.key;
        return CommandResult{kExitNoSuchScheme, L"", FormatText(IDS_SEVERAL_SCHEMES, {name, keys})};
    }
    return SchemeChangeResult(ChooseScheme(store, schemes.front().key), name);
}

} // namespace

void AddFailure(CommandResult& result, const std::wstring& line)
{
    result.exitCode = kExitFailed;
    result.error += (result.error.empty() ? L"" : L"\n") + line;
}

void AddFailureMessage(CommandResult& result, const std::wstring& message)
{
    AddFailure(result, OneLine(message));
    result.failureMessage += (result.failureMessage.empty() ? L"" : L"\n\n") + message;
}

std::vector<SchemeEntry> FindSchemes(const SchemeListing& listing, const std::wstring& name)
{
    for (const SchemeEntry& scheme : listing.schemes) {
        if (NamesEqual(scheme.key, name))
            return {scheme};
    }
    std::vector<SchemeEntry> named;
    for (const SchemeEntry& scheme : listing.schemes) {
        if (NamesEqual(scheme.shownName, name))
            named.push_back(scheme);
    }
    return named;
}

CommandResult SchemeChangeResult(const SoundChange& change, const std::wstring& name)
{
    // Deleted by another program after it was found: nothing was applied.
    if (change.result == SoundChange::Result::SchemeGone)
        return NoSuchScheme(name);
    return Result(change);
}

namespace {

// The commands that change sounds by hand, whatever they then change.
[[nodiscard]] CommandResult ExecuteByHand(const Command& command, const SchemeStore& store, ULONGLONG nowUtc)
{
    switch (command.kind) {
    case CommandKind::Off:
        return TurnOff(store, command, nowUtc);
    case CommandKind::On:
        return Result(TurnSoundsOn(store));
    case CommandKind::Toggle:
        return Result(store.IsSoundOn() ? TurnSoundsOff(store) : TurnSoundsOn(store));
    default:
        return ChooseSchemeNamed(store, command.name);
    }
}

} // namespace

CommandResult ExecuteCommand(const Command& command, const SchemeStore& store, ULONGLONG nowUtc)
{
    switch (command.kind) {
    case CommandKind::Off:
    case CommandKind::On:
    case CommandKind::Toggle:
    case CommandKind::Scheme: {
        CommandResult result = ExecuteByHand(command, store, nowUtc);
        // Even when it changed nothing; a scheme that was not found was no choice.
        if (result.exitCode != kExitNoSuchScheme)
            result.byHand = store.IsSoundOn();
        return result;
    }
    case CommandKind::Status:
        return CommandResult{kExitDone, StatusText(store, nowUtc), L""};
    case CommandKind::List:
        return ListResult(store);
    case CommandKind::Help:
        return CommandResult{kExitDone, UsageText(), L""};
    case CommandKind::Version:
        return CommandResult{kExitDone, FormatText(IDS_VERSION_LINE, {L"" HUSHLARK_VERSION_TEXT}), L""};
    case CommandKind::StartupOn:
    case CommandKind::StartupOff: {
        const ChangeReport report = command.kind == CommandKind::StartupOn ? TurnStartupOn()
                                    : command.thisCopy                     ? TurnStartupOffForThisCopy()
                                                                           : TurnStartupOff();
        if (report.Ok())
            return CommandResult();
        return CommandResult{kExitFailed, L"", OneLine(StartupFailureMessage(report))};
    }
    case CommandKind::StartupStatus: {
        const StartupState state = ReadStartupState();
        return CommandResult{kExitDone,
                             LoadText(state == StartupState::On    ? IDS_STARTUP_STATUS_ON
                                      : state == StartupState::Off ? IDS_STARTUP_STATUS_OFF
                                                                   : IDS_STARTUP_STATUS_DISABLED),
                             L""};
    }
    case CommandKind::HotkeyShow:
        return CommandResult{kExitDone, HotkeyLine(ReadHotkey()), L""};
    case CommandKind::HotkeySet:
    case CommandKind::HotkeyRemove:
        // No tray program holds the hotkey here: one that runs is sent these.
        return ChangeHotkey(command, TrialTaker());
    case CommandKind::Exit:
        break;
    default:
        if (IsQuietCommand(command.kind))
            return ExecuteQuietCommand(command, store, FindRunningInstance() != nullptr);
        break;
    }
    return CommandResult();
}
