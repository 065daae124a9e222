#include "menuskin/menu_skin.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/menuskin/skin_test_support.h"

namespace {

constexpr COLORREF kUntouched = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kFrame = 0x9C0E1F;
constexpr COLORREF kInterior = 0xF5E1E1;
constexpr UINT kItem = 100;

int Brightness(COLORREF colour)
{
    return GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
}

// The darkest pixel of an area: for antialiased text on white, the text colour.
COLORREF Darkest(const Canvas& canvas, const RECT& area)
{
    COLORREF darkest = kWhite;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (Brightness(canvas.At(x, y)) < Brightness(darkest))
                darkest = canvas.At(x, y);
        }
    }
    return darkest;
}

// The strip DrawItem should paint for an item from `top` to `bottom`.
Canvas SystemStrip(int width, int height, int top, int bottom)
{
    Canvas strip(width, height, kUntouched);
    MenuSkin::DrawGradient(strip.dc(), GetSysColor(COLOR_INACTIVECAPTION), GetSysColor(COLOR_MENU), 0, top, 24, bottom);
    return strip;
}

// A popup menu with one string item (a separator when `text` is null) in the
// given state, converted by a skin with no owner window, and drawn the way the
// system asks for it.
class OneItemMenu {
public:
    explicit OneItemMenu(const wchar_t* text, UINT state = 0) : id_(text ? kItem : 0)
    {
        if (text)
            AppendItem(menu_.get(), kItem, text);
        else
            AppendSeparator(menu_.get());
        skin_.Attach(nullptr, menu_.get());
        if (state)
            SetState(menu_.get(), id_, state);
    }
    ~OneItemMenu() { skin_.Detach(); }

    MenuSkin& skin() { return skin_; }
    ULONG_PTR itemData() const { return ReadItem(menu_.get(), id_, FALSE, MIIM_DATA).dwItemData; }
    MenuItemLabel& label() const { return *reinterpret_cast<MenuItemLabel*>(itemData()); }

    void DrawInto(Canvas& canvas, const RECT& rc)
    {
        const DRAWITEMSTRUCT draw = DrawRequest(menu_.get(), id_, canvas.dc(), rc);
        EXPECT_EQ(skin_.DrawItem(&draw), 0);
    }
    Canvas Draw(const RECT& rc, int width, int height)
    {
        Canvas canvas(width, height, kUntouched);
        DrawInto(canvas, rc);
        return canvas;
    }
    MEASUREITEMSTRUCT Measure()
    {
        MEASUREITEMSTRUCT measure = {ODT_MENU, 0, id_, 0, 0, itemData()};
        EXPECT_EQ(skin_.MeasureItem(&measure), 0);
        return measure;
    }

private:
    UINT id_;
    UniqueMenu menu_{CreatePopupMenu()};
    MenuSkin skin_;
};

TEST(DrawGradient, ColumnsShadeAndReachOneRowBelowTheBottom)
{
    Canvas canvas(40, 20, kUntouched);
    EXPECT_EQ(MenuSkin::DrawGradient(canvas.dc(), RGB(0, 0, 0), RGB(240, 240, 240), 5, 3, 24, 10), 1);
    for (int column = 0; column < 24; ++column) {
        const int grey = 10 * column;
        // bottom 10: rows 3 to 10, one more than a rectangle with bottom 10.
        for (int y = 3; y <= 10; ++y)
            EXPECT_EQ(canvas.At(5 + column, y), RGB(grey, grey, grey)) << "column " << column << " row " << y;
        EXPECT_EQ(canvas.At(5 + column, 2), kUntouched) << "column " << column;
        EXPECT_EQ(canvas.At(5 + column, 11), kUntouched) << "column " << column;
    }
    EXPECT_EQ(canvas.At(4, 5), kUntouched);
    EXPECT_EQ(canvas.At(29, 5), kUntouched) << "the end colour itself is never painted";

    canvas.Fill(kUntouched);
    MenuSkin::DrawGradient(canvas.dc(), RGB(100, 0, 200), RGB(0, 0, 0), 0, 0, 24, 2);
    EXPECT_EQ(canvas.At(1, 1), RGB(96, 0, 192)) << "a falling channel truncates toward the start";
    EXPECT_EQ(canvas.At(23, 2), RGB(5, 0, 9));

    canvas.Fill(kUntouched);
    EXPECT_EQ(MenuSkin::DrawGradient(canvas.dc(), kBlack, kWhite, 0, 0, 0, 8), 1);
    EXPECT_EQ(MenuSkin::DrawGradient(canvas.dc(), kBlack, kWhite, 0, 0, -5, 8), 1);
    EXPECT_TRUE(canvas.InkExtent({0, 0, 40, 20}, kUntouched).empty()) << "no width, nothing drawn";
}

