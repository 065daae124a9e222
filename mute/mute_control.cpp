#include "engine/scheme_store.h"

#include <string>
#include <utility>

#include "engine/scheme_paths.h"

void SchemeStore::Mute() const
{
    std::wstring rememberedKey = ReadCurrentScheme();

    // Sounds not saved under any scheme are saved before a single slot changes.
    if (rememberedKey.empty() || NamesEqual(rememberedKey, L".current")) {
        std::wstring newKey = FindFreeSchemeKey();
        SnapshotCurrentSounds(newKey, MakeSnapshotDisplayName(newKey));
        rememberedKey = std::move(newKey);
    }

    // Remembered before the current scheme is switched and any slot emptied.
    WriteLastSound(rememberedKey);
    SetCurrentScheme(scheme_paths::kSilentScheme);
    ApplyScheme(scheme_paths::kSilentScheme);
}

void SchemeStore::Unmute() const
{
    // An empty name left by another program would make an empty key current
    // and silence every slot; it falls back like an absent one.
    std::wstring schemeKey = ReadLastSound().value_or(L"");
    if (schemeKey.empty() || IsSilentScheme(schemeKey))
        schemeKey = scheme_paths::kDefaultScheme;
    SetCurrentScheme(schemeKey);
    ApplyScheme(schemeKey);
}

void SchemeStore::GuardDefaultScheme() const
{
    // Runs twice a second: the usual path is two short reads and no write.
    const std::wstring currentScheme = ReadCurrentScheme();
    const std::optional<std::wstring> defaultScheme = ReadDefaultScheme();
    if (!defaultScheme) {
        WriteDefaultScheme(currentScheme);
        return;
    }
    if (!NamesEqual(currentScheme, *defaultScheme) && ReadKeepDefault() != 0)
        ApplyScheme(*defaultScheme);
}
