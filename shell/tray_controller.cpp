#include "shell/tray_controller.h"

#include <cwchar>
#include <string>

#include "commands/command_runner.h"
#include "commands/running_instance.h"
#include "resources/resource.h"
#include "win32/clock.h"

namespace {

UniqueIcon LoadSmallIcon(HINSTANCE instance, int resourceId)
{
    return UniqueIcon(
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
}

} // namespace

TrayController::TrayController(HWND mainWindow)
    : window(mainWindow), instance(GetModuleHandleW(nullptr)), trayIcon(),
      onIcon(LoadSmallIcon(instance, IDI_SOUND_ON)), offIcon(LoadSmallIcon(instance, IDI_SOUND_OFF))
{
}

void TrayController::SetSoundState(bool soundOn)
{
    trayIcon.hIcon = soundOn ? onIcon.get() : offIcon.get();
    wcsncpy_s(trayIcon.szTip, TipText(soundOn, timedOff, UtcNow()).c_str(), _TRUNCATE);
}

void TrayController::SendTrayIcon(DWORD message)
{
    trayIcon.cbSize = timedOff.state != TimedOff::State::None ? NOTIFYICONDATAW_V2_SIZE : NOTIFYICONDATAW_V1_SIZE;
    Shell_NotifyIconW(message, &trayIcon);
    trayIcon.cbSize = NOTIFYICONDATAW_V1_SIZE;
}

void TrayController::AddTrayIcon()
{
    trayIcon = NOTIFYICONDATAW{};
    trayIcon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    trayIcon.hWnd = window;
    trayIcon.uID = kTrayIconId;
    trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIcon.uCallbackMessage = kTrayCallbackMessage;
    SetSoundState(store.IsSoundOn());
    SendTrayIcon(NIM_ADD);
    SetTimer(window, kRefreshTimerId, kRefreshIntervalMs, nullptr);
    // A start neither mutes nor unmutes, unless a timed "off" has come due.
    SyncOffTimer();
}

void TrayController::ReAddTrayIcon()
{
    SendTrayIcon(NIM_ADD);
}

void TrayController::RefreshTrayIcon()
{
    // Only read while a timed "off" is shown: one ended by a choice in the
    // Options dialog stops here, rather than at its end or next try.
    if (timedOff.state != TimedOff::State::None && ReadTimedOff(UtcNow()).state == TimedOff::State::None)
        SyncOffTimer();
    // The state is read before the guard acts: when the guard puts the scheme
    // back, the icon follows on the next tick.
    SetSoundState(store.IsSoundOn());
    guard.GuardDefaultScheme(store);
    SendTrayIcon(NIM_MODIFY);
}

void TrayController::SyncOffTimer()
{
    // A due one turns sounds on here, also one that came due while the
    // program was not running. No box comes from a timer: a failure shows in
    // the tip, and the timer tries again.
    const ULONGLONG now = UtcNow();
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
        const CommandResult result = ExecuteCommand(command, store, UtcNow());
        SyncOffTimer();
        return result;
    });
}

void TrayController::ShowRunningBalloon()
{
    // The second layout carries the balloon, for this call only.
    NOTIFYICONDATAW balloon = trayIcon;
    balloon.cbSize = NOTIFYICONDATAW_V2_SIZE;
    balloon.uFlags = NIF_INFO;
    wcsncpy_s(balloon.szInfoTitle, L"Hushlark", _TRUNCATE);
    wcsncpy_s(balloon.szInfo, L"Hushlark is already running. Click the loudspeaker to turn sounds off or on.",
              _TRUNCATE);
    balloon.dwInfoFlags = NIIF_INFO;
    Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

void TrayController::RemoveTrayIcon()
{
    KillTimer(window, kRefreshTimerId);
    KillTimer(window, kOffTimerId);
    trayIcon.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &trayIcon);
    onIcon.reset();
    offIcon.reset();
    PostQuitMessage(0);
}
