#include "mute/timed_off.h"

#include "mute/change_message.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/local_clock.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"

namespace {

using State = TimedOff::State;

constexpr ULONGLONG kMinute = 60 * kFileTimeTicksPerSecond;
constexpr ULONGLONG kHour = 60 * kMinute;

std::vector<std::uint8_t> Bytes(ULONGLONG value, std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    std::memcpy(bytes.data(), &value, count < sizeof(value) ? count : sizeof(value));
    return bytes;
}

class TimedOffTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    void SetOffUntil(DWORD type, const std::vector<std::uint8_t>& bytes)
    {
        SetValue(kSettingsPath, L"OffUntil", type, bytes);
    }

    // A sound in use that the silent scheme would not give back, and a slot
    // where saving it fails: turning sounds on cannot save them, so it
    // changes nothing.
    void MakeTurningSoundsOnFail()
    {
        SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current", L"C:\\Sounds\\mine.wav");
        MakeSlotVolatile(L"Explorer", L"Navigating");
    }

    SchemeStore store;
    ProgramSettings settings;
};

// Every value is met with sounds off: a running one keeps them off, a due one
// of any shape turns them on, as when a timed off ends, and is deleted.
TEST_F(TimedOffTest, OnlyAQwordAtMostADayAndAMinuteAheadRunsAndAnythingElseIsDue)
{
    const ULONGLONG now = UtcNow();
    struct Case {
        const char* what;
        DWORD type;
        std::vector<std::uint8_t> bytes;
        State state;
        ULONGLONG end; // for a value that holds no time to trust, now
    };
    const Case cases[] = {
        {"an hour ahead", REG_QWORD, Bytes(now + kHour, 8), State::Running, now + kHour},
        {"exactly 24 h 1 min ahead", REG_QWORD, Bytes(now + 24 * kHour + kMinute, 8), State::Running,
         now + 24 * kHour + kMinute},
        {"a tick beyond", REG_QWORD, Bytes(now + 24 * kHour + kMinute + 1, 8), State::Due, now},
        {"days ahead (clock set back)", REG_QWORD, Bytes(now + 72 * kHour, 8), State::Due, now},
        {"far future", REG_QWORD, Bytes(~0ull, 8), State::Due, now},
        {"now", REG_QWORD, Bytes(now, 8), State::Due, now},
        {"past", REG_QWORD, Bytes(now - kHour, 8), State::Due, now - kHour},
        {"zero", REG_QWORD, Bytes(0, 8), State::Due, 0},
        {"REG_BINARY of 8 bytes", REG_BINARY, Bytes(now + kHour, 8), State::Due, now},
        {"REG_DWORD", REG_DWORD, Bytes(now + kHour, 4), State::Due, now},
        {"REG_QWORD of 4 bytes", REG_QWORD, Bytes(now + kHour, 4), State::Due, now},
        {"REG_QWORD of 9 bytes", REG_QWORD, Bytes(now + kHour, 9), State::Due, now},
        {"REG_QWORD of 0 bytes", REG_QWORD, {}, State::Due, now},
        {"text", REG_SZ, TextBytes(L"12:00"), State::Due, now},
    };
    for (const Case& c : cases) {
        ASSERT_NE(TurnSoundsOff(store).result, SoundChange::Result::NotSaved) << c.what;
        SetOffUntil(c.type, c.bytes);
        const TimedOff timedOff = ReadTimedOff(now);
        EXPECT_EQ(timedOff.state, c.state) << c.what;
        EXPECT_EQ(timedOff.end, c.end) << c.what;

        const bool running = c.state == State::Running;
        EXPECT_EQ(EndTimedOffIfDue(store, now).state, running ? State::Running : State::None) << c.what;
        EXPECT_EQ(store.IsSoundOn(), !running) << c.what;
        EXPECT_EQ(settings.ReadOffUntil().has_value(), running) << c.what;
    }
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default") << "the scheme from before came back";
    EXPECT_EQ(DeleteTimedOff(), ERROR_SUCCESS) << "deleting an absent value succeeds";
}

TEST(TimedOff, TheTrayLooksAgainAtTheEndOrInAMinuteWhileItIsDue)
{
    const ULONGLONG now = UtcNow();
    EXPECT_EQ(NextTimedOffCheckMs(TimedOff(), now), std::nullopt);
    EXPECT_EQ(NextTimedOffCheckMs(TimedOff{State::Due, now - kMinute}, now), std::optional<UINT>(60000));
    EXPECT_EQ(NextTimedOffCheckMs(TimedOff{State::Running, now + 90 * kFileTimeTicksPerSecond}, now),
              std::optional<UINT>(90000));
    EXPECT_EQ(NextTimedOffCheckMs(TimedOff{State::Running, now + 1}, now), std::optional<UINT>(1)) << "rounded up";
}

