#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// The one hotkey that turns sounds on or off, as RegisterHotKey takes it: a
// virtual key and MOD_ALT, MOD_CONTROL and MOD_SHIFT.
struct Hotkey {
    UINT modifiers = 0;
    UINT key = 0;

    friend bool operator==(const Hotkey& left, const Hotkey& right)
    {
        return left.modifiers == right.modifiers && left.key == right.key;
    }
    friend bool operator!=(const Hotkey& left, const Hotkey& right) { return !(left == right); }
};

// Whether a combination may be the hotkey: at least two of Ctrl, Alt and
// Shift, no Win, and a letter, a digit, F1-F24, Space, Insert, Delete, Home,
// End, Page Up, Page Down or an arrow. Ctrl+Alt+Delete belongs to Windows.
bool IsAllowedHotkey(const Hotkey& hotkey);

// The fixed English name: modifiers in the order CTRL, ALT, SHIFT, then the
// key, joined by "+" ("CTRL+ALT+S", "ALT+SHIFT+PAGEDOWN").
std::wstring HotkeyName(const Hotkey& hotkey);
// A name in any letter case and modifier order; none when it is malformed
// (an unknown or repeated word, no key). Whether it is allowed is asked apart.
std::optional<Hotkey> ParseHotkeyName(std::wstring_view name);

// The stored value `Hotkey`: the virtual key in the low byte, the modifiers in
// the next. A value with other bits set, or one that is not allowed, is none.
std::optional<Hotkey> HotkeyFromStored(DWORD value);
DWORD StoredHotkey(const Hotkey& hotkey);

// The hotkey control's value (HKM_GETHOTKEY, HKM_SETHOTKEY): the key in the low
// byte and HOTKEYF_* bits in the next, whose Shift and Alt bits are the other
// way round. The control adds HOTKEYF_EXT for the navigation keys; it is
// dropped when reading and set when filling. None for an empty control.
std::optional<Hotkey> HotkeyFromControl(WORD value);
WORD ControlValue(const Hotkey& hotkey);

// The stored hotkey; none when there is none, or it is not a valid one.
std::optional<Hotkey> ReadHotkey();
// Stores the hotkey, or deletes it for none. Answers the Win32 result.
[[nodiscard]] LONG WriteHotkey(const std::optional<Hotkey>& hotkey);
