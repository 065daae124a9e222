#pragma once

#include <windows.h>

#include "resources/resource.h"
#include "shell/tray_icon.h"

// Creates the hidden main window, which adds the tray icon and starts its
// timer while it is created; null when no window came back. The shell is
// reached through `shell`, or through the real calls when it is null.
[[nodiscard]] HWND CreateMainWindow(HINSTANCE instance, const ShellCalls* shell = nullptr);
