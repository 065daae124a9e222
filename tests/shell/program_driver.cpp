#include "tests/shell/program_driver.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "win32/process.h"
#include "win32/unique_handle.h"

namespace {

int ChannelDistance(std::uint32_t a, std::uint32_t b)
{
    int distance = 0;
    for (int shift = 0; shift < 24; shift += 8)
        distance += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return distance;
}

} // namespace

std::vector<std::uint32_t> CaptureScreen(int left, int top, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    const UniqueWindowDc screen = GetWindowDc(nullptr);
    const UniqueMemoryDc memory(CreateCompatibleDC(screen.get().dc));
    const UniqueBitmap bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    if (!bitmap)
        return pixels;
    const SelectionGuard selected = SelectInto(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get().dc, left, top, SRCCOPY);
    GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size() * sizeof(std::uint32_t));
    return pixels;
}

bool InThrowawayPrefix()
{
    wchar_t value[64] = {};
    return GetEnvironmentVariableW(L"HUSHLARK_E2E_DESKTOP", value, 64) > 0;
}

std::wstring ProgramPath()
{
    return FolderOf(RunningProgramPath()) + L"Hushlark.exe";
}

std::wstring ConsolePath()
{
    return FolderOf(RunningProgramPath()) + L"hushlark.com";
}

namespace {

// Reads a pipe to its end on a thread of its own, so that a full pipe never
// stops the program.
class PipeReader {
public:
    PipeReader()
    {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE read = nullptr;
        HANDLE write = nullptr;
        CreatePipe(&read, &write, &inherit, 0);
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        read_.reset(read);
        write_.reset(write);
    }
    HANDLE WriteEnd() const { return write_.get(); }
    void Start()
    {
        write_.reset(); // the child holds its own copy
        thread_ = std::thread([this] {
            char buffer[4096];
            DWORD count = 0;
            while (ReadFile(read_.get(), buffer, sizeof(buffer), &count, nullptr) && count > 0)
                text_.append(buffer, count);
        });
    }
    std::string Finish()
    {
        if (thread_.joinable())
            thread_.join();
        return text_;
    }

private:
    UniqueKernelHandle read_;
    UniqueKernelHandle write_;
    std::thread thread_;
    std::string text_;
};

} // namespace

ConsoleRun RunConsole(const std::wstring& arguments, DWORD timeoutMs, const std::wstring& consolePath)
{
    ConsoleRun run;
    PipeReader output;
    PipeReader errors;
    std::wstring commandLine = L"\"" + consolePath + L"\" " + arguments;
    STARTUPINFOW startup = {sizeof(startup)};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output.WriteEnd();
    startup.hStdError = errors.WriteEnd();
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process) != FALSE;
    output.Start();
    errors.Start();
    if (started) {
        const UniqueKernelHandle thread(process.hThread);
        const UniqueKernelHandle child(process.hProcess);
        if (WaitForSingleObject(child.get(), timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(child.get(), &run.exitCode);
        else
            TerminateProcess(child.get(), 0xFFFFFFFF);
    }
    run.output = output.Finish();
    run.errors = errors.Finish();
    return run;
}

std::optional<DWORD> RunToEnd(std::wstring commandLine, DWORD timeoutMs, DWORD creationFlags)
{
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, creationFlags, nullptr, nullptr, &startup,
                        &process))
        return std::nullopt;
    const UniqueKernelHandle thread(process.hThread);
    const UniqueKernelHandle child(process.hProcess);
    DWORD exitCode = 0;
    if (WaitForSingleObject(child.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(child.get(), 1);
        return std::nullopt;
    }
    GetExitCodeProcess(child.get(), &exitCode);
    return exitCode;
}

RunningProgram::~RunningProgram()
{
    Kill();
}

bool RunningProgram::Start(const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + ProgramPath() + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {sizeof(startup)};
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process_) != FALSE;
}

std::optional<DWORD> RunningProgram::WaitForExit(DWORD timeoutMs)
{
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD exitCode = 0;
    GetExitCodeProcess(process_.hProcess, &exitCode);
    return exitCode;
}

void RunningProgram::Kill()
{
    if (!process_.hProcess)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
}

HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs)
{
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowW(className, nullptr)) != nullptr; }, timeoutMs);
    return window;
}

TrayPicture FindTrayPicture()
{
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT rect = {};
    if (!taskbar || !GetWindowRect(taskbar, &rect) || rect.right - rect.left < 64 || rect.bottom <= rect.top)
        return TrayPicture::Absent;

    // The notification area is the taskbar's right end; the program's icon is
    // the only one there.
    const std::vector<std::uint32_t> tray = CaptureScreen(rect.right - 48, rect.top, 48, rect.bottom - rect.top);

    // The muted picture carries a red prohibition sign, the other no red at
    // all; both have a dark outline that stands out from the taskbar.
    const std::uint32_t background = tray[46];
    int red = 0;
    int ink = 0;
    for (const std::uint32_t pixel : tray) {
        const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        red += (r > 160 && g < 90 && b < 90) ? 1 : 0;
        ink += ChannelDistance(pixel, background) > 120 ? 1 : 0;
    }
    if (red >= 8)
        return TrayPicture::SoundOff;
    return ink >= 8 ? TrayPicture::SoundOn : TrayPicture::Absent;
}

const char* ToString(TrayPicture picture)
{
    switch (picture) {
    case TrayPicture::SoundOn:
        return "sound on";
    case TrayPicture::SoundOff:
        return "sound off";
    default:
        return "absent";
    }
}
