#include "shell/main_window.h"

#include <commctrl.h>

#include <memory>
#include <new>

#include "shell/tray_controller.h"
#include "shell/tray_menu.h"

// The controller lives in the window's one extra slot, which must hold a
// pointer: four bytes in a 32-bit build, eight in a 64-bit one.
constexpr int kControllerSlot = 0;
#ifndef _WIN64
static_assert(sizeof(LONG_PTR) == 4, "a 32-bit build keeps the controller in four extra bytes");
#endif

namespace {

TrayController* ControllerOf(HWND window)
{
    return reinterpret_cast<TrayController*>(GetWindowLongPtrW(window, kControllerSlot));
}

LRESULT OnNcCreate(HWND window, WPARAM wParam, LPARAM lParam)
{
    // The creation parameter names the shell's calls to use, if not the real ones.
    const auto* given = static_cast<const ShellCalls*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    const ShellCalls shell = given ? *given : ShellCalls();
    std::unique_ptr<TrayController> controller(new (std::nothrow) TrayController(window, shell));
    // Default processing stores the window title.
    if (!controller || !DefWindowProcW(window, WM_NCCREATE, wParam, lParam))
        return FALSE;
    // The window owns the controller from here until WM_NCDESTROY.
    SetWindowLongPtrW(window, kControllerSlot, reinterpret_cast<LONG_PTR>(controller.release()));
    return TRUE;
}

void OnNcDestroy(HWND window, TrayController* controller)
{
    std::unique_ptr<TrayController> released(controller);
    SetWindowLongPtrW(window, kControllerSlot, 0);
}

// True while this thread tracks a menu.
bool MenuIsOpen()
{
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    return GetGUIThreadInfo(GetCurrentThreadId(), &thread) && (thread.flags & GUI_INMENUMODE);
}

void OnTrayCallback(TrayController& controller, WPARAM wParam, LPARAM lParam)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    // The icon id is not looked at: this window has one icon.
    const TrayCallback callback = ReadTrayCallback(controller.icon.UsesVersion4(), wParam, lParam, cursor);
    // Windows sends the keyboard's selection twice for Enter, and the menu's
    // own loop hands on any callback that comes while it is open: the menu
    // that is open stays the only one.
    if (!OpensTrayMenu(callback.event) || MenuIsOpen())
        return;
    // A click that moved the mouse by less than a drag is still a click.
    const SIZE slack = {GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)};
    controller.ShowMenu(callback.anchor, AskedFromKeyboard(callback, cursor, slack));
}

// The pictures are sized for the taskbar's DPI, which these messages can
// change: they are loaded again and sent to the shell at once.
void OnIconMetricsChanged(TrayController& controller)
{
    controller.icon.LoadPictures();
    controller.ShowSoundState();
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    TrayController* controller = ControllerOf(window);
    if (message == WM_NCCREATE)
        return OnNcCreate(window, wParam, lParam);
    if (!controller)
        return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
    case WM_CREATE:
        controller->AddTrayIcon();
        return 0;
    case WM_TIMER:
        switch (wParam) {
        case kOffTimerId:
            controller->SyncOffTimer();
            break;
        case kIconRetryTimerId:
            controller->RetryIcon();
            break;
        case kSessionRetryTimerId:
            controller->quiet.RetryRegistration();
            break;
        default:
            controller->RefreshTrayIcon();
            break;
        }
        return 1;
    case WM_COPYDATA:
        return controller->OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kShowRunningMessage:
        controller->ShowRunningBalloon();
        return 0;
    case kChoiceByHandMessage:
        controller->AfterChoiceByHand();
        return 0;
    case WM_WTSSESSION_CHANGE:
        controller->quiet.OnSessionChange(wParam, lParam);
        return 0;
    case WM_COMMAND:
        return controller->OnCommand(LOWORD(wParam), HIWORD(wParam), lParam);
    case WM_HOTKEY:
        controller->OnHotkey(wParam);
        return 0;
    case kTrayCallbackMessage:
        OnTrayCallback(*controller, wParam, lParam);
        return 0;
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
        OnIconMetricsChanged(*controller);
        return 0;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETICONMETRICS)
            OnIconMetricsChanged(*controller);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        controller->RemoveTrayIcon();
        return 1;
    case WM_NCDESTROY:
        OnNcDestroy(window, controller);
        return 0;
    }
    if (message == TaskbarCreatedMessage()) {
        // The new taskbar may be on another monitor, or at another DPI.
        controller->icon.LoadPictures();
        controller->ReAddTrayIcon();
        return 0;
    }
    if (message == HighlightFirstRowMessage()) {
        HighlightFirstEnabledRow();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Registers the main window class once per process; false when it is not
// registered.
bool RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {sizeof(windowClass)};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.cbWndExtra = sizeof(LONG_PTR);
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

HWND CreateMainWindow(HINSTANCE instance, const ShellCalls* shell)
{
    // The Quiet Hours dialog's time pickers are of the date classes.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);

    if (!RegisterMainWindowClass(instance))
        return nullptr;

    // Never shown: the window owns the tray icon, the timer, the popup menu
    // and the Options dialog.
    return CreateWindowExW(0, kMainWindowClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           0, 200, 75, nullptr, nullptr, instance, const_cast<ShellCalls*>(shell));
}
