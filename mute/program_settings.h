#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// The program's own settings key, below HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKeyPath[] = L"Software\\Quillfen\\Hushlark";

// OffUntil as the registry holds it: its type, its size and, for a value of
// eight bytes, those bytes as a number (zero for any other size).
struct StoredOffUntil {
    DWORD type = REG_NONE;
    DWORD byteCount = 0;
    ULONGLONG value = 0;
};

// The program's own settings: three values below one per-user key, read and
// written afresh on every call, so that a value another program changed is
// seen at the next read. Nothing here creates the key except a write. Writes
// answer the Win32 result.
class ProgramSettings {
public:
    // The scheme to come back to when sounds are turned on again.
    std::optional<std::wstring> ReadLastSound() const;
    [[nodiscard]] LONG WriteLastSound(const std::wstring& schemeKey) const;

    // The scheme the program applied last, which the guard keeps in place.
    std::optional<std::wstring> ReadDefaultScheme() const;
    [[nodiscard]] LONG WriteDefaultScheme(const std::wstring& schemeKey) const;

    // The guard's switch: -1 when the settings key cannot be opened, 0 when
    // the value is absent; any non-zero value counts as on.
    std::int32_t ReadKeepDefault() const;
    [[nodiscard]] LONG WriteKeepDefault(DWORD value) const;

    // When a timed "off" ends, as a UTC FILETIME (REG_QWORD). Read as another
    // program may have left it; none when the value is absent or the key
    // cannot be read. Deleting an absent value succeeds.
    std::optional<StoredOffUntil> ReadOffUntil() const;
    [[nodiscard]] LONG WriteOffUntil(ULONGLONG utcFileTime) const;
    [[nodiscard]] LONG DeleteOffUntil() const;
};
