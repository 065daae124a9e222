#pragma once

#include <windows.h>

// A move-only owner of one Win32 handle. Traits name the handle type, its empty
// value and how to release it; each handle type gets one alias below or beside
// the code that uses it.
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

struct RegistryKeyTraits {
    using pointer = HKEY;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(HKEY key) noexcept { RegCloseKey(key); }
};

using UniqueRegKey = UniqueHandle<RegistryKeyTraits>;
