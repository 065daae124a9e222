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

    // Scheme maintenance.
    void SnapshotCurrentSounds(const std::wstring& newSchemeKey, const std::wstring& displayName) const;
    std::wstring FindFreeSchemeKey() const;
    std::wstring MakeSnapshotDisplayName(const std::wstring& schemeKey) const;
    void DeleteScheme(const std::wstring& schemeKey) const;
    void RenameScheme(const std::wstring& schemeKey, const std::wstring& newDisplayName) const;
    void ListSchemes(const SchemeVisitor& visit) const;

    // The two listings the user sees: the tray menu's "Change Scheme" submenu
    // and the Options dialog's scheme list (defined beside their users).
    void FillSchemeMenu(HMENU submenu) const;
    void FillSchemeList(HWND listBox) const;

    // Program settings below HKEY_CURRENT_USER\Software\Quillfen\Hushlark.
    std::optional<std::wstring> ReadLastSound() const;
    void WriteLastSound(const std::wstring& schemeKey) const;
    std::optional<std::wstring> ReadDefaultScheme() const;
    void WriteDefaultScheme(const std::wstring& schemeKey) const;
    // -1 when the settings key cannot be opened, 0 when the value is absent.
    std::int32_t ReadKeepDefault() const;
    void WriteKeepDefault(DWORD value) const;

    // Mute control: silence every sound (saving unsaved sounds first), bring
    // back the scheme that was current before, and keep the scheme the program
    // applied last from being changed behind its back.
    void Mute() const;
    void Unmute() const;
    void GuardDefaultScheme() const;
};

// The display name of a snapshot scheme saved on the given UTC date, for
// example "Hushlark 3 (3/7/2007)" for key ".Hushlark3" on 7 March 2007.
std::wstring SnapshotDisplayName(const std::wstring& schemeKey, const SYSTEMTIME& utcDate);

// What the user sees for a stored display value: the two system schemes'
// resource references become fixed texts, anything else is shown as stored.
std::wstring DisplayNameFromStoredValue(const std::wstring& storedValue);

// Case-insensitive comparison of scheme keys and display values.
bool NamesEqual(const std::wstring& left, const std::wstring& right);

// The silent scheme, in any letter case.
bool IsSilentScheme(const std::wstring& schemeKey);
