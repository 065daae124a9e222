#include "commands/quiet_commands.h"

#include "mute/change_message.h"
#include "mute/quiet_rules.h"
#include "mute/quiet_settings.h"
#include "mute/quiet_text.h"
#include "resources/resource.h"
#include "win32/text.h"

namespace {

struct RuleSwitch {
    CommandKind kind;
    QuietRule rule;
    bool on;
};
constexpr RuleSwitch kSwitches[] = {
    {CommandKind::QuietHoursOn, QuietRule::Hours, true},
    {CommandKind::QuietHoursOff, QuietRule::Hours, false},
    {CommandKind::QuietLockedOn, QuietRule::Locked, true},
    {CommandKind::QuietLockedOff, QuietRule::Locked, false},
    {CommandKind::QuietPresentingOn, QuietRule::Presenting, true},
    {CommandKind::QuietPresentingOff, QuietRule::Presenting, false},
};

[[nodiscard]] CommandResult SettingsNotSaved(LONG error)
{
    return CommandResult{kExitFailed, L"", OneLine(SettingsFailureMessage(error))};
}

[[nodiscard]] CommandResult Written(LONG error)
{
    return error == ERROR_SUCCESS ? CommandResult() : SettingsNotSaved(error);
}

[[nodiscard]] CommandResult Malformed(const Command& command)
{
    CommandResult result{kExitUsage, L"", L""};
    result.usage = UsageTextFor(command.words);
    return result;
}

[[nodiscard]] CommandResult Switch(const RuleSwitch& change, const SchemeStore& store, bool instanceRuns)
{
    CommandResult result = Written(WriteRuleSwitch(change.rule, change.on));
    if (result.exitCode != kExitDone)
        return result;
    if (change.on) {
        result.rulesNeedTray = true;
        return result;
    }
    // A running instance sees the switch and lets go of the rule itself.
    if (instanceRuns)
        return result;
    const RuleRelease release = ReleaseRule(store, change.rule);
    if (release.settingsError != ERROR_SUCCESS)
        return SettingsNotSaved(release.settingsError);
    if (release.change.result == SoundChange::Result::NotSaved ||
        release.change.result == SoundChange::Result::PartlyDone) {
        result.exitCode = kExitFailed;
        result.error = FailureLine(release.change);
    }
    return result;
}

[[nodiscard]] CommandResult Add(const Command& command)
{
    const QuietSettings settings = ReadQuietSettings();
    if (!command.period)
        return Malformed(command);
    if (settings.Periods().size() >= kMaxQuietPeriods)
        return CommandResult{kExitUsage, L"", LoadText(IDS_QUIET_TOO_MANY)};
    QuietPeriod period = *command.period;
    if (period.days == 0)
        period.days = kEveryDay;
    return Written(WriteQuietHours(WithPeriodAdded(settings.quietHours, period)));
}

[[nodiscard]] CommandResult Remove(const Command& command)
{
    const QuietSettings settings = ReadQuietSettings();
    if (command.periodNumber < 1 || command.periodNumber > settings.Periods().size())
        return Malformed(command);
    return Written(WriteQuietHours(WithPeriodRemoved(settings.quietHours, command.periodNumber - 1)));
}

} // namespace

bool IsQuietCommand(CommandKind kind)
{
    switch (kind) {
    case CommandKind::QuietShow:
    case CommandKind::QuietHoursAdd:
    case CommandKind::QuietHoursRemove:
    case CommandKind::QuietHoursClear:
        return true;
    default:
        for (const RuleSwitch& change : kSwitches) {
            if (change.kind == kind)
                return true;
        }
        return false;
    }
}

CommandResult ExecuteQuietCommand(const Command& command, const SchemeStore& store, bool instanceRuns)
{
    switch (command.kind) {
    case CommandKind::QuietShow:
        return CommandResult{kExitDone, QuietListing(ReadQuietSettings()), L""};
    case CommandKind::QuietHoursAdd:
        return Add(command);
    case CommandKind::QuietHoursRemove:
        return Remove(command);
    case CommandKind::QuietHoursClear:
        return Written(WriteQuietHours(WithPeriods(ReadQuietSettings().quietHours, {})));
    default:
        break;
    }
    for (const RuleSwitch& change : kSwitches) {
        if (change.kind == command.kind)
            return Switch(change, store, instanceRuns);
    }
    return Malformed(command);
}
