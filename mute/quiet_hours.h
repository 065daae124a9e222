#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Quiet hours: periods of local wall-clock time on chosen weekdays. Everything
// here is a pure decision on text and times; nothing reads the clock or the
// registry.

// Weekdays as bits, Monday first: bit 0 is Monday, bit 6 Sunday.
using WeekDays = std::uint8_t;
inline constexpr WeekDays kEveryDay = 0x7F;

// The most periods quiet hours hold.
inline constexpr std::size_t kMaxQuietPeriods = 8;

// A moment of local wall-clock time to the minute, counted in minutes from
// 1 January 1601, which was a Monday. Wall-clock time knows no daylight
// saving: on the day the clocks go forward an hour of it never comes, and on
// the day they go back an hour comes twice.
using WallTime = std::int64_t;
inline constexpr int kMinutesPerDay = 24 * 60;

// One period: from `start` to `end` (minutes after midnight) on each of
// `days`. A period whose end is not later than its start runs past midnight
// and belongs to the day it starts on. Start and end are never equal.
struct QuietPeriod {
    int start = 0;
    int end = 0;
    WeekDays days = 0;

    friend bool operator==(const QuietPeriod& left, const QuietPeriod& right)
    {
        return left.start == right.start && left.end == right.end && left.days == right.days;
    }
    friend bool operator!=(const QuietPeriod& left, const QuietPeriod& right) { return !(left == right); }
};

// "HH:MM", 24-hour, two digits each: minutes after midnight; none otherwise.
std::optional<int> ParseClock(std::wstring_view text);
// Minutes after midnight as "HH:MM".
std::wstring ClockText(int minutes);

// DAYS as read from the registry or a command, in any letter case: "daily",
// or a comma list of days ("mon" ... "sun") and ranges "a-b" with a before b
// in week order. Duplicates merge. None for anything else ("fri-mon",
// "sun-sat", an empty entry).
std::optional<WeekDays> ParseDays(std::wstring_view text);
// DAYS as written: lower case; "daily" for all seven days; otherwise in week
// order, each run of three or more days as a range ("mon-fri", "sat,sun",
// "mon-wed,fri"). Empty for no day.
std::wstring DaysText(WeekDays days);

// "HH:MM-HH:MM" with a start other than its end; `days` is left empty.
std::optional<QuietPeriod> ParseTimeRange(std::wstring_view text);
// "HH:MM-HH:MM DAYS", as QuietHours stores one period; none for anything else.
std::optional<QuietPeriod> ParsePeriod(std::wstring_view text);
// The stored form: "22:00-07:00 daily".
std::wstring PeriodText(const QuietPeriod& period);

// Whether the period holds at a moment: from its start up to, not including,
// its end.
bool PeriodHolds(const QuietPeriod& period, WallTime now);
bool AnyPeriodHolds(const std::vector<QuietPeriod>& periods, WallTime now);

// The end of the run of overlapping or adjoining periods that holds at `now`:
// the first moment after it at which none holds. None when none holds now, or
// when the run does not end within 7 days.
std::optional<WallTime> RunEnd(const std::vector<QuietPeriod>& periods, WallTime now);

// Conversions. A local SYSTEMTIME (from GetLocalTime) to the minute; the
// seconds are dropped.
WallTime WallTimeOf(const SYSTEMTIME& local);
// "2026-12-08T07:00", the form an override records its end in, and back.
std::wstring WallTimeText(WallTime time);
std::optional<WallTime> ParseWallTime(std::wstring_view text);
// Minutes after midnight of the moment.
inline int MinuteOfDay(WallTime time)
{
    return static_cast<int>(time % kMinutesPerDay);
}
// The day of the week of the moment, 0 for Monday.
inline int DayOfWeek(WallTime time)
{
    return static_cast<int>((time / kMinutesPerDay) % 7);
}
