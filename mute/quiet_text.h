#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mute/quiet_hours.h"
#include "mute/quiet_settings.h"

// What the user reads about the rules: the tip, the `status` and `quiet`
// commands, and the periods in the Quiet Hours dialog.

// The tip while a rule keeps sounds off, for the first of `keepingOff` in the
// order quiet hours, screen locked, presenting: "Sound is Off (quiet hours
// until 07:00)", "Sound is Off (quiet hours)" when the run of periods has no
// end within 7 days, "Sound is Off (screen locked)", "Sound is Off
// (presenting)". None when no rule keeps sounds off.
std::optional<std::wstring> RuleTip(RuleSet keepingOff, const std::vector<QuietPeriod>& periods, WallTime localNow);

// The line `status` adds: "because: quiet hours, screen locked"; empty when no
// rule keeps sounds off.
std::wstring BecauseLine(RuleSet keepingOff);

// What `quiet` prints: "hours: on", one "period: 22:00-07:00 daily" line per
// period, "locked: off", "presenting: off".
std::wstring QuietListing(const QuietSettings& settings);

// A period as the Quiet Hours dialog lists it: "22:00 – 07:00, every day",
// "12:00 – 13:00, Mon–Fri".
std::wstring PeriodDisplayText(const QuietPeriod& period);
