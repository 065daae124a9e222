#include "mute/change_message.h"

#include "mute/program_settings.h"
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

std::wstring SettingsFailureMessage(LONG error)
{
    return L"Hushlark's settings could not be saved.\n" + std::wstring(kSettingsKeyPath) + L"\n" +
           registry::ErrorText(error);
}

std::wstring StartupFailureMessage(const ChangeReport& report)
{
    if (report.Ok())
        return std::wstring();
    return L"The start-up entry could not be changed." + WhereAndWhy(report);
}

std::wstring FailureLine(const SoundChange& change)
{
    return OneLine(FailureMessage(change));
}

std::wstring OneLine(std::wstring line)
{
    const std::wstring::size_type first = line.find(L'\n');
    if (first != std::wstring::npos) {
        line[first] = L' ';
        const std::wstring::size_type second = line.find(L'\n', first);
        if (second != std::wstring::npos)
            line.replace(second, 1, L": ");
    }
    return line;
}
