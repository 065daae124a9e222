#include "shell/tray_controller.h"

#include <string>

#include "commands/command_runner.h"
#include "commands/running_instance.h"
#include "dialogs/failure_box.h"
#include "mute/change_message.h"
#include "mute/hotkey.h"
#include "resources/resource.h"
#include "win32/clock.h"
#include "win32/text.h"

TrayController::TrayController(HWND mainWindow, const ShellCalls& shellCalls)
    : window(mainWindow), instance(GetModuleHandleW(nullptr)), shell(shellCalls), icon(mainWindow, instance, shell),
      quiet(mainWindow, shell), hotkeyRegistration(mainWindow)
{
}

void TrayController::SetSoundState(bool soundOn)
{
    // A timed off first, then the rule that keeps sounds off, then the state.
    std::optional<std::wstring> ruleTip;
    if (!soundOn && timedOff.state == TimedOff::State::None)
        ruleTip = quiet.Tip();
    icon.SetState(soundOn, ruleTip ? *ruleTip : TipText(soundOn, timedOff, UtcNow()));
}

void TrayController::AddTrayIcon()
{
    // An elevated program hears only what it lets through from programs of
    // lower integrity, the shell among them. Commands (WM_COPYDATA) stay
    // closed to them. Should a call fail, the message still comes from
    // programs of the same integrity.
    for (const UINT message : {TaskbarCreatedMessage(), kShowRunningMessage})
        shell.changeMessageFilter(window, message, MSGFLT_ALLOW, nullptr);
    SetTimer(window, kRefreshTimerId, kRefreshIntervalMs, nullptr);
    quiet.Start();
    // A start neither mutes nor unmutes, unless a timed "off" has come due;
    // the rules act from the first tick on.
    // The icon is added afterwards, with the state that follows.
    SyncOffTimer();
    SetSoundState(store.IsSoundOn());
    ShowIcon();
    RegisterStoredHotkey();
}

void TrayController::ShowIcon()
{
    if (icon.Add()) {
        StopIconRetry();
        ShowPendingBalloon();
    } else {
        StartIconRetry();
    }
}

void TrayController::StartIconRetry()
{
    iconRetriesLeft_ = kIconRetries;
    SetTimer(window, kIconRetryTimerId, kIconRetryIntervalMs, nullptr);
}

void TrayController::StopIconRetry()
{
    iconRetriesLeft_ = 0;
    KillTimer(window, kIconRetryTimerId);
}

void TrayController::RetryIcon()
{
    if (iconRetriesLeft_ <= 0)
        return;
    --iconRetriesLeft_;
    const bool added = icon.Add();
    if (added || iconRetriesLeft_ == 0)
        StopIconRetry();
    if (added)
        ShowPendingBalloon();
}

void TrayController::ReAddTrayIcon()
{
    // The new notification area holds no icon of ours. A refused add starts
    // the two minutes of retries afresh: the taskbar may still be starting.
    ShowIcon();
}

void TrayController::RefreshTrayIcon()
{
    // Only read while a timed "off" is shown: one ended by a choice in the
    // Options dialog stops here, rather than at its end or next try.
    if (timedOff.state != TimedOff::State::None && ReadTimedOff(UtcNow()).state == TimedOff::State::None)
        SyncOffTimer();
    // The state is read before the guard acts: when the guard puts the scheme
    // back, the icon follows on the next tick.
    const bool soundOn = store.IsSoundOn();
    SetSoundState(soundOn);
    const bool putBack = guard.GuardDefaultScheme(store);
    // The rules go by the state after the guard; it is read again only when
    // the guard changed it.
    const QuietOutcome outcome =
        quiet.Tick(store, putBack ? store.IsSoundOn() : soundOn, putBack, timedOff.state == TimedOff::State::Running);
    if (outcome.changed)
        SetSoundState(store.IsSoundOn());
    UpdateIcon();
    ShowRuleFailure(outcome.failure);
}

void TrayController::UpdateIcon()
{
    // The icon is gone when the shell refuses a change: it is added again.
    if (!icon.Update())
        StartIconRetry();
}

void TrayController::SyncOffTimer()
{
    // A due one turns sounds on here, also one that came due while the
    // program was not running. No box comes from a timer: a failure shows in
    // the tip, and the timer tries again.
    const ULONGLONG now = UtcNow();
    // Come due while rules that are not overridden hold: they keep sounds
    // off from here, and bring them back when they end.
    if (ReadTimedOff(now).state == TimedOff::State::Due && quiet.TakeOverTimedOff() &&
        DeleteTimedOff() == ERROR_SUCCESS)
        timedOff = TimedOff();
    else
        timedOff = EndTimedOffIfDue(store, now);
    if (const std::optional<UINT> waitMs = NextTimedOffCheckMs(timedOff, now))
        SetTimer(window, kOffTimerId, *waitMs, nullptr);
    else
        KillTimer(window, kOffTimerId);
    ShowSoundState();
}