TEST(SkinnedItem, PlainItemIsWhiteWithTheSystemGradientStrip)
{
    OneItemMenu item(L"Plain");
    const Canvas canvas = item.Draw({0, 10, 200, 30}, 220, 40);

    EXPECT_TRUE(canvas.SameArea(SystemStrip(220, 40, 10, 30), {0, 0, 24, 40})) << "x 0..23, rows 10..30";
    EXPECT_EQ(canvas.At(0, 10), GetSysColor(COLOR_INACTIVECAPTION));
    EXPECT_EQ(canvas.At(24, 10), kWhite);
    EXPECT_EQ(canvas.At(199, 29), kWhite);
    EXPECT_EQ(canvas.At(120, 20), kWhite) << "no highlight and nothing after the text";
    EXPECT_EQ(canvas.At(200, 20), kUntouched) << "rc.right is outside";
    EXPECT_EQ(canvas.At(100, 30), kUntouched) << "the background stops at rc.bottom";
    EXPECT_EQ(canvas.At(100, 9), kUntouched);
    EXPECT_EQ(Darkest(canvas, {32, 10, 185, 30}), kBlack) << "enabled text is black";
}

TEST(SkinnedItem, HighlightBoxCoversTheWholeItemAndStrip)
{
    OneItemMenu item(L"Options", MFS_HILITE);
    const Canvas canvas = item.Draw({0, 0, 160, 24}, 170, 30);

    for (int x : {0, 80, 159}) {
        EXPECT_EQ(canvas.At(x, 0), kFrame) << Hex(canvas.At(x, 0));
        EXPECT_EQ(canvas.At(x, 23), kFrame);
    }
    for (int y : {12, 22})
        EXPECT_EQ(canvas.At(159, y), kFrame);
    for (int x : {1, 5, 23, 24, 31, 150, 158})
        EXPECT_EQ(canvas.At(x, 12), kInterior) << "x " << x;
    EXPECT_EQ(canvas.At(1, 1), kInterior);
    EXPECT_EQ(canvas.At(158, 22), kInterior);
    EXPECT_EQ(canvas.At(5, 24), SystemStrip(170, 30, 0, 24).At(5, 24)) << "the strip's extra row is not boxed";
    EXPECT_EQ(Darkest(canvas, {32, 1, 145, 23}), kBlack) << "highlighted text stays black";
}

TEST(SkinnedItem, CheckDotIsABlackEllipseCentredOnTheItem)
{
    OneItemMenu item(L"&Launch on Startup", MFS_CHECKED);
    // Bounding box (8, 46) - (16, 54): the middle row is 50.
    const Canvas canvas = item.Draw({0, 40, 200, 60}, 210, 70);
    for (int y = 47; y <= 52; ++y)
        EXPECT_EQ(canvas.At(12, y), kBlack) << "row " << y;
    for (int x = 9; x <= 14; ++x)
        EXPECT_EQ(canvas.At(x, 50), kBlack) << "column " << x;
    for (POINT outside : {POINT{7, 50}, POINT{17, 50}, POINT{12, 45}, POINT{12, 55}, POINT{8, 46}})
        EXPECT_NE(canvas.At(outside.x, outside.y), kBlack) << outside.x << "," << outside.y;

    OneItemMenu highlighted(L"Windows Default", MFS_CHECKED | MFS_HILITE);
    const Canvas boxed = highlighted.Draw({0, 0, 200, 20}, 210, 30);
    EXPECT_EQ(boxed.At(12, 10), kBlack) << "the dot on top of the box";
    EXPECT_EQ(boxed.At(12, 7), kBlack);
    EXPECT_EQ(boxed.At(4, 10), kInterior);
    EXPECT_EQ(boxed.At(20, 10), kInterior);
    EXPECT_EQ(boxed.At(0, 10), kFrame);
}

