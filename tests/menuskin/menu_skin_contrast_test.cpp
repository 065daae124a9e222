#include "menuskin/menu_skin.h"

#include <gtest/gtest.h>

#include "menuskin/menu_look.h"
#include "tests/menuskin/skin_test_support.h"

namespace {

constexpr COLORREF kUntouched = RGB(255, 0, 255);

bool g_highContrast = false;

bool HighContrastSwitch()
{
    return g_highContrast;
}

bool HighContrastOn()
{
    return true;
}

TEST(ColoursFor, OutsideHighContrastTheSkinsOwnInsideItTheSystemsWithoutStrip)
{
    const menu_look::SystemColours system = {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3),
                                             RGB(4, 4, 4), RGB(5, 5, 5), RGB(6, 6, 6)};
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0), frame = RGB(31, 14, 156),
                   interior = RGB(225, 225, 245);
    const COLORREF menu = system.menu, text = system.menuText, highlight = system.highlight,
                   highlightText = system.highlightText, grey = system.grayText, caption = system.inactiveCaption;
    struct Case {
        const char* what;
        UINT state;
        bool highContrast;
        menu_look::RowColours expected;
    };
    // Background; strip, its start and end; boxed, frame, interior; text,
    // right-hand text, check dot, separator.
    const Case cases[] = {
        {"plain", 0, false, {white, true, caption, menu, false, frame, interior, black, black, black, black}},
        {"checked",
         MFS_CHECKED,
         false,
         {white, true, caption, menu, false, frame, interior, black, black, black, black}},
        {"highlighted",
         MFS_HILITE,
         false,
         {white, true, caption, menu, true, frame, interior, black, black, black, black}},
        {"disabled",
         MFS_DISABLED,
         false,
         {white, true, caption, menu, false, frame, interior, grey, black, black, black}},
        {"greyed and highlighted",
         MFS_GRAYED | MFS_HILITE,
         false,
         {white, true, caption, menu, false, frame, interior, grey, black, black, black}},
        {"high contrast, plain",
         0,
         true,
         {menu, false, menu, menu, false, highlight, highlight, text, text, text, text}},
        {"high contrast, checked",
         MFS_CHECKED,
         true,
         {menu, false, menu, menu, false, highlight, highlight, text, text, text, text}},
        {"high contrast, highlighted",
         MFS_HILITE | MFS_CHECKED,
         true,
         {menu, false, menu, menu, true, highlight, highlight, highlightText, highlightText, highlightText, text}},
        {"greyed by MF_GRAYED alone",
         MF_GRAYED | MFS_HILITE,
         false,
         {white, true, caption, menu, false, frame, interior, grey, black, black, black}},
        {"high contrast, disabled",
         MF_DISABLED,
         true,
         {menu, false, menu, menu, false, highlight, highlight, grey, grey, grey, text}},
        {"high contrast, greyed and highlighted",
         MFS_GRAYED | MFS_HILITE,
         true,
         {menu, false, menu, menu, false, highlight, highlight, grey, grey, grey, text}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const menu_look::RowColours got = menu_look::ColoursFor(c.state, c.highContrast, system);
        const menu_look::RowColours& e = c.expected;
        EXPECT_EQ(got.background, e.background);
        EXPECT_EQ(got.strip, e.strip);
        if (e.strip) {
            EXPECT_EQ(got.stripStart, e.stripStart);
            EXPECT_EQ(got.stripEnd, e.stripEnd);
        }
        EXPECT_EQ(got.boxed, e.boxed);
        if (e.boxed) {
            EXPECT_EQ(got.frame, e.frame);
            EXPECT_EQ(got.interior, e.interior);
        }
        EXPECT_EQ(got.text, e.text);
        EXPECT_EQ(got.rightHandText, e.rightHandText);
        EXPECT_EQ(got.checkDot, e.checkDot);
        EXPECT_EQ(got.separator, e.separator);
    }
}

TEST(SkinnedItem, InHighContrastPaintedInSystemColoursWithoutStrip)
{
    const COLORREF menu = GetSysColor(COLOR_MENU), text = GetSysColor(COLOR_MENUTEXT),
                   highlight = GetSysColor(COLOR_HIGHLIGHT), highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT),
                   grey = GetSysColor(COLOR_GRAYTEXT);
    struct Case {
        const char* what;
        UINT state;
        COLORREF background, text;
    };
    const Case cases[] = {
        {"plain and checked", MFS_CHECKED, menu, text},
        {"highlighted and checked", MFS_HILITE | MFS_CHECKED, highlight, highlightText},
        {"disabled", MFS_GRAYED | MFS_HILITE, menu, grey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas canvas(260, 60, kUntouched);
        // Mid row 30; the dot from x = 8 to 16.
        OneItem(L"W\tW", c.state, USER_DEFAULT_SCREEN_DPI, &HighContrastOn).Draw(canvas, {0, 10, 200, 50});
        const RECT all = {0, 10, 200, 50}, strip = {0, 10, 8, 50}, dot = {8, 26, 16, 34};
        const RECT itemText = {24, 11, 100, 49}, rightHand = {100, 11, 199, 49};
        EXPECT_EQ(canvas.PaintedIn(strip, c.background).count, 8 * 40) << "no strip";
        EXPECT_EQ(canvas.At(199, 49), c.background) << "no frame of another colour";
        const bool dotted = !(c.state & MF_DISABLED);
        EXPECT_EQ(canvas.PaintedIn(dot, c.text).count > 40, dotted) << "the dot in the text colour";
        // Text is smoothed: its edges blend into the background.
        for (const RECT& area : {itemText, rightHand})
            EXPECT_GT(canvas.PaintedIn(area, c.text).count, 5) << "text of its colour";
        const int painted = canvas.PaintedIn(all, c.background).count + canvas.PaintedIn(all, c.text).count;
        EXPECT_GT(painted, 200 * 40 - 150) << "nearly all of it in the two colours";
    }

    Canvas canvas(220, 30, kUntouched);
    OneItem(nullptr, 0, USER_DEFAULT_SCREEN_DPI, &HighContrastOn).Draw(canvas, {10, 5, 210, 14});
    EXPECT_EQ(canvas.PaintedIn({0, 5, 10, 14}, kUntouched).count, 10 * 9) << "no strip left of the item";
    const Canvas::Ink line = canvas.InkIn({10, 5, 210, 14}, menu);
    EXPECT_EQ(line.count, 210 - 42) << "a separator line on the menu colour";
    EXPECT_EQ(canvas.PaintedIn({10, 5, 210, 14}, text).count, line.count) << "in the text colour";
}