LRESULT TrayController::OnCopyData(const COPYDATASTRUCT* data)
{
    // Anything else another process sends is ignored and answered as a failure.
    return AnswerRequest(window, data, [this](const Command& command) {
        if (command.kind == CommandKind::Exit) {
            // Answered first: the sender waits for the process to end.
            PostMessageW(window, WM_CLOSE, 0, 0);
            return CommandResult();
        }
        return CarryOut(command);
    });
}

CommandResult TrayController::CarryOut(const Command& command)
{
    CommandResult result =
        IsHotkeyChange(command) ? ChangeHotkey(command, HotkeyTakerHere()) : ExecuteCommand(command, store, UtcNow());
    SyncOffTimer();
    // A choice by hand: the quiet rules follow it. A failure of their own
    // bookkeeping does not fail the command, which was carried out: it shows
    // like any failure of the rules.
    if (result.byHand) {
        const LONG recorded = quiet.ChoiceByHand(*result.byHand);
        if (recorded != ERROR_SUCCESS)
            ShowRuleFailure(SettingsFailureMessage(recorded));
    }
    return result;
}

HotkeyTaker TrayController::HotkeyTakerHere()
{
    if (optionsOpen_ > 0)
        return TrialTaker();
    return HotkeyTaker{[this](const std::optional<Hotkey>& hotkey) { return hotkeyRegistration.Prepare(hotkey); },
                       [this](bool stored) {
                           if (stored)
                               hotkeyRegistration.Keep();
                           else
                               hotkeyRegistration.Drop();
                       }};
}

void TrayController::OnHotkey(WPARAM id)
{
    if (!HotkeyRegistration::IsOwnId(id))
        return;
    // The same command that `hushlark toggle` sends.
    const std::optional<Command> toggle = ParseCommand({L"toggle"});
    if (!toggle)
        return;
    const CommandResult result = CarryOut(*toggle);
    // The box runs a message loop that may destroy the window and this
    // controller: it comes last.
    ShowFailure(window, result.failureMessage.empty() ? result.error : result.failureMessage);
}

void TrayController::RegisterStoredHotkey()
{
    const std::optional<Hotkey> stored = ReadHotkey();
    if (hotkeyRegistration.Change(stored) != ERROR_SUCCESS && stored)
        ShowBalloonOnce(FormatText(IDS_HOTKEY_BALLOON, {HotkeyName(*stored)}));
}

void TrayController::ShowBalloonOnce(const std::wstring& text)
{
    pendingBalloon_ = text;
    if (icon.IsShown())
        ShowPendingBalloon();
}

void TrayController::ShowPendingBalloon()
{
    if (pendingBalloon_.empty())
        return;
    const std::wstring text = std::move(pendingBalloon_);
    pendingBalloon_.clear();
    // A refused balloon means that the icon is gone: it is added again, and
    // the balloon is not tried again.
    if (!icon.ShowBalloon(LoadText(IDS_PROGRAM_NAME), text))
        StartIconRetry();
}

void TrayController::ShowRunningBalloon()
{
    // Started again, maybe because the icon cannot be seen: an icon the shell
    // does not hold is added first.
    if (!icon.IsShown())
        ShowIcon();
    if (icon.IsShown() && !icon.ShowBalloon(LoadText(IDS_PROGRAM_NAME), LoadText(IDS_RUNNING_BALLOON)))
        StartIconRetry();
}

void TrayController::AfterChoiceByHand()
{
    SyncOffTimer();
    const LONG recorded = quiet.ChoiceByHand(store.IsSoundOn());
    if (recorded != ERROR_SUCCESS)
        ShowRuleFailure(SettingsFailureMessage(recorded));
}

void TrayController::ShowRuleFailure(const std::wstring& failure)
{
    if (!failure.empty() && icon.IsShown() && !icon.ShowBalloon(LoadText(IDS_PROGRAM_NAME), failure))
        StartIconRetry();
}

void TrayController::RemoveTrayIcon()
{
    KillTimer(window, kRefreshTimerId);
    KillTimer(window, kOffTimerId);
    StopIconRetry();
    KillTimer(window, kSessionRetryTimerId);
    icon.Remove();
    PostQuitMessage(0);
}
