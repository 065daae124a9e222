#include "menuskin/menu_skin.h"

#include <gtest/gtest.h>

#include "menuskin/menu_look.h"
#include "tests/menuskin/skin_test_support.h"

namespace {

constexpr COLORREF kUntouched = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST(MetricsFor, EveryDistanceScalesByTheDpiOver96RoundedToThePixel)
{
    struct Case {
        UINT dpi;
        menu_look::Metrics expected;
    };
    // Strip, dot left and size, text insets left, top and right, width and
    // height padding. The width padding is 10 plus the two insets, each scaled.
    const Case cases[] = {
        {96, {24, 8, 8, 32, 4, 15, 57, 4}},     {0, {24, 8, 8, 32, 4, 15, 57, 4}},
        {120, {30, 10, 10, 40, 5, 19, 72, 5}},  {144, {36, 12, 12, 48, 6, 23, 86, 6}},
        {192, {48, 16, 16, 64, 8, 30, 114, 8}},
    };
    for (const Case& c : cases) {
        const menu_look::Metrics m = menu_look::MetricsFor(c.dpi);
        const menu_look::Metrics& e = c.expected;
        EXPECT_TRUE(m.stripWidth == e.stripWidth && m.checkDotLeft == e.checkDotLeft &&
                    m.checkDotSize == e.checkDotSize && m.textInsetLeft == e.textInsetLeft &&
                    m.textInsetTop == e.textInsetTop && m.textInsetRight == e.textInsetRight &&
                    m.widthPadding == e.widthPadding && m.heightPadding == e.heightPadding)
            << c.dpi << ": " << m.stripWidth << " " << m.checkDotLeft << " " << m.checkDotSize << " " << m.textInsetLeft
            << " " << m.textInsetTop << " " << m.textInsetRight << " " << m.widthPadding << " " << m.heightPadding;
    }
}

TEST(MeasuredSize, AtOneAndAHalfTimesTheDpiARowIsOneAndAHalfTimesAsHigh)
{
    // A font made for 144 DPI is one and a half times as high as its 96-DPI self.
    const SIZE at96 = menu_look::MeasuredSize({100, 16}, 96), at144 = menu_look::MeasuredSize({150, 24}, 144);
    EXPECT_EQ(at96.cx, 157);
    EXPECT_EQ(at96.cy, 20);
    EXPECT_EQ(at144.cy, 30);
    EXPECT_EQ(at144.cx, 150 + 86) << "the insets round up by half a pixel";
}

TEST(FontSizeFor, ScalesFromTheFontsDpiKeepingTheSign)
{
    struct Case {
        LONG height;
        UINT fontDpi, dpi;
        LONG expected;
    };
    const Case cases[] = {
        {-12, 96, 144, -18}, {16, 96, 144, 24}, {24, 144, 96, 16}, {-12, 96, 96, -12},
        {-11, 96, 120, -14}, {16, 0, 144, 16},  {16, 96, 0, 16},   {0, 96, 144, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(menu_look::FontSizeFor(c.height, c.fontDpi, c.dpi), c.expected)
            << c.height << " from " << c.fontDpi << " to " << c.dpi;
}

// The extent of `text` in the screen's font made for `dpi`, as a program
// would make it for a monitor of that DPI.
SIZE ExtentForDpi(const wchar_t* text, UINT dpi)
{
    const UniqueWindowDc screen = GetWindowDc(nullptr);
    LOGFONTW logFont = {};
    GetObjectW(GetCurrentObject(screen.get().dc, OBJ_FONT), sizeof(logFont), &logFont);
    const int screenDpi = GetDeviceCaps(screen.get().dc, LOGPIXELSY);
    logFont.lfHeight = MulDiv(logFont.lfHeight, dpi, screenDpi);
    logFont.lfWidth = MulDiv(logFont.lfWidth, dpi, screenDpi);
    const UniqueFont font(CreateFontIndirectW(&logFont));
    const SelectionGuard selected = SelectInto(screen.get().dc, font.get());
    SIZE extent = {};
    GetTextExtentPoint32W(screen.get().dc, text, lstrlenW(text), &extent);
    return extent;
}

TEST(SkinnedItem, MeasuredAt144DpiInAFontMadeForIt)
{
    // The test prefix runs at 96 DPI: the skin makes a font for 144 itself.
    const UniqueWindowDc screen = GetWindowDc(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen.get().dc, LOGPIXELSY), 96);
    for (const wchar_t* text : {L"E&xit", L"Turn Sounds O&ff", L"Left\tCtrl+Shift+L"}) {
        SCOPED_TRACE(testing::Message() << text);
        const SIZE extent = ExtentForDpi(text, 144);
        const MEASUREITEMSTRUCT at96 = OneItem(text).Measure(), at144 = OneItem(text, 0, 144).Measure();
        EXPECT_EQ(at144.itemWidth, static_cast<UINT>(extent.cx + 86));
        EXPECT_EQ(at144.itemHeight, static_cast<UINT>(extent.cy + 6));
        // A font one and a half times as high may be rasterised a pixel lower
        // (Liberation Sans at 24 pixels is 23 high here).
        EXPECT_NEAR(at144.itemHeight, at96.itemHeight * 1.5, 1.0) << "one and a half times as high";
        EXPECT_NEAR(at144.itemWidth, at96.itemWidth * 1.5, at96.itemWidth * 0.1) << "and about as much wider";
    }
}

TEST(SkinnedItem, DrawnAt144DpiWithStripDotAndInsetsScaled)
{
    const COLORREF inactive = GetSysColor(COLOR_INACTIVECAPTION), menuColour = GetSysColor(COLOR_MENU);
    for (const UINT dpi : {96u, 144u}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        const menu_look::Metrics metrics = menu_look::MetricsFor(dpi);
        Canvas canvas(300, 80, kUntouched);
        // Mid row 40.
        OneItem(L"W", MFS_CHECKED, dpi).Draw(canvas, {0, 10, 300, 70});
        // The strip: every column of its width shaded, the next one white.
        int strip = 0;
        while (strip < 300 && canvas.At(strip, 12) != kWhite)
            ++strip;
        EXPECT_EQ(strip, dpi == 144 ? 36 : 24);
        EXPECT_EQ(canvas.At(strip - 1, 12), menu_look::GradientColumnColour(inactive, menuColour, strip - 1, strip));
        const Canvas::Ink black = canvas.PaintedIn({0, 20, strip, 60}, kBlack);
        // Wine fills an ellipse's whole box where Windows leaves the right and
        // bottom edge out: the dot is its size or one less.
        EXPECT_EQ(black.box.left, metrics.checkDotLeft);
        EXPECT_EQ(black.box.top, 40 - metrics.checkDotSize / 2);
        EXPECT_GE(black.box.right - black.box.left, metrics.checkDotSize - 1);
        EXPECT_LE(black.box.right - black.box.left, metrics.checkDotSize);
        const Canvas::Ink text = canvas.InkIn({strip, 11, 300, 69}, kWhite);
        EXPECT_TRUE(text.box.left >= metrics.textInsetLeft && text.box.left < metrics.textInsetLeft + 3)
            << "text at " << text.box.left;
        EXPECT_TRUE(text.box.top >= 10 + metrics.textInsetTop && text.box.top < 10 + metrics.textInsetTop + 6)
            << "text at " << text.box.top;
    }
}

TEST(MenuDpiAt, IsTheDpiOfTheMonitorUnderThePoint)
{
    // Wine gives every monitor the DPI the prefix is set to.
    const UniqueWindowDc screen = GetWindowDc(nullptr);
    EXPECT_EQ(MenuDpiAt({0, 0}), static_cast<UINT>(GetDeviceCaps(screen.get().dc, LOGPIXELSY)));
    EXPECT_EQ(MenuDpiAt({-100000, -100000}), MenuDpiAt({0, 0})) << "the nearest monitor";
}

} // namespace
