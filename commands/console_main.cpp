// hushlark.com: the console twin of Hushlark.exe. It takes the same commands,
// prints what they print and their failures, and ends with their exit code;
// cmd finds it before Hushlark.exe when "hushlark" is typed.
#include <windows.h>

#include <string>
#include <vector>

#include "commands/command_line.h"
#include "resources/resource.h"
#include "win32/text.h"

namespace {

// To a console as UTF-16; redirected to a file or a pipe, as UTF-8.
void Write(DWORD stream, const std::wstring& text)
{
    const HANDLE handle = GetStdHandle(stream);
    if (text.empty() || !handle || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::vector<std::wstring> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedCommand parsed = ParseCommandLine(words);
    if (parsed.status != ParseStatus::Command) {
        Write(STD_ERROR_HANDLE, parsed.status == ParseStatus::Malformed ? UsageTextFor(words) : UsageText());
        return kExitUsage;
    }
    const CommandResult result = RunCommand(parsed.command);
    Write(STD_OUTPUT_HANDLE, result.output);
    Write(STD_ERROR_HANDLE, result.usage);
    if (!result.error.empty())
        Write(STD_ERROR_HANDLE, FormatText(IDS_ERROR_LINE, {result.error}));
    return result.exitCode;
}
