#include "shell/startup_registration.h"

#include "win32/process.h"
#include "win32/registry.h"

namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Hushlark";

bool RunValueExists(HKEY runKey)
{
    return runKey && RegQueryValueExW(runKey, kRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

} // namespace

bool IsLaunchOnStartupOn()
{
    const registry::Key runKey = registry::OpenKey(HKEY_CURRENT_USER, kRunKey);
    return RunValueExists(runKey.get());
}

void ToggleLaunchOnStartup()
{
    const registry::Key runKey = registry::CreateKey(HKEY_CURRENT_USER, kRunKey);
    if (RunValueExists(runKey.get()))
        RegDeleteValueW(runKey.get(), kRunValue);
    else
        registry::WriteString(runKey.get(), kRunValue, REG_SZ, StartupCommand(RunningProgramPath()));
}

std::wstring StartupCommand(const std::wstring& programPath)
{
    return L"\"" + programPath + L"\" /l";
}
