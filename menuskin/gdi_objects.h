#pragma once

#include <windows.h>

#include "engine/unique_handle.h"

// Owners of the GDI objects the menu skin creates, and a guard for what it
// selects into a device context it only borrows.
namespace gdi {

template <typename Handle>
struct GdiObjectTraits {
    using pointer = Handle;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(Handle object) noexcept { DeleteObject(object); }
};

using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;

// A device context made with CreateCompatibleDC.
struct MemoryDcTraits {
    using pointer = HDC;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(HDC dc) noexcept { DeleteDC(dc); }
};

using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// A device context from GetDC goes back to the window it came from, so the
// owner keeps both.
struct WindowDc {
    HWND window = nullptr;
    HDC dc = nullptr;

    friend bool operator==(const WindowDc& left, const WindowDc& right)
    {
        return left.window == right.window && left.dc == right.dc;
    }
    friend bool operator!=(const WindowDc& left, const WindowDc& right) { return !(left == right); }
};

struct WindowDcTraits {
    using pointer = WindowDc;
    static pointer Empty() noexcept { return WindowDc{}; }
    static void Close(const WindowDc& owned) noexcept { ReleaseDC(owned.window, owned.dc); }
};

using UniqueWindowDc = UniqueHandle<WindowDcTraits>;

// GetDC of a null window gives the screen's device context, which is released
// the same way.
inline UniqueWindowDc GetWindowDc(HWND window)
{
    HDC dc = GetDC(window);
    return dc ? UniqueWindowDc(WindowDc{window, dc}) : UniqueWindowDc();
}

// What was selected into a device context before an object of ours replaced it.
struct Selection {
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;

    friend bool operator==(const Selection& left, const Selection& right)
    {
        return left.dc == right.dc && left.previous == right.previous;
    }
    friend bool operator!=(const Selection& left, const Selection& right) { return !(left == right); }
};

struct SelectionTraits {
    using pointer = Selection;
    static pointer Empty() noexcept { return Selection{}; }
    static void Close(const Selection& selection) noexcept { SelectObject(selection.dc, selection.previous); }
};

// Puts the previous object back when it goes out of scope. Declare it after the
// owner of the selected object, so that the object is deselected before it is
// deleted; the device context itself is only borrowed.
using SelectionGuard = UniqueHandle<SelectionTraits>;

inline SelectionGuard SelectInto(HDC dc, HGDIOBJ object)
{
    HGDIOBJ previous = SelectObject(dc, object);
    if (!previous || previous == HGDI_ERROR)
        return SelectionGuard();
    return SelectionGuard(Selection{dc, previous});
}

} // namespace gdi
