#pragma once

#include <windows.h>
#include <shellapi.h>

#include "engine/scheme_store.h"
#include "mute/mute_control.h"
#include "mute/timed_off.h"
#include "resources/resource.h"
#include "win32/unique_handle.h"

constexpr UINT_PTR kRefreshTimerId = 1;
constexpr UINT kRefreshIntervalMs = 500;
// Ends a timed "off" (OffUntil in the settings), and while turning sounds on
// fails, tries again once a minute.
constexpr UINT_PTR kOffTimerId = 2;

// Per-window state of the hidden main window: the tray icon with its two
// pictures, the engine, and the popup menu's commands. Lives from WM_NCCREATE
// to WM_NCDESTROY in the window's pointer-sized extra slot.
class TrayController {
public:
    explicit TrayController(HWND mainWindow);

    TrayController(const TrayController&) = delete;
    TrayController& operator=(const TrayController&) = delete;

    // Fills the icon record, adds the icon and starts the refresh timer.
    void AddTrayIcon();
    // Adds the icon again after the notification area came back (the
    // taskbar was restarted); the record is the one in use.
    void ReAddTrayIcon();
    // Every tick: icon state first, then the guard, then the update. A timed
    // "off" ended elsewhere (Options' Set) is followed first.
    void RefreshTrayIcon();
    // Follows OffUntil: a time still ahead arms the off timer for it, a due one
    // turns sounds on (and deletes it), and arms the timer for the next try
    // when that failed; no value disarms the timer.
    void SyncOffTimer();
    // A command sent by another process in WM_COPYDATA: checked, carried out
    // without any box, and answered with its exit code.
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    // A balloon from the icon saying that the program runs already.
    void ShowRunningBalloon();
    // Stops the timer, removes the icon, destroys both pictures and ends the
    // message loop.
    void RemoveTrayIcon();

    // The popup menu and its commands. The menu may run a message loop that
    // destroys the window, and this controller with it.
    void ShowMenu();
    LRESULT OnCommand(WORD commandId, WORD notificationCode, LPARAM lParam);

    // Sets the icon and tip for the sound state (not yet sent to the shell).
    void SetSoundState(bool soundOn);
    // Sends the record: the first layout, or the second while a timed "off"
    // runs, whose tip is longer than the first layout allows.
    void SendTrayIcon(DWORD message);
    // Sets them for the state the registry holds now and sends them.
    void ShowSoundState();

    HWND window;
    HINSTANCE instance;
    // Sent in its first layout, the one every shell understands.
    NOTIFYICONDATAW trayIcon;
    UniqueIcon onIcon;
    UniqueIcon offIcon;
    SchemeStore store;
    SchemeGuard guard;
    // The schemes the "Change Scheme" submenu was last filled from: a scheme
    // command applies the key the user saw, whatever changed since.
    SchemeListing menuSchemes;
    // The timed "off" as the last sync left it, which the tip shows.
    TimedOff timedOff;
};
