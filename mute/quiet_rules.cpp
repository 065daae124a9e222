#include "mute/quiet_rules.h"

#include "mute/change_message.h"
#include "mute/program_settings.h"
#include "resources/resource.h"
#include "win32/registry.h"
#include "win32/session.h"
#include "win32/text.h"

namespace {

// How long the presenting answer must stay the same before it counts, and
// how often a failed turn off or on is tried again.
constexpr ULONGLONG kPresentingSettleMs = 3000;
constexpr ULONGLONG kRetryMs = 60 * 1000;

std::wstring RuleFailure(UINT firstLine, const std::wstring& path, LONG error)
{
    return LoadText(firstLine) + L"\n" + path + L"\n" + registry::ErrorText(error);
}

std::wstring RuleFailure(UINT firstLine, const SoundChange& change)
{
    return RuleFailure(firstLine, change.report.firstPath, change.report.firstError);
}

bool RetryDue(const std::optional<ULONGLONG>& failedAt, ULONGLONG tickMs)
{
    return !failedAt || tickMs - *failedAt >= kRetryMs;
}

// The end an override of the holding quiet hours records.
std::optional<WallTime> HoursEnd(const std::vector<QuietPeriod>& periods, RuleSet overridden,
                                 const QuietSettings& before, WallTime localNow, RuleSet newlyOverridden)
{
    if (!overridden.Has(QuietRule::Hours))
        return std::nullopt;
    if (newlyOverridden.Has(QuietRule::Hours))
        return RunEnd(periods, localNow);
    return before.hoursOverrideEnd;
}

} // namespace

RuleSet RulesHolding(RuleSet switchedOn, const std::vector<QuietPeriod>& periods, WallTime localNow, bool locked,
                     bool presenting)
{
    RuleSet holding;
    if (switchedOn.Has(QuietRule::Hours) && AnyPeriodHolds(periods, localNow))
        holding.Add(QuietRule::Hours);
    if (switchedOn.Has(QuietRule::Locked) && locked)
        holding.Add(QuietRule::Locked);
    if (switchedOn.Has(QuietRule::Presenting) && presenting)
        holding.Add(QuietRule::Presenting);
    return holding;
}

WallTime LocalWallTimeNow()
{
    SYSTEMTIME local = {};
    GetLocalTime(&local);
    return WallTimeOf(local);
}

RuleSet RulesHoldingNow(const QuietSettings& settings)
{
    // Asked only for the rules switched on: each answer costs a call.
    const bool locked = settings.switchedOn.Has(QuietRule::Locked) && QuerySessionLocked().value_or(false);
    const std::optional<int> notifications =
        settings.switchedOn.Has(QuietRule::Presenting) ? QueryNotificationState() : std::nullopt;
    const bool presenting = notifications && IsPresentingState(*notifications);
    return RulesHolding(settings.switchedOn, settings.Periods(), LocalWallTimeNow(), locked, presenting);
}

RuleRelease ReleaseRule(const SchemeStore& store, QuietRule rule)
{
    RuleRelease release;
    const QuietSettings settings = ReadQuietSettings();
    if (settings.overridden.Has(rule)) {
        RuleSet overridden = settings.overridden;
        overridden.Remove(rule);
        release.settingsError = WriteOverridden(overridden, settings.hoursOverrideEnd);
    }
    if (release.settingsError != ERROR_SUCCESS || !settings.offBy.Has(rule))
        return release;
    RuleSet offBy = settings.offBy;
    offBy.Remove(rule);
    if (offBy.Empty() && !store.IsSoundOn()) {
        release.change = Unmute(store);
        if (release.change.result == SoundChange::Result::NotSaved ||
            release.change.result == SoundChange::Result::SchemeGone)
            return release; // kept: the next start of the program tries again
    }
    release.settingsError = WriteOffBy(offBy);
    return release;
}

LONG RecordChoiceByHand(const QuietSettings& settings, RuleSet holding, bool soundsOn, WallTime localNow)
{
    const std::vector<QuietPeriod> periods = settings.Periods();
    RuleSet offBy;
    RuleSet overridden;
    if (soundsOn) {
        overridden = settings.overridden.Union(holding);
    } else {
        offBy = holding;
        overridden = settings.overridden.Without(holding);
    }
    const LONG offByWritten = WriteOffBy(offBy);
    const LONG overriddenWritten =
        WriteOverridden(overridden, HoursEnd(periods, overridden, settings, localNow, soundsOn ? holding : RuleSet()));
    return offByWritten != ERROR_SUCCESS ? offByWritten : overriddenWritten;
}

RuleSet QuietKeeper::Decided(const QuietInputs& inputs) const
{
    return RulesHolding(settings_.switchedOn, periods_, inputs.localNow, inputs.locked,
                        presentingDecided_.value_or(false));
}

RuleSet QuietKeeper::Holding(const QuietInputs& inputs) const
{
    RuleSet holding = Decided(inputs);
    if (settings_.switchedOn.Has(QuietRule::Presenting) && !presentingDecided_ &&
        settings_.offBy.Has(QuietRule::Presenting))
        holding.Add(QuietRule::Presenting);
    return holding;
}

