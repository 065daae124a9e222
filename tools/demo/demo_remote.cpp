#include <windows.h>

#include <cwchar>

// Remote control for the demo on a machine without a display: run in the demo
// prefix, it joins the program's virtual desktop.
//
//   demo-remote wait     waits until the program's window and taskbar exist
//   demo-remote menu     opens the tray menu as a right click on the icon would
//   demo-remote exit     closes the program
//
// Exit code 0 on success, 1 when the program's window was not found.
namespace {

HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (const HWND window = FindWindowW(className, nullptr))
            return window;
        if (GetTickCount64() >= end)
            return nullptr;
        Sleep(100);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    const HWND program = WaitForWindow(L"Hushlark_Window", 15000);
    if (!program)
        return 1;

    if (std::wcscmp(commandLine, L"menu") == 0) {
        // The menu opens above the cursor: put it on the notification area.
        if (const HWND taskbar = WaitForWindow(L"Shell_TrayWnd", 5000)) {
            RECT rect;
            GetWindowRect(taskbar, &rect);
            SetCursorPos(rect.right - 12, rect.top + (rect.bottom - rect.top) / 2);
        }
        PostMessageW(program, WM_APP, 321, WM_RBUTTONDOWN);
    } else if (std::wcscmp(commandLine, L"exit") == 0) {
        PostMessageW(program, WM_CLOSE, 0, 0);
    } else {
        WaitForWindow(L"Shell_TrayWnd", 5000);
    }
    return 0;
}
