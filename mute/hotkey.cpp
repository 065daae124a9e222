#include "mute/hotkey.h"

#include <cstring>
#include <cwctype>
#include <vector>

#include "mute/program_settings.h"
#include "win32/registry.h"

namespace {

constexpr wchar_t kHotkeyValue[] = L"Hotkey";

// The hotkey control's modifier bits (commctrl.h), kept here so that the
// settings need no window headers.
constexpr UINT kControlShift = 0x01;
constexpr UINT kControlCtrl = 0x02;
constexpr UINT kControlAlt = 0x04;
constexpr UINT kControlExtended = 0x08;

struct Modifier {
    const wchar_t* name;
    UINT flag;
};
// In the order names are printed.
constexpr Modifier kModifiers[] = {{L"CTRL", MOD_CONTROL}, {L"ALT", MOD_ALT}, {L"SHIFT", MOD_SHIFT}};

struct NamedKey {
    const wchar_t* name;
    UINT key;
    // Reported by the hotkey control with HOTKEYF_EXT.
    bool extended;
};
constexpr NamedKey kNamedKeys[] = {
    {L"SPACE", VK_SPACE, false}, {L"INSERT", VK_INSERT, true}, {L"DELETE", VK_DELETE, true}, {L"HOME", VK_HOME, true},
    {L"END", VK_END, true},      {L"PAGEUP", VK_PRIOR, true},  {L"PAGEDOWN", VK_NEXT, true}, {L"UP", VK_UP, true},
    {L"DOWN", VK_DOWN, true},    {L"LEFT", VK_LEFT, true},     {L"RIGHT", VK_RIGHT, true},
};

bool IsLetter(UINT key)
{
    return key >= 'A' && key <= 'Z';
}
bool IsDigit(UINT key)
{
    return key >= '0' && key <= '9';
}
bool IsFunctionKey(UINT key)
{
    return key >= VK_F1 && key <= VK_F24;
}

const NamedKey* FindNamedKey(UINT key)
{
    for (const NamedKey& named : kNamedKeys) {
        if (named.key == key)
            return &named;
    }
    return nullptr;
}

std::optional<std::wstring> KeyName(UINT key)
{
    if (IsLetter(key) || IsDigit(key))
        return std::wstring(1, static_cast<wchar_t>(key));
    if (IsFunctionKey(key))
        return L"F" + std::to_wstring(key - VK_F1 + 1);
    if (const NamedKey* named = FindNamedKey(key))
        return named->name;
    return std::nullopt;
}

std::wstring Upper(std::wstring_view text)
{
    std::wstring upper(text);
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    return upper;
}

std::optional<UINT> KeyNamed(const std::wstring& name)
{
    if (name.size() == 1 && (IsLetter(name[0]) || IsDigit(name[0])))
        return static_cast<UINT>(name[0]);
    if (name.size() >= 2 && name.size() <= 3 && name[0] == L'F' && name[1] != L'0') {
        UINT number = 0;
        for (std::size_t i = 1; i < name.size(); ++i) {
            if (!std::iswdigit(name[i]))
                return std::nullopt;
            number = number * 10 + static_cast<UINT>(name[i] - L'0');
        }
        if (number >= 1 && number <= 24)
            return VK_F1 + number - 1;
        return std::nullopt;
    }
    for (const NamedKey& named : kNamedKeys) {
        if (name == named.name)
            return named.key;
    }
    return std::nullopt;
}

} // namespace

bool IsAllowedHotkey(const Hotkey& hotkey)
{
    if ((hotkey.modifiers & ~static_cast<UINT>(MOD_CONTROL | MOD_ALT | MOD_SHIFT)) != 0)
        return false;
    int count = 0;
    for (const Modifier& modifier : kModifiers)
        count += (hotkey.modifiers & modifier.flag) != 0 ? 1 : 0;
    if (count < 2 || !KeyName(hotkey.key))
        return false;
    // Windows keeps Ctrl+Alt+Delete for itself, with or without Shift.
    return !(hotkey.key == VK_DELETE && (hotkey.modifiers & MOD_CONTROL) && (hotkey.modifiers & MOD_ALT));
}