TEST(SkinnedItem, DisabledItemHasGreyTextAndNoBoxOrDot)
{
    const RECT rc = {0, 0, 200, 22};
    const Canvas plain = OneItemMenu(L"Turn Sounds O&n").Draw(rc, 210, 30);
    const UINT states[] = {MF_DISABLED, MFS_GRAYED, MF_DISABLED | MFS_HILITE, MF_DISABLED | MFS_CHECKED,
                           MF_DISABLED | MFS_CHECKED | MFS_HILITE};
    for (UINT state : states) {
        OneItemMenu item(L"Turn Sounds O&n", state);
        const Canvas canvas = item.Draw(rc, 210, 30);
        EXPECT_EQ(Darkest(canvas, {32, 0, 185, 22}), GetSysColor(COLOR_GRAYTEXT)) << "state " << state;
        EXPECT_TRUE(canvas.SameArea(plain, {0, 0, 32, 30})) << "state " << state << ": strip, no box, no dot";
        EXPECT_EQ(canvas.At(150, 11), kWhite) << "state " << state;
        EXPECT_EQ(canvas.At(199, 0), kWhite) << "state " << state;
    }
}

TEST(SkinnedItem, SeparatorIsOneLineWithTheCurrentPenAndNothingElse)
{
    for (UINT state : {0u, static_cast<UINT>(MFS_HILITE), static_cast<UINT>(MFS_HILITE | MFS_CHECKED)}) {
        OneItemMenu item(nullptr, state);
        Canvas canvas(220, 30, kUntouched);
        const gdi::UniquePen pen(CreatePen(PS_SOLID, 1, RGB(0, 128, 0)));
        const gdi::SelectionGuard selected = gdi::SelectInto(canvas.dc(), pen.get());
        MoveToEx(canvas.dc(), 3, 4, nullptr);
        // rc.left 10: the line runs from x 42 to 209 at mid = 5 + 9 / 2 = 9.
        item.DrawInto(canvas, {10, 5, 210, 14});

        EXPECT_EQ(canvas.At(41, 9), kWhite) << "state " << state;
        EXPECT_EQ(canvas.At(42, 9), RGB(0, 128, 0)) << "state " << state;
        EXPECT_EQ(canvas.At(209, 9), RGB(0, 128, 0)) << "state " << state;
        EXPECT_EQ(canvas.At(210, 9), kUntouched) << "state " << state;
        const Canvas::Extent line = canvas.InkExtent({24, 5, 210, 14}, kWhite);
        EXPECT_EQ(line.count, 209 - 42 + 1) << "state " << state << ": only the line on white";
        EXPECT_EQ(line.top, 9);
        EXPECT_TRUE(canvas.SameArea(SystemStrip(220, 30, 5, 14), {0, 0, 24, 30})) << "state " << state;
        POINT position = {};
        GetCurrentPositionEx(canvas.dc(), &position);
        EXPECT_EQ(position.x, 3) << "current position put back";
        EXPECT_EQ(position.y, 4);
    }
}

TEST(SkinnedItem, ItemAwayFromTheLeftEdgeKeepsStripAndDotAtTheDeviceOrigin)
{
    OneItemMenu item(L"Shifted", MFS_HILITE | MFS_CHECKED);
    const Canvas canvas = item.Draw({40, 10, 200, 30}, 220, 40);

    const Canvas strip = SystemStrip(220, 40, 10, 30);
    EXPECT_TRUE(canvas.SameArea(strip, {0, 0, 8, 40}));
    EXPECT_TRUE(canvas.SameArea(strip, {16, 0, 24, 40}));
    EXPECT_EQ(canvas.At(12, 20), kBlack) << "dot at x 8..16 of the device context";
    EXPECT_EQ(canvas.At(30, 20), kUntouched) << "nothing between the strip and the item";
    EXPECT_EQ(canvas.At(40, 20), kFrame) << "the box follows rc";
    EXPECT_EQ(canvas.At(41, 20), kInterior);
    EXPECT_EQ(canvas.At(199, 20), kFrame);
    const Canvas::Extent text = canvas.InkExtent({41, 11, 199, 29}, kInterior);
    ASSERT_FALSE(text.empty());
    EXPECT_GE(text.left, 72) << "text at rc.left + 32";
    EXPECT_LT(text.left, 76);
}

