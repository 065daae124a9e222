#include "engine/scheme_store.h"

#include <cwchar>
#include <iterator>

#include "engine/scheme_paths.h"
#include "engine/sound_slots.h"
#include "win32/registry.h"

namespace {

constexpr size_t kSnapshotPrefixLength = std::size(scheme_paths::kSnapshotPrefix) - 1;

} // namespace

std::wstring SnapshotDisplayName(const std::wstring& schemeKey, const SYSTEMTIME& utcDate)
{
    const std::wstring number =
        schemeKey.size() > kSnapshotPrefixLength ? schemeKey.substr(kSnapshotPrefixLength) : L"";
    wchar_t date[16];
    std::swprintf(date, 16, L"%d/%d/%d", utcDate.wMonth, utcDate.wDay, utcDate.wYear);
    return L"Hushlark " + number + L" (" + date + L")";
}

std::wstring SchemeStore::FindFreeSchemeKey() const
{
    for (unsigned long n = 0;; ++n) {
        std::wstring key = scheme_paths::kSnapshotPrefix + std::to_wstring(n);
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

ChangeReport SchemeStore::DeleteScheme(const std::wstring& schemeKey) const
{
    ChangeReport report;
    // An empty key would name the parent itself: Names, or every event key.
    if (!IsSchemeKeyName(schemeKey))
        return report;

    // A key that is not there has nothing to lose and is not counted.
    const std::wstring entry = scheme_paths::NamesEntry(schemeKey);
    const LONG status = RegDeleteKeyW(HKEY_CURRENT_USER, entry.c_str());
    if (!registry::IsAbsent(status))
        report.Count(status, [&] { return entry; });

    // Below a slot, a scheme named ".Current" (in any case) would be the sound
    // Windows plays now: the slots keep it, only the Names entry goes.
    if (NamesEqual(schemeKey, scheme_paths::kCurrentSlotKey))
        return report;

    // Tried in every slot; a key with subkeys of its own stays and is reported,
    // and so is every part whose slots could not be walked.
    ForEachSoundSlot(report, [&](HKEY appKey, const wchar_t* app, const wchar_t* event) {
        const std::wstring subkey = scheme_paths::Join(event, schemeKey);
        const LONG status = RegDeleteKeyW(appKey, subkey.c_str());
        if (!registry::IsAbsent(status))
            report.Count(status, [&] { return scheme_paths::Join(scheme_paths::App(app), subkey); });
    });
    return report;
}

ChangeReport SchemeStore::RenameScheme(const std::wstring& schemeKey, const std::wstring& newDisplayName) const
{
    ChangeReport report;
    const std::wstring path = scheme_paths::NamesEntry(schemeKey);
    // Opened, never created: a scheme that is gone stays gone.
    const registry::Key entry = IsSchemeKeyName(schemeKey) ? registry::OpenKey(HKEY_CURRENT_USER, path, KEY_SET_VALUE)
                                                           : registry::Key{UniqueRegKey(), ERROR_INVALID_NAME};
    report.Count(entry ? registry::WriteString(entry.get(), nullptr, REG_SZ, newDisplayName) : entry.error,
                 [&] { return path; });
    return report;
}

SchemeListing SchemeStore::ListSchemes() const
{
    SchemeListing listing;
    listing.currentScheme = ReadCurrentScheme();
    listing.error = EnumerateSchemeKeys([&](DWORD index, const std::wstring& schemeKey) {
        listing.schemes.push_back(
            SchemeEntry{index, schemeKey, ReadDisplayName(schemeKey), NamesEqual(schemeKey, listing.currentScheme)});
    });
    return listing;
}
