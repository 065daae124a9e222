#include <windows.h>

#include "shell/main_window.h"

namespace {

// Marks the running instance within the user's logon session.
constexpr wchar_t kSingleInstanceMutex[] = L"4B1F9C2E-7A53-4E08-9D6C-2F81A0E5B734";

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // The handle is held, never waited on, until the process ends.
    CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
    const DWORD lastError = GetLastError();
    if (lastError == ERROR_ALREADY_EXISTS || lastError == ERROR_ACCESS_DENIED) {
        if (const HWND running = FindWindowW(kMainWindowClass, nullptr)) {
            SetForegroundWindow(running);
            ShowWindow(running, SW_RESTORE);
            return 0;
        }
        // The other instance has no window (yet): run as a full instance.
    }

    if (!CreateMainWindow(instance))
        return 0;

    MSG message;
    BOOL result;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (result == -1)
            continue; // nothing was retrieved
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
