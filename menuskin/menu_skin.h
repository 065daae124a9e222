#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "menuskin/menu_item_label.h"

// Window properties on the owner window while a skin is attached.
constexpr wchar_t kOriginalProcProperty[] = L"QMR_OriginalProc";
// Holds the address of the MenuSkin, not a menu handle, whatever the name says.
constexpr wchar_t kSkinProperty[] = L"QMR_MenuHandle";

// Whether the user has turned high contrast on (SPI_GETHIGHCONTRAST).
bool SystemHighContrastOn();

// The DPI of the monitor nearest to `screenPoint`, the point a menu opens at:
// what Attach wants. 96 when the system cannot say.
UINT MenuDpiAt(POINT screenPoint);

// Draws every item of one popup menu, and of its submenus, while the menu is
// tracked. Attach subclasses the owner window, so that the measure and draw
// requests of the owner-drawn items, and the access keys typed into the menu,
// reach the skin, and gives every item a label; Detach undoes both and must
// come before the menu is destroyed:
//
//   MenuSkin skin;
//   skin.Attach(window, menu, MenuDpiAt(point));
//   TrackPopupMenu(menu, ..., point.x, point.y, 0, window, nullptr);
//   skin.Detach();
//   DestroyMenu(menu);
//
// The skin owns the labels and its address sits in a window property, so it is
// neither copied nor moved.
class MenuSkin {
public:
    // Answers whether high contrast is on; tests put their own in.
    using HighContrastQuery = bool (*)();

    explicit MenuSkin(HighContrastQuery highContrastQuery = &SystemHighContrastOn);
    // A skin that goes away while still attached takes its subclass off first,
    // so the window never calls into a skin that no longer exists.
    ~MenuSkin();

    MenuSkin(const MenuSkin&) = delete;
    MenuSkin& operator=(const MenuSkin&) = delete;

    // Subclasses `owner` (unless it is null, or another skin is attached to it
    // already), then converts every item of `popup` and its submenus. The menu
    // is measured and drawn for `dpi`, the DPI of the monitor it opens on; its
    // colours follow high contrast as it is now.
    MenuSkin& Attach(HWND owner, HMENU popup, UINT dpi = USER_DEFAULT_SCREEN_DPI);
    // Undoes the subclass, then releases the labels of the attached menu.
    void Detach();
    // Undoes the subclass only; the window may be on its way out. Returns 0.
    int DetachWindow();

    // Makes every item of `popup` and its submenus owner-drawn with a label
    // holding its text; text, id, state and submenu stay as they are. Items that
    // already carry a label of this skin are left alone.
    void ConvertItems(HMENU popup);
    // Releases the labels of this skin that `popup` and its submenus point at.
    // Item types and item data are left as they are: the menu is destroyed next.
    void ReleaseItems(HMENU popup);

    // The owner-draw requests. Only menu requests for items that carry a label
    // of this skin are served; every other request is left untouched. Both
    // return 0. Sizes, distances and the font are those of the skin's DPI.
    int MeasureItem(MEASUREITEMSTRUCT* measure);
    int DrawItem(const DRAWITEMSTRUCT* draw);

    // WM_MENUCHAR: the answer for `key` typed into `menu`, from the access keys
    // its items' texts mark (see menu_text::AnswerMenuChar). None when `menu`
    // holds no item of this skin.
    std::optional<LRESULT> AnswerMenuChar(wchar_t key, HMENU menu) const;

    // The system colours or high contrast changed: asks about high contrast
    // again and repaints the menus open on this thread.
    void OnSystemColoursChanged();

    UINT Dpi() const { return dpi; }
    bool HighContrast() const { return highContrast; }

    // Paints `width` one-pixel columns from x = left, each from `top` down to
    // and including row `bottom`, shading from `start` toward `end`; a new brush
    // for every column. Returns 1.
    static int DrawGradient(HDC dc, COLORREF start, COLORREF end, int left, int top, int width, int bottom);

private:
    const MenuItemLabel* FindLabel(ULONG_PTR itemData) const;
    void ReleaseLabel(ULONG_PTR itemData);

    HighContrastQuery highContrastQuery;
    bool highContrast = false;
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    HMENU menu = nullptr;
    HWND ownerWindow = nullptr;
    // The owner window's procedure before the subclass: pointer-sized.
    WNDPROC savedProc = nullptr;
    // The labels of the converted items, each owned here once; item data only
    // points at them.
    std::vector<std::unique_ptr<MenuItemLabel>> labels;
};

// The subclass procedure of an owner window with a skin attached: serves the
// menu's measure and draw requests, follows changes of the system colours and
// of high contrast, takes the subclass off at WM_NCDESTROY, and hands every
// message, those included, to the saved procedure. Only a WM_MENUCHAR for one
// of the skin's menus is answered by the skin alone.
LRESULT CALLBACK SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
