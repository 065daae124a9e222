#include "shell/tray_icon.h"

#include <commctrl.h>
#include <shellscalingapi.h>
#include <windowsx.h>

#include <cstdlib>
#include <cwchar>
#include <utility>

#include "resources/resource.h"

namespace {

constexpr UINT kFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;

// Loads the group's image drawn for `side` pixels, or scales a larger one down
// (never a smaller one up) when the group has none of that size. Only Common
// Controls 6, which the manifest asks for, has LoadIconWithScaleDown, and the
// import libraries of mingw-w64 do not list it: it is looked up by name.
HICON LoadPicture(HINSTANCE instance, int resourceId, int side)
{
    using LoadWithScaleDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    // The program links comctl32, so the module stays loaded.
    const HMODULE comctl32 = GetModuleHandleW(L"comctl32.dll");
    const auto load =
        reinterpret_cast<LoadWithScaleDown>(comctl32 ? GetProcAddress(comctl32, "LoadIconWithScaleDown") : nullptr);
    HICON picture = nullptr;
    if (load && SUCCEEDED(load(instance, MAKEINTRESOURCEW(resourceId), side, side, &picture)) && picture)
        return picture;
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
}

} // namespace

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

TrayCallback ReadTrayCallback(bool version4, WPARAM wParam, LPARAM lParam, POINT cursor)
{
    if (version4) {
        // Coordinates can be negative on a desktop of several monitors.
        const LPARAM anchor = static_cast<LPARAM>(wParam);
        return {LOWORD(lParam), {GET_X_LPARAM(anchor), GET_Y_LPARAM(anchor)}};
    }
    switch (lParam) {
    case WM_RBUTTONUP:
        return {WM_CONTEXTMENU, cursor};
    case WM_LBUTTONUP:
        return {NIN_SELECT, cursor};
    default:
        return {static_cast<UINT>(lParam), cursor};
    }
}

bool OpensTrayMenu(UINT event)
{
    return event == WM_CONTEXTMENU || event == NIN_SELECT || event == NIN_KEYSELECT;
}

bool AskedFromKeyboard(const TrayCallback& callback, POINT cursor, SIZE slack)
{
    if (callback.event == NIN_KEYSELECT)
        return true;
    // A click anchors the menu where the cursor is; Shift+F10 and the Menu
    // key anchor it at the icon, wherever the cursor happens to be.
    return callback.event == WM_CONTEXTMENU &&
           (std::abs(callback.anchor.x - cursor.x) > slack.cx || std::abs(callback.anchor.y - cursor.y) > slack.cy);
}

UINT TaskbarDpi()
{
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    const HMONITOR monitor = taskbar ? MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                                     : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    UINT dpiX = 0, dpiY = 0;
    if (!monitor || FAILED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) || !dpiY)
        return USER_DEFAULT_SCREEN_DPI;
    return dpiY;
}

TrayIcon::TrayIcon(HWND window, HINSTANCE instance, const ShellCalls& shell)
    : shell_(shell), instance_(instance), record_()
{
    record_.cbSize = sizeof(record_);
    record_.hWnd = window;
    record_.uID = kTrayIconId;
    record_.uFlags = kFlags;
    record_.uCallbackMessage = kTrayCallbackMessage;
    LoadPictures();
}

void TrayIcon::LoadPictures(UINT dpi)
{
    // The notification area shows small icons, whose size the DPI decides.
    const int side = GetSystemMetricsForDpi(SM_CXSMICON, dpi ? dpi : TaskbarDpi());
    if (UniqueIcon on(LoadPicture(instance_, IDI_SOUND_ON, side)); on)
        onPicture_ = std::move(on);
    if (UniqueIcon off(LoadPicture(instance_, IDI_SOUND_OFF, side)); off)
        offPicture_ = std::move(off);
    pictureSide_ = side;
    // The shell keeps a copy of the picture it was sent: the old one can go.
    record_.hIcon = PictureFor(soundOn_);
}

void TrayIcon::SetState(bool soundOn, const std::wstring& tip)
{
    soundOn_ = soundOn;
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
    if (!shown_)
        return false;
    // Version 4 brings the keyboard's selection (NIN_KEYSELECT), the context
    // menu of Shift+F10, and the point to anchor a menu at. A shell that
    // refuses it keeps sending the oldest layout, which ReadTrayCallback reads.
    NOTIFYICONDATAW version = record_;
    version.uVersion = NOTIFYICON_VERSION_4;
    version4_ = Send(NIM_SETVERSION, version);
    return true;
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
    balloon.uFlags = NIF_INFO | NIF_SHOWTIP;
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
