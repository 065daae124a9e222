#include "shell/tray_icon.h"

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

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

TrayIcon::TrayIcon(HWND window, HINSTANCE instance, const ShellCalls& shell)
    : shell_(shell), onPicture_(LoadSmallIcon(instance, IDI_SOUND_ON)),
      offPicture_(LoadSmallIcon(instance, IDI_SOUND_OFF)), record_()
{
    record_.cbSize = sizeof(record_);
    record_.hWnd = window;
    record_.uID = kTrayIconId;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = kTrayCallbackMessage;
}

void TrayIcon::SetState(bool soundOn, const std::wstring& tip)
{
    record_.hIcon = PictureFor(soundOn);
    wcsncpy_s(record_.szTip, tip.c_str(), _TRUNCATE);
}

bool TrayIcon::Send(DWORD message, NOTIFYICONDATAW& record)
{
    return shell_.notifyIcon(message, &record) != FALSE;
}

bool TrayIcon::Add()
{
    shown_ = Send(NIM_ADD, record_) || Send(NIM_MODIFY, record_);
    return shown_;
}

bool TrayIcon::Update()
{
    if (!shown_)
        return true;
    shown_ = Send(NIM_MODIFY, record_);
    return shown_;
}

bool TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text)
{
    if (!shown_)
        return false;
    NOTIFYICONDATAW balloon = record_;
    balloon.uFlags = NIF_INFO;
    wcsncpy_s(balloon.szInfoTitle, title.c_str(), _TRUNCATE);
    wcsncpy_s(balloon.szInfo, text.c_str(), _TRUNCATE);
    balloon.dwInfoFlags = NIIF_INFO;
    shown_ = Send(NIM_MODIFY, balloon);
    return shown_;
}

void TrayIcon::Remove()
{
    // A refused delete leaves an icon that the shell drops by itself once the
    // window is gone and the mouse passes over it.
    if (shown_)
        shown_ = !Send(NIM_DELETE, record_);
}
