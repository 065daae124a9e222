#include "commands/command_line.h"
#include "commands/command_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mute/quiet_settings.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"

namespace {

using Words = std::vector<std::wstring>;

TEST(QuietCommandLine, PeriodsDaysAndNumbersAreCheckedWhenParsed)
{
    struct Case {
        Words words;
        ParseStatus status;
        CommandKind kind = CommandKind::Help;
    };
    const Case cases[] = {
        {{L"quiet"}, ParseStatus::Command, CommandKind::QuietShow},
        {{L"QUIET", L"Hours", L"ON"}, ParseStatus::Command, CommandKind::QuietHoursOn},
        {{L"quiet", L"locked", L"off"}, ParseStatus::Command, CommandKind::QuietLockedOff},
        {{L"quiet", L"presenting", L"on"}, ParseStatus::Command, CommandKind::QuietPresentingOn},
        {{L"quiet", L"hours", L"add", L"22:00-07:00"}, ParseStatus::Command, CommandKind::QuietHoursAdd},
        {{L"quiet", L"hours", L"add", L"12:00-13:00", L"MON-fri"}, ParseStatus::Command, CommandKind::QuietHoursAdd},
        {{L"quiet", L"hours", L"remove", L"8"}, ParseStatus::Command, CommandKind::QuietHoursRemove},
        {{L"quiet", L"hours", L"clear"}, ParseStatus::Command, CommandKind::QuietHoursClear},
        {{L"quiet", L"hours"}, ParseStatus::Malformed},
        {{L"quiet", L"hours", L"add"}, ParseStatus::Malformed},
        {{L"quiet", L"hours", L"add", L"22:00-22:00"}, ParseStatus::Malformed},
        {{L"quiet", L"hours", L"add", L"7:00-08:00"}, ParseStatus::Malformed},
        {{L"quiet", L"hours", L"add", L"22:00-07:00", L"fri-mon"}, ParseStatus::Malformed},
        {{L"quiet", L"hours", L"add", L"22:00-07:00", L"daily", L"daily"}, ParseStatus::Malformed},
        {{L"quiet", L"hours", L"remove", L"0"}, ParseStatus::Malformed},
        {{L"quiet", L"hours", L"remove", L"two"}, ParseStatus::Malformed},
        {{L"quiet", L"hours", L"clear", L"all"}, ParseStatus::Malformed},
        {{L"quiet", L"sometimes", L"on"}, ParseStatus::Malformed},
        {{L"quiet", L"locked", L"maybe"}, ParseStatus::Malformed},
    };
    for (const Case& c : cases) {
        const ParsedCommand parsed = ParseCommandLine(c.words);
        EXPECT_EQ(parsed.status, c.status) << testing::PrintToString(c.words);
        if (parsed.status == ParseStatus::Command) {
            EXPECT_EQ(parsed.command.kind, c.kind) << testing::PrintToString(c.words);
        }
    }
    const std::optional<Command> add = ParseCommand({L"quiet", L"hours", L"add", L"12:00-13:00", L"mon-fri"});
    ASSERT_TRUE(add && add->period);
    EXPECT_EQ(PeriodText(*add->period), L"12:00-13:00 mon-fri");
}

TEST(QuietCommandLine, AMalformedCommandShowsItsOwnUsageLines)
{
    EXPECT_EQ(UsageTextFor({L"quiet", L"hours", L"add", L"25:00-07:00"}),
              L"Usage:\n"
              L"  quiet hours add HH:MM-HH:MM [DAYS]\n"
              L"                      add a period of quiet hours on DAYS: daily (the default), or days and\n"
              L"                      ranges such as mon-fri,sun\n");
    const std::wstring hours = UsageTextFor({L"quiet", L"hours"});
    for (const wchar_t* line :
         {L"quiet hours|locked|presenting on|off", L"quiet hours add", L"quiet hours remove N", L"quiet hours clear"})
        EXPECT_NE(hours.find(line), std::wstring::npos) << line;
    EXPECT_EQ(hours.find(L"  quiet               "), std::wstring::npos);
    EXPECT_EQ(UsageTextFor({L"startup", L"off", L"now"}),
              L"Usage:\n  startup on|off      start Hushlark at logon, or not\n");
    EXPECT_EQ(UsageTextFor({L"scheme"}).rfind(L"Usage:\n  scheme NAME", 0), 0u);
}

class QuietCommands : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    CommandResult Run(const Words& words)
    {
        const std::optional<Command> command = ParseCommand(words);
        EXPECT_TRUE(command.has_value()) << testing::PrintToString(words);
        return command ? ExecuteCommand(*command, store, 0) : CommandResult{kExitUsage, L"", L""};
    }

