#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "dialogs/quiet_hours_dialog.h"
#include "resources/resource.h"

// Remote control for the demo and the screenshots: run in the demo prefix, it
// joins the program's virtual desktop.
//
//   demo-remote wait      waits until the program's window and the taskbar exist
//   demo-remote menu      opens the tray menu as a right click on the icon would
//   demo-remote keymenu   opens it as Enter on the icon would, with its first
//                         enabled row highlighted
//   demo-remote options   opens the Options dialog as its menu command would
//   demo-remote quiet-hours
//                         opens the Quiet Hours dialog from the open Options
//                         dialog's button; where Options has none, runs the
//                         dialog in a process of its own against the same
//                         settings, and returns once it shows
//   demo-remote escape    closes the open menu (with its submenus) and the
//                         dialogs and waits until they are gone
//   demo-remote scheme-submenu
//                         in the open menu, opens the submenu that shows the
//                         current scheme's dot (Change Scheme, wherever its
//                         row is) and highlights its second row
//   demo-remote keys K..  presses keys in the open menu: down, up, left,
//                         right, return, escape
//   demo-remote exit      closes the program
//   demo-remote rect W    prints the screen rectangle (WxH+X+Y) of the open
//                         menu (W = menu), of all open menus together
//                         (W = menus: the menu and its submenus), of the
//                         Options dialog (W = options) or of the Quiet Hours
//                         dialog (W = quiet-hours)
//
// Every command but exit first waits for the program's window. Exit code 0 on
// success, 1 when the window in question was not found (or did not close).
namespace {

const wchar_t kOptionsTitle[] = L"Hushlark Options";
const wchar_t kQuietHoursTitle[] = L"Quiet Hours";

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
    if (std::wcscmp(which, L"quiet-hours") == 0)
        return WaitForWindow(L"#32770", kQuietHoursTitle, 5000);
    return WaitForWindow(L"#32770", kOptionsTitle, 5000);
}

// A visible menu: Wine keeps a hidden menu window after the menu closed.
HWND VisibleMenu()
{
    const HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// One Escape closes one level of menus: press it until no menu is left, then
// close the dialogs, the innermost first.
bool CloseMenusAndDialogs(DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        const HWND menu = VisibleMenu();
        const HWND quietHours = FindWindowW(L"#32770", kQuietHoursTitle);
        const HWND options = FindWindowW(L"#32770", kOptionsTitle);
        if (!menu && !quietHours && !options)
            return true;
        if (GetTickCount64() >= end)
            return false;
        if (menu)
            PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        else
            PostMessageW(quietHours ? quietHours : options, WM_COMMAND, IDCANCEL, 0);
        Sleep(100);
    }
}

// Opens the tray menu as the icon's callback in the layout of version 4 does:
// the event and the icon id in lParam, the point it is anchored at in wParam.
// A click anchors it at the cursor, Enter at the icon.
bool OpenMenu(HWND program, UINT event)
{
    POINT anchor = {};
    // The menu opens above its anchor: just above the icon, so that its tip
    // does not cover the menu.
    if (const HWND taskbar = WaitForTaskbar(5000)) {
        RECT rect;
        GetWindowRect(taskbar, &rect);
        anchor = {rect.right - 12, rect.top - 1};
        SetCursorPos(anchor.x, anchor.y);
    }
    PostMessageW(program, kTrayCallbackMessage, MAKEWPARAM(anchor.x, anchor.y), MAKELPARAM(event, kTrayIconId));
    return OpenWindow(L"menu") != nullptr;
}

// The Options dialog's button that opens Quiet Hours, if it has one.
HWND QuietHoursButton(HWND options)
{
    for (HWND child = nullptr; (child = FindWindowExW(options, child, L"Button", nullptr)) != nullptr;) {
        wchar_t text[64] = {};
        GetWindowTextW(child, text, 64);
        if (std::wcsncmp(text, L"&Quiet Hours", 12) == 0)
            return child;
    }
    return nullptr;
}

