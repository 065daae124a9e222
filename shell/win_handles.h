#pragma once

#include "engine/unique_handle.h"

// Owners of the user-interface handles of the tray program.

struct IconTraits {
    using pointer = HICON;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(HICON icon) noexcept { DestroyIcon(icon); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

struct MenuTraits {
    using pointer = HMENU;
    static pointer Empty() noexcept { return nullptr; }
    // Destroys the menu together with every submenu attached to it.
    static void Close(HMENU menu) noexcept { DestroyMenu(menu); }
};
using UniqueMenu = UniqueHandle<MenuTraits>;
