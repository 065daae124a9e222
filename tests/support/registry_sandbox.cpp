#include "tests/support/registry_sandbox.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kScratchParent[] = L"Software\\HushlarkTests";

HKEY OpenOrCreate(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

std::wstring StoredValue::Text() const
{
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return text;
}

std::vector<std::uint8_t> ListBytes(const std::vector<std::wstring>& texts)
{
    std::vector<std::uint8_t> bytes;
    for (const std::wstring& text : texts) {
        const std::vector<std::uint8_t> one = TextBytes(text);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::vector<std::uint8_t> TextBytes(const std::wstring& text)
{
    const auto* first = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return std::vector<std::uint8_t>(first, first + (text.size() + 1) * sizeof(wchar_t));
}

void RegistrySandbox::SetUp()
{
    static unsigned counter = 0;
    scratchName_ = L"p" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) + L"-" +
                   std::to_wstring(++counter);

    // The parent is opened before the override, which would redirect it too.
    parent_ = OpenOrCreate(HKEY_CURRENT_USER, kScratchParent);
    ASSERT_NE(parent_, nullptr);
    HKEY scratch = OpenOrCreate(parent_, scratchName_);
    ASSERT_NE(scratch, nullptr);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, scratch), ERROR_SUCCESS);
    RegCloseKey(scratch);
}

void RegistrySandbox::TearDown()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    // An empty name would make RegDeleteTreeW wipe the whole parent.
    if (parent_ && !scratchName_.empty())
        RegDeleteTreeW(parent_, scratchName_.c_str());
    if (parent_)
        RegCloseKey(parent_);
    parent_ = nullptr;
}

void RegistrySandbox::CreateKey(const std::wstring& path)
{
    HKEY key = OpenOrCreate(HKEY_CURRENT_USER, path);
    ASSERT_NE(key, nullptr) << "cannot create key";
    RegCloseKey(key);
}

bool RegistrySandbox::KeyExists(const std::wstring& path) const
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void RegistrySandbox::DeleteTree(const std::wstring& path)
{
    ASSERT_FALSE(path.empty());
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
}

void RegistrySandbox::SetValue(const std::wstring& path, const wchar_t* name, DWORD type,
                               const std::vector<std::uint8_t>& bytes)
{
    HKEY key = OpenOrCreate(HKEY_CURRENT_USER, path);
    ASSERT_NE(key, nullptr);
    const LONG status =
        RegSetValueExW(key, name, 0, type, bytes.empty() ? nullptr : bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
}

void RegistrySandbox::SetText(const std::wstring& path, const wchar_t* name, const std::wstring& text, DWORD type)
{
    SetValue(path, name, type, TextBytes(text));
}

void RegistrySandbox::SetDword(const std::wstring& path, const wchar_t* name, DWORD value)
{
    const auto* first = reinterpret_cast<const std::uint8_t*>(&value);
    SetValue(path, name, REG_DWORD, std::vector<std::uint8_t>(first, first + sizeof(value)));
}

std::optional<StoredValue> RegistrySandbox::GetValue(const std::wstring& path, const wchar_t* name) const
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    DWORD byteCount = 0;
    LONG status = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &byteCount);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(byteCount);
        status = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.empty() ? nullptr : value.bytes.data(),
                                  &byteCount);
        value.bytes.resize(byteCount);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::set<std::wstring> RegistrySandbox::Keys(const std::wstring& path) const
{
    std::set<std::wstring> keys;
    for (const auto& [name, value] : Contents(path)) {
        if (name.find(L'|') == std::wstring::npos)
            keys.insert(name);
    }
    return keys;
}

std::map<std::wstring, StoredValue> RegistryContents(const std::wstring& path)
{
    std::map<std::wstring, StoredValue> contents;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return contents;
    contents[path] = StoredValue();
    // Value names may be 16383 characters long, key names 255. Values are
    // read as they are listed, through the same handle.
    std::vector<wchar_t> name(16384);
    DWORD maxByteCount = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxByteCount,
                     nullptr, nullptr);
    std::vector<std::uint8_t> data(maxByteCount + 1);
    StoredValue value;
    for (DWORD i = 0, length = 16384, byteCount = maxByteCount;
         RegEnumValueW(key, i, name.data(), &length, nullptr, &value.type, data.data(), &byteCount) == ERROR_SUCCESS;
         ++i, length = 16384, byteCount = maxByteCount) {
        value.bytes.assign(data.begin(), data.begin() + byteCount);
        contents[path + L"|" + name.data()] = value;
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0, length = 256;
         RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 256)
        subkeys.push_back(name.data());
    RegCloseKey(key);
    for (const std::wstring& subkey : subkeys)
        contents.merge(RegistryContents(path + L"\\" + subkey));
    return contents;
}

