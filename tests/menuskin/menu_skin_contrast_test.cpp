#include "menuskin/menu_skin.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(MenuLook, ColoursOutsideHighContrastTheSkinsOwnInsideItTheSystemsWithoutStrip)
{
    const menu_look::SystemColours system = {RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3),
                                             RGB(4, 4, 4), RGB(5, 5, 5), RGB(6, 6, 6)};
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0), frame = RGB(31, 14, 156),
                   inner = RGB(225, 225, 245);
    const COLORREF menu = system.menu, text = system.menuText, light = system.highlight,
                   lightText = system.highlightText, grey = system.grayText, caption = system.inactiveCaption;
    struct Case {
        UINT state;
        bool highContrast, strip, boxed;
        // Background, strip start and end, frame, interior, text, right-hand
        // text, dot, separator.
        COLORREF colours[9];
    };
    const Case cases[] = {
        {MFS_HILITE, false, true, true, {white, caption, menu, frame, inner, black, black, black, black}},
        {MF_GRAYED | MFS_HILITE, false, true, false, {white, caption, menu, frame, inner, grey, black, black, black}},
        {MFS_CHECKED, true, false, false, {menu, menu, menu, light, light, text, text, text, text}},
        {MFS_HILITE, true, false, true, {menu, menu, menu, light, light, lightText, lightText, lightText, text}},
        {MF_DISABLED | MFS_HILITE, true, false, false, {menu, menu, menu, light, light, grey, grey, grey, text}},
    };
    for (const Case& c : cases) {
        const menu_look::RowColours r = menu_look::ColoursFor(c.state, c.highContrast, system);
        const COLORREF got[9] = {r.background, r.stripStart,    r.stripEnd, r.frame,    r.interior,
                                 r.text,       r.rightHandText, r.checkDot, r.separator};
        EXPECT_TRUE(std::equal(got, got + 9, c.colours)) << c.state << (c.highContrast ? " in high contrast" : "");
        EXPECT_TRUE(r.strip == c.strip && r.boxed == c.boxed) << c.state << (c.highContrast ? " in high contrast" : "");
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
        EXPECT_EQ(canvas.PaintedIn({0, 10, 8, 50}, c.background).count, 8 * 40) << "no strip";
        EXPECT_EQ(canvas.At(199, 49), c.background) << "no frame of another colour";
        EXPECT_EQ(canvas.PaintedIn({8, 26, 16, 34}, c.text).count > 40, !(c.state & MF_DISABLED)) << "the dot";
        // Text is smoothed: its edges blend into the background.
        for (const RECT& area : {RECT{24, 11, 100, 49}, RECT{100, 11, 199, 49}})
            EXPECT_GT(canvas.PaintedIn(area, c.text).count, 5) << "item and right-hand text in the text colour";
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

TEST(SkinnedMenu, ContrastChangeIsSeenAndAColourChangeWhileOpenRepaintsIt)
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

    // Another setting changes nothing; a change of high contrast is seen.
    MenuSkin setting(&HighContrastSwitch);
    setting.Attach(owner.get(), menu.get());
    g_highContrast = true;
    SendMessageW(owner.get(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_FALSE(setting.HighContrast());
    SendMessageW(owner.get(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_TRUE(setting.HighContrast());
    setting.Detach();

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

} // namespace
