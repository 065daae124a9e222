#include "win32/clock.h"

#include <cwchar>
#include <optional>

namespace {

std::optional<SYSTEMTIME> LocalTime(ULONGLONG utcFileTime)
{
    const FILETIME utc = {static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
    SYSTEMTIME utcTime = {};
    SYSTEMTIME local = {};
    if (!FileTimeToSystemTime(&utc, &utcTime) || !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local))
        return std::nullopt;
    return local;
}

} // namespace

ULONGLONG UtcNow()
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::wstring LocalClockText(ULONGLONG utcFileTime)
{
    const std::optional<SYSTEMTIME> local = LocalTime(utcFileTime);
    if (!local)
        return L"--:--";
    wchar_t text[8];
    std::swprintf(text, 8, L"%02u:%02u", static_cast<unsigned>(local->wHour), static_cast<unsigned>(local->wMinute));
    return text;
}

bool SameLocalDay(ULONGLONG firstUtc, ULONGLONG secondUtc)
{
    const std::optional<SYSTEMTIME> first = LocalTime(firstUtc);
    const std::optional<SYSTEMTIME> second = LocalTime(secondUtc);
    return first && second && first->wYear == second->wYear && first->wMonth == second->wMonth &&
           first->wDay == second->wDay;
}
