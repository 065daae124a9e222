#include "engine/scheme_store.h"

#include <cwchar>

#include "engine/registry.h"
#include "engine/scheme_paths.h"
#include "engine/sound_slots.h"

namespace {

constexpr wchar_t kSnapshotPrefix[] = L".Hushlark";
constexpr size_t kSnapshotPrefixLength = 9;

} // namespace

std::wstring SnapshotDisplayName(const std::wstring& schemeKey, const SYSTEMTIME& utcDate)
{
    const std::wstring number =
        schemeKey.size() > kSnapshotPrefixLength ? schemeKey.substr(kSnapshotPrefixLength) : L"";
    wchar_t date[16];
    std::swprintf(date, 16, L"%d/%d/%d", utcDate.wMonth, utcDate.wDay, utcDate.wYear);
    return L"Hushlark " + number + L" (" + date + L")";
}

void SchemeStore::SnapshotCurrentSounds(const std::wstring& newSchemeKey, const std::wstring& displayName) const
{
    // The entry is created even when Names itself is missing: saved sounds
    // without an entry would be applied as silence.
    const UniqueRegKey entry = registry::CreateKey(HKEY_CURRENT_USER, scheme_paths::NamesEntry(newSchemeKey));
    registry::WriteString(entry.get(), nullptr, REG_SZ, displayName);

    ForEachSoundSlot([&](HKEY appKey, const wchar_t* event) {
        const std::wstring slot(event);
        const UniqueRegKey current = registry::OpenKey(appKey, scheme_paths::Join(slot, scheme_paths::kCurrentSlotKey));
        const std::optional<std::wstring> sound = registry::ReadString(current.get(), nullptr);

        const UniqueRegKey saved = registry::CreateKey(appKey, scheme_paths::Join(slot, newSchemeKey));
        if (sound)
            registry::WriteString(saved.get(), nullptr, REG_SZ, *sound);
        else
            registry::WriteBytes(saved.get(), nullptr, REG_SZ, L"", 0); // the slot played nothing: no data at all
    });
}

std::wstring SchemeStore::FindFreeSchemeKey() const
{
    for (unsigned long n = 0;; ++n) {
        std::wstring key = kSnapshotPrefix + std::to_wstring(n);
        if (!SchemeExists(key))
            return key;
    }
}

std::wstring SchemeStore::MakeSnapshotDisplayName(const std::wstring& schemeKey) const
{
    SYSTEMTIME utcNow;
    GetSystemTime(&utcNow);
    return SnapshotDisplayName(schemeKey, utcNow);
}

void SchemeStore::DeleteScheme(const std::wstring& schemeKey) const
{
    // An empty key would name the parent itself: Names, or every event key.
    if (schemeKey.empty())
        return;

    const UniqueRegKey names = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::kNames);
    if (names)
        RegDeleteKeyW(names.get(), schemeKey.c_str());

    // Below a slot, a scheme named ".Current" (in any case) would be the sound
    // Windows plays now: the slots keep it, only the Names entry goes.
    if (NamesEqual(schemeKey, scheme_paths::kCurrentSlotKey))
        return;

    // Tried in every slot; a slot without the key, or whose key has subkeys of
    // its own, keeps what it has.
    ForEachSoundSlot([&](HKEY appKey, const wchar_t* event) {
        RegDeleteKeyW(appKey, scheme_paths::Join(event, schemeKey).c_str());
    });
}

void SchemeStore::RenameScheme(const std::wstring& schemeKey, const std::wstring& newDisplayName) const
{
    const UniqueRegKey entry = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::NamesEntry(schemeKey));
    registry::WriteString(entry.get(), nullptr, REG_SZ, newDisplayName);
}

void SchemeStore::ListSchemes(const SchemeVisitor& visit) const
{
    const std::wstring currentScheme = ReadCurrentScheme();
    EnumerateSchemeKeys([&](DWORD index, const std::wstring& schemeKey) {
        visit(currentScheme, index, schemeKey, ReadDisplayName(schemeKey));
    });
}
