#pragma once

#include <windows.h>

#include <optional>

// The two states of the user's session that the quiet rules follow and only
// the system knows: whether the session is locked, and whether the user is
// presenting or runs something in full screen.

// This process's session.
DWORD CurrentSessionId();

// Whether this session is locked; none when the state cannot be read (the
// session service is not ready, or, under Wine, the call fails).
std::optional<bool> QuerySessionLocked();

// The shell's notification state (a QUERY_USER_NOTIFICATION_STATE value);
// none when it cannot be asked.
std::optional<int> QueryNotificationState();

// Whether a notification state means presenting: busy, a full-screen
// Direct3D program, or presentation mode. Quiet time and a full-screen app
// do not count.
bool IsPresentingState(int notificationState);
