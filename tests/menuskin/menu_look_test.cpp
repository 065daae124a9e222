#include "menuskin/menu_look.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using menu_look::GradientColumnColour;
using menu_look::SplitItemText;

TEST(GradientColumnColour, ColumnsOfTheStrip)
{
    struct Case {
        const char* what;
        COLORREF start;
        COLORREF end;
        int column;
        int width;
        COLORREF expected;
    };
    const Case cases[] = {
        {"black to 240 grey, first column", RGB(0, 0, 0), RGB(240, 240, 240), 0, 24, RGB(0, 0, 0)},
        {"black to 240 grey, column 1", RGB(0, 0, 0), RGB(240, 240, 240), 1, 24, RGB(10, 10, 10)},
        {"black to 240 grey, column 12", RGB(0, 0, 0), RGB(240, 240, 240), 12, 24, RGB(120, 120, 120)},
        {"black to 240 grey, last column stops short of the end", RGB(0, 0, 0), RGB(240, 240, 240), 23, 24,
         RGB(230, 230, 230)},
        {"falling channel truncates toward the start", RGB(100, 0, 0), RGB(0, 0, 0), 1, 24, RGB(96, 0, 0)},
        {"falling channel, last column", RGB(100, 0, 0), RGB(0, 0, 0), 23, 24, RGB(5, 0, 0)},
        {"rising channel truncates toward the start", RGB(0, 0, 0), RGB(0, 100, 0), 1, 24, RGB(0, 4, 0)},
        {"each channel on its own", RGB(10, 200, 50), RGB(250, 20, 50), 6, 24, RGB(70, 155, 50)},
        {"blue channel falls", RGB(0, 0, 255), RGB(0, 0, 0), 23, 24, RGB(0, 0, 11)},
        {"equal colours", RGB(12, 34, 56), RGB(12, 34, 56), 17, 24, RGB(12, 34, 56)},
        {"width of one column", RGB(0, 0, 0), RGB(255, 255, 255), 0, 1, RGB(0, 0, 0)},
        {"no width at all", RGB(1, 2, 3), RGB(255, 255, 255), 0, 0, RGB(1, 2, 3)},
        {"negative width", RGB(1, 2, 3), RGB(255, 255, 255), 5, -24, RGB(1, 2, 3)},
        {"high byte of the colours ignored", 0x01000000 | RGB(0, 0, 0), RGB(240, 240, 240), 1, 24, RGB(10, 10, 10)},
        {"column past the strip held to a byte", RGB(0, 0, 0), RGB(240, 240, 240), 48, 24, RGB(255, 255, 255)},
        {"far column does not overflow", RGB(255, 255, 255), RGB(0, 0, 0), 100000000, 24, RGB(0, 0, 0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GradientColumnColour(c.start, c.end, c.column, c.width), c.expected) << c.what;
    }
}

TEST(SplitItemText, SplitsAtTheFirstTab)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* item;
        const wchar_t* rightHand;
        bool hasRightHand;
    };
    const Case cases[] = {
        {L"E&xit", L"E&xit", L"", false},
        {L"", L"", L"", false},
        {L"&Open\tCtrl+O", L"&Open", L"Ctrl+O", true},
        {L"Trailing\t", L"Trailing", L"", true},
        {L"\tLeading", L"", L"Leading", true},
        {L"\t", L"", L"", true},
        {L"a\tb\tc", L"a", L"b\tc", true},
        {L"two\t\ttabs", L"two", L"\ttabs", true},
        {L"Long\t1234567890123456789012345678901234567890", L"Long", L"1234567890123456789012345678901234567890", true},
    };
    for (const Case& c : cases) {
        const menu_look::ItemText split = SplitItemText(c.text);
        EXPECT_EQ(std::wstring(split.item), c.item) << c.text;
        EXPECT_EQ(std::wstring(split.rightHand), c.rightHand) << c.text;
        EXPECT_EQ(split.hasRightHand, c.hasRightHand) << c.text;
    }
}

} // namespace
