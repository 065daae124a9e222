#include "mute/quiet_hours.h"

#include <cwchar>
#include <cwctype>

namespace {

constexpr const wchar_t* kDayNames[7] = {L"mon", L"tue", L"wed", L"thu", L"fri", L"sat", L"sun"};
constexpr wchar_t kDaily[] = L"daily";

// FILETIME ticks in a minute.
constexpr std::int64_t kTicksPerMinute = 600'000'000;

bool SameText(std::wstring_view left, const wchar_t* right)
{
    const std::size_t length = std::wcslen(right);
    if (left.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (std::towlower(left[i]) != std::towlower(right[i]))
            return false;
    }
    return true;
}

std::optional<int> DayIndex(std::wstring_view name)
{
    for (int day = 0; day < 7; ++day) {
        if (SameText(name, kDayNames[day]))
            return day;
    }
    return std::nullopt;
}

int Digit(wchar_t c)
{
    return c >= L'0' && c <= L'9' ? c - L'0' : -1;
}

// The pieces of `text` between separators; empty pieces included.
std::vector<std::wstring_view> Split(std::wstring_view text, wchar_t separator)
{
    std::vector<std::wstring_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
        if (end == std::wstring_view::npos)
            return pieces;
        start = end + 1;
    }
}

bool HasDay(WeekDays days, int day)
{
    return (days >> day & 1) != 0;
}

// The end of the occurrence of a period that holds at `now`.
WallTime OccurrenceEnd(const QuietPeriod& period, WallTime now)
{
    const WallTime midnight = now - MinuteOfDay(now);
    if (period.start < period.end || MinuteOfDay(now) < period.end)
        return midnight + period.end;
    // Begun this evening: it ends tomorrow.
    return midnight + kMinutesPerDay + period.end;
}

} // namespace

std::optional<int> ParseClock(std::wstring_view text)
{
    if (text.size() != 5 || text[2] != L':')
        return std::nullopt;
    const int digits[4] = {Digit(text[0]), Digit(text[1]), Digit(text[3]), Digit(text[4])};
    for (const int digit : digits) {
        if (digit < 0)
            return std::nullopt;
    }
    const int hours = digits[0] * 10 + digits[1];
    const int minutes = digits[2] * 10 + digits[3];
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    return hours * 60 + minutes;
}

std::wstring ClockText(int minutes)
{
    wchar_t text[8];
    std::swprintf(text, 8, L"%02d:%02d", minutes / 60 % 24, minutes % 60);
    return text;
}

std::optional<WeekDays> ParseDays(std::wstring_view text)
{
    if (SameText(text, kDaily))
        return kEveryDay;
    WeekDays days = 0;
    for (const std::wstring_view entry : Split(text, L',')) {
        const std::vector<std::wstring_view> ends = Split(entry, L'-');
        if (ends.size() == 1) {
            const std::optional<int> day = DayIndex(ends[0]);
            if (!day)
                return std::nullopt;
            days |= static_cast<WeekDays>(1 << *day);
            continue;
        }
        const std::optional<int> first = ends.size() == 2 ? DayIndex(ends[0]) : std::nullopt;
        const std::optional<int> last = ends.size() == 2 ? DayIndex(ends[1]) : std::nullopt;
        if (!first || !last || *first >= *last)
            return std::nullopt;
        for (int day = *first; day <= *last; ++day)
            days |= static_cast<WeekDays>(1 << day);
    }
    return days;
}

std::wstring DaysText(WeekDays days)
{
    days &= kEveryDay;
    if (days == kEveryDay)
        return kDaily;
    std::wstring text;
    for (int day = 0; day < 7;) {
        if (!HasDay(days, day)) {
            ++day;
            continue;
        }
        int last = day;
        while (last + 1 < 7 && HasDay(days, last + 1))
            ++last;
        if (!text.empty())
            text += L',';
        if (last - day >= 2) {
            text += kDayNames[day] + std::wstring(L"-") + kDayNames[last];
        } else {
            text += kDayNames[day];
            if (last != day)
                text += std::wstring(L",") + kDayNames[last];
        }
        day = last + 1;
    }
    return text;
}

std::optional<QuietPeriod> ParseTimeRange(std::wstring_view text)
{
    if (text.size() != 11 || text[5] != L'-')
        return std::nullopt;
    const std::optional<int> start = ParseClock(text.substr(0, 5));
    const std::optional<int> end = ParseClock(text.substr(6));
    if (!start || !end || *start == *end)
        return std::nullopt;
    return QuietPeriod{*start, *end, 0};
}

