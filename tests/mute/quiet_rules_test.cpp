#include "mute/quiet_rules.h"

#include <cstdint>
#include <string>
#include <vector>

#include "engine/scheme_paths.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"

namespace {

constexpr wchar_t kBackground[] = L"C:\\Windows\\media\\Windows Background.wav";

// Monday 7 December 2026 at the given time; days count on from there.
WallTime Monday(int hour, int minute = 0, int days = 0)
{
    SYSTEMTIME local = {};
    local.wYear = 2026;
    local.wMonth = 12;
    local.wDay = 7;
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    return WallTimeOf(local) + static_cast<WallTime>(days) * kMinutesPerDay;
}

// The rules with a made-up world: the clock, the lock and the presenting
// answer are set by each test; sounds and settings are the real registry's.
class QuietRulesTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    QuietInputs Inputs() const
    {
        QuietInputs inputs = world;
        inputs.soundOn = store.IsSoundOn();
        return inputs;
    }

    QuietOutcome Tick(QuietKeeper& keeper)
    {
        const QuietOutcome outcome = keeper.Tick(store, Inputs());
        // The tray watches the settings key; here every tick reads it afresh.
        keeper.SettingsChanged();
        return outcome;
    }

    // Quiet hours from 22:00 to 07:00 every day, switched on.
    void NightlyQuietHours()
    {
        SetValue(kSettingsPath, L"QuietHours", REG_MULTI_SZ, ListBytes({L"22:00-07:00 daily"}));
        SetDword(kSettingsPath, L"QuietHoursOn", 1);
    }

    void ByHand(QuietKeeper& keeper, bool soundsOn)
    {
        const SoundChange change = soundsOn ? Unmute(store) : Mute(store);
        ASSERT_NE(change.result, SoundChange::Result::NotSaved);
        ASSERT_EQ(keeper.ChoiceByHand(soundsOn, Inputs()), ERROR_SUCCESS);
    }

    std::vector<std::wstring> List(const wchar_t* name) const
    {
        std::vector<std::wstring> strings;
        const std::optional<StoredValue> value = GetValue(kSettingsPath, name);
        if (!value)
            return strings;
        std::wstring text(value->bytes.size() / 2, L'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(value->bytes[2 * i] | value->bytes[2 * i + 1] << 8);
        for (std::size_t start = 0; start < text.size() && text[start] != L'\0';) {
            const std::size_t end = text.find(L'\0', start);
            strings.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return strings;
    }

    bool SoundOn() const { return store.IsSoundOn(); }
    std::wstring Asterisk() const { return GetCurrentSound(L".Default", L"SystemAsterisk")->Text(); }

    SchemeStore store;
    QuietInputs world;
};

TEST_F(QuietRulesTest, QuietHoursTurnSoundsOffAtTheStartAndBackOnAtTheEnd)
{
    NightlyQuietHours();
    QuietKeeper keeper;
    world.localNow = Monday(21, 59);
    Tick(keeper);
    EXPECT_TRUE(SoundOn());

    world.localNow = Monday(22, 0);
    EXPECT_TRUE(Tick(keeper).changed);
    EXPECT_FALSE(SoundOn());
    EXPECT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"hours"});

    world.localNow = Monday(7, 0, 1);
    Tick(keeper);
    EXPECT_TRUE(SoundOn());
    EXPECT_EQ(Asterisk(), kBackground) << "every sound comes back";
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value());

    // A start inside a period turns sounds off as well.
    world.localNow = Monday(23, 30, 1);
    QuietKeeper restarted;
    Tick(restarted);
    EXPECT_FALSE(SoundOn());
}

TEST_F(QuietRulesTest, TheUsersOnHoldsForTheNightAlsoAcrossARestartAndLapsesForTheNext)
{
    NightlyQuietHours();
    {
        QuietKeeper keeper;
        world.localNow = Monday(23, 0);
        Tick(keeper);
        ASSERT_FALSE(SoundOn());
        ByHand(keeper, true);
        EXPECT_EQ(List(L"Overridden"), std::vector<std::wstring>{L"hours 2026-12-08T07:00"});
        EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value());
        world.localNow = Monday(23, 30);
        Tick(keeper);
        EXPECT_TRUE(SoundOn());
    }
    // Restarted the same night: still overridden.
    world.localNow = Monday(2, 0, 1);
    QuietKeeper sameNight;
    Tick(sameNight);
    EXPECT_TRUE(SoundOn());

    // Not running at 07:00; started the next night the override has lapsed.
    world.localNow = Monday(22, 30, 1);
    QuietKeeper nextNight;
    Tick(nextNight);
    EXPECT_FALSE(SoundOn());
    EXPECT_FALSE(GetValue(kSettingsPath, L"Overridden").has_value());
}

