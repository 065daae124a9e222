#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "engine/scheme_store.h"
#include "mute/mute_control.h"
#include "mute/program_settings.h"
#include "win32/clock.h"

// A timed off: sounds stay off until a time that the settings hold as
// OffUntil, a UTC FILETIME. `off --for` starts one; the tray program turns
// sounds on when it comes due, also at its start, and tries again once a
// minute while that fails. Turning sounds on or off by hand ends it.

// A running timed off ends at most this far ahead: the longest one a command
// starts, 24 hours, and a minute to spare. A later end (another program's
// value, or a clock set back by days) would keep sounds off for longer.
inline constexpr ULONGLONG kFarthestTimedOffEnd = (24 * 60 + 1) * 60 * kFileTimeTicksPerSecond;

// How long the tray waits before it tries again to turn sounds on.
inline constexpr UINT kTimedOffRetryMs = 60 * 1000;

struct TimedOff {
    enum class State {
        None,    // no OffUntil, or none that can be read
        Running, // sounds come on at `end`
        Due,     // sounds were to come on at `end`
    };
    State state = State::None;
    // A UTC FILETIME. For a Due value that holds no time to trust (wrong type
    // or size, or too far ahead), the moment it was checked.
    ULONGLONG end = 0;
};

// What a stored OffUntil means at `nowUtc`. Only a REG_QWORD of eight bytes
// ahead of now by at most kFarthestTimedOffEnd runs; any other value is due.
TimedOff CheckOffUntil(const std::optional<StoredOffUntil>& stored, ULONGLONG nowUtc);

// The same for the value the settings hold now.
TimedOff ReadTimedOff(ULONGLONG nowUtc);

// Stores the end of a timed off; the Win32 result.
[[nodiscard]] LONG StoreTimedOff(ULONGLONG endUtc);
// Deletes it; deleting an absent one succeeds.
[[nodiscard]] LONG DeleteTimedOff();

// What the tray does with the timed off at `nowUtc`: a due one turns sounds
// on, as Turn Sounds On does. Answers the timed off as it stands afterwards,
// which is still Due when sounds could not be turned on: OffUntil is kept for
// the next try.
TimedOff EndTimedOffIfDue(const SchemeStore& store, ULONGLONG nowUtc);

// When the tray should look at the timed off again, in milliseconds: at its
// end while it runs, in a minute while it is due; none without one.
std::optional<UINT> NextTimedOffCheckMs(const TimedOff& timedOff, ULONGLONG nowUtc);

// Sound changes by hand, from the menu, Options' Set or a command: Mute,
// Unmute or ChangeScheme, and a timed off ends unless nothing could be
// changed. A failure to end it counts in the report.
[[nodiscard]] SoundChange TurnSoundsOff(const SchemeStore& store);
[[nodiscard]] SoundChange TurnSoundsOn(const SchemeStore& store);
[[nodiscard]] SoundChange ChooseScheme(const SchemeStore& store, const std::wstring& schemeKey);

// Turning sounds off by hand for a while (`off --for`, the menu's "Turn Sounds
// Off for a While"): the end is stored first, so that an end that cannot be
// stored changes no sound (NotSaved, with the settings failure); then Mute.
// While sounds are off already it only sets or replaces the end. When sounds
// stayed on, the end is taken back.
[[nodiscard]] SoundChange TurnSoundsOffFor(const SchemeStore& store, ULONGLONG seconds, ULONGLONG nowUtc);

// The tray icon's tip at `nowUtc`: "Sound is On", "Sound is Off", "Sound is
// Off until HH:MM" (with " tomorrow" when it ends on a later local day), or,
// for a due timed off whose end could not turn sounds on, "Sound is Off
// (could not turn sounds on at HH:MM)".
std::wstring TipText(bool soundOn, const TimedOff& timedOff, ULONGLONG nowUtc);

// The `until:` line of `status` with its line end: "until: HH:MM", "until:
// HH:MM tomorrow" or "until: HH:MM (overdue)"; empty while sounds are on or
// no timed off runs.
std::wstring StatusUntilLine(bool soundOn, const TimedOff& timedOff, ULONGLONG nowUtc);
