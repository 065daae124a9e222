#include "menuskin/menu_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MenuText, ShownTextAndAccessKey)
{
    struct Case {
        const wchar_t *text, *shown;
        wchar_t key; // 0 for none
    };
    const Case cases[] = {
        {L"E&xit", L"Exit", L'x'},       {L"Tom && Jerry", L"Tom & Jerry", 0},
        {L"&&&Save", L"&Save", L'S'},    {L"a&&b&c&d", L"a&bcd", L'c'},
        {L"Trailing&", L"Trailing", 0},  {L"&&", L"&", 0},
        {L"No marker", L"No marker", 0}, {L"", L"", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(menu_text::ShownText(c.text), c.shown) << c.text;
        EXPECT_EQ(menu_text::AccessKey(c.text).value_or(0), c.key) << c.text;
    }
}

TEST(MenuText, AnswerMenuCharChoosesSelectsOrRefuses)
{
    // The tray menu with its separators, and a key three items share.
    const std::vector<menu_text::AccessRow> tray = {{L"Turn Sounds O&n", false},
                                                    {L"Turn Sounds O&ff"},
                                                    {L"Change Scheme"},
                                                    {L""},
                                                    {L"&Launch on Startup"},
                                                    {L"&Options"},
                                                    {L""},
                                                    {L"E&xit"}};
    const std::vector<menu_text::AccessRow> shared = {
        {L"&Alpha"}, {L"&Beta"}, {L"&apple", false}, {L"Tom && Jerry"}, {L"&Avocado"}};
    struct Case {
        const char* what;
        const std::vector<menu_text::AccessRow>& rows;
        wchar_t key;
        int selected;
        LRESULT answer;
    };
    const Case cases[] = {
        {"one enabled item: chosen", tray, L'f', -1, MAKELRESULT(1, MNC_EXECUTE)},
        {"in any letter case, whatever is selected", tray, L'X', 1, MAKELRESULT(7, MNC_EXECUTE)},
        {"one disabled item: selected only", tray, L'n', -1, MAKELRESULT(0, MNC_SELECT)},
        {"no item has it; an unmarked first letter is none", tray, L'c', -1, MAKELRESULT(0, MNC_IGNORE)},
        {"shared, nothing selected: the first", shared, L'a', -1, MAKELRESULT(0, MNC_SELECT)},
        {"shared: the next after the selected one, disabled too", shared, L'A', 0, MAKELRESULT(2, MNC_SELECT)},
        {"shared: from an item without the key", shared, L'a', 3, MAKELRESULT(4, MNC_SELECT)},
        {"shared: after the last, the first again", shared, L'a', 4, MAKELRESULT(0, MNC_SELECT)},
        {"a doubled ampersand marks nothing", shared, L'&', -1, MAKELRESULT(0, MNC_IGNORE)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(menu_text::AnswerMenuChar(c.rows, c.key, c.selected), c.answer) << c.what;
}

} // namespace
