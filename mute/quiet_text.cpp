#include "mute/quiet_text.h"

#include "resources/resource.h"
#include "win32/text.h"

namespace {

// The rules' names in `status`, in the order of QuietRule.
constexpr UINT kReasons[] = {IDS_QUIET_REASON_HOURS, IDS_QUIET_REASON_LOCKED, IDS_QUIET_REASON_PRESENTING};

bool HasDay(WeekDays days, int day)
{
    return (days >> day & 1) != 0;
}

std::wstring OnOff(bool on)
{
    return LoadText(on ? IDS_QUIET_ON : IDS_QUIET_OFF);
}

} // namespace

std::optional<std::wstring> RuleTip(RuleSet keepingOff, const std::vector<QuietPeriod>& periods, WallTime localNow)
{
    if (keepingOff.Has(QuietRule::Hours)) {
        const std::optional<WallTime> end = RunEnd(periods, localNow);
        if (!end)
            return LoadText(IDS_TIP_QUIET_HOURS);
        return FormatText(IDS_TIP_QUIET_HOURS_UNTIL, {ClockText(MinuteOfDay(*end))});
    }
    if (keepingOff.Has(QuietRule::Locked))
        return LoadText(IDS_TIP_SCREEN_LOCKED);
    if (keepingOff.Has(QuietRule::Presenting))
        return LoadText(IDS_TIP_PRESENTING);
    return std::nullopt;
}

std::wstring BecauseLine(RuleSet keepingOff)
{
    std::wstring reasons;
    for (const QuietRule rule : kQuietRules) {
        if (!keepingOff.Has(rule))
            continue;
        if (!reasons.empty())
            reasons += L", ";
        reasons += LoadText(kReasons[static_cast<int>(rule)]);
    }
    return reasons.empty() ? reasons : FormatText(IDS_STATUS_BECAUSE, {reasons});
}

std::wstring QuietListing(const QuietSettings& settings)
{
    std::wstring text = FormatText(IDS_QUIET_LIST_HOURS, {OnOff(settings.switchedOn.Has(QuietRule::Hours))});
    for (const QuietPeriod& period : settings.Periods())
        text += FormatText(IDS_QUIET_LIST_PERIOD, {PeriodText(period)});
    text += FormatText(IDS_QUIET_LIST_LOCKED, {OnOff(settings.switchedOn.Has(QuietRule::Locked))});
    text += FormatText(IDS_QUIET_LIST_PRESENTING, {OnOff(settings.switchedOn.Has(QuietRule::Presenting))});
    return text;
}

std::wstring PeriodDisplayText(const QuietPeriod& period)
{
    std::wstring days;
    if ((period.days & kEveryDay) == kEveryDay) {
        days = LoadText(IDS_PERIOD_EVERY_DAY);
    } else {
        // The canonical form spelled out: runs of three or more as ranges.
        for (int day = 0; day < 7;) {
            if (!HasDay(period.days, day)) {
                ++day;
                continue;
            }
            int last = day;
            while (last + 1 < 7 && HasDay(period.days, last + 1))
                ++last;
            if (!days.empty())
                days += L", ";
            days += LoadText(IDS_DAY_MONDAY + day);
            if (last - day >= 2)
                days += L"\u2013" + LoadText(IDS_DAY_MONDAY + last);
            else if (last != day)
                days += L", " + LoadText(IDS_DAY_MONDAY + last);
            day = last + 1;
        }
    }
    return FormatText(IDS_PERIOD_SHOWN, {ClockText(period.start), ClockText(period.end), days});
}