RuleSet QuietKeeper::KeepingSoundsOff(const QuietInputs& inputs) const
{
    return settings_.offBy.Intersection(Holding(inputs));
}

void QuietKeeper::FilterPresenting(const QuietInputs& inputs)
{
    if (!settings_.switchedOn.Has(QuietRule::Presenting)) {
        // Judged afresh, with the full wait, when it is switched on again.
        presentingAnswer_.reset();
        presentingDecided_.reset();
        return;
    }
    if (presentingAnswer_ != inputs.presenting) {
        presentingAnswer_ = inputs.presenting;
        presentingSince_ = inputs.tickMs;
    }
    if (inputs.tickMs - presentingSince_ >= kPresentingSettleMs)
        presentingDecided_ = presentingAnswer_;
}

void QuietKeeper::Report(std::wstring failure, QuietOutcome& outcome)
{
    if (failure == lastFailure_)
        return;
    lastFailure_ = failure;
    outcome.failure = std::move(failure);
}

void QuietKeeper::Store(RuleSet offBy, RuleSet overridden, std::optional<WallTime> hoursEnd, QuietOutcome& outcome)
{
    if (!overridden.Has(QuietRule::Hours))
        hoursEnd.reset();
    LONG status = ERROR_SUCCESS;
    if (offBy != settings_.offBy) {
        outcome.changed = true;
        status = WriteOffBy(offBy);
        if (status == ERROR_SUCCESS)
            settings_.offBy = offBy;
    }
    if (overridden != settings_.overridden || hoursEnd != settings_.hoursOverrideEnd) {
        outcome.changed = true;
        const LONG written = WriteOverridden(overridden, hoursEnd);
        if (written == ERROR_SUCCESS) {
            settings_.overridden = overridden;
            settings_.hoursOverrideEnd = hoursEnd;
        } else if (status == ERROR_SUCCESS) {
            status = written;
        }
    }
    if (status != ERROR_SUCCESS)
        Report(SettingsFailureMessage(status), outcome);
}

void QuietKeeper::ReadSettings(QuietOutcome& outcome)
{
    const RuleSet wasOn = settings_.switchedOn;
    const bool first = !everRead_;
    settings_ = ReadQuietSettings();
    periods_ = settings_.Periods();
    settingsRead_ = true;
    everRead_ = true;
    if (first)
        return;

    // A rule switched off lets go: out of Overridden, and out of OffBy unless
    // it is the last rule there, whose end the next step handles like any
    // other (sounds come back, then OffBy goes).
    const RuleSet switchedOff = wasOn.Without(settings_.switchedOn);
    if (switchedOff.Empty())
        return;
    RuleSet offBy = settings_.offBy.Without(switchedOff);
    if (offBy.Empty())
        offBy = settings_.offBy;
    Store(offBy, settings_.overridden.Without(switchedOff), settings_.hoursOverrideEnd, outcome);
}

void QuietKeeper::LapseOverrides(const QuietInputs& inputs, RuleSet decided, QuietOutcome& outcome)
{
    RuleSet lapsed;
    for (const QuietRule rule : kQuietRules) {
        if (!settings_.overridden.Has(rule))
            continue;
        // An undecided presenting rule has not stopped holding yet.
        const bool undecided = rule == QuietRule::Presenting && settings_.switchedOn.Has(rule) && !presentingDecided_;
        if (!decided.Has(rule) && !undecided)
            lapsed.Add(rule);
    }
    // Quiet hours overridden for a night lapse at its end, also when no tick
    // saw them stop holding (the program was not running, or the computer
    // slept through it): they count as having stopped, so the next night
    // begins.
    if (settings_.overridden.Has(QuietRule::Hours) && settings_.hoursOverrideEnd &&
        inputs.localNow >= *settings_.hoursOverrideEnd) {
        lapsed.Add(QuietRule::Hours);
        held_.Remove(QuietRule::Hours);
    }
    if (!lapsed.Empty())
        Store(settings_.offBy, settings_.overridden.Without(lapsed), settings_.hoursOverrideEnd, outcome);
}