TEST_F(TimedOffTest, EveryChangeByHandEndsItUnlessItChangedNothing)
{
    const std::pair<const char*, SoundChange (*)(const SchemeStore&)> changes[] = {
        {"off", TurnSoundsOff},
        {"on", TurnSoundsOn},
        {"No Sounds", [](const SchemeStore& s) { return ChooseScheme(s, L".None"); }},
        {"Quiet Office", [](const SchemeStore& s) { return ChooseScheme(s, L"QuietOffice"); }},
    };
    for (const auto& [what, change] : changes) {
        ASSERT_EQ(StoreTimedOff(UtcNow() + kHour), ERROR_SUCCESS);
        EXPECT_TRUE(change(store).report.Ok()) << what;
        EXPECT_EQ(settings.ReadOffUntil(), std::nullopt) << what;
    }

    // A change that could not save the sounds in use changed nothing.
    ASSERT_EQ(StoreTimedOff(UtcNow() + kHour), ERROR_SUCCESS);
    ASSERT_EQ(Mute(store).result, SoundChange::Result::Done);
    MakeTurningSoundsOnFail();
    EXPECT_EQ(ChooseScheme(store, L"QuietOffice").result, SoundChange::Result::NotSaved);
    EXPECT_EQ(TurnSoundsOn(store).result, SoundChange::Result::NotSaved);
    EXPECT_TRUE(settings.ReadOffUntil().has_value());
}

TEST_F(TimedOffTest, AnEndThatCannotBeDeletedIsTheSettingsFailureItIs)
{
    ASSERT_EQ(StoreTimedOff(UtcNow() + kHour), ERROR_SUCCESS);
    const RestrictedKey readOnly(kSettingsPath, KEY_READ);
    // Sounds are on already: only the end is left to delete, and it cannot be.
    const SoundChange change = TurnSoundsOn(store);
    EXPECT_EQ(change.result, SoundChange::Result::PartlyDone);
    EXPECT_TRUE(change.report.Ok()) << "no sound failed";
    EXPECT_EQ(
        FailureMessage(change).rfind(L"Hushlark's settings could not be saved.\nSoftware\\Quillfen\\Hushlark\n", 0),
        0u);
}

TEST_F(TimedOffTest, TheEndReadsAsTodayTomorrowOrOverdue)
{
    const ULONGLONG now = UtcOfLocalTime(2026, 5, 6, 10, 0);
    ASSERT_NE(now, 0u);
    struct Case {
        const char* what;
        bool soundOn;
        TimedOff timedOff;
        const wchar_t* tip;
        const wchar_t* until;
    };
    const auto running = [&](ULONGLONG minutes) { return TimedOff{State::Running, now + minutes * kMinute}; };
    const auto due = [&](ULONGLONG minutesAgo) { return TimedOff{State::Due, now - minutesAgo * kMinute}; };
    const Case cases[] = {
        {"on", true, TimedOff(), L"Sound is On", L""},
        {"on while one runs", true, running(60), L"Sound is On", L""},
        {"off", false, TimedOff(), L"Sound is Off", L""},
        {"an hour", false, running(60), L"Sound is Off until 11:00", L"until: 11:00\n"},
        {"last minute of the day", false, running(839), L"Sound is Off until 23:59", L"until: 23:59\n"},
        {"midnight", false, running(840), L"Sound is Off until 00:00 tomorrow", L"until: 00:00 tomorrow\n"},
        {"24 h", false, running(1440), L"Sound is Off until 10:00 tomorrow", L"until: 10:00 tomorrow\n"},
        {"overdue", false, due(5), L"Sound is Off (could not turn sounds on at 09:55)", L"until: 09:55 (overdue)\n"},
        {"since yesterday", false, due(720), L"Sound is Off (could not turn sounds on at 22:00)",
         L"until: 22:00 (overdue)\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TipText(c.soundOn, c.timedOff, now), c.tip) << c.what;
        EXPECT_EQ(StatusUntilLine(c.soundOn, c.timedOff, now), c.until) << c.what;
    }
}

} // namespace
