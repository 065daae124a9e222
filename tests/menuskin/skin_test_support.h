#pragma once

#include <windows.h>

#include "menuskin/menu_skin.h"
#include "win32/unique_handle.h"

// A 32-bpp DIB section in a memory DC: needs no display, reads back exactly.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill)
    {
        const BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        selected_ = SelectInto(dc_.get(), bitmap_.get());
        const RECT all = {0, 0, width, height};
        const UniqueBrush brush(CreateSolidBrush(fill));
        FillRect(dc_.get(), &all, brush.get());
    }
    HDC dc() const { return dc_.get(); }
    COLORREF At(int x, int y) const { return GetPixel(dc_.get(), x, y); }

    // Pixels of `area` unlike `background`: box, number, darkest (the text colour).
    struct Ink {
        RECT box = {};
        int count = 0;
        COLORREF darkest = RGB(255, 255, 255);
    };
    Ink InkIn(const RECT& area, COLORREF background) const
    {
        const auto brightness = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
        Ink ink;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                const COLORREF pixel = At(x, y);
                if (pixel == background)
                    continue;
                ++ink.count;
                const RECT dot = {x, y, x + 1, y + 1};
                UnionRect(&ink.box, &ink.box, &dot);
                if (brightness(pixel) < brightness(ink.darkest))
                    ink.darkest = pixel;
            }
        }
        return ink;
    }

    // Pixels of `area` that are exactly `colour`: box and number.
    Ink PaintedIn(const RECT& area, COLORREF colour) const
    {
        Ink ink;
        ink.darkest = colour;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (At(x, y) != colour)
                    continue;
                ++ink.count;
                const RECT dot = {x, y, x + 1, y + 1};
                UnionRect(&ink.box, &ink.box, &dot);
            }
        }
        return ink;
    }

private:
    UniqueMemoryDc dc_{CreateCompatibleDC(nullptr)};
    UniqueBitmap bitmap_;
    // Last: the bitmap is deselected before it is deleted.
    SelectionGuard selected_;
};

inline void AppendItem(HMENU menu, UINT_PTR id, const wchar_t* text, UINT flags = 0)
{
    InsertMenuW(menu, static_cast<UINT>(-1), MF_BYPOSITION | (text ? MF_STRING : MF_SEPARATOR) | flags, id, text);
}

inline ULONG_PTR ItemData(HMENU menu, UINT id)
{
    MENUITEMINFOW info = {sizeof(info), MIIM_DATA, 0, 0, 0, nullptr, nullptr, nullptr, 0, nullptr, 0, nullptr};
    GetMenuItemInfoW(menu, id, FALSE, &info);
    return info.dwItemData;
}

// The draw request the system sends for the item with command `id` of `menu`.
inline DRAWITEMSTRUCT DrawRequest(HMENU menu, UINT id, HDC dc, const RECT& rc)
{
    return DRAWITEMSTRUCT{ODT_MENU, 0, id, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(menu), dc, rc, ItemData(menu, id)};
}

// One item (a separator when `text` is null), skinned without an owner window
// for `dpi`, in high contrast when `highContrast` says so.
struct OneItem {
    explicit OneItem(const wchar_t* text, UINT state = 0, UINT dpi = USER_DEFAULT_SCREEN_DPI,
                     MenuSkin::HighContrastQuery highContrast = &SystemHighContrastOn)
        : id(text ? 100 : 0), skin(highContrast)
    {
        AppendItem(menu.get(), id, text, state);
        skin.Attach(nullptr, menu.get(), dpi);
    }
    ~OneItem() { skin.Detach(); }
    ULONG_PTR data() const { return ItemData(menu.get(), id); }
    void Draw(Canvas& canvas, const RECT& rc)
    {
        const DRAWITEMSTRUCT draw = DrawRequest(menu.get(), id, canvas.dc(), rc);
        skin.DrawItem(&draw);
    }
    MEASUREITEMSTRUCT Measure()
    {
        MEASUREITEMSTRUCT measure = {ODT_MENU, 0, id, 0, 0, data()};
        skin.MeasureItem(&measure);
        return measure;
    }

    UniqueMenu menu{CreatePopupMenu()};
    UINT id;
    MenuSkin skin;
};