std::wstring HotkeyName(const Hotkey& hotkey)
{
    std::wstring name;
    for (const Modifier& modifier : kModifiers) {
        if (hotkey.modifiers & modifier.flag)
            name += std::wstring(modifier.name) + L"+";
    }
    return name + KeyName(hotkey.key).value_or(L"?");
}

std::optional<Hotkey> ParseHotkeyName(std::wstring_view name)
{
    std::vector<std::wstring> words;
    for (std::size_t start = 0;;) {
        const std::size_t plus = name.find(L'+', start);
        words.push_back(
            Upper(name.substr(start, plus == std::wstring_view::npos ? std::wstring_view::npos : plus - start)));
        if (plus == std::wstring_view::npos)
            break;
        start = plus + 1;
    }
    Hotkey hotkey;
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        const Modifier* found = nullptr;
        for (const Modifier& modifier : kModifiers) {
            if (words[i] == modifier.name)
                found = &modifier;
        }
        if (!found || (hotkey.modifiers & found->flag))
            return std::nullopt;
        hotkey.modifiers |= found->flag;
    }
    const std::optional<UINT> key = KeyNamed(words.back());
    if (!key)
        return std::nullopt;
    hotkey.key = *key;
    return hotkey;
}

std::optional<Hotkey> HotkeyFromStored(DWORD value)
{
    if ((value & ~0xFFFFu) != 0)
        return std::nullopt;
    const Hotkey hotkey{(value >> 8) & 0xFF, value & 0xFF};
    if (!IsAllowedHotkey(hotkey))
        return std::nullopt;
    return hotkey;
}

DWORD StoredHotkey(const Hotkey& hotkey)
{
    return (hotkey.modifiers & 0xFF) << 8 | (hotkey.key & 0xFF);
}

std::optional<Hotkey> HotkeyFromControl(WORD value)
{
    const UINT flags = HIBYTE(value);
    const UINT key = LOBYTE(value);
    if (key == 0)
        return std::nullopt;
    Hotkey hotkey{0, key};
    if (flags & kControlCtrl)
        hotkey.modifiers |= MOD_CONTROL;
    if (flags & kControlAlt)
        hotkey.modifiers |= MOD_ALT;
    if (flags & kControlShift)
        hotkey.modifiers |= MOD_SHIFT;
    // kControlExtended says only which keyboard block the key came from.
    return hotkey;
}

WORD ControlValue(const Hotkey& hotkey)
{
    UINT flags = 0;
    if (hotkey.modifiers & MOD_CONTROL)
        flags |= kControlCtrl;
    if (hotkey.modifiers & MOD_ALT)
        flags |= kControlAlt;
    if (hotkey.modifiers & MOD_SHIFT)
        flags |= kControlShift;
    const NamedKey* named = FindNamedKey(hotkey.key);
    if (named && named->extended)
        flags |= kControlExtended;
    return MAKEWORD(hotkey.key, flags);
}

std::optional<Hotkey> ReadHotkey()
{
    const registry::Key settings = registry::OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    if (!settings)
        return std::nullopt;
    const registry::Raw raw = registry::ReadRaw(settings.get(), kHotkeyValue);
    if (!raw.value || raw.value->type != REG_DWORD || raw.value->bytes.size() != sizeof(DWORD))
        return std::nullopt;
    DWORD value = 0;
    std::memcpy(&value, raw.value->bytes.data(), sizeof(value));
    return HotkeyFromStored(value);
}

LONG WriteHotkey(const std::optional<Hotkey>& hotkey)
{
    const registry::Key settings = registry::CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath, KEY_SET_VALUE);
    if (!settings)
        return settings.error;
    if (!hotkey) {
        const LONG status = RegDeleteValueW(settings.get(), kHotkeyValue);
        return registry::IsAbsent(status) ? ERROR_SUCCESS : status;
    }
    const DWORD value = StoredHotkey(*hotkey);
    return registry::WriteBytes(settings.get(), kHotkeyValue, REG_DWORD, &value, sizeof(value));
}
