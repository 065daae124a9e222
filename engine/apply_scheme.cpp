#include "engine/scheme_store.h"

#include "engine/scheme_paths.h"
#include "engine/sound_slots.h"

std::wstring SchemeStore::SourceSchemeKey(const std::wstring& schemeKey) const
{
    if (!IsSchemeKeyName(schemeKey))
        return scheme_paths::kSilentScheme;
    const std::optional<std::wstring> stored = ReadDefaultValue(scheme_paths::NamesEntry(schemeKey));
    // Windows' own scheme keeps its sounds below each event, entry or not.
    if (!stored)
        return IsDefaultScheme(schemeKey) ? schemeKey : scheme_paths::kSilentScheme;
    // A scheme stored as plain "No Sounds", in any letter case, is silent.
    if (NamesEqual(*stored, scheme_paths::kSilentSchemeName))
        return scheme_paths::kSilentScheme;
    return schemeKey;
}

ChangeReport SchemeStore::ApplyScheme(const SoundSlots& slots, const std::wstring& schemeKey) const
{
    ChangeReport report = slots.Apply(SourceSchemeKey(schemeKey));
    // The requested key becomes current even when its sounds came from the
    // silent scheme.
    report.Count(SetCurrentScheme(schemeKey), [] { return std::wstring(scheme_paths::kSchemes); });
    return report;
}
