#include "shell/tray_controller.h"

#include <cwchar>

#include "resources/resource.h"

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
    const wchar_t* tip = soundOn ? L"Sound is On" : L"Sound is Off";
    // szTip of the first record layout holds 64 characters.
    wcsncpy_s(trayIcon.szTip, 64, tip, _TRUNCATE);
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
    Shell_NotifyIconW(NIM_ADD, &trayIcon);
    SetTimer(window, kRefreshTimerId, kRefreshIntervalMs, nullptr);
}

void TrayController::ReAddTrayIcon()
{
    Shell_NotifyIconW(NIM_ADD, &trayIcon);
}

void TrayController::RefreshTrayIcon()
{
    // The state is read before the guard acts: when the guard puts the scheme
    // back, the icon follows on the next tick.
    SetSoundState(store.IsSoundOn());
    guard.GuardDefaultScheme(store);
    Shell_NotifyIconW(NIM_MODIFY, &trayIcon);
}

void TrayController::RemoveTrayIcon()
{
    KillTimer(window, kRefreshTimerId);
    trayIcon.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &trayIcon);
    onIcon.reset();
    offIcon.reset();
    PostQuitMessage(0);
}
