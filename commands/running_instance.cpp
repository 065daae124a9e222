#include "commands/running_instance.h"

#include "resources/resource.h"
#include "win32/process.h"
#include "win32/unique_handle.h"

bool IsProgramImage(const std::wstring& imagePath)
{
    const std::wstring folder = FolderOf(imagePath);
    return lstrcmpiW(imagePath.c_str() + folder.size(), kTrayProgramFile) == 0;
}

HWND FindRunningInstance()
{
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) != nullptr;) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (IsProgramImage(ProcessImagePath(processId)))
            return window;
    }
    return nullptr;
}

HWND WaitForRunningInstance(DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (const HWND window = FindRunningInstance())
            return window;
        if (GetTickCount64() >= end)
            return nullptr;
        Sleep(50);
    }
}

std::optional<int> SendToInstance(HWND instance, const Command& command, DWORD timeoutMs)
{
    const std::wstring text = EncodeCommand(command);
    COPYDATASTRUCT data = {kCommandTag, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                           const_cast<wchar_t*>(text.c_str())};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(instance, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, timeoutMs,
                             &answer))
        return std::nullopt;
    return static_cast<int>(answer);
}

bool StartTrayProgram()
{
    std::wstring commandLine = L"\"" + TrayProgramPath() + L"\"";
    // It outlives this process: it gets none of its console or standard
    // handles, or a caller reading this process's output to its end would wait
    // for the tray program to end too.
    STARTUPINFOW startup = {sizeof(startup)};
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &process))
        return false;
    // Both handles are ours to close; the program runs on.
    const UniqueKernelHandle thread(process.hThread);
    const UniqueKernelHandle started(process.hProcess);
    return true;
}