bool OpenQuietHours()
{
    const HWND options = FindWindowW(L"#32770", kOptionsTitle);
    if (const HWND button = options ? QuietHoursButton(options) : nullptr) {
        // Posted: the dialog runs modally inside the program's handling of it.
        PostMessageW(options, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        return OpenWindow(L"quiet-hours") != nullptr;
    }
    // The dialog, in a copy of this program that shows it until it is closed.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" show-quiet-hours";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return OpenWindow(L"quiet-hours") != nullptr;
}

void PressKey(HWND menu, WPARAM key)
{
    // The menu's loop reads every keyboard message of its thread.
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
    Sleep(150);
}

// A visible menu other than `menu`: the submenu it opened.
HWND OtherVisibleMenu(HWND menu)
{
    for (HWND other = nullptr; (other = FindWindowExW(nullptr, other, L"#32768", nullptr)) != nullptr;) {
        if (other != menu && IsWindowVisible(other))
            return other;
    }
    return nullptr;
}

// Whether the menu window shows a check dot: black in the strip at its left,
// where no text is drawn (the strip is a quarter inch wide).
bool ShowsCheckDot(HWND menu)
{
    RECT rect;
    if (!GetWindowRect(menu, &rect))
        return false;
    const HDC screen = GetDC(nullptr);
    const int strip = GetDeviceCaps(screen, LOGPIXELSX) / 4;
    bool found = false;
    for (int y = rect.top; y < rect.bottom && !found; ++y) {
        for (int x = rect.left; x < rect.left + strip && !found; ++x)
            found = GetPixel(screen, x, y) == RGB(0, 0, 0);
    }
    ReleaseDC(nullptr, screen);
    return found;
}

// Goes down the menu's rows, looking into each one's submenu, until one shows
// the current scheme's dot.
bool OpenSchemeSubmenu()
{
    const HWND menu = VisibleMenu();
    if (!menu)
        return false;
    for (int row = 0; row < 16; ++row) {
        PressKey(menu, VK_DOWN);
        PressKey(menu, VK_RIGHT);
        Sleep(200);
        if (const HWND submenu = OtherVisibleMenu(menu)) {
            if (ShowsCheckDot(submenu)) {
                PressKey(menu, VK_DOWN);
                return true;
            }
            PressKey(menu, VK_LEFT);
        }
    }
    return false;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    if (std::wcscmp(commandLine, L"show-quiet-hours") == 0) {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
        InitCommonControlsEx(&controls);
        RunQuietHoursDialog(nullptr);
        return 0;
    }
    if (std::wcscmp(commandLine, L"exit") == 0) {
        // Nothing to wait for: a program that is not running needs no closing.
        if (const HWND program = FindWindowW(kMainWindowClass, nullptr))
            PostMessageW(program, WM_CLOSE, 0, 0);
        return 0;
    }
    const HWND program = WaitForWindow(kMainWindowClass, nullptr, 15000);
    if (!program)
        return 1;

    if (std::wcscmp(commandLine, L"menu") == 0)
        return OpenMenu(program, WM_CONTEXTMENU) ? 0 : 1;
    if (std::wcscmp(commandLine, L"keymenu") == 0)
        return OpenMenu(program, NIN_KEYSELECT) ? 0 : 1;
    if (std::wcscmp(commandLine, L"quiet-hours") == 0)
        return OpenQuietHours() ? 0 : 1;
    if (std::wcscmp(commandLine, L"scheme-submenu") == 0)
        return OpenSchemeSubmenu() ? 0 : 1;
    if (std::wcscmp(commandLine, L"options") == 0) {
        PostMessageW(program, WM_COMMAND, IDM_OPTIONS, 0);
        return OpenWindow(L"options") ? 0 : 1;
    }
    if (std::wcscmp(commandLine, L"escape") == 0)
        return CloseMenusAndDialogs(5000) ? 0 : 1;
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
        const wchar_t* which = commandLine + 5;
        const bool allMenus = std::wcscmp(which, L"menus") == 0;
        const HWND window = OpenWindow(allMenus ? L"menu" : which);
        if (!window)
            return 1;
        RECT rect;
        GetWindowRect(window, &rect);
        for (HWND menu = nullptr; allMenus && (menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr;) {
            RECT part;
            if (IsWindowVisible(menu) && GetWindowRect(menu, &part))
                UnionRect(&rect, &rect, &part);
        }
        std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
        return 0;
    }
    return WaitForTaskbar(5000) ? 0 : 1;
}
