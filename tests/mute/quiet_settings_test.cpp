#include "mute/quiet_settings.h"

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/registry_sandbox.h"

namespace {

using QuietSettingsTest = RegistrySandbox;

TEST_F(QuietSettingsTest, UntrustedValuesReadAsMissingAndNeverAsOn)
{
    EXPECT_TRUE(ReadQuietSettings().quietHours.empty()) << "no settings key";

    struct Case {
        const char* what;
        const wchar_t* name;
        DWORD type;
        std::vector<std::uint8_t> bytes;
        bool hoursOn;
        std::vector<std::wstring> quietHours;
    };
    const std::vector<std::uint8_t> list = ListBytes({L"22:00-07:00 daily", L"junk", L"12:00-13:00 mon-fri"});
    std::vector<std::uint8_t> unterminated = TextBytes(L"22:00-07:00 daily");
    unterminated.resize(unterminated.size() - 2);
    std::vector<std::uint8_t> odd = list;
    odd.push_back('x');
    const Case cases[] = {
        {"a list", L"QuietHours", REG_MULTI_SZ, list, false, {L"22:00-07:00 daily", L"junk", L"12:00-13:00 mon-fri"}},
        {"no final NUL", L"QuietHours", REG_MULTI_SZ, unterminated, false, {L"22:00-07:00 daily"}},
        {"an odd byte",
         L"QuietHours",
         REG_MULTI_SZ,
         odd,
         false,
         {L"22:00-07:00 daily", L"junk", L"12:00-13:00 mon-fri"}},
        {"text, not a list", L"QuietHours", REG_SZ, TextBytes(L"22:00-07:00 daily"), false, {}},
        {"a huge list", L"QuietHours", REG_MULTI_SZ, std::vector<std::uint8_t>(200 * 1024, 'a'), false, {}},
        {"on", L"QuietHoursOn", REG_DWORD, {1, 0, 0, 0}, true, {}},
        {"two", L"QuietHoursOn", REG_DWORD, {2, 0, 0, 0}, false, {}},
        {"eight bytes", L"QuietHoursOn", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, false, {}},
        {"binary", L"QuietHoursOn", REG_BINARY, {1, 0, 0, 0}, false, {}},
        {"three bytes", L"QuietHoursOn", REG_DWORD, {1, 0, 0}, false, {}},
    };
    for (const Case& c : cases) {
        DeleteTree(kSettingsPath);
        SetValue(kSettingsPath, c.name, c.type, c.bytes);
        const QuietSettings settings = ReadQuietSettings();
        EXPECT_EQ(settings.switchedOn.Has(QuietRule::Hours), c.hoursOn) << c.what;
        EXPECT_EQ(settings.quietHours, c.quietHours) << c.what;
    }
    EXPECT_EQ(ReadQuietSettings().Periods().size(), 0u);
}

TEST_F(QuietSettingsTest, RuleListsKeepKnownNamesAndTheEndOfAnOverride)
{
    SetValue(kSettingsPath, L"OffBy", REG_MULTI_SZ, ListBytes({L"LOCKED", L"nonsense", L"presenting"}));
    SetValue(kSettingsPath, L"Overridden", REG_MULTI_SZ, ListBytes({L"hours 2026-12-08T07:00", L"locked"}));
    QuietSettings settings = ReadQuietSettings();
    EXPECT_EQ(settings.offBy, (RuleSet{QuietRule::Locked, QuietRule::Presenting}));
    EXPECT_EQ(settings.overridden, (RuleSet{QuietRule::Hours, QuietRule::Locked}));
    ASSERT_TRUE(settings.hoursOverrideEnd.has_value());
    EXPECT_EQ(WallTimeText(*settings.hoursOverrideEnd), L"2026-12-08T07:00");

    SetValue(kSettingsPath, L"Overridden", REG_MULTI_SZ, ListBytes({L"hours tomorrow"}));
    settings = ReadQuietSettings();
    EXPECT_TRUE(settings.overridden.Has(QuietRule::Hours));
    EXPECT_FALSE(settings.hoursOverrideEnd.has_value()) << "an end that does not parse is no end";

    ASSERT_EQ(WriteOverridden(RuleSet{QuietRule::Presenting, QuietRule::Hours}, settings.hoursOverrideEnd),
              ERROR_SUCCESS);
    EXPECT_EQ(GetValue(kSettingsPath, L"Overridden")->bytes, ListBytes({L"hours", L"presenting"}));
    ASSERT_EQ(WriteOffBy(RuleSet()), ERROR_SUCCESS);
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value()) << "an empty list is deleted";
    EXPECT_EQ(WriteOffBy(RuleSet()), ERROR_SUCCESS) << "and deleting it again succeeds";
}

TEST_F(QuietSettingsTest, ChangesKeepStringsThatDoNotParseInPlace)
{
    const std::vector<std::wstring> stored = {L"22:00-07:00 daily", L"from another program", L"12:00-13:00 mon-fri"};
    const QuietPeriod weekend = *ParsePeriod(L"09:00-10:00 sat,sun");
    EXPECT_EQ(WithPeriodAdded(stored, weekend),
              (std::vector<std::wstring>{L"22:00-07:00 daily", L"from another program", L"12:00-13:00 mon-fri",
                                         L"09:00-10:00 sat,sun"}));
    EXPECT_EQ(WithPeriodRemoved(stored, 1), (std::vector<std::wstring>{L"22:00-07:00 daily", L"from another program"}));
    EXPECT_EQ(WithPeriods(stored, {}), (std::vector<std::wstring>{L"from another program"}));
    EXPECT_EQ(WithPeriods(stored, {weekend}),
              (std::vector<std::wstring>{L"09:00-10:00 sat,sun", L"from another program"}));

    ASSERT_EQ(WriteQuietHours(stored), ERROR_SUCCESS);
    EXPECT_EQ(ReadQuietSettings().quietHours, stored);
    EXPECT_EQ(ReadQuietSettings().Periods().size(), 2u);
}

} // namespace
