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

// What one callback message of the icon says: the event, and the point on the
// screen that a menu opened by it is anchored at.
struct TrayCallback {
    UINT event = 0;
    POINT anchor = {};
};

// Reads a callback in the layout the icon was given. In version 4 the event is
// in the low word of lParam (the icon id in its high word) and the anchor in
// wParam. In the oldest layout lParam is the mouse message alone; a button
// release there stands for what version 4 reports (a right one for
// WM_CONTEXTMENU, a left one for NIN_SELECT), anchored at the cursor.
TrayCallback ReadTrayCallback(bool version4, WPARAM wParam, LPARAM lParam, POINT cursor);

// Whether the event opens the menu: WM_CONTEXTMENU (a right click, Shift+F10
// or the Menu key), NIN_SELECT (a left click) or NIN_KEYSELECT (Enter or
// Space). Presses, releases and moves of the mouse do not.
bool OpensTrayMenu(UINT event);

// Whether the menu was asked for from the keyboard, so that it opens with a
// row highlighted: a keyboard selection, or a context menu whose anchor (the
// icon) is more than `slack` pixels away from the cursor, where a click puts it.
bool AskedFromKeyboard(const TrayCallback& callback, POINT cursor, SIZE slack);

// The DPI of the monitor that shows the taskbar, for which the icon's pictures
// are sized; 96 when the system cannot say.
UINT TaskbarDpi();

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

    // Loads both pictures again, at the small-icon size for the taskbar's DPI
    // (`dpi`, or TaskbarDpi() when 0), each from the group's image drawn for
    // that size, and puts the one for the sound state into the record; sent
    // with the next Add or Update. A picture that fails to load keeps the one
    // it had.
    void LoadPictures(UINT dpi = 0);

    // Puts the picture for the sound state and the tip into the record; sent
    // with the next Add or Update. A tip beyond 127 characters is cut there.
    void SetState(bool soundOn, const std::wstring& tip);

    // Adds the icon. When the shell refuses, the icon may be there all the
    // same (at logon an add can time out after it was carried out), so it is
    // modified instead. True when either was taken: the icon is shown, and is
    // then asked for version 4 of the callbacks.
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
    // The shell took version 4 for the shown icon: callbacks come in its layout.
    bool UsesVersion4() const { return version4_; }
    // The side in pixels the pictures were last loaded at.
    int PictureSide() const { return pictureSide_; }
    HICON Picture() const { return record_.hIcon; }
    HICON PictureFor(bool soundOn) const { return soundOn ? onPicture_.get() : offPicture_.get(); }
    std::wstring Tip() const { return record_.szTip; }

private:
    // The record is sent whole, with NIF_SHOWTIP: every shell since Windows 10
    // reads it all, so the tip has its full 128 characters, and in version 4
    // the shell shows no tip without that flag.
    [[nodiscard]] bool Send(DWORD message, NOTIFYICONDATAW& record);

    ShellCalls shell_;
    HINSTANCE instance_;
    UniqueIcon onPicture_;
    UniqueIcon offPicture_;
    int pictureSide_ = 0;
    NOTIFYICONDATAW record_;
    bool soundOn_ = false;
    bool shown_ = false;
    bool version4_ = false;
};
