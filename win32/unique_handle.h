#pragma once

#include <windows.h>

// A move-only owner of one Win32 handle. Traits name the handle type, its empty
// value and how to release it; every handle type the program owns has one
// alias at the end of this file.
template <typename Traits>
class UniqueHandle {
public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Empty(); }

    pointer release() noexcept
    {
        pointer handle = handle_;
        handle_ = Traits::Empty();
        return handle;
    }

    void reset(pointer handle = Traits::Empty()) noexcept
    {
        if (handle_ != Traits::Empty())
            Traits::Close(handle_);
        handle_ = handle;
    }

    // For out-parameters: releases what is held and hands out the slot.
    pointer* put() noexcept
    {
        reset();
        return &handle_;
    }

private:
    pointer handle_ = Traits::Empty();
};

// Traits of a handle that is empty when null and released by one function.
template <typename Handle, auto CloseFunction>
struct CloseWith {
    using pointer = Handle;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { CloseFunction(handle); }
};

using UniqueRegKey = UniqueHandle<CloseWith<HKEY, &RegCloseKey>>;
// Destroys the menu together with every submenu attached to it.
using UniqueMenu = UniqueHandle<CloseWith<HMENU, &DestroyMenu>>;
using UniqueIcon = UniqueHandle<CloseWith<HICON, &DestroyIcon>>;
using UniqueWindow = UniqueHandle<CloseWith<HWND, &DestroyWindow>>;
using UniqueBrush = UniqueHandle<CloseWith<HBRUSH, &DeleteObject>>;
using UniquePen = UniqueHandle<CloseWith<HPEN, &DeleteObject>>;
using UniqueFont = UniqueHandle<CloseWith<HFONT, &DeleteObject>>;
using UniqueBitmap = UniqueHandle<CloseWith<HBITMAP, &DeleteObject>>;
// A device context made with CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<CloseWith<HDC, &DeleteDC>>;
// A kernel object: process, thread, mutex, event.
using UniqueKernelHandle = UniqueHandle<CloseWith<HANDLE, &CloseHandle>>;

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
