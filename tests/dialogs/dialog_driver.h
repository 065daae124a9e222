#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Modal dialogs block the thread that runs them, so the tests run each dialog
// on a thread of its own and drive it from the test thread, where the
// assertions are made. Both threads belong to this process, so the registry
// sandbox applies to the dialog too.
constexpr DWORD kDialogTimeoutMs = 10000;

class ModalDialogThread {
public:
    // Starts `run`, which opens the dialog and returns when it has ended.
    explicit ModalDialogThread(std::function<void()> run);
    // Ends the modal loops still running (a failed test leaves them open) and
    // waits for the thread.
    ~ModalDialogThread();

    ModalDialogThread(const ModalDialogThread&) = delete;
    ModalDialogThread& operator=(const ModalDialogThread&) = delete;

    // The visible dialog window (class #32770) with this title that the thread
    // shows; null after the timeout.
    HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs = kDialogTimeoutMs) const;
    // Whether the thread shows such a window right now.
    bool ShowsWindow(const std::wstring& title) const;
    // Waits until `run` has returned; false after the timeout.
    bool WaitUntilFinished(DWORD timeoutMs = kDialogTimeoutMs);

    DWORD ThreadId() const { return threadId_; }

private:
    HWND FindWindowOfThread(const std::wstring& title) const;

    std::atomic<DWORD> threadId_{0};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// Returns once the window's thread is back in a message loop. A sent message
// overtakes posted ones, so this waits for posted work only when none is
// queued any more (for example after the window that a posted click opened
// has been destroyed).
void SyncWith(HWND window);

// Waits until the window is destroyed; false after the timeout.
bool WaitUntilDestroyed(HWND window, DWORD timeoutMs = kDialogTimeoutMs);

// Presses a button the way a mouse click does, without waiting for what the
// click sets off (for buttons that open a modal window).
void PostClick(HWND dialog, int buttonId);
// Presses a button and waits until the command it sends has been handled.
void Click(HWND dialog, int buttonId);
// Presses a button and waits at most `timeoutMs` for the command; false when
// the command did not finish in time (it opened a modal window).
bool ClickWithin(HWND dialog, int buttonId, DWORD timeoutMs);

std::wstring WindowText(HWND window);
// Whether the window sits in the middle of the desktop window's rectangle; an
// odd pixel left over goes to the right or bottom.
::testing::AssertionResult IsCentredOnDesktop(HWND window);
// The control that has the keyboard focus in the dialog. Another test's window
// may have taken the activation (tests run in parallel on one desktop), and an
// inactive thread has no focus: the dialog is then made active again, which
// gives the focus back to the control that had it.
HWND FocusInDialog(HWND dialog);

// What a message box shows, read from its window.
struct MessageBoxView {
    HWND owner = nullptr;
    std::wstring text;
    std::vector<int> buttons; // ids of the visible buttons, in ascending order
    int defaultButton = 0;    // the button drawn as the default one (BS_DEFPUSHBUTTON)
    HICON icon = nullptr;
};
MessageBoxView InspectMessageBox(HWND box);
// Presses one of the box's buttons and waits until the box has gone.
bool AnswerMessageBox(HWND box, int buttonId);

// Writes what the window shows, frame included, as a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const char* path);
