#include "engine/scheme_store.h"

#include "engine/registry.h"
#include "engine/scheme_paths.h"
#include "engine/sound_slots.h"

namespace {

// The scheme whose values are copied: the requested one, unless it has no
// stored display value or is stored as "no sounds", which apply as silence.
std::wstring SourceSchemeKey(const SchemeStore& store, const std::wstring& requestedKey)
{
    const std::optional<std::wstring> stored = store.ReadDefaultValue(scheme_paths::NamesEntry(requestedKey));
    if (!stored || NamesEqual(*stored, L"no sounds"))
        return scheme_paths::kSilentScheme;
    return requestedKey;
}

} // namespace

void SchemeStore::ApplyScheme(const std::wstring& schemeKey) const
{
    const std::wstring sourceKey = SourceSchemeKey(*this, schemeKey);
    const bool silent = IsSilentScheme(sourceKey);

    ForEachSoundSlot([&](HKEY appKey, const wchar_t* event) {
        const std::wstring slot(event);
        // Slots without a .Current key are left alone: it is opened, never created.
        const UniqueRegKey current = registry::OpenKey(appKey, scheme_paths::Join(slot, scheme_paths::kCurrentSlotKey));
        if (!current)
            return;

        if (silent) {
            registry::WriteBytes(current.get(), nullptr, REG_EXPAND_SZ, L"", sizeof(wchar_t));
            return;
        }
        const UniqueRegKey schemeValueKey = registry::OpenKey(appKey, scheme_paths::Join(slot, sourceKey));
        const std::optional<std::wstring> sound = registry::ReadString(schemeValueKey.get(), nullptr);
        if (sound && !sound->empty()) {
            registry::WriteString(current.get(), nullptr, REG_EXPAND_SZ, *sound);
        } else {
            constexpr wchar_t kNoSound[2] = {L'\0', L'\0'};
            registry::WriteBytes(current.get(), nullptr, REG_EXPAND_SZ, kNoSound, sizeof(kNoSound));
        }
    });

    SetCurrentScheme(schemeKey);
    WriteDefaultScheme(schemeKey);
}
