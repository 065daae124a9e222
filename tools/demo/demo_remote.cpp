#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "resources/resource.h"

// Remote control for the demo and the screenshots: run in the demo prefix, it
// joins the program's virtual desktop.
//
//   demo-remote wait      waits until the program's window and the taskbar exist
//   demo-remote menu      opens the tray menu as a right click on the icon would
//   demo-remote options   opens the Options dialog as its menu command would
//   demo-remote escape    closes the open menu (with its submenus) or the Options
//                         dialog and waits until it is gone
//   demo-remote keys K..  presses keys in the open menu: down, up, left,
//                         right, return, escape
//   demo-remote exit      closes the program
//   demo-remote rect W    prints the screen rectangle (WxH+X+Y) of the open
//                         menu (W = menu) or Options dialog (W = options)
//
// Every command but exit first waits for the program's window. Exit code 0 on
// success, 1 when the window in question was not found (or did not close).
namespace {

const wchar_t kOptionsTitle[] = L"Hushlark Options";

HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        const HWND window = FindWindowW(className, title);
        if (window && (!title || IsWindowVisible(window)))
            return window;
        if (GetTickCount64() >= end)
            return nullptr;
        Sleep(100);
    }
}

// The taskbar's rectangle stays empty for a moment after its window exists; the
// menu command places the cursor by it.
HWND WaitForTaskbar(DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        RECT rect;
        const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
        if (taskbar && GetWindowRect(taskbar, &rect) && !IsRectEmpty(&rect))
            return taskbar;
        if (GetTickCount64() >= end)
            return nullptr;
        Sleep(100);
    }
}

HWND OpenWindow(const wchar_t* which)
{
    if (std::wcscmp(which, L"menu") == 0)
        return WaitForWindow(L"#32768", nullptr, 5000);
    return WaitForWindow(L"#32770", kOptionsTitle, 5000);
}

// One Escape closes one level of menus: press it until no menu is left.
bool CloseMenusAndOptions(DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        const HWND menu = FindWindowW(L"#32768", nullptr);
        const HWND options = FindWindowW(L"#32770", kOptionsTitle);
        if (!menu && !options)
            return true;
        if (GetTickCount64() >= end)
            return false;
        if (menu)
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        else
            PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
        Sleep(100);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    if (std::wcscmp(commandLine, L"exit") == 0) {
        // Nothing to wait for: a program that is not running needs no closing.
        if (const HWND program = FindWindowW(kMainWindowClass, nullptr))
            PostMessageW(program, WM_CLOSE, 0, 0);
        return 0;
    }
    const HWND program = WaitForWindow(kMainWindowClass, nullptr, 15000);
    if (!program)
        return 1;

    if (std::wcscmp(commandLine, L"menu") == 0) {
        // The menu opens above the cursor: put it on the notification area.
        if (const HWND taskbar = WaitForTaskbar(5000)) {
            RECT rect;
            GetWindowRect(taskbar, &rect);
            // Just above the icon, so that its tip does not cover the menu.
            SetCursorPos(rect.right - 12, rect.top - 1);
        }
        PostMessageW(program, kTrayCallbackMessage, kTrayIconId, WM_RBUTTONDOWN);
        return OpenWindow(L"menu") ? 0 : 1;
    }
    if (std::wcscmp(commandLine, L"options") == 0) {
        PostMessageW(program, WM_COMMAND, IDM_OPTIONS, 0);
        return OpenWindow(L"options") ? 0 : 1;
    }
    if (std::wcscmp(commandLine, L"escape") == 0)
        return CloseMenusAndOptions(5000) ? 0 : 1;
    if (std::wcsncmp(commandLine, L"keys ", 5) == 0) {
        const HWND menu = OpenWindow(L"menu");
        if (!menu)
            return 1;
        struct Key {
            const wchar_t* name;
            WPARAM code;
        };
        const Key keys[] = {{L"down", VK_DOWN},   {L"up", VK_UP},         {L"left", VK_LEFT},
                            {L"right", VK_RIGHT}, {L"return", VK_RETURN}, {L"escape", VK_ESCAPE}};
        const wchar_t* next = commandLine + 5;
        while (*next) {
            const wchar_t* end = std::wcschr(next, L' ');
            const size_t length = end ? static_cast<size_t>(end - next) : std::wcslen(next);
            for (const Key& key : keys) {
                if (std::wcslen(key.name) == length && std::wcsncmp(next, key.name, length) == 0) {
                    // The menu's loop reads every keyboard message of its thread.
                    PostMessageW(menu, WM_KEYDOWN, key.code, 0);
                    PostMessageW(menu, WM_KEYUP, key.code, 0xC0000000);
                    Sleep(100);
                }
            }
            next += end ? length + 1 : length;
        }
        return 0;
    }
    if (std::wcsncmp(commandLine, L"rect ", 5) == 0) {
        const HWND window = OpenWindow(commandLine + 5);
        if (!window)
            return 1;
        RECT rect;
        GetWindowRect(window, &rect);
        std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
        return 0;
    }
    return WaitForTaskbar(5000) ? 0 : 1;
}
