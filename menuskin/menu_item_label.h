#pragma once

#include <optional>
#include <string>

// The item data of a skinned menu item. The skin that converted the item owns
// the label; the item only points at it.
struct MenuItemLabel {
    // The item's text as it was when the item was converted, mnemonic
    // ampersands and any TAB included; none when the item gave no text.
    std::optional<std::wstring> text;
};
