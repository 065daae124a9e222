#include "mute/quiet_settings.h"

#include <cstring>

#include "mute/program_settings.h"
#include "win32/registry.h"

namespace {

constexpr wchar_t kQuietHours[] = L"QuietHours";
constexpr wchar_t kOffBy[] = L"OffBy";
constexpr wchar_t kOverridden[] = L"Overridden";

// The switch of each rule, in the order of QuietRule.
constexpr const wchar_t* kSwitches[] = {L"QuietHoursOn", L"QuietWhenLocked", L"QuietWhenPresenting"};
constexpr const wchar_t* kRuleNames[] = {L"hours", L"locked", L"presenting"};

// No list the program writes comes near this; a larger value is not ours.
constexpr std::size_t kMaxListBytes = 64 * 1024;

const wchar_t* SwitchName(QuietRule rule)
{
    return kSwitches[static_cast<int>(rule)];
}

// The strings of a REG_MULTI_SZ value: an odd trailing byte is dropped, a
// missing final NUL tolerated, empty strings skipped. Any other type, or a
// huge value, reads as no strings.
std::vector<std::wstring> ReadList(HKEY key, const wchar_t* name)
{
    const registry::Raw raw = registry::ReadRaw(key, name);
    std::vector<std::wstring> strings;
    if (!raw.value || raw.value->type != REG_MULTI_SZ || raw.value->bytes.size() > kMaxListBytes)
        return strings;
    const std::vector<BYTE>& bytes = raw.value->bytes;
    std::wstring current;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(bytes[i] | bytes[i + 1] << 8);
        if (c != L'\0') {
            current += c;
        } else if (!current.empty()) {
            strings.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty())
        strings.push_back(std::move(current));
    return strings;
}

bool ReadSwitch(HKEY key, const wchar_t* name)
{
    const registry::Raw raw = registry::ReadRaw(key, name);
    if (!raw.value || raw.value->type != REG_DWORD || raw.value->bytes.size() != sizeof(DWORD))
        return false;
    DWORD value = 0;
    std::memcpy(&value, raw.value->bytes.data(), sizeof(value));
    return value == 1;
}

std::optional<QuietRule> RuleNamed(const std::wstring& name)
{
    for (const QuietRule rule : kQuietRules) {
        if (lstrcmpiW(name.c_str(), RuleName(rule)) == 0)
            return rule;
    }
    return std::nullopt;
}

RuleSet ReadRules(HKEY key, const wchar_t* name, std::optional<WallTime>* hoursEnd)
{
    RuleSet rules;
    for (const std::wstring& entry : ReadList(key, name)) {
        // "hours 2026-12-08T07:00": a rule's name, then what it carries.
        const std::size_t space = entry.find(L' ');
        const std::optional<QuietRule> rule = RuleNamed(entry.substr(0, space));
        if (!rule)
            continue;
        rules.Add(*rule);
        if (hoursEnd && *rule == QuietRule::Hours && space != std::wstring::npos)
            *hoursEnd = ParseWallTime(std::wstring_view(entry).substr(space + 1));
    }
    return rules;
}

LONG WriteList(const wchar_t* name, const std::vector<std::wstring>& strings)
{
    const registry::Key settings = registry::CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_SET_VALUE);
    if (!settings)
        return settings.error;
    if (strings.empty()) {
        const LONG status = RegDeleteValueW(settings.get(), name);
        return registry::IsAbsent(status) ? ERROR_SUCCESS : status;
    }
    std::wstring data;
    for (const std::wstring& text : strings) {
        data.append(text.c_str()); // cut at an inner NUL, which would end the list early
        data += L'\0';
    }
    data += L'\0';
    return registry::WriteBytes(settings.get(), name, REG_MULTI_SZ, data.data(),
                                static_cast<DWORD>(data.size() * sizeof(wchar_t)));
}

} // namespace

const wchar_t* RuleName(QuietRule rule)
{
    return kRuleNames[static_cast<int>(rule)];
}

std::vector<QuietPeriod> QuietSettings::Periods() const
{
    std::vector<QuietPeriod> periods;
    for (const std::wstring& text : quietHours) {
        if (const std::optional<QuietPeriod> period = ParsePeriod(text))
            periods.push_back(*period);
    }
    return periods;
}

QuietSettings ReadQuietSettings()
{
    QuietSettings settings;
    const registry::Key key = registry::OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    if (!key)
        return settings;
    settings.quietHours = ReadList(key.get(), kQuietHours);
    for (const QuietRule rule : kQuietRules) {
        if (ReadSwitch(key.get(), SwitchName(rule)))
            settings.switchedOn.Add(rule);
    }
    settings.offBy = ReadRules(key.get(), kOffBy, nullptr);
    settings.overridden = ReadRules(key.get(), kOverridden, &settings.hoursOverrideEnd);
    return settings;
}

LONG WriteQuietHours(const std::vector<std::wstring>& quietHours)
{
    return WriteList(kQuietHours, quietHours);
}

LONG WriteRuleSwitch(QuietRule rule, bool on)
{
    const registry::Key settings = registry::CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_SET_VALUE);
    const DWORD value = on ? 1 : 0;
    return settings ? registry::WriteBytes(settings.get(), SwitchName(rule), REG_DWORD, &value, sizeof(value))
                    : settings.error;
}

LONG WriteOffBy(RuleSet rules)
{
    return WriteList(kOffBy, RuleListText(rules));
}

LONG WriteOverridden(RuleSet rules, std::optional<WallTime> hoursEnd)
{
    return WriteList(kOverridden, RuleListText(rules, hoursEnd));
}

std::vector<std::wstring> RuleListText(RuleSet rules, std::optional<WallTime> hoursEnd)
{
    std::vector<std::wstring> names;
    for (const QuietRule rule : kQuietRules) {
        if (!rules.Has(rule))
            continue;
        std::wstring name = RuleName(rule);
        if (rule == QuietRule::Hours && hoursEnd)
            name += L' ' + WallTimeText(*hoursEnd);
        names.push_back(std::move(name));
    }
    return names;
}

std::vector<std::wstring> WithPeriodAdded(const std::vector<std::wstring>& quietHours, const QuietPeriod& period)
{
    std::vector<std::wstring> changed = quietHours;
    changed.push_back(PeriodText(period));
    return changed;
}

std::vector<std::wstring> WithPeriodRemoved(const std::vector<std::wstring>& quietHours, std::size_t index)
{
    std::vector<std::wstring> changed;
    std::size_t parsed = 0;
    for (const std::wstring& text : quietHours) {
        if (ParsePeriod(text) && parsed++ == index)
            continue;
        changed.push_back(text);
    }
    return changed;
}

std::vector<std::wstring> WithPeriods(const std::vector<std::wstring>& quietHours,
                                      const std::vector<QuietPeriod>& periods)
{
    std::vector<std::wstring> changed;
    std::size_t next = 0;
    for (const std::wstring& text : quietHours) {
        if (!ParsePeriod(text))
            changed.push_back(text);
        else if (next < periods.size())
            changed.push_back(PeriodText(periods[next++]));
    }
    for (; next < periods.size(); ++next)
        changed.push_back(PeriodText(periods[next]));
    return changed;
}
