#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/change_report.h"
#include "engine/scheme_paths.h"
#include "win32/registry.h"

// Calls visit(appKey, app, event) for every sound slot Apps\{app}\{event}
// below `apps`, the Apps key, with the application's key open for reading.
// What cannot be seen counts as a failed change in `report`: the Apps key or
// an application's key that cannot be opened (one that is not there has no
// slots), and a walk that ended on an error.
template <typename Visitor>
void ForEachSoundSlotBelow(HKEY apps, ChangeReport& report, Visitor&& visit)
{
    const LONG appsWalked = registry::WalkSubkeys(apps, [&](DWORD, const wchar_t* app) {
        const registry::Key appKey = registry::OpenKey(apps, app);
        if (!appKey) {
            if (appKey.Failed())
                report.Count(appKey.error, [&] { return scheme_paths::App(app); });
            return;
        }
        const LONG eventsWalked =
            registry::WalkSubkeys(appKey.get(), [&](DWORD, const wchar_t* event) { visit(appKey.get(), app, event); });
        if (eventsWalked != ERROR_SUCCESS)
            report.Count(eventsWalked, [&] { return scheme_paths::App(app); });
    });
    if (appsWalked != ERROR_SUCCESS)
        report.Count(appsWalked, [] { return std::wstring(scheme_paths::kApps); });
}

// The same below HKEY_CURRENT_USER's Apps key; a missing one has no slots.
template <typename Visitor>
void ForEachSoundSlot(ChangeReport& report, Visitor&& visit)
{
    const registry::Key apps = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::kApps);
    if (apps)
        ForEachSoundSlotBelow(apps.get(), report, visit);
    else if (apps.Failed())
        report.Count(apps.error, [] { return std::wstring(scheme_paths::kApps); });
}

// Every sound slot, found by one walk, with its .Current key held open and the
// sound it plays read once. An operation that overwrites the sounds in use
// checks them here first and then writes through the same keys: each .Current
// is opened once for both.
class SoundSlots {
public:
    // Walks the applications and their events once, below HKEY_CURRENT_USER's
    // Apps key or below an Apps key the caller opened. Each .Current is opened
    // for reading and writing, or for reading only where another program made
    // it read-only. What cannot be walked is noted: Apply counts it as a
    // failed change and SaveAs fails on it.
    static SoundSlots Read();
    static SoundSlots Read(HKEY apps);

    // Whether writing a scheme through these slots loses no sound: every slot
    // that Apply would change plays what the scheme `heldBy` gives it (the
    // source key of the current scheme; none when no scheme holds the sounds
    // in use), or exactly what applying the source key `applied` writes there
    // (none: nothing counts as written). Compared as text, exactly; absent,
    // empty and NUL-only all mean no sound. A scheme value that cannot be read
    // counts as a difference. A slot whose .Current is missing, cannot be read
    // or cannot be written keeps its sound whatever is applied, and what could
    // not be walked is never written: neither counts as a difference.
    bool EverySoundKept(const std::optional<std::wstring>& heldBy, const std::optional<std::wstring>& applied) const;

    // Saves the sound of every slot as the scheme `schemeKey` with its Names
    // entry, as REG_SZ text (0 bytes where the slot plays nothing at all).
    // Every write is checked and read back against what was read. On the first
    // failure the keys created are deleted and values overwritten are put
    // back, so the registry is as it was; the report names that failure, and
    // an undo that failed too. Fails at once when some of the sound data could
    // not be walked: such a save would not hold every sound.
    [[nodiscard]] ChangeReport SaveAs(const std::wstring& schemeKey, const std::wstring& displayName) const;

    // Writes into every .Current what the scheme `sourceKey` gives its slot:
    // one NUL for the silent scheme, the scheme value's text, or two NULs
    // where it has none. Counts one change per slot with a .Current key, and
    // one failed change for each part that could not be walked.
    [[nodiscard]] ChangeReport Apply(const std::wstring& sourceKey) const;

private:
    struct App {
        std::wstring name;
        registry::Key key;
    };
    struct Slot {
        std::size_t app = 0;
        std::wstring event;
        // The .Current key; empty when the slot has none (Absent) or it could
        // not be opened.
        registry::Key current;
        // Set when another program refused the right to write .Current: it
        // was opened for reading only, and its sound stays whatever is applied.
        bool readOnly = false;
        // The sound it plays now; none when it plays nothing at all.
        std::optional<std::wstring> sound;
        // Set when .Current exists but could not be opened or read: such a
        // slot is neither saved nor written, and counts as a failed change.
        LONG readError = ERROR_SUCCESS;
    };
    // A part of the sound data whose slots could not be listed.
    struct Unseen {
        std::wstring path;
        LONG error = ERROR_SUCCESS;
    };

    std::wstring PathOf(const Slot& slot, const std::wstring& child) const;
    // What the scheme gives the slot; a failed read is reported as such.
    registry::Text SchemeValue(const Slot& slot, const std::wstring& schemeKey) const;
    // Whether applying the source key `sourceKey` writes exactly the sound
    // the slot plays now.
    bool Gives(const Slot& slot, const std::wstring& sourceKey) const;

    std::vector<App> apps_;
    std::vector<Slot> slots_;
    std::vector<Unseen> unseen_;
};
