#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mute/quiet_hours.h"

// The three rules that turn sounds off by themselves, in the order the tip and
// `status` name them.
enum class QuietRule : std::uint8_t { Hours, Locked, Presenting };
inline constexpr QuietRule kQuietRules[] = {QuietRule::Hours, QuietRule::Locked, QuietRule::Presenting};

// A set of rules, one bit each.
class RuleSet {
public:
    constexpr RuleSet() = default;
    constexpr RuleSet(std::initializer_list<QuietRule> rules)
    {
        for (const QuietRule rule : rules)
            bits_ |= Bit(rule);
    }

    constexpr bool Has(QuietRule rule) const { return (bits_ & Bit(rule)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr void Add(QuietRule rule) { bits_ |= Bit(rule); }
    constexpr void Remove(QuietRule rule) { bits_ &= static_cast<std::uint8_t>(~Bit(rule)); }
    constexpr RuleSet Union(RuleSet other) const { return FromBits(bits_ | other.bits_); }
    constexpr RuleSet Intersection(RuleSet other) const { return FromBits(bits_ & other.bits_); }
    constexpr RuleSet Without(RuleSet other) const { return FromBits(bits_ & ~other.bits_); }

    friend constexpr bool operator==(RuleSet left, RuleSet right) { return left.bits_ == right.bits_; }
    friend constexpr bool operator!=(RuleSet left, RuleSet right) { return left.bits_ != right.bits_; }

private:
    static constexpr std::uint8_t Bit(QuietRule rule)
    {
        return static_cast<std::uint8_t>(1u << static_cast<int>(rule));
    }
    static constexpr RuleSet FromBits(int bits)
    {
        RuleSet set;
        set.bits_ = static_cast<std::uint8_t>(bits & 0x7);
        return set;
    }

    std::uint8_t bits_ = 0;
};

// The rule's name in OffBy, Overridden and on the command line: "hours",
// "locked", "presenting".
const wchar_t* RuleName(QuietRule rule);

// The rules' values below the program's settings key, as read in one go.
// Everything is untrusted: a value of the wrong type or size, or a huge one,
// reads as missing.
struct QuietSettings {
    // QuietHours exactly as stored, one string a period, those that do not
    // parse included: they stay in place through every change.
    std::vector<std::wstring> quietHours;
    // QuietHoursOn, QuietWhenLocked, QuietWhenPresenting: on only when 1.
    RuleSet switchedOn;
    // The rules that turned sounds off and have not let them on again.
    RuleSet offBy;
    // The rules the user overrode by a choice by hand while they held.
    RuleSet overridden;
    // When the quiet-hours override lapses: the local end of the run of
    // periods it overrode; none when that run had no end within 7 days.
    std::optional<WallTime> hoursOverrideEnd;

    // The periods that parse, in stored order.
    std::vector<QuietPeriod> Periods() const;
};

QuietSettings ReadQuietSettings();

// Writes answer the Win32 result. A list that becomes empty is deleted, and
// deleting a value that is not there succeeds.
[[nodiscard]] LONG WriteQuietHours(const std::vector<std::wstring>& quietHours);
[[nodiscard]] LONG WriteRuleSwitch(QuietRule rule, bool on);
[[nodiscard]] LONG WriteOffBy(RuleSet rules);
[[nodiscard]] LONG WriteOverridden(RuleSet rules, std::optional<WallTime> hoursEnd);

// Changes to QuietHours that keep the strings that do not parse where they
// are. Periods are counted from 0 among those that parse.
std::vector<std::wstring> WithPeriodAdded(const std::vector<std::wstring>& quietHours, const QuietPeriod& period);
std::vector<std::wstring> WithPeriodRemoved(const std::vector<std::wstring>& quietHours, std::size_t index);
// The periods that parse replaced by `periods`, in order.
std::vector<std::wstring> WithPeriods(const std::vector<std::wstring>& quietHours,
                                      const std::vector<QuietPeriod>& periods);

// The stored forms of OffBy and Overridden, for tests and the command line.
std::vector<std::wstring> RuleListText(RuleSet rules, std::optional<WallTime> hoursEnd = std::nullopt);
