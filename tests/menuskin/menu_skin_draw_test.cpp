#include "menuskin/menu_skin.h"

#include <gtest/gtest.h>

#include <string>

#include "menuskin/menu_look.h"
#include "tests/menuskin/skin_test_support.h"

namespace {

constexpr COLORREF kUntouched = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kFrame = 0x9C0E1F;
constexpr COLORREF kInterior = 0xF5E1E1;

COLORREF StripColumn(int column)
{
    return menu_look::GradientColumnColour(GetSysColor(COLOR_INACTIVECAPTION), GetSysColor(COLOR_MENU), column, 24);
}

TEST(GradientColumnColour, EachChannelMovesByATruncatedShareOfTheWay)
{
    struct Case {
        const char* what;
        COLORREF start, end;
        int column, width;
        COLORREF expected;
    };
    const Case cases[] = {
        {"black to 240 grey, column 0", RGB(0, 0, 0), RGB(240, 240, 240), 0, 24, RGB(0, 0, 0)},
        {"black to 240 grey, column 1", RGB(0, 0, 0), RGB(240, 240, 240), 1, 24, RGB(10, 10, 10)},
        {"black to 240 grey, column 23 stops short", RGB(0, 0, 0), RGB(240, 240, 240), 23, 24, RGB(230, 230, 230)},
        {"falling channel truncates toward the start", RGB(100, 0, 0), RGB(0, 0, 0), 1, 24, RGB(96, 0, 0)},
        {"channels apart", RGB(10, 200, 50), RGB(250, 20, 0), 6, 24, RGB(70, 155, 38)},
        {"no width", RGB(1, 2, 3), RGB(255, 255, 255), 0, 0, RGB(1, 2, 3)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(menu_look::GradientColumnColour(c.start, c.end, c.column, c.width), c.expected) << c.what;
}

TEST(SplitItemText, SplitsAtTheFirstTab)
{
    struct Case {
        const wchar_t *text, *item, *rightHand;
        bool hasRightHand;
    };
    const Case cases[] = {
        {L"E&xit", L"E&xit", L"", false},        {L"&Open\tCtrl+O", L"&Open", L"Ctrl+O", true},
        {L"Trailing\t", L"Trailing", L"", true}, {L"\tLeading", L"", L"Leading", true},
        {L"a\tb\tc", L"a", L"b\tc", true},
    };
    for (const Case& c : cases) {
        const menu_look::ItemText split = menu_look::SplitItemText(c.text);
        EXPECT_EQ(std::wstring(split.item), c.item) << c.text;
        EXPECT_EQ(std::wstring(split.rightHand), c.rightHand) << c.text;
        EXPECT_EQ(split.hasRightHand, c.hasRightHand) << c.text;
    }
}

TEST(DrawGradient, ColumnsReachOneRowBelowTheBottom)
{
    Canvas canvas(40, 20, kUntouched);
    EXPECT_EQ(MenuSkin::DrawGradient(canvas.dc(), kBlack, RGB(240, 240, 240), 5, 3, 24, 10), 1);
    const Canvas::Ink ink = canvas.InkIn({0, 0, 40, 20}, kUntouched);
    const RECT filled = {5, 3, 29, 11};
    EXPECT_TRUE(EqualRect(&ink.box, &filled)) << "rows 3 to 10 of columns 5 to 28";
    EXPECT_EQ(ink.count, 24 * 8);
    EXPECT_EQ(canvas.At(28, 3), RGB(230, 230, 230));
}

TEST(SkinnedItem, StatePaintsBoxDotAndTextColour)
{
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    struct Case {
        const char* what;
        UINT state;
        bool box, dot;
        COLORREF text;
    };
    const Case cases[] = {
        {"plain", 0, false, false, kBlack},
        {"highlighted", MFS_HILITE, true, false, kBlack},
        {"checked", MFS_CHECKED, false, true, kBlack},
        {"checked and highlighted: the dot on the box", MFS_CHECKED | MFS_HILITE, true, true, kBlack},
        {"disabled", MF_DISABLED, false, false, grey},
        {"greyed", MFS_GRAYED, false, false, grey},
        {"greyed by MF_GRAYED alone, checked and highlighted", MF_GRAYED | MFS_CHECKED | MFS_HILITE, false, false,
         grey},
        {"disabled, checked and highlighted", MF_DISABLED | MFS_CHECKED | MFS_HILITE, false, false, grey},
    };
    const POINT dot[] = {{12, 30}, {9, 30}, {14, 30}, {12, 27}, {12, 32}};
    const POINT aroundDot[] = {{7, 30}, {16, 30}, {12, 25}, {12, 34}};
    for (const Case& c : cases) {
        // Strip and dot hang off x = 0 of the device context; box and text follow rc.
        for (const int left : {0, 40}) {
            SCOPED_TRACE(testing::Message() << c.what << ", rc.left " << left);
            Canvas canvas(260, 60, kUntouched);
            // A tall item, mid row 30: the text is not centred vertically.
            OneItem(L"W\tW", c.state).Draw(canvas, {left, 10, left + 200, 50});
            const COLORREF background = c.box ? kInterior : kWhite;
            EXPECT_EQ(canvas.At(left + 199, 49), c.box ? kFrame : kWhite);
            EXPECT_EQ(canvas.At(left, 10), c.box ? kFrame : (left ? kWhite : StripColumn(0)));
            EXPECT_EQ(canvas.At(left + 198, 48), background);
            EXPECT_EQ(canvas.At(left + 200, 30), kUntouched);
            EXPECT_EQ(canvas.At(4, 30), c.box && !left ? kInterior : StripColumn(4));
            EXPECT_EQ(canvas.At(4, 50), StripColumn(4)) << "the strip's extra row is never boxed";
            EXPECT_EQ(canvas.At(30, 30), left ? kUntouched : background);
            for (const POINT& p : dot)
                EXPECT_EQ(canvas.At(p.x, p.y) == kBlack, c.dot) << p.x << "," << p.y;
            for (const POINT& p : aroundDot)
                EXPECT_NE(canvas.At(p.x, p.y), kBlack) << p.x << "," << p.y;
            const Canvas::Ink text = canvas.InkIn({left + 24, 11, left + 100, 49}, background);
            EXPECT_EQ(text.darkest, c.text);
            EXPECT_TRUE(text.box.left >= left + 32 && text.box.left < left + 35)
                << "at rc.left + 32: " << text.box.left;
            EXPECT_TRUE(text.box.top >= 14 && text.box.top < 20) << "at rc.top + 4: " << text.box.top;
            const Canvas::Ink rightHand = canvas.InkIn({left + 100, 11, left + 198, 49}, background);
            EXPECT_EQ(rightHand.darkest, kBlack) << "after the TAB, for every state";
            EXPECT_TRUE(rightHand.box.right > left + 181 && rightHand.box.right <= left + 185)
                << "15 pixels in from rc.right: " << rightHand.box.right;
            EXPECT_EQ(rightHand.box.top, text.box.top);
        }
    }
}

TEST(SkinnedItem, SeparatorIsOneBlackLineWhateverPenTheMenuLeftEvenWhenHighlighted)
{
    // The first paint of a menu can hand over a null pen, which would draw nothing.
    Canvas canvas(220, 30, kUntouched);
    const SelectionGuard selected = SelectInto(canvas.dc(), GetStockObject(NULL_PEN));
    // From rc.left + 32 to rc.right at mid = 5 + 9 / 2.
    OneItem(nullptr, MFS_HILITE | MFS_CHECKED).Draw(canvas, {10, 5, 210, 14});
    const Canvas::Ink line = canvas.InkIn({24, 5, 210, 14}, kWhite);
    EXPECT_EQ(line.count, 210 - 42) << "nothing but the line on white";
    EXPECT_EQ(line.box.left, 42);
    EXPECT_EQ(line.box.top, 9);
    EXPECT_EQ(line.darkest, RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(4, 9), StripColumn(4));
    EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PEN), GetStockObject(NULL_PEN)) << "the menu's pen is put back";
}

// The ink in `area` of an item 700 pixels wide, drawn over white.
Canvas::Ink InkOf(const wchar_t* text, const RECT& area)
{
    Canvas canvas(700, 24, kUntouched);
    OneItem(text).Draw(canvas, {0, 0, 700, 24});
    return canvas.InkIn(area, kWhite);
}

TEST(SkinnedItem, RightHandTextIsDrawnWholeOrNotAtAll)
{
    EXPECT_EQ(InkOf(L"Trailing\t", {150, 0, 700, 24}).count, 0) << "a TAB at the end: no right-hand text";
    // More than the 31 characters a fixed buffer would hold: all of them drawn.
    const Canvas probe(1, 1, kWhite);
    SIZE nine = {};
    GetTextExtentPoint32W(probe.dc(), L"xxxxxxxxx", 9, &nine);
    const Canvas::Ink at31 = InkOf((L"L\t" + std::wstring(31, L'x')).c_str(), {100, 0, 700, 24});
    const Canvas::Ink at40 = InkOf((L"L\t" + std::wstring(40, L'x')).c_str(), {100, 0, 700, 24});
    EXPECT_EQ(at40.box.right, at31.box.right);
    EXPECT_NEAR(at31.box.left - at40.box.left, nine.cx, 2);
}

TEST(SkinnedItem, MeasuredSizeIsTheWholeTextExtentPlusRoomForTheInsets)
{
    const UniqueWindowDc screen = GetWindowDc(nullptr);
    for (const wchar_t* text : {L"E&xit", L"Left\tCtrl+Shift+L", L""}) {
        SIZE extent = {};
        GetTextExtentPoint32W(screen.get().dc, text, lstrlenW(text), &extent);
        const MEASUREITEMSTRUCT measure = OneItem(text).Measure();
        // 10, and the text is drawn 32 pixels in from the left and 15 from the right.
        EXPECT_EQ(measure.itemWidth, static_cast<UINT>(extent.cx + 57)) << text;
        EXPECT_EQ(measure.itemHeight, static_cast<UINT>(extent.cy + 4)) << text;
    }
}

TEST(SkinnedItem, ItemWithoutTextIsMeasuredAndDrawnAsEmpty)
{
    OneItem nameless(L"Nameless", MFS_HILITE);
    // The label of an item that gave no text.
    reinterpret_cast<MenuItemLabel*>(nameless.data())->text.reset();
    Canvas canvas(200, 20, kUntouched);
    nameless.Draw(canvas, {0, 0, 200, 20});
    EXPECT_EQ(canvas.At(0, 0), kFrame);
    EXPECT_EQ(canvas.InkIn({1, 1, 199, 19}, kInterior).count, 0) << "the box and no text";
    const MEASUREITEMSTRUCT measured = nameless.Measure(), empty = OneItem(L"").Measure();
    EXPECT_TRUE(measured.itemWidth == empty.itemWidth && measured.itemHeight == empty.itemHeight);
}

} // namespace
