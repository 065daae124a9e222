#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The sound-scheme engine. Windows keeps the per-user sound-event data below
// HKEY_CURRENT_USER\AppEvents\Schemes:
//
//   Schemes            default value: the current scheme key
//   Schemes\Names\K    one key per scheme K; default value: its stored display value
//   Schemes\Apps\A\E   one sound slot per application A and event E
//       .Current       default value: the sound Windows plays for the event now
//       K              default value: the sound that scheme K gives the event
//
// A SchemeStore holds no state: every operation reads or writes the registry
// afresh, so changes made by other programs are seen at the next call, and any
// number of stores may be used interchangeably.
class SchemeStore {
public:
    // Visitors of the scheme walks. `index` is the enumeration index below
    // Names, which SchemeKeyAt takes back as long as the schemes do not change.
    using SchemeKeyVisitor = std::function<void(DWORD index, const std::wstring& schemeKey)>;
    using SchemeVisitor = std::function<void(const std::wstring& currentScheme, DWORD index,
                                             const std::wstring& schemeKey, const std::wstring& displayName)>;

    // Store access.
    std::wstring ReadCurrentScheme() const;
    void SetCurrentScheme(const std::wstring& schemeKey) const;
    bool IsSoundOn() const;
    bool SchemeExists(const std::wstring& schemeKey) const;
    std::optional<std::wstring> SchemeKeyAt(DWORD index) const;
    std::optional<std::wstring> ReadDefaultValue(const std::wstring& keyPath) const;
    std::wstring ReadDisplayName(const std::wstring& schemeKey) const;
    void EnumerateSchemeKeys(const SchemeKeyVisitor& visit) const;

    // Copies the scheme's sounds into every sound slot and makes it current.
    void ApplyScheme(const std::wstring& schemeKey) const;

    // Program settings below HKEY_CURRENT_USER\Software\Quillfen\Hushlark.
    std::optional<std::wstring> ReadLastSound() const;
    void WriteLastSound(const std::wstring& schemeKey) const;
    std::optional<std::wstring> ReadDefaultScheme() const;
    void WriteDefaultScheme(const std::wstring& schemeKey) const;
    // -1 when the settings key cannot be opened, 0 when the value is absent.
    std::int32_t ReadKeepDefault() const;
    void WriteKeepDefault(DWORD value) const;
};

// What the user sees for a stored display value: the two system schemes'
// resource references become fixed texts, anything else is shown as stored.
std::wstring DisplayNameFromStoredValue(const std::wstring& storedValue);

// Case-insensitive comparison of scheme keys and display values.
bool NamesEqual(const std::wstring& left, const std::wstring& right);

// The silent scheme, in any letter case.
bool IsSilentScheme(const std::wstring& schemeKey);
