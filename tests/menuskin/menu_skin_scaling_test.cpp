#include "menuskin/menu_skin.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "menuskin/menu_look.h"
#include "tests/menuskin/skin_test_support.h"

namespace {

TEST(MenuLook, DistancesAndFontSizesScaleByTheDpiRoundedToThePixel)
{
    // Strip, dot left and size, text insets left, top and right, width and
    // height padding; the width padding is 10 plus the two insets, each scaled.
    struct Case {
        UINT dpi;
        int expected[8];
    };
    const Case cases[] = {{96, {24, 8, 8, 32, 4, 15, 57, 4}},
                          {0, {24, 8, 8, 32, 4, 15, 57, 4}},
                          {120, {30, 10, 10, 40, 5, 19, 72, 5}},
                          {144, {36, 12, 12, 48, 6, 23, 86, 6}}};
    for (const Case& c : cases) {
        const menu_look::Metrics m = menu_look::MetricsFor(c.dpi);
        const int got[8] = {m.stripWidth,   m.checkDotLeft,   m.checkDotSize, m.textInsetLeft,
                            m.textInsetTop, m.textInsetRight, m.widthPadding, m.heightPadding};
        EXPECT_TRUE(std::equal(got, got + 8, c.expected)) << c.dpi;
    }
    EXPECT_EQ(menu_look::FontSizeFor(-12, 96, 144), -18);
    EXPECT_EQ(menu_look::FontSizeFor(24, 144, 96), 16);
    EXPECT_EQ(menu_look::FontSizeFor(-11, 96, 120), -14);
    EXPECT_EQ(menu_look::FontSizeFor(16, 0, 144), 16);
}

TEST(SkinnedItem, MeasuredAt144DpiInAFontMadeForIt)
{
    // The test prefix runs at 96 DPI: the skin makes the font for 144 itself.
    const UniqueWindowDc screen = GetWindowDc(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen.get().dc, LOGPIXELSY), 96);
    LOGFONTW logFont = {};
    GetObjectW(GetCurrentObject(screen.get().dc, OBJ_FONT), sizeof(logFont), &logFont);
    logFont.lfHeight = logFont.lfHeight * 3 / 2;
    logFont.lfWidth = (logFont.lfWidth * 3 + 1) / 2;
    const UniqueFont font144(CreateFontIndirectW(&logFont));
    const SelectionGuard selected = SelectInto(screen.get().dc, font144.get());
    for (const wchar_t* text : {L"E&xit", L"Left\tCtrl+Shift+L"}) {
        SIZE extent = {};
        GetTextExtentPoint32W(screen.get().dc, text, lstrlenW(text), &extent);
        const MEASUREITEMSTRUCT at96 = OneItem(text).Measure(), at144 = OneItem(text, 0, 144).Measure();
        EXPECT_EQ(at144.itemWidth, static_cast<UINT>(extent.cx + 86)) << text;
        EXPECT_EQ(at144.itemHeight, static_cast<UINT>(extent.cy + 6)) << text;
        // A font one and a half times as high may be rasterised a pixel lower
        // (Liberation Sans at 24 pixels is 23 high here).
        EXPECT_NEAR(at144.itemHeight, at96.itemHeight * 1.5, 1.0) << text;
    }
}

TEST(SkinnedItem, DrawnAt144DpiWithStripDotAndTextInsetsScaled)
{
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    for (const UINT dpi : {96u, 144u}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        const menu_look::Metrics metrics = menu_look::MetricsFor(dpi);
        Canvas canvas(300, 80, RGB(255, 0, 255));
        // Mid row 40.
        OneItem(L"W", MFS_CHECKED, dpi).Draw(canvas, {0, 10, 300, 70});
        int strip = 0;
        while (strip < 300 && canvas.At(strip, 12) != white)
            ++strip;
        EXPECT_EQ(strip, dpi == 144 ? 36 : 24);
        // Wine fills an ellipse's whole box where Windows leaves the right and
        // bottom edge out.
        const Canvas::Ink dot = canvas.PaintedIn({0, 20, strip, 60}, black);
        EXPECT_EQ(dot.box.left, metrics.checkDotLeft);
        EXPECT_EQ(dot.box.top, 40 - metrics.checkDotSize / 2);
        EXPECT_NEAR(dot.box.right - dot.box.left, metrics.checkDotSize, 1);
        const Canvas::Ink text = canvas.InkIn({strip, 11, 300, 69}, white);
        EXPECT_TRUE(text.box.left >= metrics.textInsetLeft && text.box.left < metrics.textInsetLeft + 3);
        EXPECT_TRUE(text.box.top >= 10 + metrics.textInsetTop && text.box.top < 16 + metrics.textInsetTop);
    }
    // Wine gives every monitor the DPI the prefix is set to.
    EXPECT_EQ(MenuDpiAt({-100000, 0}), 96u);
}

} // namespace
