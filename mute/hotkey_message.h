#pragma once

#include <windows.h>

#include <string>

#include "mute/hotkey.h"

// Why `hotkey` could not be registered (RegisterHotKey's `error`), as a box
// shows it: "Another program already uses CTRL+ALT+S. Choose another key."
// when another program holds it, otherwise Windows' reason on a second line.
std::wstring HotkeyRefusal(const Hotkey& hotkey, DWORD error);
