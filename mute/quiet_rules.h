#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "engine/scheme_store.h"
#include "mute/mute_control.h"
#include "mute/quiet_settings.h"

// What the rules are told on every tick: the clocks, and the two states only
// the window system knows. The tray reads them from the system; tests make
// them up.
struct QuietInputs {
    // Local wall-clock time, for quiet hours.
    WallTime localNow = 0;
    // A steady millisecond count, for the presenting filter and the retries.
    ULONGLONG tickMs = 0;
    // Whether this session is locked.
    bool locked = false;
    // Whether the system reports a presentation, a full-screen program or a
    // busy state. Asked only while the presenting rule is switched on.
    bool presenting = false;
    // Whether sounds are on, read after the scheme guard ran on this tick, and
    // whether the guard put a scheme back then.
    bool soundOn = true;
    bool guardPutSchemeBack = false;
    // Whether a timed off runs: its end, not the rules', brings sounds back.
    bool timedOffRunning = false;
};

// What a tick did that the user should see.
struct QuietOutcome {
    // Whether sounds were turned off or on, or the rules' bookkeeping changed.
    bool changed = false;
    // A failure to show once in a balloon; empty when there is none.
    std::wstring failure;
};

// The switched-on rules that hold: quiet hours from the periods and the local
// time, the others as given.
RuleSet RulesHolding(RuleSet switchedOn, const std::vector<QuietPeriod>& periods, WallTime localNow, bool locked,
                     bool presenting);

// The local wall-clock time now.
WallTime LocalWallTimeNow();

// The switched-on rules that hold now, asked of the system directly: for
// commands, which keep no presenting filter of their own.
RuleSet RulesHoldingNow(const QuietSettings& settings);

// What letting go of a switched-off rule did.
struct RuleRelease {
    LONG settingsError = ERROR_SUCCESS;
    SoundChange change;
};

// A rule switched off while no instance runs to see it lets go here: out of
// Overridden and OffBy. When it was the last rule keeping sounds off, sounds
// come back now, and OffBy goes only once they are on.
[[nodiscard]] RuleRelease ReleaseRule(const SchemeStore& store, QuietRule rule);

// What every choice by hand does to the rules: the user's choice always wins.
// Leaving sounds on, OffBy is deleted and every holding rule is overridden
// (quiet hours until the end of their run); leaving them off, the holding
// rules become OffBy and are no longer overridden. Answers the first failed
// write.
[[nodiscard]] LONG RecordChoiceByHand(const QuietSettings& settings, RuleSet holding, bool soundsOn, WallTime localNow);

// The rules of one running instance, judged on every tick. Everything that
// turns sounds off or on goes through Mute and Unmute.
class QuietKeeper {
public:
    // Reads the settings on the first tick and whenever told they changed.
    void SettingsChanged() { settingsRead_ = false; }
    // The settings key was deleted and made again, empty: the rules that kept
    // sounds off are written back, since sounds are still off for them.
    void KeyRecreated();

    // One tick; the guard has run before it.
    QuietOutcome Tick(const SchemeStore& store, const QuietInputs& inputs);

    // A choice by hand was made just now, leaving sounds on or off.
    [[nodiscard]] LONG ChoiceByHand(bool soundsOn, const QuietInputs& inputs);

    // A timed off came due: when switched-on rules that are not overridden
    // hold, they take it over (OffUntil is left to the caller to delete) and
    // sounds stay off. Answers whether they did.
    [[nodiscard]] bool TakeOverTimedOff(const QuietInputs& inputs);

    // The holding rules that keep sounds off now, for the tip and `status`.
    RuleSet KeepingSoundsOff(const QuietInputs& inputs) const;
    const QuietSettings& Settings() const { return settings_; }
    const std::vector<QuietPeriod>& Periods() const { return periods_; }

private:
    // The rules known to hold now; the presenting rule only once decided.
    RuleSet Decided(const QuietInputs& inputs) const;
    // Those, and the presenting rule while undecided if it keeps sounds off:
    // a restart during a presentation must not let sounds on for 3 s.
    RuleSet Holding(const QuietInputs& inputs) const;
    void FilterPresenting(const QuietInputs& inputs);
    void ReadSettings(QuietOutcome& outcome);
    void LapseOverrides(const QuietInputs& inputs, RuleSet decided, QuietOutcome& outcome);
    void TurnOff(const SchemeStore& store, RuleSet rules, const QuietInputs& inputs, QuietOutcome& outcome);
    void TurnOn(const SchemeStore& store, const QuietInputs& inputs, QuietOutcome& outcome);
    // Writes OffBy and Overridden as kept here, if they differ from what was
    // written last; a failure is reported once.
    void Store(RuleSet offBy, RuleSet overridden, std::optional<WallTime> hoursEnd, QuietOutcome& outcome);
    void Report(std::wstring failure, QuietOutcome& outcome);

    QuietSettings settings_;
    std::vector<QuietPeriod> periods_;
    bool settingsRead_ = false;
    bool everRead_ = false;
    // The rules that held on the last tick: a rule begins when it starts to
    // hold, also by being switched on.
    RuleSet held_;

    // The presenting filter: the last answer, since when it has been given,
    // and the answer that stayed for 3 s.
    std::optional<bool> presentingAnswer_;
    ULONGLONG presentingSince_ = 0;
    std::optional<bool> presentingDecided_;

    // Failed attempts, retried once a minute while the situation stays.
    std::optional<ULONGLONG> offFailedAt_;
    RuleSet offFailedFor_;
    std::optional<ULONGLONG> onFailedAt_;
    // The failure shown last: the same one is not shown again.
    std::wstring lastFailure_;
};
