#include "tests/dialogs/dialog_driver.h"

#include "engine/unique_handle.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

namespace {

constexpr DWORD kPollMs = 10;

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct MemoryDcTraits {
    using pointer = HDC;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(HDC dc) noexcept { DeleteDC(dc); }
};
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

struct GdiObjectTraits {
    using pointer = HGDIOBJ;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(HGDIOBJ object) noexcept { DeleteObject(object); }
};
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

// The device context of a whole window, from GetWindowDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    ~WindowDc()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Puts the previously selected object back into the device context.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

} // namespace

ModalDialogThread::ModalDialogThread(std::function<void()> run)
    : thread_([this, run = std::move(run)] {
          // Every window of this thread gets a message queue, so PostThreadMessage works.
          MSG message;
          PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
          threadId_ = GetCurrentThreadId();
          run();
          finished_ = true;
      })
{
}

ModalDialogThread::~ModalDialogThread()
{
    // WM_QUIT ends every modal loop, message boxes included, from the inside out.
    WaitFor(
        [this] {
            if (finished_)
                return true;
            if (threadId_)
                PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            return false;
        },
        kDialogTimeoutMs);
    if (thread_.joinable())
        thread_.join();
}

namespace {

struct WindowSearch {
    const std::wstring* title;
    HWND found;
};

BOOL CALLBACK MatchDialogWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    if (IsWindowVisible(window) && ClassName(window) == L"#32770" && WindowText(window) == *search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND ModalDialogThread::FindWindowOfThread(const std::wstring& title) const
{
    WindowSearch search{&title, nullptr};
    EnumThreadWindows(threadId_, MatchDialogWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ModalDialogThread::WaitForWindow(const std::wstring& title, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitFor(
        [&] {
            if (threadId_)
                found = FindWindowOfThread(title);
            return found != nullptr;
        },
        timeoutMs);
    if (found)
        SyncWith(found);
    return found;
}

bool ModalDialogThread::ShowsWindow(const std::wstring& title) const
{
    return threadId_ && FindWindowOfThread(title) != nullptr;
}

bool ModalDialogThread::WaitUntilFinished(DWORD timeoutMs)
{
    if (!WaitFor([this] { return finished_.load(); }, timeoutMs))
        return false;
    thread_.join();
    return true;
}

void SyncWith(HWND window)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kDialogTimeoutMs, &ignored);
}

bool WaitUntilDestroyed(HWND window, DWORD timeoutMs)
{
    return WaitFor([window] { return !IsWindow(window); }, timeoutMs);
}

void PostClick(HWND dialog, int buttonId)
{
    PostMessageW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
}

void Click(HWND dialog, int buttonId)
{
    SendMessageW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
}

bool ClickWithin(HWND dialog, int buttonId, DWORD timeoutMs)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

std::wstring WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(std::max(length, 0)), L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::clamp(copied, 0, std::max(length, 0))));
    return text;
}

::testing::AssertionResult IsCentredOnDesktop(HWND window)
{
    RECT desktop{}, own{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    const LONG horizontal = (desktop.right - own.right) - (own.left - desktop.left);
    const LONG vertical = (desktop.bottom - own.bottom) - (own.top - desktop.top);
    if ((horizontal == 0 || horizontal == 1) && (vertical == 0 || vertical == 1))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "right gap minus left gap " << horizontal << ", bottom gap minus top gap "
                                         << vertical;
}

HWND FocusInDialog(HWND dialog)
{
    const DWORD threadId = GetWindowThreadProcessId(dialog, nullptr);
    GUITHREADINFO info{sizeof(info)};
    WaitFor(
        [&] {
            if (!GetGUIThreadInfo(threadId, &info))
                return false;
            if (info.hwndActive == dialog)
                return true;
            SetForegroundWindow(dialog);
            return false;
        },
        kDialogTimeoutMs);
    return info.hwndFocus;
}

MessageBoxView InspectMessageBox(HWND box)
{
    MessageBoxView view;
    view.owner = GetWindow(box, GW_OWNER);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child))
            continue;
        const std::wstring className = ClassName(child);
        if (lstrcmpiW(className.c_str(), L"Button") == 0) {
            view.buttons.push_back(GetDlgCtrlID(child));
            if ((GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                view.defaultButton = GetDlgCtrlID(child);
        } else if (lstrcmpiW(className.c_str(), L"Static") == 0) {
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                view.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            else if (GetWindowTextLengthW(child) > 0)
                view.text = WindowText(child);
        }
    }
    std::sort(view.buttons.begin(), view.buttons.end());
    return view;
}

bool AnswerMessageBox(HWND box, int buttonId)
{
    PostClick(box, buttonId);
    return WaitUntilDestroyed(box);
}

bool SaveWindowPicture(HWND window, const char* path)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as BMP files store their rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = stride * static_cast<DWORD>(height);

    const WindowDc source(window);
    const UniqueMemoryDc memory(CreateCompatibleDC(source.get()));
    void* bits = nullptr;
    const UniqueGdiObject bitmap(CreateDIBSection(source.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!source.get() || !memory || !bitmap || !bits)
        return false;
    {
        const Selection selected(memory.get(), bitmap.get());
        // The window's own surface: a copy from the screen's device context
        // misses what Wine has painted into the window.
        if (!BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY))
            return false;
        GdiFlush();
    }

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof(header) + sizeof(info.bmiHeader);
    header.bfSize = header.bfOffBits + imageBytes;
    const std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "wb"));
    return file && std::fwrite(&header, sizeof(header), 1, file.get()) == 1 &&
           std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file.get()) == 1 &&
           std::fwrite(bits, imageBytes, 1, file.get()) == 1;
}
