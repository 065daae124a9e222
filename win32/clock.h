#pragma once

#include <windows.h>

#include <string>

// File times count 100-nanosecond ticks.
inline constexpr ULONGLONG kFileTimeTicksPerSecond = 10'000'000;

// The current time as a UTC FILETIME.
ULONGLONG UtcNow();

// A UTC FILETIME as local "HH:MM", 24-hour; "--:--" when it cannot be converted.
std::wstring LocalClockText(ULONGLONG utcFileTime);

// Whether two UTC FILETIMEs fall on the same local calendar day; false when
// either cannot be converted.
bool SameLocalDay(ULONGLONG firstUtc, ULONGLONG secondUtc);
