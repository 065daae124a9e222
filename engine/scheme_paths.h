#pragma once

#include <cstddef>
#include <string>

// Registry paths of the sound-event data, all below HKEY_CURRENT_USER.
namespace scheme_paths {

inline constexpr wchar_t kSchemes[] = L"AppEvents\\Schemes";
inline constexpr wchar_t kNames[] = L"AppEvents\\Schemes\\Names";
inline constexpr wchar_t kApps[] = L"AppEvents\\Schemes\\Apps";
inline constexpr wchar_t kCurrentSlotKey[] = L".Current";

// Scheme keys. Windows' own two schemes are ".Default", whose sounds live
// below each event, and the silent ".None". ".current" (in any letter case)
// says that the sounds in use are saved under no scheme; the program saves
// them under ".Hushlark" and a number.
inline constexpr wchar_t kSilentScheme[] = L".None";
inline constexpr wchar_t kDefaultScheme[] = L".Default";
inline constexpr wchar_t kUnsavedScheme[] = L".current";
inline constexpr wchar_t kSnapshotPrefix[] = L".Hushlark";

// The longest display name the program gives a scheme (Rename) or takes from
// a command; a longer one made by another program is chosen by its key.
inline constexpr std::size_t kMaxSchemeNameLength = 1000;

// What the two system schemes are shown as, and the resource references their
// Names entries hold instead: older Windows versions keep them in the control
// panel applet, newer ones in the media resource DLL.
inline constexpr wchar_t kDefaultSchemeName[] = L"Windows Default";
inline constexpr wchar_t kSilentSchemeName[] = L"No Sounds";
inline constexpr const wchar_t* kDefaultSchemeStoredNames[] = {L"@mmsys.cpl,-800", L"@mmres.dll,-800"};
inline constexpr const wchar_t* kSilentSchemeStoredNames[] = {L"@mmsys.cpl,-801", L"@mmres.dll,-801"};

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
