#pragma once

#include <windows.h>

#include <oleacc.h>

#include <cstddef>
#include <optional>
#include <string>
#include <type_traits>

// The item data of a skinned menu item. The skin that converted the item owns
// the label; the item only points at it.
//
// Screen readers name an owner-drawn item from a record at the very start of
// its item data, so the label begins with one. The record points into the
// label's own `shown` text, so a label is never copied or moved.
struct MenuItemLabel {
    // `itemText` as the item gave it, or none when it gave no text.
    explicit MenuItemLabel(std::optional<std::wstring> itemText);

    MenuItemLabel(const MenuItemLabel&) = delete;
    MenuItemLabel& operator=(const MenuItemLabel&) = delete;

    // First: the item data points here.
    MSAAMENUINFO accessible = {};
    // The item's text as it was when the item was converted, mnemonic
    // ampersands and any TAB included; none when the item gave no text.
    std::optional<std::wstring> text;
    // The name the record gives: the text before the TAB as the menu shows
    // it, without the "&" markers and with "&&" as "&"; empty without text.
    std::wstring shown;
};

static_assert(std::is_standard_layout_v<MenuItemLabel>, "the record's place is fixed");
static_assert(offsetof(MenuItemLabel, accessible) == 0, "the record opens the item data");
