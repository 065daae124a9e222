#include "commands/command_runner.h"

#include "mute/change_message.h"
#include "mute/mute_control.h"
#include "mute/startup_entry.h"
#include "mute/timed_off.h"
#include "win32/clock.h"

namespace {

// A sound change's exit code, with its failure on one line.
CommandResult Result(const SoundChange& change)
{
    CommandResult result;
    if (change.result == SoundChange::Result::NotSaved || change.result == SoundChange::Result::PartlyDone) {
        result.exitCode = kExitFailed;
        result.error = FailureLine(change);
    }
    return result;
}

void AddSettingsFailure(CommandResult& result, LONG error)
{
    if (error != ERROR_SUCCESS)
        AddFailure(result, OneLine(SettingsFailureMessage(error)));
}

CommandResult TurnOff(const SchemeStore& store, const Command& command, ULONGLONG nowUtc)
{
    if (!command.forSeconds)
        return Result(TurnSoundsOff(store));
    // Stored first: a timed off whose end cannot be stored changes no sound.
    CommandResult result;
    AddSettingsFailure(result, StoreTimedOff(nowUtc + *command.forSeconds * kFileTimeTicksPerSecond));
    if (result.exitCode != kExitDone)
        return result;
    result = Result(Mute(store));
    // Sounds that end up off, even with some slots left as they were, come
    // back on when it ends; sounds that stayed on need no timed off.
    result.timedOffStored = !store.IsSoundOn();
    if (!result.timedOffStored)
        AddSettingsFailure(result, DeleteTimedOff());
    return result;
}

std::wstring StatusText(const SchemeStore& store, ULONGLONG nowUtc)
{
    const bool soundOn = store.IsSoundOn();
    const std::wstring current = store.ReadCurrentScheme();
    std::wstring text = soundOn ? L"on\n" : L"off\n";
    text += L"scheme: " + (current.empty() ? std::wstring() : store.ReadDisplayName(current)) + L"\n";
    text += StatusUntilLine(soundOn, ReadTimedOff(nowUtc), nowUtc);
    return text;
}

std::wstring ListText(const SchemeStore& store)
{
    std::wstring text;
    for (const SchemeEntry& scheme : store.ListSchemes().schemes)
        text += (scheme.isCurrent ? L"* " : L"  ") + scheme.shownName + L"\n";
    return text;
}

} // namespace

void AddFailure(CommandResult& result, const std::wstring& line)
{
    result.exitCode = kExitFailed;
    result.error += (result.error.empty() ? L"" : L"\n") + line;
}

std::optional<SchemeEntry> FindScheme(const SchemeListing& listing, const std::wstring& name)
{
    for (const SchemeEntry& scheme : listing.schemes) {
        if (NamesEqual(scheme.shownName, name) || NamesEqual(scheme.key, name))
            return scheme;
    }
    return std::nullopt;
}

CommandResult ExecuteCommand(const Command& command, const SchemeStore& store, ULONGLONG nowUtc)
{
    switch (command.kind) {
    case CommandKind::Off:
        return TurnOff(store, command, nowUtc);
    case CommandKind::On:
        return Result(TurnSoundsOn(store));
    case CommandKind::Toggle:
        return Result(store.IsSoundOn() ? TurnSoundsOff(store) : TurnSoundsOn(store));
    case CommandKind::Scheme: {
        const std::optional<SchemeEntry> scheme = FindScheme(store.ListSchemes(), command.name);
        if (!scheme)
            return CommandResult{kExitNoSuchScheme, L"", L"No sound scheme is named \"" + command.name + L"\"."};
        return Result(ChooseScheme(store, scheme->key));
    }
    case CommandKind::Status:
        return CommandResult{kExitDone, StatusText(store, nowUtc), L""};
    case CommandKind::List:
        return CommandResult{kExitDone, ListText(store), L""};
    case CommandKind::Help:
        return CommandResult{kExitDone, UsageText(), L""};
    case CommandKind::Version:
        return CommandResult{kExitDone, L"Hushlark " HUSHLARK_VERSION_TEXT L"\n", L""};
    case CommandKind::StartupOn:
    case CommandKind::StartupOff: {
        const ChangeReport report = command.kind == CommandKind::StartupOn ? TurnStartupOn() : TurnStartupOff();
        if (report.Ok())
            return CommandResult();
        return CommandResult{kExitFailed, L"", OneLine(StartupFailureMessage(report))};
    }
    case CommandKind::StartupStatus: {
        const StartupState state = ReadStartupState();
        return CommandResult{kExitDone,
                             state == StartupState::On    ? L"on\n"
                             : state == StartupState::Off ? L"off\n"
                                                          : L"disabled\n",
                             L""};
    }
    case CommandKind::Exit:
        break;
    }
    return CommandResult();
}
