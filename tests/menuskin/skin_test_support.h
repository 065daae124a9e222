#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/unique_handle.h"
#include "menuskin/gdi_objects.h"
#include "menuskin/menu_item_label.h"
#include "menuskin/menu_skin.h"

struct MenuTraits {
    using pointer = HMENU;
    static pointer Empty() noexcept { return nullptr; }
    // Destroys the attached submenus too.
    static void Close(HMENU menu) noexcept { DestroyMenu(menu); }
};
using UniqueMenu = UniqueHandle<MenuTraits>;

// A 32-bit top-down DIB section in a memory device context: drawing into it
// needs no display, and every pixel can be read back exactly.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : width_(width), height_(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc_.reset(CreateCompatibleDC(nullptr));
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<std::uint32_t*>(bits);
        selected_ = gdi::SelectInto(dc_.get(), bitmap_.get());
        Fill(fill);
    }

    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    bool valid() const { return bits_ != nullptr && selected_; }

    void Fill(COLORREF colour)
    {
        const RECT all = {0, 0, width_, height_};
        const gdi::UniqueBrush brush(CreateSolidBrush(colour));
        FillRect(dc_.get(), &all, brush.get());
        GdiFlush();
    }

    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const std::uint32_t pixel = bits_[static_cast<std::size_t>(y) * width_ + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

    // Pixels in [left, right) x [top, bottom) that differ from `background`.
    struct Extent {
        int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1, count = 0;
        bool empty() const { return count == 0; }
    };
    Extent InkExtent(const RECT& area, COLORREF background) const
    {
        Extent extent;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (At(x, y) == background)
                    continue;
                ++extent.count;
                extent.left = x < extent.left ? x : extent.left;
                extent.right = x + 1 > extent.right ? x + 1 : extent.right;
                extent.top = y < extent.top ? y : extent.top;
                extent.bottom = y + 1 > extent.bottom ? y + 1 : extent.bottom;
            }
        }
        return extent;
    }

    bool SameArea(const Canvas& other, const RECT& area) const
    {
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (At(x, y) != other.At(x, y))
                    return false;
            }
        }
        return true;
    }

private:
    int width_;
    int height_;
    gdi::UniqueMemoryDc dc_;
    gdi::UniqueBitmap bitmap_;
    std::uint32_t* bits_ = nullptr;
    // Declared last: the bitmap is deselected before it is deleted.
    gdi::SelectionGuard selected_;
};

inline std::string Hex(COLORREF colour)
{
    char text[16];
    snprintf(text, sizeof(text), "0x%06lX", static_cast<unsigned long>(colour));
    return text;
}

// Appends a string item; flags as for InsertMenuW by position.
inline void AppendItem(HMENU menu, UINT id, const wchar_t* text, UINT flags = 0)
{
    InsertMenuW(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING | flags, id, text);
}

inline void AppendSeparator(HMENU menu)
{
    InsertMenuW(menu, static_cast<UINT>(-1), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

inline MENUITEMINFOW ReadItem(HMENU menu, UINT item, BOOL byPosition, UINT mask)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = mask;
    EXPECT_TRUE(GetMenuItemInfoW(menu, item, byPosition, &info)) << "item " << item;
    return info;
}

inline std::wstring ItemText(HMENU menu, UINT position)
{
    MENUITEMINFOW info = ReadItem(menu, position, TRUE, MIIM_STRING);
    std::wstring text(info.cch + 1, L'\0');
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return std::wstring(text.c_str());
}

inline const MenuItemLabel* LabelOf(HMENU menu, UINT item, BOOL byPosition)
{
    return reinterpret_cast<const MenuItemLabel*>(ReadItem(menu, item, byPosition, MIIM_DATA).dwItemData);
}

// Sets MFS_* state bits of the item with command `id`.
inline void SetState(HMENU menu, UINT id, UINT state)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    info.fState = state;
    ASSERT_TRUE(SetMenuItemInfoW(menu, id, FALSE, &info));
}

// The draw request the system sends for the item with command `id` of `menu`.
inline DRAWITEMSTRUCT DrawRequest(HMENU menu, UINT id, HDC dc, const RECT& rc)
{
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = id;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.hwndItem = reinterpret_cast<HWND>(menu);
    draw.hDC = dc;
    draw.rcItem = rc;
    draw.itemData = ReadItem(menu, id, FALSE, MIIM_DATA).dwItemData;
    return draw;
}