TEST_F(QuietRulesTest, OffByHandComesBackWithTheRulesOnlyWhenTheyHeld)
{
    NightlyQuietHours();
    QuietKeeper keeper;
    // Off by hand outside every rule: no rule brings sounds back.
    world.localNow = Monday(20, 0);
    Tick(keeper);
    ByHand(keeper, false);
    world.localNow = Monday(22, 0);
    Tick(keeper);
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value()) << "a rule beginning while off by hand changes nothing";
    world.localNow = Monday(7, 0, 1);
    Tick(keeper);
    EXPECT_FALSE(SoundOn());

    // On by hand during the night, then off by hand: the end of the night
    // brings them back.
    world.localNow = Monday(23, 0, 1);
    Tick(keeper);
    ByHand(keeper, true);
    Tick(keeper);
    ByHand(keeper, false);
    EXPECT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"hours"});
    EXPECT_FALSE(GetValue(kSettingsPath, L"Overridden").has_value());
    world.localNow = Monday(7, 0, 2);
    Tick(keeper);
    EXPECT_TRUE(SoundOn());
}

TEST_F(QuietRulesTest, RulesJoinWhileTheyKeepSoundsOffAndALockOverridesNothing)
{
    NightlyQuietHours();
    SetDword(kSettingsPath, L"QuietWhenLocked", 1);
    QuietKeeper keeper;
    world.localNow = Monday(23, 0);
    Tick(keeper);
    world.locked = true;
    Tick(keeper);
    EXPECT_EQ(List(L"OffBy"), (std::vector<std::wstring>{L"hours", L"locked"}));
    world.localNow = Monday(7, 0, 1);
    Tick(keeper);
    EXPECT_FALSE(SoundOn()) << "still locked";
    world.locked = false;
    Tick(keeper);
    EXPECT_TRUE(SoundOn());

    // A lock during overridden quiet hours turns sounds off for the lock alone.
    world.localNow = Monday(23, 0, 1);
    Tick(keeper);
    ByHand(keeper, true);
    world.locked = true;
    Tick(keeper);
    EXPECT_FALSE(SoundOn());
    EXPECT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"locked"});
    world.locked = false;
    Tick(keeper);
    EXPECT_TRUE(SoundOn()) << "quiet hours stay overridden";
}

// The rules read the local wall clock on every tick: a daylight-saving change
// is a jump of that clock, seen at the next tick. 28 March 2027 and 31
// October 2027 are Sundays on which Central Europe's clocks change.
TEST_F(QuietRulesTest, ADaylightSavingJumpIsSeenAtTheNextTick)
{
    SetValue(kSettingsPath, L"QuietHours", REG_MULTI_SZ, ListBytes({L"03:00-04:00 sun", L"02:15-02:45 sun"}));
    SetDword(kSettingsPath, L"QuietHoursOn", 1);
    QuietKeeper keeper;
    const auto at = [](int month, int day, int hour, int minute) {
        SYSTEMTIME local = {2027,
                            static_cast<WORD>(month),
                            0,
                            static_cast<WORD>(day),
                            static_cast<WORD>(hour),
                            static_cast<WORD>(minute),
                            0,
                            0};
        return WallTimeOf(local);
    };
    // Spring: 01:59 is followed by 03:00; a period of the lost hour never holds.
    world.localNow = at(3, 28, 1, 59);
    Tick(keeper);
    EXPECT_TRUE(SoundOn());
    world.localNow = at(3, 28, 3, 0);
    Tick(keeper);
    EXPECT_FALSE(SoundOn());
    world.localNow = at(3, 28, 4, 0);
    Tick(keeper);
    EXPECT_TRUE(SoundOn());

    // Autumn: 02:59 is followed by 02:00 again; the period holds twice.
    for (const int pass : {1, 2}) {
        world.localNow = at(10, 31, 2, 15);
        Tick(keeper);
        EXPECT_FALSE(SoundOn()) << pass;
        world.localNow = at(10, 31, 2, 45);
        Tick(keeper);
        EXPECT_TRUE(SoundOn()) << pass;
    }
}

