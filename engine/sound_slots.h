#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/change_report.h"
#include "engine/scheme_paths.h"
#include "win32/registry.h"

// Calls visit(appKey, app, event) for every sound slot Apps\{app}\{event},
// with the application's key open for reading. Walks skip an index that fails
// and go on.
template <typename Visitor>
void ForEachSoundSlot(Visitor&& visit)
{
    const registry::Key apps = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::kApps);
    registry::WalkSubkeys(apps.get(), [&](DWORD, const wchar_t* app) {
        const registry::Key appKey = registry::OpenKey(apps.get(), app);
        registry::WalkSubkeys(appKey.get(), [&](DWORD, const wchar_t* event) { visit(appKey.get(), app, event); });
    });
}

// Every sound slot, found by one walk, with its .Current key held open and the
// sound it plays read once. An operation that overwrites the sounds in use
// checks them here first and then writes through the same keys: each .Current
// is opened once for both.
class SoundSlots {
public:
    // Walks the applications and their events once. Each .Current is opened
    // for reading and writing, or for reading only where another program made
    // it read-only.
    static SoundSlots Read();

    // Whether writing the scheme values of `sourceKey` (the source key that
    // ApplyScheme decides on) would give every slot with a .Current key back
    // the sound it plays now. Compared as text, exactly; absent, empty and
    // NUL-only all mean no sound. A scheme value that cannot be read counts as
    // a difference; a .Current that cannot be read does not, since Apply
    // never writes it and nothing there can be lost.
    bool AllComeBackFrom(const std::wstring& sourceKey) const;

    // Saves the sound of every slot as the scheme `schemeKey` with its Names
    // entry, as REG_SZ text (0 bytes where the slot plays nothing at all).
    // Every write is checked and read back against what was read. On the first
    // failure the keys created are deleted and values overwritten are put
    // back, so the registry is as it was; the report names that failure.
    ChangeReport SaveAs(const std::wstring& schemeKey, const std::wstring& displayName) const;

    // Writes into every .Current what the scheme `sourceKey` gives its slot:
    // one NUL for the silent scheme, the scheme value's text, or two NULs
    // where it has none. Counts one change per slot with a .Current key.
    ChangeReport Apply(const std::wstring& sourceKey) const;

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
        // The sound it plays now; none when it plays nothing at all.
        std::optional<std::wstring> sound;
        // Set when .Current exists but could not be opened or read: such a
        // slot is neither saved nor written, and counts as a failed change.
        LONG readError = ERROR_SUCCESS;
    };

    std::wstring PathOf(const Slot& slot, const std::wstring& child) const;
    // What the scheme gives the slot; a failed read is reported as such.
    registry::Text SchemeValue(const Slot& slot, const std::wstring& schemeKey) const;

    std::vector<App> apps_;
    std::vector<Slot> slots_;
};
