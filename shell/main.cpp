#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "commands/command_line.h"
#include "commands/running_instance.h"
#include "shell/main_window.h"

namespace {

// Marks the running instance within the user's logon session.
constexpr wchar_t kSingleInstanceMutex[] = L"4B1F9C2E-7A53-4E08-9D6C-2F81A0E5B734";

// How long a second start waits for the first one's window.
constexpr DWORD kFirstWindowWaitMs = 2000;

// The words after the program's name.
std::vector<std::wstring> CommandWords()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> words;
    for (int i = 1; arguments && i < count; ++i)
        words.push_back(arguments[i]);
    // The system allocated the array in one block.
    LocalFree(arguments);
    return words;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // A command is carried out silently: the exit code is the answer, and no
    // console window flashes up, not even for a malformed one. Anything else,
    // the start-up entry's "/l" included, starts the tray program.
    const ParsedCommand parsed = ParseCommandLine(CommandWords());
    if (parsed.status == ParseStatus::Malformed)
        return kExitUsage;
    if (parsed.status == ParseStatus::Command)
        return RunCommand(parsed.command).exitCode;

    // The handle is held, never waited on, until the process ends.
    CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
    const DWORD lastError = GetLastError();
    if (lastError == ERROR_ALREADY_EXISTS || lastError == ERROR_ACCESS_DENIED) {
        // Started twice in quick succession, the first may not have made its
        // window yet.
        if (const HWND running = WaitForRunningInstance(kFirstWindowWaitMs)) {
            PostMessageW(running, kShowRunningMessage, 0, 0);
            return 0;
        }
        // The other instance has no window: run as a full instance.
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
