#pragma once

#include <windows.h>
#include <shellapi.h>

#include <wtsapi32.h>

#include <optional>
#include <string>

#include "win32/session.h"
#include "win32/unique_handle.h"

// The calls through which the tray program deals with the shell and the
// session: its icon, the message filter that lets the shell's messages reach
// a program that runs elevated, and what the quiet rules ask of the session.
// Tests put stand-ins in their place: Wine has no integrity levels, its
// notification area never refuses an icon, it never reports a lock (nor sends
// WM_WTSSESSION_CHANGE by itself), and it always answers "accepts
// notifications".
struct ShellCalls {
    decltype(&Shell_NotifyIconW) notifyIcon = &Shell_NotifyIconW;
    decltype(&ChangeWindowMessageFilterEx) changeMessageFilter = &ChangeWindowMessageFilterEx;
    std::optional<bool> (*sessionLocked)() = &QuerySessionLocked;
    std::optional<int> (*notificationState)() = &QueryNotificationState;
    BOOL(WINAPI* registerSession)(HWND, DWORD) = &WTSRegisterSessionNotification;
    BOOL(WINAPI* unregisterSession)(HWND) = &WTSUnRegisterSessionNotification;
};

// The message the shell broadcasts when the notification area is created anew
// (the taskbar was restarted): every icon must then be added again.
UINT TaskbarCreatedMessage();

// The program's one icon in the notification area: the record the shell is
// sent, the two pictures, and whether the shell holds the icon ("shown"). The
// record always carries the latest state and tip, so an icon added late shows
// what is true then. Every answer of the shell is checked: a refused change of
// a shown icon means that the icon is gone, and the owner adds it again.
class TrayIcon {
public:
    // Loads both pictures from `instance`; nothing is sent yet.
    TrayIcon(HWND window, HINSTANCE instance, const ShellCalls& shell);

    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Puts the picture for the sound state and the tip into the record; sent
    // with the next Add or Update. A tip beyond 127 characters is cut there.
    void SetState(bool soundOn, const std::wstring& tip);

    // Adds the icon. When the shell refuses, the icon may be there all the
    // same (at logon an add can time out after it was carried out), so it is
    // modified instead. True when either was taken: the icon is shown.
    [[nodiscard]] bool Add();
    // Sends the record to a shown icon; sends nothing while none is shown.
    // False when the shell refused it: the icon counts as gone from then on.
    [[nodiscard]] bool Update();
    // A balloon from the shown icon, for this call only. False when no icon is
    // shown or the shell refused it (the icon then counts as gone).
    [[nodiscard]] bool ShowBalloon(const std::wstring& title, const std::wstring& text);
    // Takes a shown icon out of the notification area.
    void Remove();

    bool IsShown() const { return shown_; }
    HICON Picture() const { return record_.hIcon; }
    HICON PictureFor(bool soundOn) const { return soundOn ? onPicture_.get() : offPicture_.get(); }
    std::wstring Tip() const { return record_.szTip; }

private:
    // The record is sent whole: every shell since Windows 10 reads it all, so
    // the tip has its full 128 characters.
    [[nodiscard]] bool Send(DWORD message, NOTIFYICONDATAW& record);

    ShellCalls shell_;
    UniqueIcon onPicture_;
    UniqueIcon offPicture_;
    NOTIFYICONDATAW record_;
    bool shown_ = false;
};