void RegistrySandbox::MakeSlotVolatile(const std::wstring& app, const std::wstring& event)
{
    const std::wstring slot = SlotPath(app, event);
    std::vector<std::pair<std::wstring, std::optional<StoredValue>>> children;
    for (const std::wstring& key : Keys(slot)) {
        if (key != slot)
            children.emplace_back(key, GetValue(key));
    }
    DeleteTree(slot);
    children.emplace(children.begin(), slot, std::nullopt);
    // Parents come before their children: the paths are sorted.
    for (const auto& [path, value] : children) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (value)
            RegSetValueExW(key, nullptr, 0, value->type, value->bytes.data(), value->ByteCount());
        RegCloseKey(key);
    }
}

void RegistrySandbox::SetCurrentSchemeValue(const std::wstring& schemeKey)
{
    SetDefaultText(L"AppEvents\\Schemes", schemeKey);
}

void RegistrySandbox::AddScheme(const std::wstring& schemeKey, const std::wstring& storedDisplayValue)
{
    SetDefaultText(L"AppEvents\\Schemes\\Names\\" + schemeKey, storedDisplayValue);
}

std::wstring RegistrySandbox::SlotPath(const std::wstring& app, const std::wstring& event)
{
    return L"AppEvents\\Schemes\\Apps\\" + app + L"\\" + event;
}

void RegistrySandbox::AddSlot(const std::wstring& app, const std::wstring& event,
                              const std::optional<std::wstring>& current,
                              const std::map<std::wstring, std::wstring>& schemeValues)
{
    const std::wstring slot = SlotPath(app, event);
    CreateKey(slot);
    if (current)
        SetDefaultText(slot + L"\\.Current", *current, REG_EXPAND_SZ);
    for (const auto& [schemeKey, text] : schemeValues)
        SetDefaultText(slot + L"\\" + schemeKey, text);
}

std::optional<StoredValue> RegistrySandbox::GetCurrentSound(const std::wstring& app, const std::wstring& event) const
{
    return GetValue(SlotPath(app, event) + L"\\.Current");
}

std::optional<StoredValue> RegistrySandbox::GetSchemeValue(const std::wstring& app, const std::wstring& event,
                                                           const std::wstring& schemeKey) const
{
    return GetValue(SlotPath(app, event) + L"\\" + schemeKey);
}

void RegistrySandbox::SeedTypicalProfile()
{
    SetCurrentSchemeValue(L".Default");
    AddScheme(L".Default", L"@mmres.dll,-800");
    AddScheme(L".None", L"@mmres.dll,-801");
    AddScheme(L"QuietOffice", L"Quiet Office");

    const std::wstring media = L"C:\\Windows\\media\\";
    AddSlot(L".Default", L"SystemAsterisk", media + L"Windows Background.wav",
            {{L".Default", media + L"Windows Background.wav"}, {L"QuietOffice", media + L"chimes.wav"}});
    AddSlot(L".Default", L"SystemExclamation", media + L"Windows Foreground.wav",
            {{L".Default", media + L"Windows Foreground.wav"}, {L".None", L""}});
    AddSlot(L".Default", L"Open", L"", {{L".Default", L""}});
    AddSlot(L".Default", L"DeviceConnect", L"%SystemRoot%\\media\\Windows Hardware Insert.wav",
            {{L".Default", L"%SystemRoot%\\media\\Windows Hardware Insert.wav"}});
    AddSlot(L"Explorer", L"EmptyRecycleBin", media + L"Windows Recycle.wav",
            {{L".Default", media + L"Windows Recycle.wav"}, {L"QuietOffice", L""}});
    AddSlot(L"Explorer", L"Navigating", L"", {{L".Default", L""}});
    AddSlot(L"sapisvr", L"HubOnSound", media + L"Speech On.wav", {{L".Default", media + L"Speech On.wav"}});
}
