#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Drives the real Hushlark.exe from a second process on the same Wine virtual
// desktop. These tests write the registry of the Wine prefix they run in, so
// they run only where CTest marked that prefix as theirs (HUSHLARK_E2E_DESKTOP)
// and are skipped anywhere else, for example on a real Windows account.
bool InThrowawayPrefix();

// Hushlark.exe, and hushlark.com, beside the test executable.
std::wstring ProgramPath();
std::wstring ConsolePath();

// One started process of the program; ended on destruction if still running.
class RunningProgram {
public:
    RunningProgram() = default;
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Start(const std::wstring& arguments = L"");
    // The exit code, or none when it still runs after `timeoutMs`.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);
    void Kill();

private:
    PROCESS_INFORMATION process_ = {};
};

// Runs a command line and waits at most `timeoutMs` for it to end; its exit
// code, or none when it did not start or end in time (it is then ended).
std::optional<DWORD> RunToEnd(std::wstring commandLine, DWORD timeoutMs, DWORD creationFlags = 0);

// What hushlark.com printed and its exit code.
struct ConsoleRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output; // UTF-8, as the program writes to a pipe
    std::string errors;
};

// Runs hushlark.com (beside the test executable, unless another copy is
// named) with the arguments and waits at most `timeoutMs` for it to end.
ConsoleRun RunConsole(const std::wstring& arguments, DWORD timeoutMs = 20000,
                      const std::wstring& consolePath = ConsolePath());

// Polls for a top-level window of the class until it exists or time is up.
HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs);

// Polls the condition until it holds or time is up.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= end)
            return false;
        Sleep(50);
    }
}

// The screen's pixels in a rectangle, as 0x00RRGGBB, top row first.
std::vector<std::uint32_t> CaptureScreen(int left, int top, int width, int height);

// Which of the program's two pictures the taskbar's notification area shows,
// judged from a screenshot of it.
enum class TrayPicture { Absent, SoundOn, SoundOff };
TrayPicture FindTrayPicture();
const char* ToString(TrayPicture picture);
inline void PrintTo(TrayPicture picture, std::ostream* out)
{
    *out << ToString(picture);
}