TEST(SkinnedItem, TextStartsAtTheTopLeftOfItsRectangleAndIsNotCentred)
{
    // A tall item: vertically centred text would sit far below rc.top + 4.
    OneItemMenu item(L"Wj&Q");
    const Canvas canvas = item.Draw({40, 10, 240, 70}, 260, 80);

    // The platform's own drawing of the text from the corner (72, 14), with
    // prefix processing and no other flag.
    Canvas expected(260, 80, kWhite);
    SetBkMode(expected.dc(), TRANSPARENT);
    RECT corner = {72, 14, 225, 70};
    DrawTextW(expected.dc(), L"Wj&Q", 4, &corner, 0);
    EXPECT_TRUE(canvas.SameArea(expected, {40, 10, 240, 70}));

    const Canvas::Extent text = canvas.InkExtent({40, 10, 240, 70}, kWhite);
    ASSERT_FALSE(text.empty());
    EXPECT_GE(text.left, 72);
    EXPECT_GE(text.top, 14);
    EXPECT_LT(text.bottom, 14 + 30) << "the text stays at the top";
}

TEST(SkinnedItem, AmpersandUnderlinesTheNextLetterAndIsNotDrawn)
{
    const RECT rc = {0, 0, 200, 24};
    const auto ink = [&rc](const wchar_t* text) {
        return OneItemMenu(text).Draw(rc, 200, 24).InkExtent({32, 0, 200, 24}, kWhite);
    };
    const Canvas::Extent plain = ink(L"W");
    const Canvas::Extent marked = ink(L"&W");
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(marked.left, plain.left) << "the ampersand itself takes no room";
    EXPECT_GT(marked.bottom, plain.bottom) << "underline below the letter";
    EXPECT_FALSE(ink(L"&&").empty()) << "two ampersands show one";

    EXPECT_GT(OneItemMenu(L"E&xit").Measure().itemWidth, OneItemMenu(L"Exit").Measure().itemWidth)
        << "the measured width counts the ampersand";
}

