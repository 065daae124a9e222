#pragma once

#include <windows.h>

// The UTC FILETIME of a wall-clock time in the test process's time zone, for
// tests that give the code under test a "now" of their choosing.
inline ULONGLONG UtcOfLocalTime(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME local = {};
    local.wYear = year;
    local.wMonth = month;
    local.wDay = day;
    local.wHour = hour;
    local.wMinute = minute;
    SYSTEMTIME utc = {};
    FILETIME fileTime = {};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &fileTime))
        return 0;
    return (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}