QuietOutcome QuietKeeper::Tick(const SchemeStore& store, const QuietInputs& inputs)
{
    QuietOutcome outcome;
    if (!settingsRead_)
        ReadSettings(outcome);
    // The usual tick while no rule is switched on and none is remembered.
    if (settings_.switchedOn.Empty() && settings_.offBy.Empty() && settings_.overridden.Empty()) {
        held_ = RuleSet();
        return outcome;
    }

    FilterPresenting(inputs);
    const RuleSet decided = Decided(inputs);
    LapseOverrides(inputs, decided, outcome);

    // Another program turned sounds on: the rules that kept them off count as
    // overridden. Not while the guard is putting its scheme back.
    if (inputs.soundOn && !settings_.offBy.Empty() && !inputs.guardPutSchemeBack) {
        const RuleSet moved = settings_.offBy.Intersection(settings_.switchedOn);
        const RuleSet overridden = settings_.overridden.Union(moved);
        Store(RuleSet(), overridden, HoursEnd(periods_, overridden, settings_, inputs.localNow, moved), outcome);
    }

    const RuleSet beginning = decided.Without(held_).Without(settings_.overridden);
    held_ = decided;
    RuleSet toTurnOff = beginning;
    if (!offFailedFor_.Empty() && RetryDue(offFailedAt_, inputs.tickMs))
        toTurnOff = toTurnOff.Union(offFailedFor_.Intersection(decided).Without(settings_.overridden));
    if (!toTurnOff.Empty()) {
        if (inputs.soundOn) {
            TurnOff(store, toTurnOff, inputs, outcome);
        } else {
            offFailedFor_ = RuleSet();
            // Off by hand outside the rules, or by a timed off: theirs to end.
            if (!settings_.offBy.Empty())
                Store(settings_.offBy.Union(toTurnOff), settings_.overridden, settings_.hoursOverrideEnd, outcome);
        }
    }

    if (!inputs.soundOn && !settings_.offBy.Empty() && settings_.offBy.Intersection(Holding(inputs)).Empty()) {
        if (inputs.timedOffRunning)
            Store(RuleSet(), settings_.overridden, settings_.hoursOverrideEnd, outcome);
        else if (RetryDue(onFailedAt_, inputs.tickMs))
            TurnOn(store, inputs, outcome);
    }
    return outcome;
}

void QuietKeeper::TurnOff(const SchemeStore& store, RuleSet rules, const QuietInputs& inputs, QuietOutcome& outcome)
{
    const RuleSet before = settings_.offBy;
    // Written first: should the program end halfway, a restart knows whose
    // silence it is.
    const LONG written = WriteOffBy(before.Union(rules));
    if (written != ERROR_SUCCESS) {
        offFailedAt_ = inputs.tickMs;
        offFailedFor_ = rules;
        Report(RuleFailure(IDS_QUIET_OFF_FAILED, kSettingsKeyPath, written), outcome);
        return;
    }
    settings_.offBy = before.Union(rules);
    outcome.changed = true;
    const SoundChange change = Mute(store);
    switch (change.result) {
    case SoundChange::Result::Done:
    case SoundChange::Result::PartlyDone:
        offFailedAt_.reset();
        offFailedFor_ = RuleSet();
        if (change.result == SoundChange::Result::PartlyDone)
            Report(FailureMessage(change), outcome);
        else
            lastFailure_.clear();
        return;
    case SoundChange::Result::Unchanged:
        Store(before, settings_.overridden, settings_.hoursOverrideEnd, outcome);
        return;
    default:
        Store(before, settings_.overridden, settings_.hoursOverrideEnd, outcome);
        offFailedAt_ = inputs.tickMs;
        offFailedFor_ = rules;
        Report(RuleFailure(IDS_QUIET_OFF_FAILED, change), outcome);
        return;
    }
}

void QuietKeeper::TurnOn(const SchemeStore& store, const QuietInputs& inputs, QuietOutcome& outcome)
{
    const SoundChange change = Unmute(store);
    outcome.changed = true;
    switch (change.result) {
    case SoundChange::Result::Done:
    case SoundChange::Result::PartlyDone:
    case SoundChange::Result::Unchanged:
        onFailedAt_.reset();
        if (change.result == SoundChange::Result::PartlyDone)
            Report(FailureMessage(change), outcome);
        else
            lastFailure_.clear();
        // Deleted only now: until sounds are on, a restart tries again.
        Store(RuleSet(), settings_.overridden, settings_.hoursOverrideEnd, outcome);
        return;
    default:
        onFailedAt_ = inputs.tickMs;
        Report(RuleFailure(IDS_QUIET_ON_FAILED, change), outcome);
        return;
    }
}

void QuietKeeper::KeyRecreated()
{
    // Should the write fail, sounds stay off until they are turned on by hand:
    // nothing is lost.
    if (!settings_.offBy.Empty())
        static_cast<void>(WriteOffBy(settings_.offBy));
    settingsRead_ = false;
}

LONG QuietKeeper::ChoiceByHand(bool soundsOn, const QuietInputs& inputs)
{
    if (!settingsRead_) {
        QuietOutcome ignored;
        ReadSettings(ignored);
    }
    const RuleSet holding = Holding(inputs);
    const LONG status = RecordChoiceByHand(settings_, holding, soundsOn, inputs.localNow);
    // The holding rules have begun already: they act again only once they
    // have stopped holding.
    held_ = held_.Union(Decided(inputs));
    offFailedAt_.reset();
    offFailedFor_ = RuleSet();
    onFailedAt_.reset();
    lastFailure_.clear();
    settingsRead_ = false;
    return status;
}

bool QuietKeeper::TakeOverTimedOff(const QuietInputs& inputs)
{
    if (!settingsRead_) {
        QuietOutcome ignored;
        ReadSettings(ignored);
    }
    const RuleSet rules = Decided(inputs).Without(settings_.overridden);
    if (rules.Empty() || WriteOffBy(rules) != ERROR_SUCCESS)
        return false;
    settings_.offBy = rules;
    held_ = held_.Union(rules);
    return true;
}