TEST(SkinnedItem, TabSplitsIntoItemTextAndBlackRightHandText)
{
    OneItemMenu item(L"Left\tCtrl+L", MF_DISABLED);
    const Canvas canvas = item.Draw({0, 0, 300, 24}, 310, 30);

    const Canvas::Extent left = canvas.InkExtent({32, 0, 150, 24}, kWhite);
    const Canvas::Extent right = canvas.InkExtent({150, 0, 300, 24}, kWhite);
    ASSERT_FALSE(left.empty());
    ASSERT_FALSE(right.empty());
    EXPECT_GE(left.left, 32);
    EXPECT_LE(right.right, 300 - 15) << "right-aligned 15 pixels in from the item's right edge";
    EXPECT_GE(right.right, 300 - 15 - 3);
    EXPECT_GE(right.top, 4) << "at the top of the text rectangle";
    EXPECT_EQ(Darkest(canvas, {32, 0, 150, 24}), GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(Darkest(canvas, {150, 0, 300, 24}), kBlack) << "right-hand text is black, even when disabled";

    const Canvas trailing = OneItemMenu(L"Trailing\t").Draw({0, 0, 300, 24}, 310, 30);
    EXPECT_FALSE(trailing.InkExtent({32, 0, 150, 24}, kWhite).empty());
    EXPECT_TRUE(trailing.InkExtent({150, 0, 300, 24}, kWhite).empty()) << "a TAB at the end: no right-hand text";
}

TEST(SkinnedItem, RightHandTextLongerThanThirtyOneCharactersIsDrawnWhole)
{
    const auto ink = [](std::size_t length) {
        const std::wstring text = L"L\t" + std::wstring(length, L'x');
        return OneItemMenu(text.c_str()).Draw({0, 0, 900, 24}, 900, 24).InkExtent({100, 0, 900, 24}, kWhite);
    };
    Canvas measure(10, 10, kWhite);
    SIZE nine = {};
    GetTextExtentPoint32W(measure.dc(), L"xxxxxxxxx", 9, &nine);

    const Canvas::Extent at31 = ink(31);
    const Canvas::Extent at40 = ink(40);
    ASSERT_FALSE(at31.empty());
    EXPECT_EQ(at40.right, at31.right);
    EXPECT_NEAR(at31.left - at40.left, nine.cx, 2) << "all 40 characters drawn";
}

TEST(SkinnedItem, ItemWithoutTextIsDrawnAndMeasuredAsEmpty)
{
    OneItemMenu item(L"Nameless", MFS_HILITE);
    // The shape of the label of an item that gave no text.
    item.label().text.reset();

    const Canvas canvas = item.Draw({0, 0, 200, 20}, 210, 30);
    EXPECT_EQ(canvas.At(0, 0), kFrame);
    EXPECT_TRUE(canvas.InkExtent({1, 1, 199, 19}, kInterior).empty()) << "the box and no text";

    const MEASUREITEMSTRUCT nameless = item.Measure();
    const MEASUREITEMSTRUCT empty = OneItemMenu(L"").Measure();
    const MEASUREITEMSTRUCT separator = OneItemMenu(nullptr).Measure();
    EXPECT_EQ(nameless.itemWidth, 57u);
    EXPECT_EQ(nameless.itemWidth, empty.itemWidth);
    EXPECT_EQ(nameless.itemHeight, empty.itemHeight);
    EXPECT_EQ(separator.itemWidth, empty.itemWidth);
    EXPECT_EQ(separator.itemHeight, empty.itemHeight);
}

TEST(SkinnedItem, MeasuredSizeIsTheWholeTextExtentPlusPadding)
{
    // Without an owner window the skin measures in the screen's device context.
    const gdi::UniqueWindowDc screen = gdi::GetWindowDc(nullptr);
    for (const wchar_t* text : {L"E&xit", L"Turn Sounds O&ff", L"Left\tCtrl+Shift+L", L"&&"}) {
        const MEASUREITEMSTRUCT measure = OneItemMenu(text).Measure();
        SIZE extent = {};
        GetTextExtentPoint32W(screen.get().dc, text, lstrlenW(text), &extent);
        // The text is drawn 32 pixels in from the left and 15 from the right.
        EXPECT_EQ(measure.itemWidth, static_cast<UINT>(extent.cx + 10 + 32 + 15)) << text;
        EXPECT_EQ(measure.itemHeight, static_cast<UINT>(extent.cy + 4)) << text;
    }
}

TEST(SkinnedItem, RequestsThatAreNotForItsMenuItemsAreLeftAlone)
{
    OneItemMenu item(L"Mine");
    MenuItemLabel stranger{L"Not converted by this skin"};
    struct Case {
        const char* what;
        UINT type;
        ULONG_PTR itemData;
    };
    const Case cases[] = {
        {"a button", ODT_BUTTON, item.itemData()},
        {"a list box line", ODT_LISTBOX, item.itemData()},
        {"item data of someone else", ODT_MENU, reinterpret_cast<ULONG_PTR>(&stranger)},
        {"no item data", ODT_MENU, 0},
    };
    for (const Case& c : cases) {
        Canvas canvas(100, 30, kUntouched);
        DRAWITEMSTRUCT draw = {c.type, 0, kItem, ODA_DRAWENTIRE, 0, nullptr, canvas.dc(), {0, 0, 100, 20}, c.itemData};
        EXPECT_EQ(item.skin().DrawItem(&draw), 0);
        EXPECT_TRUE(canvas.InkExtent({0, 0, 100, 30}, kUntouched).empty()) << c.what;

        MEASUREITEMSTRUCT measure = {c.type, 0, kItem, 1234, 5678, c.itemData};
        EXPECT_EQ(item.skin().MeasureItem(&measure), 0);
        EXPECT_EQ(measure.itemWidth, 1234u) << c.what;
        EXPECT_EQ(measure.itemHeight, 5678u) << c.what;
    }
    EXPECT_EQ(item.skin().DrawItem(nullptr), 0);
    EXPECT_EQ(item.skin().MeasureItem(nullptr), 0);
}

} // namespace
