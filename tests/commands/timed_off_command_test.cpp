#include <optional>
#include <string>

#include "commands/command_runner.h"
#include "mute/change_message.h"
#include "mute/timed_off.h"
#include "tests/support/local_clock.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"
#include "win32/registry.h"

// `off --for` and `status` carried out in this process, against the sandbox.
namespace {

constexpr ULONGLONG kMinute = 60 * kFileTimeTicksPerSecond;

class TimedOffCommandTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    CommandResult OffFor(ULONGLONG seconds, ULONGLONG nowUtc)
    {
        return ExecuteCommand(Command{CommandKind::Off, L"", seconds}, store, nowUtc);
    }

    SchemeStore store;
    ProgramSettings settings;
};

TEST_F(TimedOffCommandTest, OffForStoresItsEndWheneverSoundsEndUpOffAndStillReportsAFailedSlot)
{
    const std::wstring asterisk = SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current";
    const ULONGLONG now = UtcNow();
    CommandResult result;
    {
        const RestrictedKey readOnly(asterisk, KEY_READ);
        result = OffFor(30, now);
    }
    EXPECT_EQ(result.exitCode, kExitFailed);
    EXPECT_EQ(result.error.rfind(L"Some sounds could not be changed (1 of ", 0), 0u) << result.error;
    EXPECT_NE(result.error.find(asterisk + L": " + registry::ErrorText(ERROR_ACCESS_DENIED)), std::wstring::npos)
        << result.error;
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_TRUE(result.timedOffStored) << "the caller starts the tray program";
    const TimedOff timedOff = ReadTimedOff(now);
    EXPECT_EQ(timedOff.state, TimedOff::State::Running);
    EXPECT_EQ(timedOff.end, now + 30 * kFileTimeTicksPerSecond);

    // Sounds that stay on need no end: none is left behind.
    ASSERT_EQ(TurnSoundsOn(store).result, SoundChange::Result::Done);
    SetCurrentSchemeValue(L".current");
    MakeSlotVolatile(L"Explorer", L"Navigating");
    result = OffFor(30, now);
    EXPECT_EQ(result.exitCode, kExitFailed);
    EXPECT_EQ(result.error.rfind(L"Your current sounds could not be saved", 0), 0u) << result.error;
    EXPECT_FALSE(result.timedOffStored);
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(settings.ReadOffUntil(), std::nullopt);
}

TEST_F(TimedOffCommandTest, AnEndThatCannotBeStoredIsReportedAndChangesNoSound)
{
    const std::wstring expected = L"Hushlark's settings could not be saved. " + std::wstring(kSettingsKeyPath) + L": " +
                                  registry::ErrorText(ERROR_ACCESS_DENIED);
    for (const bool soundOn : {true, false}) {
        if (!soundOn) {
            ASSERT_EQ(ExecuteCommand(Command{CommandKind::Off}, store, UtcNow()).exitCode, kExitDone);
        }
        ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS); // the key exists
        const auto sounds = Contents();
        const auto kept = Contents(kSettingsPath);
        CommandResult result;
        {
            const RestrictedKey readOnly(kSettingsPath, KEY_READ);
            result = OffFor(3600, UtcNow());
        }
        EXPECT_EQ(result.exitCode, kExitFailed) << soundOn;
        EXPECT_EQ(result.error, expected) << soundOn;
        EXPECT_FALSE(result.timedOffStored) << soundOn;
        EXPECT_EQ(Contents(), sounds) << soundOn;
        EXPECT_EQ(Contents(kSettingsPath), kept) << soundOn;
    }
    // Turned off before, by hand: Turn Sounds On still brings back the scheme
    // from before.
    EXPECT_EQ(ExecuteCommand(Command{CommandKind::On}, store, UtcNow()).exitCode, kExitDone);
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
}

TEST_F(TimedOffCommandTest, StatusSaysUntilWhenOnWhichDayOrThatItIsOverdueInItsOwnLastLine)
{
    const ULONGLONG now = UtcOfLocalTime(2026, 5, 6, 19, 4);
    ASSERT_NE(now, 0u);
    const auto status = [&] { return ExecuteCommand(Command{CommandKind::Status}, store, now).output; };
    const std::wstring off = L"off\nscheme: No Sounds\n";

    ASSERT_EQ(OffFor(3600, now).exitCode, kExitDone);
    EXPECT_EQ(status(), off + L"until: 20:04\n");
    ASSERT_EQ(OffFor(24 * 3600, now).exitCode, kExitDone);
    EXPECT_EQ(status(), off + L"until: 19:04 tomorrow\n");
    ASSERT_EQ(StoreTimedOff(now - 4 * kMinute), ERROR_SUCCESS);
    EXPECT_EQ(status(), off + L"until: 19:00 (overdue)\n");

    // Sounds on: no end to show, whatever is stored.
    SetCurrentSchemeValue(L".Default");
    EXPECT_EQ(status(), L"on\nscheme: Windows Default\n");
}

} // namespace
