#include "engine/scheme_store.h"

#include "engine/scheme_paths.h"
#include "win32/registry.h"

bool NamesEqual(const std::wstring& left, const std::wstring& right)
{
    return lstrcmpiW(left.c_str(), right.c_str()) == 0;
}

bool IsSilentScheme(const std::wstring& schemeKey)
{
    return NamesEqual(schemeKey, scheme_paths::kSilentScheme);
}

bool IsDefaultScheme(const std::wstring& schemeKey)
{
    return NamesEqual(schemeKey, scheme_paths::kDefaultScheme);
}

bool IsUnsavedScheme(const std::wstring& schemeKey)
{
    return NamesEqual(schemeKey, scheme_paths::kUnsavedScheme);
}

bool IsSchemeKeyName(const std::wstring& schemeKey)
{
    return !schemeKey.empty() && schemeKey.size() < registry::kSubkeyNameCapacity &&
           schemeKey.find(L'\\') == std::wstring::npos;
}

std::wstring DisplayNameFromStoredValue(const std::wstring& storedValue)
{
    // The system schemes' names are resource references.
    for (const wchar_t* stored : scheme_paths::kDefaultSchemeStoredNames) {
        if (NamesEqual(storedValue, stored))
            return scheme_paths::kDefaultSchemeName;
    }
    for (const wchar_t* stored : scheme_paths::kSilentSchemeStoredNames) {
        if (NamesEqual(storedValue, stored))
            return scheme_paths::kSilentSchemeName;
    }
    return storedValue;
}

std::wstring SchemeStore::ReadCurrentScheme() const
{
    // A missing current scheme reads as empty: muting then saves the sounds in
    // use before it changes anything, as it does for unsaved sounds.
    const registry::Key schemes = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::kSchemes);
    return registry::ReadString(schemes.get(), nullptr).value_or(std::wstring());
}

LONG SchemeStore::SetCurrentScheme(const std::wstring& schemeKey) const
{
    // Opened, never created.
    const registry::Key schemes = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::kSchemes, KEY_SET_VALUE);
    return schemes ? registry::WriteString(schemes.get(), nullptr, REG_SZ, schemeKey) : schemes.error;
}

bool SchemeStore::IsSoundOn() const
{
    return !IsSilentScheme(ReadCurrentScheme());
}

bool SchemeStore::SchemeExists(const std::wstring& schemeKey) const
{
    return IsDefaultScheme(schemeKey) ||
           (IsSchemeKeyName(schemeKey) &&
            static_cast<bool>(registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::NamesEntry(schemeKey))));
}

std::optional<std::wstring> SchemeStore::ReadDefaultValue(const std::wstring& keyPath) const
{
    const registry::Key key = registry::OpenKey(HKEY_CURRENT_USER, keyPath);
    return registry::ReadString(key.get(), nullptr);
}

std::wstring SchemeStore::ReadDisplayName(const std::wstring& schemeKey) const
{
    // A scheme without a stored display value is shown by its key, so that the
    // user can still tell it apart from the others.
    const std::optional<std::wstring> stored = ReadDefaultValue(scheme_paths::NamesEntry(schemeKey));
    return stored ? DisplayNameFromStoredValue(*stored) : schemeKey;
}

LONG SchemeStore::EnumerateSchemeKeys(const SchemeKeyVisitor& visit) const
{
    const registry::Key names = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::kNames);
    if (!names)
        return names.Absent() ? ERROR_SUCCESS : names.error; // no Names key: no schemes
    return registry::WalkSubkeys(names.get(), [&](DWORD index, const wchar_t* schemeKey) { visit(index, schemeKey); });
}
