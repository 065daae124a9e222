#include "menuskin/menu_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ShownText, LeavesTheMarkersOutAndKeepsOneOfEachDoubledAmpersand)
{
    struct Case {
        const wchar_t *text, *shown;
    };
    const Case cases[] = {
        {L"E&xit", L"Exit"},
        {L"Turn Sounds O&ff", L"Turn Sounds Off"},
        {L"Tom && Jerry", L"Tom & Jerry"},
        {L"&&&Save", L"&Save"},
        {L"a&&b&c", L"a&bc"},
        {L"Trailing&", L"Trailing"},
        {L"&&", L"&"},
        {L"No marker", L"No marker"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(menu_text::ShownText(c.text), c.shown) << c.text;
}

TEST(AccessKey, IsTheCharacterAfterTheFirstSingleAmpersand)
{
    struct Case {
        const wchar_t* text;
        wchar_t key; // 0 for none
    };
    const Case cases[] = {
        {L"E&xit", L'x'},     {L"&Launch on Startup", L'L'},
        {L"Tom && Jerry", 0}, {L"&&&Save", L'S'},
        {L"&a &b", L'a'},     {L"Trailing&", 0},
        {L"&&", 0},           {L"", 0},
        {L"&& &1", L'1'},
    };
    for (const Case& c : cases)
        EXPECT_EQ(menu_text::AccessKey(c.text).value_or(0), c.key) << c.text;
}

TEST(AnswerMenuChar, ChoosesSelectsOrRefuses)
{
    // The tray menu, separators included.
    const std::vector<menu_text::AccessRow> tray = {
        {L"Turn Sounds O&n", false},
        {L"Turn Sounds O&ff", true},
        {L"Change Scheme", true},
        {L"", true},
        {L"&Launch on Startup", true},
        {L"&Options", true},
        {L"", true},
        {L"E&xit", true},
    };
    // A key that several items share, one of them disabled.
    const std::vector<menu_text::AccessRow> shared = {
        {L"&Alpha", true}, {L"&Beta", true}, {L"&apple", false}, {L"Tom && Jerry", true}, {L"&Avocado", true},
    };
    const std::vector<menu_text::AccessRow> none;
    struct Case {
        const char* what;
        const std::vector<menu_text::AccessRow>& rows;
        wchar_t key;
        int selected;
        LRESULT answer;
    };
    const Case cases[] = {
        {"one enabled item: chosen", tray, L'f', -1, MAKELRESULT(1, MNC_EXECUTE)},
        {"in any letter case", tray, L'F', -1, MAKELRESULT(1, MNC_EXECUTE)},
        {"whatever is selected", tray, L'x', 7, MAKELRESULT(7, MNC_EXECUTE)},
        {"an item that opens a submenu would be chosen too", tray, L'o', 2, MAKELRESULT(5, MNC_EXECUTE)},
        {"one disabled item: selected only", tray, L'n', -1, MAKELRESULT(0, MNC_SELECT)},
        {"no item has it", tray, L'q', -1, MAKELRESULT(0, MNC_IGNORE)},
        {"an unmarked first letter is no key", tray, L'c', -1, MAKELRESULT(0, MNC_IGNORE)},
        {"shared, nothing selected: the first", shared, L'a', -1, MAKELRESULT(0, MNC_SELECT)},
        {"shared: the next after the selected one", shared, L'A', 0, MAKELRESULT(2, MNC_SELECT)},
        {"shared: a disabled one is selected in turn", shared, L'a', 2, MAKELRESULT(4, MNC_SELECT)},
        {"shared: after the last, the first again", shared, L'a', 4, MAKELRESULT(0, MNC_SELECT)},
        {"shared: from an item without the key", shared, L'a', 1, MAKELRESULT(2, MNC_SELECT)},
        {"a doubled ampersand marks nothing", shared, L'&', -1, MAKELRESULT(0, MNC_IGNORE)},
        {"a doubled ampersand is not the marker of the next letter", shared, L' ', -1, MAKELRESULT(0, MNC_IGNORE)},
        {"no rows", none, L'a', -1, MAKELRESULT(0, MNC_IGNORE)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(menu_text::AnswerMenuChar(c.rows, c.key, c.selected), c.answer) << c.what;
}

} // namespace
