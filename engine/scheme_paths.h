#pragma once

#include <string>

// Registry paths of the sound-event data, all below HKEY_CURRENT_USER.
namespace scheme_paths {

inline constexpr wchar_t kSchemes[] = L"AppEvents\\Schemes";
inline constexpr wchar_t kNames[] = L"AppEvents\\Schemes\\Names";
inline constexpr wchar_t kApps[] = L"AppEvents\\Schemes\\Apps";
inline constexpr wchar_t kCurrentSlotKey[] = L".Current";
inline constexpr wchar_t kSilentScheme[] = L".None";
inline constexpr wchar_t kDefaultScheme[] = L".Default";

inline std::wstring Join(const std::wstring& parent, const std::wstring& child)
{
    return parent + L'\\' + child;
}

inline std::wstring NamesEntry(const std::wstring& schemeKey)
{
    return Join(kNames, schemeKey);
}
inline std::wstring App(const std::wstring& app)
{
    return Join(kApps, app);
}

} // namespace scheme_paths
