#include "mute/timed_off.h"

#include "resources/resource.h"
#include "win32/text.h"

namespace {

// Stateless: every call reads or writes the registry.
const ProgramSettings settings;

// A change by hand ends the timed off, unless it changed nothing because it
// failed: the timed off then still has sounds to turn on.
SoundChange EndingTheTimedOff(SoundChange change)
{
    if (change.result == SoundChange::Result::NotSaved || change.result == SoundChange::Result::SchemeGone)
        return change;
    // A settings failure of its own, not a sound that failed.
    const LONG deleted = settings.DeleteOffUntil();
    if (deleted != ERROR_SUCCESS) {
        if (change.settingsError == ERROR_SUCCESS)
            change.settingsError = deleted;
        change.result = SoundChange::Result::PartlyDone;
    }
    return change;
}

// The end's local time, with the form for a running timed off that ends on a
// later day (at most the next one: it runs for 24 hours and a minute at most)
// or for a due one.
std::wstring EndText(const TimedOff& timedOff, ULONGLONG nowUtc, UINT today, UINT laterDay, UINT due)
{
    const UINT id = timedOff.state == TimedOff::State::Due ? due
                    : SameLocalDay(timedOff.end, nowUtc)   ? today
                                                           : laterDay;
    return FormatText(id, {LocalClockText(timedOff.end)});
}

} // namespace

TimedOff CheckOffUntil(const std::optional<StoredOffUntil>& stored, ULONGLONG nowUtc)
{
    if (!stored)
        return TimedOff();
    if (stored->type == REG_QWORD && stored->byteCount == sizeof(ULONGLONG)) {
        if (stored->value <= nowUtc)
            return TimedOff{TimedOff::State::Due, stored->value};
        if (stored->value - nowUtc <= kFarthestTimedOffEnd)
            return TimedOff{TimedOff::State::Running, stored->value};
    }
    return TimedOff{TimedOff::State::Due, nowUtc};
}

TimedOff ReadTimedOff(ULONGLONG nowUtc)
{
    return CheckOffUntil(settings.ReadOffUntil(), nowUtc);
}

LONG StoreTimedOff(ULONGLONG endUtc)
{
    return settings.WriteOffUntil(endUtc);
}

LONG DeleteTimedOff()
{
    return settings.DeleteOffUntil();
}

TimedOff EndTimedOffIfDue(const SchemeStore& store, ULONGLONG nowUtc)
{
    const TimedOff timedOff = ReadTimedOff(nowUtc);
    if (timedOff.state != TimedOff::State::Due)
        return timedOff;
    // Shown in no box (this runs from a timer): what failed shows in the state
    // read afterwards, which stays Due while OffUntil is kept.
    static_cast<void>(TurnSoundsOn(store));
    return ReadTimedOff(nowUtc);
}

std::optional<UINT> NextTimedOffCheckMs(const TimedOff& timedOff, ULONGLONG nowUtc)
{
    switch (timedOff.state) {
    case TimedOff::State::None:
        return std::nullopt;
    case TimedOff::State::Due:
        return kTimedOffRetryMs;
    case TimedOff::State::Running:
        break;
    }
    constexpr ULONGLONG kTicksPerMs = kFileTimeTicksPerSecond / 1000;
    const ULONGLONG remainingMs = timedOff.end > nowUtc ? (timedOff.end - nowUtc + kTicksPerMs - 1) / kTicksPerMs : 0;
    // Should the timer fire early, the next look arms it again for the rest.
    return static_cast<UINT>(remainingMs < USER_TIMER_MAXIMUM ? remainingMs : USER_TIMER_MAXIMUM);
}

SoundChange TurnSoundsOff(const SchemeStore& store)
{
    return EndingTheTimedOff(Mute(store));
}

SoundChange TurnSoundsOn(const SchemeStore& store)
{
    return EndingTheTimedOff(Unmute(store));
}

SoundChange ChooseScheme(const SchemeStore& store, const std::wstring& schemeKey)
{
    return EndingTheTimedOff(ChangeScheme(store, schemeKey));
}

SoundChange TurnSoundsOffFor(const SchemeStore& store, ULONGLONG seconds, ULONGLONG nowUtc)
{
    const LONG stored = StoreTimedOff(nowUtc + seconds * kFileTimeTicksPerSecond);
    if (stored != ERROR_SUCCESS) {
        SoundChange change{SoundChange::Result::NotSaved};
        change.settingsError = stored;
        return change;
    }
    SoundChange change = Mute(store);
    // Sounds that end up off, even with some slots left as they were, come
    // back on when it ends; sounds that stayed on need no timed off.
    if (store.IsSoundOn()) {
        const LONG deleted = DeleteTimedOff();
        if (deleted != ERROR_SUCCESS && change.settingsError == ERROR_SUCCESS)
            change.settingsError = deleted;
    }
    return change;
}

std::wstring TipText(bool soundOn, const TimedOff& timedOff, ULONGLONG nowUtc)
{
    if (soundOn)
        return LoadText(IDS_TIP_SOUND_ON);
    if (timedOff.state == TimedOff::State::None)
        return LoadText(IDS_TIP_SOUND_OFF);
    return EndText(timedOff, nowUtc, IDS_TIP_OFF_UNTIL, IDS_TIP_OFF_UNTIL_TOMORROW, IDS_TIP_OFF_OVERDUE);
}

std::wstring StatusUntilLine(bool soundOn, const TimedOff& timedOff, ULONGLONG nowUtc)
{
    if (soundOn || timedOff.state == TimedOff::State::None)
        return std::wstring();
    return EndText(timedOff, nowUtc, IDS_STATUS_UNTIL, IDS_STATUS_UNTIL_TOMORROW, IDS_STATUS_UNTIL_OVERDUE) + L"\n";
}