    // Quiet hours that hold at every moment.
    void AlwaysQuiet()
    {
        ASSERT_EQ(WriteQuietHours({L"00:00-12:00 daily", L"12:00-00:00 daily"}), ERROR_SUCCESS);
        ASSERT_EQ(WriteRuleSwitch(QuietRule::Hours, true), ERROR_SUCCESS);
    }

    SchemeStore store;
};

TEST_F(QuietCommands, PeriodsAreAddedListedRemovedAndClearedUpToEight)
{
    ASSERT_EQ(WriteQuietHours({L"from another program"}), ERROR_SUCCESS);
    EXPECT_EQ(Run({L"quiet", L"hours", L"add", L"22:00-07:00"}).exitCode, kExitDone);
    EXPECT_EQ(Run({L"quiet", L"hours", L"add", L"12:00-13:00", L"fri,mon-thu"}).exitCode, kExitDone);
    EXPECT_EQ(Run({L"quiet"}).output, L"hours: off\n"
                                      L"period: 22:00-07:00 daily\n"
                                      L"period: 12:00-13:00 mon-fri\n"
                                      L"locked: off\n"
                                      L"presenting: off\n");
    EXPECT_FALSE(ReadQuietSettings().switchedOn.Has(QuietRule::Hours)) << "adding does not switch the rule on";

    for (int hour = 1; hour <= 6; ++hour)
        EXPECT_EQ(
            Run({L"quiet", L"hours", L"add", L"0" + std::to_wstring(hour) + L":00-0" + std::to_wstring(hour) + L":30"})
                .exitCode,
            kExitDone);
    const CommandResult ninth = Run({L"quiet", L"hours", L"add", L"09:00-10:00"});
    EXPECT_EQ(ninth.exitCode, kExitUsage);
    EXPECT_EQ(ninth.error, L"Quiet hours hold at most 8 periods.");

    EXPECT_EQ(Run({L"quiet", L"hours", L"remove", L"2"}).exitCode, kExitDone);
    EXPECT_EQ(ReadQuietSettings().Periods().size(), 7u);
    const CommandResult beyond = Run({L"quiet", L"hours", L"remove", L"8"});
    EXPECT_EQ(beyond.exitCode, kExitUsage);
    EXPECT_EQ(beyond.usage.rfind(L"Usage:\n  quiet hours remove N", 0), 0u);

    EXPECT_EQ(Run({L"quiet", L"hours", L"clear"}).exitCode, kExitDone);
    EXPECT_EQ(ReadQuietSettings().quietHours, std::vector<std::wstring>{L"from another program"});
}

TEST_F(QuietCommands, SwitchingOffTheLastRuleThatKeepsSoundsOffTurnsThemOnWithoutAnInstance)
{
    AlwaysQuiet();
    ASSERT_EQ(Mute(store).result, SoundChange::Result::Done);
    ASSERT_EQ(WriteOffBy({QuietRule::Hours}), ERROR_SUCCESS);
    EXPECT_EQ(Run({L"status"}).output, L"off\nscheme: No Sounds\nbecause: quiet hours\n");

    const CommandResult off = Run({L"quiet", L"hours", L"off"});
    EXPECT_EQ(off.exitCode, kExitDone);
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value());
    EXPECT_EQ(GetValue(kSettingsPath, L"QuietHoursOn"), (StoredValue{REG_DWORD, {0, 0, 0, 0}}));

    const CommandResult on = Run({L"quiet", L"locked", L"on"});
    EXPECT_TRUE(on.rulesNeedTray) << "only the tray program follows the rules";
    EXPECT_TRUE(store.IsSoundOn()) << "a command turns nothing off itself";
}

TEST_F(QuietCommands, AChoiceByHandWithoutAnInstanceOverridesTheRulesThatHold)
{
    AlwaysQuiet();
    // Sounds on during quiet hours: the user's on, even though it changed nothing.
    const CommandResult on = RunCommand(*ParseCommand({L"on"}));
    EXPECT_EQ(on.exitCode, kExitDone);
    EXPECT_EQ(ReadQuietSettings().overridden, RuleSet{QuietRule::Hours});

    const CommandResult off = RunCommand(*ParseCommand({L"off"}));
    EXPECT_EQ(off.exitCode, kExitDone);
    EXPECT_EQ(ReadQuietSettings().offBy, RuleSet{QuietRule::Hours});
    EXPECT_TRUE(ReadQuietSettings().overridden.Empty());
}

TEST_F(QuietCommands, AWriteThatFailsEndsWithOne)
{
    CreateKey(kSettingsPath);
    const RestrictedKey readOnly(kSettingsPath, KEY_READ);
    const CommandResult result = Run({L"quiet", L"presenting", L"on"});
    EXPECT_EQ(result.exitCode, kExitFailed);
    EXPECT_EQ(result.error.rfind(L"Hushlark's settings could not be saved. Software\\Quillfen\\Hushlark: ", 0), 0u);
}

} // namespace
