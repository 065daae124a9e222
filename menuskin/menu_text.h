#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a menu item's text means besides what it shows: the access key its "&"
// marks and the name a screen reader reads. Neither needs a window.
namespace menu_text {

// The text as the menu shows it: every "&" that marks an access key left out,
// "&&" as one "&". A "&" at the very end marks nothing and is left out too.
std::wstring ShownText(std::wstring_view text);

// The character after the first "&" that is not part of a "&&", as Windows
// reads the access key of a menu item; none without one.
std::optional<wchar_t> AccessKey(std::wstring_view text);

// One item of the menu that WM_MENUCHAR names, in menu order.
struct AccessRow {
    // The text before the TAB, markers included; empty for a separator.
    std::wstring_view text;
    bool enabled = true;
};

// The answer to WM_MENUCHAR for `key` in a menu of `rows`, of which the one at
// `selected` is highlighted (-1 for none). Letter case does not matter. A key
// one enabled item has chooses it (MNC_EXECUTE); a key several items share
// selects the next of them after the highlighted one, from the top again after
// the last (MNC_SELECT). As in a menu the system draws, a disabled item's key
// selects it but does not choose it. A key no item has is refused
// (MNC_IGNORE, which beeps).
LRESULT AnswerMenuChar(const std::vector<AccessRow>& rows, wchar_t key, int selected);

} // namespace menu_text
