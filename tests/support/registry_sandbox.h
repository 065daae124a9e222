#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mute/program_settings.h"

// A value as the registry holds it: its exact type and bytes.
struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;

    DWORD ByteCount() const { return static_cast<DWORD>(bytes.size()); }
    bool operator==(const StoredValue& other) const { return type == other.type && bytes == other.bytes; }
    // The bytes as UTF-16 text, cut at the first NUL.
    std::wstring Text() const;
};

// The bytes of a terminated UTF-16 text, (length + 1) * 2 of them.
std::vector<std::uint8_t> TextBytes(const std::wstring& text);

// The bytes of a REG_MULTI_SZ list: each text with its NUL, then one more.
std::vector<std::uint8_t> ListBytes(const std::vector<std::wstring>& texts);

// Every key below `path` (below HKEY_CURRENT_USER) and every value in them,
// byte for byte: keys as their path, values as "path|name" ("path|" for the
// default value).
std::map<std::wstring, StoredValue> RegistryContents(const std::wstring& path);

// Base fixture: HKEY_CURRENT_USER is redirected to a fresh scratch key for each
// test and the scratch key is deleted afterwards, so no test touches the real
// user's registry and tests may run in parallel. Paths are below the redirected
// HKEY_CURRENT_USER, as the program sees it.
class RegistrySandbox : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the key (and its parents) if needed.
    void CreateKey(const std::wstring& path);
    bool KeyExists(const std::wstring& path) const;
    void DeleteTree(const std::wstring& path);

    // Writes a value with an exact type and bytes; nullptr names the default value.
    void SetValue(const std::wstring& path, const wchar_t* name, DWORD type, const std::vector<std::uint8_t>& bytes);
    void SetText(const std::wstring& path, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ);
    void SetDefaultText(const std::wstring& path, const std::wstring& text, DWORD type = REG_SZ)
    {
        SetText(path, nullptr, text, type);
    }
    void SetDword(const std::wstring& path, const wchar_t* name, DWORD value);

    std::optional<StoredValue> GetValue(const std::wstring& path, const wchar_t* name = nullptr) const;

    // Every key below `path`, itself included.
    std::set<std::wstring> Keys(const std::wstring& path = L"AppEvents") const;
    std::map<std::wstring, StoredValue> Contents(const std::wstring& path = L"AppEvents") const
    {
        return RegistryContents(path);
    }

    // Recreates a sound slot's key and its subkeys as volatile keys with the
    // same default values: reading and writing them still works, while a new
    // non-volatile key below the slot (a saved scheme) fails with
    // ERROR_CHILD_MUST_BE_VOLATILE.
    void MakeSlotVolatile(const std::wstring& app, const std::wstring& event);

    // Sound-scheme data below AppEvents\Schemes.
    void SetCurrentSchemeValue(const std::wstring& schemeKey);
    void AddScheme(const std::wstring& schemeKey, const std::wstring& storedDisplayValue);
    // A sound slot with the given .Current text (none: no .Current key) and
    // scheme values (scheme key -> text).
    void AddSlot(const std::wstring& app, const std::wstring& event, const std::optional<std::wstring>& current,
                 const std::map<std::wstring, std::wstring>& schemeValues = {});
    static std::wstring SlotPath(const std::wstring& app, const std::wstring& event);
    std::optional<StoredValue> GetCurrentSound(const std::wstring& app, const std::wstring& event) const;
    std::optional<StoredValue> GetSchemeValue(const std::wstring& app, const std::wstring& event,
                                              const std::wstring& schemeKey) const;

    // A small realistic profile: ".Default", ".None" and one saved scheme
    // ("Quiet Office", key "QuietOffice"), three applications and their slots.
    void SeedTypicalProfile();

    static constexpr const wchar_t* kSettingsPath = kSettingsKeyPath;

private:
    HKEY parent_ = nullptr;
    std::wstring scratchName_;
};
