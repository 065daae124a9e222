#pragma once

#include "engine/registry.h"
#include "engine/scheme_paths.h"

// Calls visit(appKey, eventName) for every sound slot Apps\{app}\{event}, with
// the application's key open. Walks skip an index that fails and go on.
template <typename Visitor>
void ForEachSoundSlot(Visitor&& visit)
{
    const UniqueRegKey apps = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::kApps);
    registry::WalkSubkeys(apps.get(), [&](DWORD, const wchar_t* app) {
        const UniqueRegKey appKey = registry::OpenKey(apps.get(), app);
        registry::WalkSubkeys(appKey.get(), [&](DWORD, const wchar_t* event) { visit(appKey.get(), event); });
    });
}
