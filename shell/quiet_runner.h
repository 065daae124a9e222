#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "engine/scheme_store.h"
#include "mute/quiet_rules.h"
#include "shell/tray_icon.h"
#include "win32/key_watch.h"

// Tries to register for the session's lock messages again: at logon the
// session service may not be ready yet. Every 5 seconds, for 2 minutes.
constexpr UINT_PTR kSessionRetryTimerId = 5;
constexpr UINT kSessionRetryIntervalMs = 5000;
constexpr int kSessionRetries = 24;

// The quiet rules inside the tray program: their keeper, the watch on the
// settings key, the session's lock state and the presenting answer, all asked
// through the shell calls so that tests can stand in for what Wine lacks.
class QuietRunner {
public:
    QuietRunner(HWND window, const ShellCalls& calls);
    ~QuietRunner();

    QuietRunner(const QuietRunner&) = delete;
    QuietRunner& operator=(const QuietRunner&) = delete;

    // Watches the settings key, reads the session's lock state and registers
    // for its changes, retrying while the session service is not ready.
    void Start();
    // One more try to register for the session's changes (its timer).
    void RetryRegistration();
    // WM_WTSSESSION_CHANGE: a lock or an unlock of this session.
    void OnSessionChange(WPARAM event, LPARAM sessionId);

    // One tick, after the guard: what the rules did.
    QuietOutcome Tick(const SchemeStore& store, bool soundOn, bool guardPutSchemeBack, bool timedOffRunning);
    // A choice by hand was made just now.
    [[nodiscard]] LONG ChoiceByHand(bool soundsOn);
    // A timed off came due: whether the rules keep sounds off instead.
    [[nodiscard]] bool TakeOverTimedOff();
    // The tip while a rule keeps sounds off; none otherwise.
    std::optional<std::wstring> Tip() const;

private:
    QuietInputs Inputs() const;

    HWND window_;
    ShellCalls calls_;
    QuietKeeper keeper_;
    KeyWatch settingsWatch_;
    bool watching_ = false;
    bool locked_ = false;
    bool registered_ = false;
    int registrationRetriesLeft_ = 0;
    // The last presenting answer, asked once per tick while that rule is on.
    bool presenting_ = false;
};
