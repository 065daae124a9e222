#include "dialogs/failure_message.h"

#include "win32/registry.h"

namespace {

std::wstring WhereAndWhy(const ChangeReport& report)
{
    return L"\n" + report.firstPath + L"\n" + registry::ErrorText(report.firstError);
}

} // namespace

std::wstring FailureMessage(const SoundChange& change)
{
    if (change.result == SoundChange::Result::NotSaved)
        return L"Your current sounds could not be saved, so nothing was changed." + WhereAndWhy(change.report);
    return FailureMessage(change.report);
}

std::wstring FailureMessage(const ChangeReport& report)
{
    if (report.Ok())
        return std::wstring();
    return L"Some sounds could not be changed (" + std::to_wstring(report.failed) + L" of " +
           std::to_wstring(report.total) + L")." + WhereAndWhy(report);
}

void ShowFailure(HWND owner, const std::wstring& message)
{
    if (!message.empty())
        MessageBoxW(owner, message.c_str(), L"Hushlark", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}
