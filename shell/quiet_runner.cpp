#include "shell/quiet_runner.h"

#include "mute/program_settings.h"
#include "mute/quiet_text.h"
#include "win32/session.h"

QuietRunner::QuietRunner(HWND window, const ShellCalls& calls) : window_(window), calls_(calls) {}

QuietRunner::~QuietRunner()
{
    if (registered_)
        calls_.unregisterSession(window_);
}

void QuietRunner::Start()
{
    // Without the watch the rules still follow the registry, read once: a
    // change made elsewhere then waits for the next start.
    watching_ = settingsWatch_.Start(kSettingsKeyPath) == ERROR_SUCCESS;
    // A state that cannot be read counts as unlocked.
    locked_ = calls_.sessionLocked().value_or(false);
    registrationRetriesLeft_ = kSessionRetries;
    RetryRegistration();
}

void QuietRunner::RetryRegistration()
{
    if (!registered_ && registrationRetriesLeft_ > 0) {
        --registrationRetriesLeft_;
        registered_ = calls_.registerSession(window_, NOTIFY_FOR_THIS_SESSION) != FALSE;
    }
    if (registered_ || registrationRetriesLeft_ == 0)
        KillTimer(window_, kSessionRetryTimerId);
    else
        SetTimer(window_, kSessionRetryTimerId, kSessionRetryIntervalMs, nullptr);
}

void QuietRunner::OnSessionChange(WPARAM event, LPARAM sessionId)
{
    // Other sessions' messages reach a program registered for all of them.
    if (static_cast<DWORD>(sessionId) != CurrentSessionId())
        return;
    if (event == WTS_SESSION_LOCK)
        locked_ = true;
    else if (event == WTS_SESSION_UNLOCK)
        locked_ = false;
}

QuietInputs QuietRunner::Inputs() const
{
    QuietInputs inputs;
    inputs.localNow = LocalWallTimeNow();
    inputs.tickMs = GetTickCount64();
    inputs.locked = locked_;
    inputs.presenting = presenting_;
    return inputs;
}

QuietOutcome QuietRunner::Tick(const SchemeStore& store, bool soundOn, bool guardPutSchemeBack, bool timedOffRunning)
{
    const KeyWatch::Change change = watching_ ? settingsWatch_.Poll() : KeyWatch::Change::None;
    if (change == KeyWatch::Change::Recreated)
        keeper_.KeyRecreated();
    else if (change == KeyWatch::Change::Changed)
        keeper_.SettingsChanged();
    // The one question a tick asks the system, and only while it matters: the
    // rule may have just been switched on.
    if (change != KeyWatch::Change::None || keeper_.Settings().switchedOn.Has(QuietRule::Presenting)) {
        const std::optional<int> state = calls_.notificationState();
        presenting_ = state && IsPresentingState(*state);
    }
    QuietInputs inputs = Inputs();
    inputs.soundOn = soundOn;
    inputs.guardPutSchemeBack = guardPutSchemeBack;
    inputs.timedOffRunning = timedOffRunning;
    return keeper_.Tick(store, inputs);
}

LONG QuietRunner::ChoiceByHand(bool soundsOn)
{
    return keeper_.ChoiceByHand(soundsOn, Inputs());
}

bool QuietRunner::TakeOverTimedOff()
{
    return keeper_.TakeOverTimedOff(Inputs());
}

std::optional<std::wstring> QuietRunner::Tip() const
{
    const QuietInputs inputs = Inputs();
    return RuleTip(keeper_.KeepingSoundsOff(inputs), keeper_.Periods(), inputs.localNow);
}
