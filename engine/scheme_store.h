#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/change_report.h"

class SoundSlots;

// One scheme as the user's two lists show it.
struct SchemeEntry {
    // The enumeration index below Names.
    DWORD index = 0;
    std::wstring key;
    std::wstring shownName;
    // The key equals the current scheme, letter case ignored.
    bool isCurrent = false;
};

// Every scheme in enumeration order, with the current scheme as read once
// before the walk.
struct SchemeListing {
    std::wstring currentScheme;
    std::vector<SchemeEntry> schemes;
    // Why Names (scheme_paths::kNames) could not be read to its end: the
    // schemes are then those listed before the failure, maybe none.
    LONG error = ERROR_SUCCESS;
};

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
// number of stores may be used interchangeably. Operations that write answer
// the Win32 result or a ChangeReport; none of them shows anything.
class SchemeStore {
public:
    using SchemeKeyVisitor = std::function<void(DWORD index, const std::wstring& schemeKey)>;

    // Store access.
    std::wstring ReadCurrentScheme() const;
    [[nodiscard]] LONG SetCurrentScheme(const std::wstring& schemeKey) const;
    bool IsSoundOn() const;
    // Whether the scheme has a Names entry. ".Default" always exists: it is
    // Windows' own scheme, and its sounds live below each event.
    bool SchemeExists(const std::wstring& schemeKey) const;
    std::optional<std::wstring> ReadDefaultValue(const std::wstring& keyPath) const;
    std::wstring ReadDisplayName(const std::wstring& schemeKey) const;
    // Answers why the walk failed; a missing Names key holds no schemes.
    [[nodiscard]] LONG EnumerateSchemeKeys(const SchemeKeyVisitor& visit) const;

    // The scheme whose values applying `schemeKey` copies: the key itself,
    // unless it has no stored display value or one of "no sounds", which apply
    // as the silent scheme. ".Default" without a stored display value still
    // gives the sounds below each event.
    std::wstring SourceSchemeKey(const std::wstring& schemeKey) const;

    // Copies the scheme's sounds into every sound slot, through slots already
    // read, then makes it the current scheme.
    [[nodiscard]] ChangeReport ApplyScheme(const SoundSlots& slots, const std::wstring& schemeKey) const;

    // Scheme maintenance. Saving the sounds in use is SoundSlots::SaveAs.
    std::wstring FindFreeSchemeKey() const;
    std::wstring MakeSnapshotDisplayName(const std::wstring& schemeKey) const;
    [[nodiscard]] ChangeReport DeleteScheme(const std::wstring& schemeKey) const;
    [[nodiscard]] ChangeReport RenameScheme(const std::wstring& schemeKey, const std::wstring& newDisplayName) const;
    SchemeListing ListSchemes() const;
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

// Windows' own scheme ".Default", in any letter case.
bool IsDefaultScheme(const std::wstring& schemeKey);

// ".current", in any letter case: the sounds in use are saved under no scheme.
bool IsUnsavedScheme(const std::wstring& schemeKey);

// Whether a text can name a scheme at all: not empty, and one key name (no
// backslash) that fits a subkey name. Values read from the registry that fail
// this are never used as a path.
bool IsSchemeKeyName(const std::wstring& schemeKey);
