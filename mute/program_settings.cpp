#include "mute/program_settings.h"

#include "win32/registry.h"

namespace {

constexpr wchar_t kLastSound[] = L"LastSound";
constexpr wchar_t kDefaultScheme[] = L"DefaultScheme";
constexpr wchar_t kKeepDefault[] = L"KeepDefault";
constexpr wchar_t kOffUntil[] = L"OffUntil";

std::optional<std::wstring> ReadSetting(const wchar_t* valueName)
{
    const registry::Key settings = registry::OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    return registry::ReadString(settings.get(), valueName);
}

// The key is created with its first write.
registry::Key OpenForWriting()
{
    return registry::CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_SET_VALUE);
}

LONG WriteSetting(const wchar_t* valueName, const std::wstring& text)
{
    const registry::Key settings = OpenForWriting();
    return settings ? registry::WriteString(settings.get(), valueName, REG_SZ, text) : settings.error;
}

} // namespace

std::optional<std::wstring> ProgramSettings::ReadLastSound() const
{
    return ReadSetting(kLastSound);
}

LONG ProgramSettings::WriteLastSound(const std::wstring& schemeKey) const
{
    return WriteSetting(kLastSound, schemeKey);
}

std::optional<std::wstring> ProgramSettings::ReadDefaultScheme() const
{
    return ReadSetting(kDefaultScheme);
}

LONG ProgramSettings::WriteDefaultScheme(const std::wstring& schemeKey) const
{
    return WriteSetting(kDefaultScheme, schemeKey);
}

std::int32_t ProgramSettings::ReadKeepDefault() const
{
    const registry::Key settings = registry::OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    if (!settings)
        return -1;
    // Only a four-byte value is taken; anything else another program left here
    // reads like an absent value, which keeps the guard off.
    DWORD value = 0;
    DWORD byteCount = sizeof(value);
    if (RegQueryValueExW(settings.get(), kKeepDefault, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &byteCount) !=
            ERROR_SUCCESS ||
        byteCount != sizeof(value))
        return 0;
    return static_cast<std::int32_t>(value);
}

LONG ProgramSettings::WriteKeepDefault(DWORD value) const
{
    const registry::Key settings = OpenForWriting();
    return settings ? registry::WriteBytes(settings.get(), kKeepDefault, REG_DWORD, &value, sizeof(value))
                    : settings.error;
}

std::optional<StoredOffUntil> ProgramSettings::ReadOffUntil() const
{
    const registry::Key settings = registry::OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    if (!settings)
        return std::nullopt;
    StoredOffUntil stored;
    ULONGLONG bytes = 0;
    stored.byteCount = sizeof(bytes);
    // A longer value answers ERROR_MORE_DATA with its type and size, and leaves
    // the buffer undefined.
    const LONG status = RegQueryValueExW(settings.get(), kOffUntil, nullptr, &stored.type,
                                         reinterpret_cast<BYTE*>(&bytes), &stored.byteCount);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
        return std::nullopt;
    if (stored.byteCount == sizeof(bytes))
        stored.value = bytes;
    return stored;
}

LONG ProgramSettings::WriteOffUntil(ULONGLONG utcFileTime) const
{
    const registry::Key settings = OpenForWriting();
    return settings ? registry::WriteBytes(settings.get(), kOffUntil, REG_QWORD, &utcFileTime, sizeof(utcFileTime))
                    : settings.error;
}

LONG ProgramSettings::DeleteOffUntil() const
{
    const registry::Key settings = registry::OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_SET_VALUE);
    if (!settings)
        return settings.Absent() ? ERROR_SUCCESS : settings.error;
    const LONG status = RegDeleteValueW(settings.get(), kOffUntil);
    return registry::IsAbsent(status) ? ERROR_SUCCESS : status;
}
