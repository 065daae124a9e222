#include "mute/quiet_text.h"

#include <gtest/gtest.h>

namespace {

QuietPeriod Period(const wchar_t* text)
{
    return ParsePeriod(text).value_or(QuietPeriod{});
}

TEST(QuietText, TheTipNamesTheFirstRuleAndTheEndOfTheRunThatHolds)
{
    SYSTEMTIME local = {2026, 12, 0, 7, 23, 0, 0, 0}; // Monday 23:00
    const WallTime now = WallTimeOf(local);
    const std::vector<QuietPeriod> night = {Period(L"22:00-00:00 daily"), Period(L"00:00-07:30 mon-fri")};
    const std::vector<QuietPeriod> always = {Period(L"00:00-12:00 daily"), Period(L"12:00-00:00 daily")};
    const RuleSet all = {QuietRule::Hours, QuietRule::Locked, QuietRule::Presenting};
    EXPECT_EQ(RuleTip(all, night, now), L"Sound is Off (quiet hours until 07:30)");
    EXPECT_EQ(RuleTip(all, always, now), L"Sound is Off (quiet hours)");
    EXPECT_EQ(RuleTip({QuietRule::Locked, QuietRule::Presenting}, night, now), L"Sound is Off (screen locked)");
    EXPECT_EQ(RuleTip({QuietRule::Presenting}, night, now), L"Sound is Off (presenting)");
    EXPECT_FALSE(RuleTip(RuleSet(), night, now).has_value());

    EXPECT_EQ(BecauseLine({QuietRule::Presenting, QuietRule::Hours}), L"because: quiet hours, presenting\n");
    EXPECT_EQ(BecauseLine(RuleSet()), L"");
}

TEST(QuietText, PeriodsAreListedForTheCommandAndSpelledOutForTheDialog)
{
    QuietSettings settings;
    settings.quietHours = {L"22:00-07:00 daily", L"not a period", L"12:00-13:00 mon-fri"};
    settings.switchedOn = {QuietRule::Locked};
    EXPECT_EQ(QuietListing(settings), L"hours: off\n"
                                      L"period: 22:00-07:00 daily\n"
                                      L"period: 12:00-13:00 mon-fri\n"
                                      L"locked: on\n"
                                      L"presenting: off\n");

    struct Case {
        const wchar_t* stored;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"22:00-07:00 daily", L"22:00 \u2013 07:00, every day"},
        {L"12:00-13:00 mon-fri", L"12:00 \u2013 13:00, Mon\u2013Fri"},
        {L"09:00-10:00 sat,sun", L"09:00 \u2013 10:00, Sat, Sun"},
        {L"09:00-10:00 mon,wed,fri", L"09:00 \u2013 10:00, Mon, Wed, Fri"},
        {L"09:00-10:00 mon-wed,fri", L"09:00 \u2013 10:00, Mon\u2013Wed, Fri"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PeriodDisplayText(Period(c.stored)), c.shown) << c.stored;
}

} // namespace
