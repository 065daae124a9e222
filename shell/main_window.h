#pragma once

#include <windows.h>

#include "resources/resource.h"

// Registers the main window class; false when registration failed.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the hidden main window, which adds the tray icon and starts its
// timer while it is created; null when no window came back.
HWND CreateMainWindow(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
