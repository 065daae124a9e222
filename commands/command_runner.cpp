#include "commands/command_runner.h"

#include "mute/change_message.h"
#include "mute/mute_control.h"
#include "mute/program_settings.h"
#include "mute/startup_entry.h"
#include "win32/clock.h"
#include "win32/registry.h"

namespace {

const ProgramSettings settings;

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

CommandResult TurnOff(const SchemeStore& store, const Command& command, ULONGLONG nowUtc)
{
    if (!command.forSeconds)
        return Result(TurnSoundsOff(store));
    CommandResult result = Result(Mute(store));
    // Sounds that stayed on would not come back on by themselves either: no timer.
    if (result.exitCode != kExitDone)
        return result;
    if (settings.WriteOffUntil(nowUtc + *command.forSeconds * kFileTimeTicksPerSecond) != ERROR_SUCCESS) {
        result.exitCode = kExitFailed;
        result.error =
            std::wstring(L"Sounds are off, but the time to turn them on could not be stored: ") + kSettingsKeyPath;
    }
    return result;
}

std::wstring StatusText(const SchemeStore& store, ULONGLONG nowUtc)
{
    const bool soundOn = store.IsSoundOn();
    const std::wstring current = store.ReadCurrentScheme();
    std::wstring text = soundOn ? L"on\n" : L"off\n";
    text += L"scheme: " + (current.empty() ? std::wstring() : store.ReadDisplayName(current)) + L"\n";
    const std::optional<ULONGLONG> until = settings.ReadOffUntil();
    if (!soundOn && until && *until > nowUtc)
        text += L"until: " + LocalClockText(*until) + L"\n";
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
        return Result(ChangeScheme(store, scheme->key));
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
