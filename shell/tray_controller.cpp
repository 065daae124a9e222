#include "shell/tray_controller.h"

#include <cwchar>
#include <string>

#include "commands/command_runner.h"
#include "mute/program_settings.h"
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
    std::wstring tip = soundOn ? L"Sound is On" : L"Sound is Off";
    if (!soundOn && offUntil)
        tip += L" until " + LocalClockText(*offUntil);
    // szTip of the first record layout holds 64 characters.
    wcsncpy_s(trayIcon.szTip, 64, tip.c_str(), _TRUNCATE);
}

void TrayController::SendTrayIcon(DWORD message)
{
    trayIcon.cbSize = offUntil ? NOTIFYICONDATAW_V2_SIZE : NOTIFYICONDATAW_V1_SIZE;
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
    // The state is read before the guard acts: when the guard puts the scheme
    // back, the icon follows on the next tick.
    SetSoundState(store.IsSoundOn());
    guard.GuardDefaultScheme(store);
    SendTrayIcon(NIM_MODIFY);
}

void TrayController::SyncOffTimer()
{
    const std::optional<ULONGLONG> until = ProgramSettings().ReadOffUntil();
    const ULONGLONG now = UtcNow();
    if (until && *until <= now) {
        // Come due, also while the program was not running. Shown nowhere
        // should it fail: no box comes from a timer.
        KillTimer(window, kOffTimerId);
        offUntil.reset();
        static_cast<void>(TurnSoundsOn(store));
    } else if (until) {
        constexpr ULONGLONG kTicksPerMs = 10000;
        const ULONGLONG remainingMs = (*until - now + kTicksPerMs - 1) / kTicksPerMs;
        // Should it fire early, the next sync arms it again for the rest.
        SetTimer(window, kOffTimerId,
                 static_cast<UINT>(remainingMs < USER_TIMER_MAXIMUM ? remainingMs : USER_TIMER_MAXIMUM), nullptr);
        offUntil = until;
    } else {
        KillTimer(window, kOffTimerId);
        offUntil.reset();
    }
    ShowSoundState();
}

LRESULT TrayController::OnCopyData(const COPYDATASTRUCT* data)
{
    // Anything else another process sends is ignored and answered as a failure.
    const std::optional<Command> command = CommandFromCopyData(data);
    if (!command || !ChangesSomething(*command))
        return kExitFailed;
    if (command->kind == CommandKind::Exit) {
        // Answered first: the sender waits for the process to end.
        PostMessageW(window, WM_CLOSE, 0, 0);
        return kExitDone;
    }
    const CommandResult result = ExecuteCommand(*command, store, UtcNow());
    SyncOffTimer();
    return result.exitCode;
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