TEST_F(QuietRulesTest, SoundsTurnedOnByAnotherProgramOverrideTheRulesUnlessTheGuardPutsItsSchemeBack)
{
    NightlyQuietHours();
    QuietKeeper keeper;
    world.localNow = Monday(23, 0);
    Tick(keeper);
    ASSERT_FALSE(SoundOn());

    // The guard put the silent scheme back on this tick: nothing was found on.
    SetCurrentSchemeValue(L".Default");
    world.guardPutSchemeBack = true;
    QuietInputs inputs = Inputs();
    inputs.soundOn = false;
    keeper.Tick(store, inputs);
    EXPECT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"hours"});

    world.guardPutSchemeBack = false;
    Tick(keeper);
    EXPECT_TRUE(SoundOn());
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value());
    EXPECT_EQ(List(L"Overridden"), std::vector<std::wstring>{L"hours 2026-12-08T07:00"});
    world.localNow = Monday(23, 30);
    Tick(keeper);
    EXPECT_TRUE(SoundOn());
}

TEST_F(QuietRulesTest, ATimedOffEndingInsideAPeriodHandsTheSilenceToTheRule)
{
    NightlyQuietHours();
    QuietKeeper keeper;
    world.localNow = Monday(21, 0);
    Tick(keeper);
    ByHand(keeper, false);
    world.timedOffRunning = true;
    world.localNow = Monday(22, 0);
    Tick(keeper);
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value());

    world.timedOffRunning = false;
    world.localNow = Monday(22, 30);
    EXPECT_TRUE(keeper.TakeOverTimedOff(Inputs()));
    EXPECT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"hours"});
    world.localNow = Monday(7, 0, 1);
    Tick(keeper);
    EXPECT_TRUE(SoundOn());

    // Inside an overridden period the timed off's end is its own.
    world.localNow = Monday(23, 0, 1);
    Tick(keeper);
    ByHand(keeper, true);
    EXPECT_FALSE(keeper.TakeOverTimedOff(Inputs()));

    // A rule's end while a timed off runs leaves the silence to the timed off.
    world.localNow = Monday(23, 0, 2);
    Tick(keeper);
    ASSERT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"hours"});
    world.timedOffRunning = true;
    world.localNow = Monday(7, 0, 3);
    Tick(keeper);
    EXPECT_FALSE(SoundOn());
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value());
}

TEST_F(QuietRulesTest, SwitchingARuleOffLetsItsSilenceGo)
{
    NightlyQuietHours();
    SetDword(kSettingsPath, L"QuietWhenLocked", 1);
    QuietKeeper keeper;
    world.localNow = Monday(23, 0);
    world.locked = true;
    Tick(keeper);
    ASSERT_EQ(List(L"OffBy"), (std::vector<std::wstring>{L"hours", L"locked"}));

    SetDword(kSettingsPath, L"QuietHoursOn", 0);
    keeper.SettingsChanged();
    Tick(keeper);
    EXPECT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"locked"});
    EXPECT_FALSE(SoundOn());

    SetDword(kSettingsPath, L"QuietWhenLocked", 0);
    keeper.SettingsChanged();
    Tick(keeper);
    EXPECT_TRUE(SoundOn());
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value());

    // Switched on again while it holds, it begins.
    SetDword(kSettingsPath, L"QuietHoursOn", 1);
    keeper.SettingsChanged();
    Tick(keeper);
    EXPECT_FALSE(SoundOn());
}

