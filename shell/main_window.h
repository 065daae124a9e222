#pragma once

#include <windows.h>

constexpr wchar_t kMainWindowClass[] = L"Hushlark_Window";
constexpr wchar_t kMainWindowTitle[] = L"Hushlark by Quillfen";

// Registers the main window class; false when registration failed.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the hidden main window, which adds the tray icon and starts its
// timer while it is created; null when no window came back.
HWND CreateMainWindow(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
