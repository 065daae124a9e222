#include "mute/hotkey_message.h"

#include "resources/resource.h"
#include "win32/registry.h"
#include "win32/text.h"

std::wstring HotkeyRefusal(const Hotkey& hotkey, DWORD error)
{
    const std::wstring name = HotkeyName(hotkey);
    if (error == ERROR_HOTKEY_ALREADY_REGISTERED)
        return FormatText(IDS_HOTKEY_TAKEN, {name});
    return FormatText(IDS_HOTKEY_NOT_REGISTERED, {name, registry::ErrorText(static_cast<LONG>(error))});
}