// A real menu tracked for an owner window while the system colours change.
int g_draws = 0;
RECT g_firstItem = {};
struct Observed {
    HWND owner = nullptr;
    int drawsBefore = -1, drawsAfter = -1;
    COLORREF stripBefore = CLR_INVALID, stripAfter = CLR_INVALID;
    bool highContrastBefore = true, highContrastAfter = false;
    MenuSkin* skin = nullptr;
} g_observed;

LRESULT CALLBACK CountingOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (draw->itemID == 1)
            g_firstItem = draw->rcItem;
        ++g_draws;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A column of the strip inside the menu's frame, which covers its first ones.
constexpr int kStripColumn = 6;

COLORREF MenuPixel(HWND menuWindow, int x, int y)
{
    const UniqueWindowDc dc = GetWindowDc(menuWindow);
    return dc ? GetPixel(dc.get().dc, x, y) : CLR_INVALID;
}

void CALLBACK WhileTheMenuIsOpen(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    const HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (menuWindow && IsWindowVisible(menuWindow)) {
        UpdateWindow(menuWindow);
        g_observed.stripBefore = MenuPixel(menuWindow, kStripColumn, g_firstItem.top + 2);
        g_observed.highContrastBefore = g_observed.skin->HighContrast();
        g_observed.drawsBefore = g_draws;
        g_highContrast = true;
        SendMessageW(g_observed.owner, WM_SYSCOLORCHANGE, 0, 0);
        g_observed.drawsAfter = g_draws;
        g_observed.highContrastAfter = g_observed.skin->HighContrast();
        g_observed.stripAfter = MenuPixel(menuWindow, kStripColumn, g_firstItem.top + 2);
    }
    EndMenu();
}

TEST(SkinnedMenu, SystemColourChangeWhileOpenRepaintsItInHighContrast)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const WNDCLASSW windowClass = {0, &CountingOwnerProc, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"Owner"};
    RegisterClassW(&windowClass);
    const UniqueWindow owner(CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                             nullptr, nullptr, instance, nullptr));
    ASSERT_TRUE(owner) << "window tests need a display (run under xvfb-run)";
    const UniqueMenu menu(CreatePopupMenu());
    AppendItem(menu.get(), 1, L"Turn Sounds O&ff");
    AppendItem(menu.get(), 2, L"E&xit");

    g_highContrast = false;
    MenuSkin skin(&HighContrastSwitch);
    skin.Attach(owner.get(), menu.get());
    g_observed.owner = owner.get();
    g_observed.skin = &skin;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, &WhileTheMenuIsOpen);
    TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, 100, 100, 0, owner.get(), nullptr);
    KillTimer(nullptr, timer);
    skin.Detach();

    ASSERT_GE(g_observed.drawsBefore, 2) << "the menu was open and painted";
    EXPECT_FALSE(g_observed.highContrastBefore);
    EXPECT_TRUE(g_observed.highContrastAfter);
    EXPECT_GE(g_observed.drawsAfter - g_observed.drawsBefore, 2) << "every item painted again at once";
    const COLORREF strip = menu_look::GradientColumnColour(GetSysColor(COLOR_INACTIVECAPTION), GetSysColor(COLOR_MENU),
                                                           kStripColumn, menu_look::kStripWidth);
    EXPECT_EQ(g_observed.stripBefore, strip);
    EXPECT_EQ(g_observed.stripAfter, GetSysColor(COLOR_MENU)) << "the strip is gone";
}

TEST(SkinnedMenu, HighContrastIsAskedAgainOnEveryColourOrContrastChange)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const WNDCLASSW windowClass = {0, &CountingOwnerProc, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"Owner"};
    RegisterClassW(&windowClass);
    const UniqueWindow owner(CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                             nullptr, nullptr, instance, nullptr));
    ASSERT_TRUE(owner) << "window tests need a display (run under xvfb-run)";
    const UniqueMenu menu(CreatePopupMenu());
    AppendItem(menu.get(), 1, L"E&xit");
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        bool asks;
    };
    const Case cases[] = {
        {"system colours", WM_SYSCOLORCHANGE, 0, true},
        {"high contrast", WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, true},
        {"another setting", WM_SETTINGCHANGE, SPI_SETWORKAREA, false},
    };
    for (const Case& c : cases) {
        g_highContrast = false;
        MenuSkin skin(&HighContrastSwitch);
        skin.Attach(owner.get(), menu.get());
        g_highContrast = true;
        SendMessageW(owner.get(), c.message, c.wParam, 0);
        EXPECT_EQ(skin.HighContrast(), c.asks) << c.what;
        skin.Detach();
    }
}

} // namespace