std::optional<QuietPeriod> ParsePeriod(std::wstring_view text)
{
    const std::size_t space = text.find(L' ');
    if (space == std::wstring_view::npos)
        return std::nullopt;
    std::optional<QuietPeriod> period = ParseTimeRange(text.substr(0, space));
    const std::optional<WeekDays> days = ParseDays(text.substr(space + 1));
    if (!period || !days)
        return std::nullopt;
    period->days = *days;
    return period;
}

std::wstring PeriodText(const QuietPeriod& period)
{
    return ClockText(period.start) + L'-' + ClockText(period.end) + L' ' + DaysText(period.days);
}

bool PeriodHolds(const QuietPeriod& period, WallTime now)
{
    const int minute = MinuteOfDay(now);
    const int day = DayOfWeek(now);
    if (period.start < period.end)
        return HasDay(period.days, day) && minute >= period.start && minute < period.end;
    if (period.start == period.end)
        return false;
    // Past midnight: the evening on its own day, the morning on the next.
    return (HasDay(period.days, day) && minute >= period.start) ||
           (HasDay(period.days, (day + 6) % 7) && minute < period.end);
}

bool AnyPeriodHolds(const std::vector<QuietPeriod>& periods, WallTime now)
{
    for (const QuietPeriod& period : periods) {
        if (PeriodHolds(period, now))
            return true;
    }
    return false;
}

std::optional<WallTime> RunEnd(const std::vector<QuietPeriod>& periods, WallTime now)
{
    const WallTime limit = now + 7 * kMinutesPerDay;
    WallTime moment = now;
    // Each step moves to the furthest end of the occurrences that hold, so
    // the walk always moves on and ends within the limit.
    while (moment <= limit) {
        WallTime next = moment;
        for (const QuietPeriod& period : periods) {
            if (PeriodHolds(period, moment)) {
                const WallTime end = OccurrenceEnd(period, moment);
                next = end > next ? end : next;
            }
        }
        if (next == moment)
            return moment == now ? std::nullopt : std::optional<WallTime>(moment);
        moment = next;
    }
    return std::nullopt;
}

WallTime WallTimeOf(const SYSTEMTIME& local)
{
    SYSTEMTIME minute = local;
    minute.wSecond = 0;
    minute.wMilliseconds = 0;
    FILETIME asFileTime = {};
    if (!SystemTimeToFileTime(&minute, &asFileTime))
        return 0;
    const std::int64_t ticks =
        static_cast<std::int64_t>((static_cast<ULONGLONG>(asFileTime.dwHighDateTime) << 32) | asFileTime.dwLowDateTime);
    return ticks / kTicksPerMinute;
}

std::wstring WallTimeText(WallTime time)
{
    const ULONGLONG ticks = static_cast<ULONGLONG>(time) * kTicksPerMinute;
    const FILETIME asFileTime = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME local = {};
    if (!FileTimeToSystemTime(&asFileTime, &local))
        return std::wstring();
    wchar_t text[24];
    std::swprintf(text, 24, L"%04u-%02u-%02uT%02u:%02u", static_cast<unsigned>(local.wYear),
                  static_cast<unsigned>(local.wMonth), static_cast<unsigned>(local.wDay),
                  static_cast<unsigned>(local.wHour), static_cast<unsigned>(local.wMinute));
    return text;
}

std::optional<WallTime> ParseWallTime(std::wstring_view text)
{
    // yyyy-mm-ddThh:mm
    if (text.size() != 16 || text[4] != L'-' || text[7] != L'-' || text[10] != L'T')
        return std::nullopt;
    int parts[3] = {};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int part = 0; part < 3; ++part) {
        for (std::size_t i = 0; i < lengths[part]; ++i) {
            const int digit = Digit(text[starts[part] + i]);
            if (digit < 0)
                return std::nullopt;
            parts[part] = parts[part] * 10 + digit;
        }
    }
    const std::optional<int> clock = ParseClock(text.substr(11));
    if (!clock || parts[0] < 1601)
        return std::nullopt;
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(parts[0]);
    local.wMonth = static_cast<WORD>(parts[1]);
    local.wDay = static_cast<WORD>(parts[2]);
    local.wHour = static_cast<WORD>(*clock / 60);
    local.wMinute = static_cast<WORD>(*clock % 60);
    FILETIME check = {};
    // An impossible date (a 31 February) is refused here.
    if (!SystemTimeToFileTime(&local, &check))
        return std::nullopt;
    return WallTimeOf(local);
}
