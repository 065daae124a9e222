#include "mute/startup_entry.h"

#include <windows.h>

#include "win32/process.h"
#include "win32/registry.h"

namespace {

// Deletes our value below a key; one that is not there is deleted already.
LONG DeleteValue(const wchar_t* keyPath)
{
    const registry::Key key = registry::OpenKey(HKEY_CURRENT_USER, keyPath, KEY_SET_VALUE);
    if (!key)
        return key.Absent() ? ERROR_SUCCESS : key.error;
    const LONG status = RegDeleteValueW(key.get(), kStartupValueName);
    return registry::IsAbsent(status) ? ERROR_SUCCESS : status;
}

} // namespace

std::wstring StartupCommand(const std::wstring& programPath)
{
    return L"\"" + programPath + L"\" /l";
}

std::optional<std::wstring> ProgramOfCommand(const std::wstring& command)
{
    const std::wstring::size_type start = command.find_first_not_of(L' ');
    if (start == std::wstring::npos)
        return std::nullopt;
    if (command[start] == L'"') {
        const std::wstring::size_type end = command.find(L'"', start + 1);
        if (end == std::wstring::npos || end == start + 1)
            return std::nullopt;
        return command.substr(start + 1, end - start - 1);
    }
    // Unquoted, a path may hold spaces: it runs up to its ".exe".
    for (std::wstring::size_type dot = command.find(L'.', start); dot != std::wstring::npos;
         dot = command.find(L'.', dot + 1)) {
        if (lstrcmpiW(command.substr(dot, 4).c_str(), L".exe") == 0 &&
            (dot + 4 == command.size() || command[dot + 4] == L' '))
            return command.substr(start, dot + 4 - start);
    }
    return command.substr(start, command.find(L' ', start) - start);
}

bool StartsProgram(const std::wstring& command, const std::wstring& programPath)
{
    const std::optional<std::wstring> program = ProgramOfCommand(command);
    return program && SamePath(*program, programPath);
}

bool MarksDisabled(const std::vector<unsigned char>& approvedBytes)
{
    return !approvedBytes.empty() && (approvedBytes[0] & 1) != 0;
}

StartupState ReadStartupState()
{
    const registry::Key run = registry::OpenKey(HKEY_CURRENT_USER, kRunKeyPath);
    const std::optional<std::wstring> command = registry::ReadString(run.get(), kStartupValueName);
    // Another copy of the program (an old, moved or removed one) is not this one.
    if (!command || !StartsProgram(*command, TrayProgramPath()))
        return StartupState::Off;
    const registry::Key approved = registry::OpenKey(HKEY_CURRENT_USER, kStartupApprovedKeyPath);
    const registry::Raw mark = approved ? registry::ReadRaw(approved.get(), kStartupValueName) : registry::Raw();
    if (mark.value && MarksDisabled(mark.value->bytes))
        return StartupState::Disabled;
    return StartupState::On;
}

ChangeReport TurnStartupOn()
{
    ChangeReport report;
    const registry::Key run = registry::CreateKey(HKEY_CURRENT_USER, kRunKeyPath, KEY_SET_VALUE);
    report.Count(run ? registry::WriteString(run.get(), kStartupValueName, REG_SZ, StartupCommand(TrayProgramPath()))
                     : run.error,
                 [] { return std::wstring(kRunKeyPath); });
    // A Run value that could not be written is not approved either.
    if (report.Ok())
        report.Count(DeleteValue(kStartupApprovedKeyPath), [] { return std::wstring(kStartupApprovedKeyPath); });
    return report;
}

ChangeReport TurnStartupOff()
{
    ChangeReport report;
    report.Count(DeleteValue(kRunKeyPath), [] { return std::wstring(kRunKeyPath); });
    report.Count(DeleteValue(kStartupApprovedKeyPath), [] { return std::wstring(kStartupApprovedKeyPath); });
    return report;
}

ChangeReport TurnStartupOffForThisCopy()
{
    const registry::Key run = registry::OpenKey(HKEY_CURRENT_USER, kRunKeyPath, KEY_QUERY_VALUE);
    const registry::Text command = run ? registry::ReadText(run.get(), kStartupValueName) : registry::Text();
    const LONG error = run.Failed() ? run.error : command.error;
    if (error != ERROR_SUCCESS) {
        ChangeReport report;
        report.Count(error, [] { return std::wstring(kRunKeyPath); });
        return report;
    }
    if (!command.text || !StartsProgram(*command.text, TrayProgramPath()))
        return ChangeReport(); // no entry, or another copy's
    return TurnStartupOff();
}
