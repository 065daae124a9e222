#include "mute/quiet_hours.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A local wall-clock moment; 7 December 2026 is a Monday.
WallTime At(int year, int month, int day, int hour, int minute)
{
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    return WallTimeOf(local);
}

QuietPeriod Period(const wchar_t* text)
{
    const std::optional<QuietPeriod> period = ParsePeriod(text);
    EXPECT_TRUE(period.has_value()) << text;
    return period.value_or(QuietPeriod{});
}

TEST(QuietHours, DaysAreReadInAnyCaseAndWrittenInOneForm)
{
    struct Case {
        const wchar_t* read;
        const wchar_t* written;
    };
    const Case cases[] = {
        {L"daily", L"daily"},
        {L"DAILY", L"daily"},
        {L"mon-sun", L"daily"},
        {L"Mon-Fri", L"mon-fri"},
        {L"sat,sun", L"sat,sun"},
        {L"sun,sat", L"sat,sun"},
        {L"fri,mon,wed", L"mon,wed,fri"},
        {L"mon,tue,wed,fri", L"mon-wed,fri"},
        {L"mon-tue,wed", L"mon-wed"},
        {L"mon,mon,tue", L"mon,tue"},
        {L"thu-sat,mon-fri", L"mon-sat"},
    };
    for (const Case& c : cases) {
        const std::optional<WeekDays> days = ParseDays(c.read);
        ASSERT_TRUE(days.has_value()) << c.read;
        EXPECT_EQ(DaysText(*days), c.written) << c.read;
    }
    for (const wchar_t* bad : {L"", L"fri-mon", L"sun-sat", L"mon-mon", L"mon,", L",mon", L"funday", L"mon-tue-wed",
                               L"mon fri", L"every day", L"mon-"})
        EXPECT_FALSE(ParseDays(bad).has_value()) << bad;

    for (int mask = 1; mask <= kEveryDay; ++mask) {
        const std::wstring text = DaysText(static_cast<WeekDays>(mask));
        EXPECT_EQ(ParseDays(text), std::optional<WeekDays>(static_cast<WeekDays>(mask))) << text;
    }
}

TEST(QuietHours, PeriodsAreReadOnlyWhole)
{
    EXPECT_EQ(ParsePeriod(L"22:00-07:00 daily"), (QuietPeriod{22 * 60, 7 * 60, kEveryDay}));
    EXPECT_EQ(ParsePeriod(L"12:00-13:30 MON-FRI"), (QuietPeriod{12 * 60, 13 * 60 + 30, 0x1F}));
    EXPECT_EQ(PeriodText(Period(L"00:05-23:59 sun,sat")), L"00:05-23:59 sat,sun");
    for (const wchar_t* bad :
         {L"22:00-22:00 daily", L"24:00-07:00 daily", L"7:00-08:00 daily", L"07:00-08:60 daily", L"07:00-08:00",
          L"07:00-08:00  daily", L"07:00 - 08:00 daily", L"07:00-08:00 fri-mon", L"", L"07:00-08:00 daily extra"})
        EXPECT_FALSE(ParsePeriod(bad).has_value()) << bad;
}

TEST(QuietHours, APeriodPastMidnightBelongsToTheDayItStartsOn)
{
    EXPECT_EQ(DayOfWeek(At(2026, 12, 7, 12, 0)), 0) << "7 December 2026 is a Monday";
    const QuietPeriod fridayNight = Period(L"22:00-07:00 fri");
    struct Case {
        WallTime when;
        bool holds;
        const char* what;
    };
    const Case cases[] = {
        {At(2026, 12, 11, 22, 0), true, "Friday at its start"},
        {At(2026, 12, 11, 23, 59), true, "Friday before midnight"},
        {At(2026, 12, 12, 0, 0), true, "Saturday at midnight"},
        {At(2026, 12, 12, 6, 59), true, "Saturday morning"},
        {At(2026, 12, 12, 7, 0), false, "Saturday at its end"},
        {At(2026, 12, 11, 21, 59), false, "Friday before its start"},
        {At(2026, 12, 11, 6, 0), false, "Friday morning belongs to Thursday"},
        {At(2026, 12, 12, 22, 30), false, "Saturday night"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PeriodHolds(fridayNight, c.when), c.holds) << c.what;

    const QuietPeriod lunch = Period(L"12:00-13:00 mon-fri");
    EXPECT_TRUE(PeriodHolds(lunch, At(2026, 12, 11, 12, 0)));
    EXPECT_FALSE(PeriodHolds(lunch, At(2026, 12, 11, 13, 0)));
    EXPECT_FALSE(PeriodHolds(lunch, At(2026, 12, 12, 12, 30))) << "a Saturday";
}

TEST(QuietHours, ARunEndsWhereNoOverlappingOrAdjoiningPeriodHolds)
{
    const std::vector<QuietPeriod> night = {Period(L"22:00-00:00 daily"), Period(L"00:00-06:00 daily"),
                                            Period(L"05:30-07:00 mon-fri")};
    EXPECT_EQ(RunEnd(night, At(2026, 12, 7, 23, 0)), At(2026, 12, 8, 7, 0)) << "Monday night: adjoining, overlapping";
    EXPECT_EQ(RunEnd(night, At(2026, 12, 12, 23, 0)), At(2026, 12, 13, 6, 0)) << "Saturday night";
    EXPECT_EQ(RunEnd(night, At(2026, 12, 8, 6, 30)), At(2026, 12, 8, 7, 0));
    EXPECT_FALSE(RunEnd(night, At(2026, 12, 8, 12, 0)).has_value()) << "none holds";

    const std::vector<QuietPeriod> always = {Period(L"00:00-12:00 daily"), Period(L"12:00-00:00 daily")};
    EXPECT_FALSE(RunEnd(always, At(2026, 12, 8, 1, 0)).has_value()) << "no end within 7 days";
    const std::vector<QuietPeriod> weekend = {Period(L"00:00-12:00 sat,sun"), Period(L"12:00-00:00 sat,sun")};
    EXPECT_EQ(RunEnd(weekend, At(2026, 12, 12, 1, 0)), At(2026, 12, 14, 0, 0));
}

TEST(QuietHours, AnOverridesEndIsWrittenAsLocalDateAndTime)
{
    const WallTime end = At(2026, 12, 8, 7, 0);
    EXPECT_EQ(WallTimeText(end), L"2026-12-08T07:00");
    EXPECT_EQ(ParseWallTime(L"2026-12-08T07:00"), end);
    for (const wchar_t* bad :
         {L"2026-02-31T07:00", L"2026-12-08 07:00", L"2026-12-08T24:00", L"1600-01-01T00:00", L"2026-12-8T07:00", L""})
        EXPECT_FALSE(ParseWallTime(bad).has_value()) << bad;
}

} // namespace
