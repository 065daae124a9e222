#pragma once

#include <windows.h>

#include "commands/command_runner.h"
#include "commands/hotkey_command.h"
#include "engine/scheme_store.h"
#include "mute/mute_control.h"
#include "mute/timed_off.h"
#include "resources/resource.h"
#include "shell/hotkey_registration.h"
#include "shell/quiet_runner.h"
#include "shell/tray_icon.h"

constexpr UINT_PTR kRefreshTimerId = 1;
constexpr UINT kRefreshIntervalMs = 500;
// Ends a timed "off" (OffUntil in the settings), and while turning sounds on
// fails, tries again once a minute.
constexpr UINT_PTR kOffTimerId = 2;
// Tries again to add an icon that the shell refused: every 2 seconds, for
// 2 minutes.
constexpr UINT_PTR kIconRetryTimerId = 4;
constexpr UINT kIconRetryIntervalMs = 2000;
constexpr int kIconRetries = 60;

// Per-window state of the hidden main window: the tray icon, the timers, the
// engine, and the popup menu's commands. Lives from WM_NCCREATE to
// WM_NCDESTROY in the window's pointer-sized extra slot.
class TrayController {
public:
    TrayController(HWND mainWindow, const ShellCalls& shell);

    TrayController(const TrayController&) = delete;
    TrayController& operator=(const TrayController&) = delete;

    // Lets the shell's messages through to an elevated program, shows the
    // icon for the state the registry holds, and starts the refresh timer.
    void AddTrayIcon();
    // Adds the icon again after the notification area came back (the
    // taskbar was restarted).
    void ReAddTrayIcon();
    // Every tick: icon state first, then the guard, then the update. A timed
    // "off" ended elsewhere (Options' Set) is followed first.
    void RefreshTrayIcon();
    // A tick of the retry timer: one more try to add the icon.
    void RetryIcon();
    // Follows OffUntil: a time still ahead arms the off timer for it, a due one
    // turns sounds on (and deletes it), and arms the timer for the next try
    // when that failed; no value disarms the timer.
    void SyncOffTimer();
    // A command sent by another process in WM_COPYDATA: checked, carried out
    // without any box, and answered with its exit code.
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    // Carries out a command that another process sent, or that the hotkey
    // gives: a change of the hotkey registers it here, anything else runs as
    // the command line runs it; then the timed "off" is followed.
    [[nodiscard]] CommandResult CarryOut(const Command& command);
    // WM_HOTKEY: the hotkey toggles sounds as the `toggle` command does; a
    // failure is shown in a box, since a key press is the user's doing. The
    // box may run a message loop that destroys the window.
    void OnHotkey(WPARAM id);
    // Registers the stored hotkey, if any: at start, and when Options has
    // closed. One that cannot be registered is told in a balloon, never in a
    // box: no one asked for it just now.
    void RegisterStoredHotkey();
    // A balloon from the icon saying that the program runs already.
    void ShowRunningBalloon();
    // A choice by hand made in a dialog of this program (Options' Set): the
    // quiet rules and the timed off follow it.
    void AfterChoiceByHand();
    // Stops the timers, removes the icon and ends the message loop.
    void RemoveTrayIcon();

    // The popup menu and its commands. The menu opens at `anchor`, in the look
    // for the DPI there; asked for from the keyboard, it opens with its first
    // enabled row highlighted. It may run a message loop that destroys the
    // window, and this controller with it.
    void ShowMenu(POINT anchor, bool fromKeyboard);
    LRESULT OnCommand(WORD commandId, WORD notificationCode, LPARAM lParam);

    // Sets the icon and tip for the sound state (not yet sent to the shell).
    void SetSoundState(bool soundOn);
    // Sets them for the state the registry holds now and sends them.
    void ShowSoundState();

    HWND window;
    HINSTANCE instance;
    ShellCalls shell;
    TrayIcon icon;
    SchemeStore store;
    SchemeGuard guard;
    // The schemes the "Change Scheme" submenu was last filled from: a scheme
    // command applies the key the user saw, whatever changed since.
    SchemeListing menuSchemes;
    // The timed "off" as the last sync left it, which the tip shows.
    TimedOff timedOff;
    // The rules that turn sounds off and on by themselves.
    QuietRunner quiet;
    HotkeyRegistration hotkeyRegistration;

private:
    // Adds the icon; while the shell refuses, the retry timer tries again.
    void ShowIcon();
    // Sends the state to the icon.
    void UpdateIcon();
    // Shows a failure of the rules, which come from a timer and so never
    // show a box.
    void ShowRuleFailure(const std::wstring& failure);
    void StartIconRetry();
    void StopIconRetry();
    // A balloon for the icon: shown now, or as soon as the icon is added.
    void ShowBalloonOnce(const std::wstring& text);
    void ShowPendingBalloon();
    // Where a change of the hotkey is registered: on this window, or only
    // tried while Options is open, which registers the stored one as it
    // closes.
    HotkeyTaker HotkeyTakerHere();

    // Tries left to add the icon; 0 while no retry runs.
    int iconRetriesLeft_ = 0;
    // The text of a balloon that waits for the icon; empty when none waits.
    std::wstring pendingBalloon_;
    // How many Options dialogs are open; the hotkey is unregistered meanwhile,
    // so that pressing it types it into the dialog's hotkey box.
    int optionsOpen_ = 0;
};