TEST_F(QuietRulesTest, PresentingCountsOnlyOnceTheAnswerStayedForThreeSeconds)
{
    SetDword(kSettingsPath, L"QuietWhenPresenting", 1);
    QuietKeeper keeper;
    world.presenting = true;
    for (const ULONGLONG ms : {0, 1000, 2999}) {
        world.tickMs = ms;
        Tick(keeper);
        EXPECT_TRUE(SoundOn()) << ms;
    }
    world.tickMs = 3000;
    Tick(keeper);
    EXPECT_FALSE(SoundOn());

    // A brief false answer (the Start menu) changes nothing.
    world.presenting = false;
    world.tickMs = 4000;
    Tick(keeper);
    world.presenting = true;
    world.tickMs = 5000;
    Tick(keeper);
    world.presenting = false;
    world.tickMs = 6000;
    Tick(keeper);
    world.tickMs = 8999;
    Tick(keeper);
    EXPECT_FALSE(SoundOn());
    world.tickMs = 9000;
    Tick(keeper);
    EXPECT_TRUE(SoundOn());

    // A restart during a presentation does not let sounds on meanwhile.
    world.presenting = true;
    world.tickMs = 12000;
    Tick(keeper);
    world.tickMs = 15000;
    Tick(keeper);
    ASSERT_FALSE(SoundOn());
    QuietKeeper restarted;
    world.tickMs = 0;
    Tick(restarted);
    world.tickMs = 3000;
    Tick(restarted);
    EXPECT_FALSE(SoundOn());
    EXPECT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"presenting"});
}

TEST_F(QuietRulesTest, AFailedTurnOffIsShownOnceAndTriedAgainAfterAMinute)
{
    NightlyQuietHours();
    // Sounds saved under no scheme must be saved before they are silenced;
    // a volatile slot makes that save fail for real.
    SetCurrentSchemeValue(L".current");
    MakeSlotVolatile(L".Default", L"SystemAsterisk");
    QuietKeeper keeper;
    world.localNow = Monday(22, 0);
    world.tickMs = 1000;
    const QuietOutcome failed = Tick(keeper);
    EXPECT_EQ(failed.failure.rfind(L"Hushlark could not turn sounds off.\nAppEvents\\Schemes\\Apps\\.Default", 0), 0u)
        << std::string(failed.failure.begin(), failed.failure.end());
    EXPECT_TRUE(SoundOn());
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value());

    // Mended meanwhile: the next attempt waits for its minute.
    DeleteTree(SlotPath(L".Default", L"SystemAsterisk"));
    AddSlot(L".Default", L"SystemAsterisk", kBackground, {{L".Default", kBackground}});
    world.tickMs = 31000;
    EXPECT_TRUE(Tick(keeper).failure.empty());
    EXPECT_TRUE(SoundOn());
    world.tickMs = 61000;
    Tick(keeper);
    EXPECT_FALSE(SoundOn());
    EXPECT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"hours"});
}

TEST_F(QuietRulesTest, AFailedTurnOnKeepsOffByForTheRetryAndARestart)
{
    NightlyQuietHours();
    QuietKeeper keeper;
    world.localNow = Monday(23, 0);
    Tick(keeper);
    ASSERT_FALSE(SoundOn());
    // Another program gave one slot a sound while muted; it cannot be saved.
    SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current", L"C:\\ding.wav");
    MakeSlotVolatile(L".Default", L"SystemAsterisk");

    world.localNow = Monday(7, 0, 1);
    world.tickMs = 1000;
    EXPECT_EQ(Tick(keeper).failure.rfind(L"Hushlark could not turn sounds on.\n", 0), 0u);
    EXPECT_FALSE(SoundOn());
    EXPECT_EQ(List(L"OffBy"), std::vector<std::wstring>{L"hours"});
    world.tickMs = 2000;
    EXPECT_TRUE(Tick(keeper).failure.empty()) << "shown once";

    DeleteTree(SlotPath(L".Default", L"SystemAsterisk"));
    AddSlot(L".Default", L"SystemAsterisk", L"C:\\ding.wav");
    QuietKeeper restarted;
    Tick(restarted);
    EXPECT_TRUE(SoundOn());
    EXPECT_FALSE(GetValue(kSettingsPath, L"OffBy").has_value());
}

TEST_F(QuietRulesTest, OffByThatCannotBeWrittenLeavesSoundsOn)
{
    NightlyQuietHours();
    SetValue(kSettingsPath, L"OffBy", REG_MULTI_SZ, ListBytes({L"presenting"}));
    SetCurrentSchemeValue(L".Default");
    // Another program left the settings key readable only.
    const RestrictedKey readOnly(kSettingsPath, KEY_READ);
    QuietKeeper keeper;
    world.localNow = Monday(22, 0);
    const QuietOutcome outcome = Tick(keeper);
    EXPECT_TRUE(SoundOn());
    EXPECT_NE(outcome.failure.find(L"Software\\Quillfen\\Hushlark"), std::wstring::npos);
}

} // namespace
