#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

constexpr DWORD kDialogTimeoutMs = 10000;

template <typename Condition>
bool WaitFor(Condition condition)
{
    const ULONGLONG deadline = GetTickCount64() + kDialogTimeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(10);
    }
    return true;
}

// Returns once the window's thread has handled the messages sent to it.
inline void SyncWith(HWND window)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kDialogTimeoutMs, &ignored);
}

// A modal dialog blocks its thread, so each one runs on a thread of its own
// that the test thread drives. The registry sandbox applies to both.
class ModalDialogThread {
public:
    explicit ModalDialogThread(std::function<void()> run)
        : thread_([this, run = std::move(run)] {
              // A message queue before anyone posts WM_QUIT to this thread.
              MSG message;
              PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
              threadId_ = GetCurrentThreadId();
              run();
              finished_ = true;
          })
    {
    }
    ~ModalDialogThread()
    {
        // WM_QUIT ends the modal loops a failed test left open, message boxes included.
        WaitFor([this] {
            if (!finished_ && threadId_)
                PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            return finished_.load();
        });
        thread_.join();
    }

    // The visible dialog or message box with this title that the thread shows.
    HWND WaitForWindow(const std::wstring& title) const
    {
        HWND found = nullptr;
        WaitFor([&] {
            // Other test processes on the desktop may show a window with the same title.
            for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", title.c_str())) != nullptr;) {
                if (threadId_ && GetWindowThreadProcessId(w, nullptr) == threadId_ && IsWindowVisible(w))
                    found = w;
            }
            return found != nullptr;
        });
        SyncWith(found);
        return found;
    }
    bool WaitUntilFinished() const
    {
        return WaitFor([this] { return finished_.load(); });
    }

private:
    std::atomic<DWORD> threadId_{0};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

inline void PostClick(HWND window, int buttonId)
{
    PostMessageW(GetDlgItem(window, buttonId), BM_CLICK, 0, 0);
}

// Presses a button; false when its command did not finish in time (it opened a modal window).
inline bool Click(HWND dialog, int buttonId, DWORD timeoutMs = kDialogTimeoutMs)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

inline bool ClickAndWaitUntilGone(HWND window, int buttonId)
{
    PostClick(window, buttonId);
    return WaitFor([window] { return !IsWindow(window); });
}

inline std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Centred on the desktop window's rectangle; an odd pixel goes right or down.
inline bool IsCentredOnDesktop(HWND window)
{
    RECT desktop{}, own{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    const LONG horizontal = (desktop.right - own.right) - (own.left - desktop.left);
    const LONG vertical = (desktop.bottom - own.bottom) - (own.top - desktop.top);
    return (horizontal == 0 || horizontal == 1) && (vertical == 0 || vertical == 1);
}

// The control with the keyboard focus. Parallel tests share one desktop and an
// inactive thread has no focus, so the dialog is made active first.
inline HWND FocusInDialog(HWND dialog)
{
    GUITHREADINFO info{sizeof(info)};
    WaitFor([&] {
        // Activation hands the focus back a moment later.
        if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndActive == dialog &&
            info.hwndFocus)
            return true;
        SetForegroundWindow(dialog);
        return false;
    });
    return info.hwndFocus;
}

// Owner, text, visible button ids in ascending order, default button, icon.
using MessageBoxView = std::tuple<HWND, std::wstring, std::vector<int>, int, HICON>;

inline MessageBoxView InspectMessageBox(HWND box)
{
    MessageBoxView view{GetWindow(box, GW_OWNER), L"", {}, 0, nullptr};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        GetClassNameW(child, className, 64);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (!(style & WS_VISIBLE))
            continue;
        if (lstrcmpiW(className, L"Button") == 0) {
            std::get<2>(view).push_back(GetDlgCtrlID(child));
            if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                std::get<3>(view) = GetDlgCtrlID(child);
        } else if (lstrcmpiW(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
            std::get<4>(view) = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        } else if (lstrcmpiW(className, L"Static") == 0 && GetWindowTextLengthW(child) > 0) {
            std::get<1>(view) = WindowText(child);
        }
    }
    std::sort(std::get<2>(view).begin(), std::get<2>(view).end());
    return view;
}
