#pragma once

#include <optional>
#include <string>
#include <utility>

#include "engine/unique_handle.h"

// Registry access shared by the engine and the program settings. Every key is
// opened with KEY_ALL_ACCESS; data written by other programs is never trusted.
namespace registry {

// Subkey names fit in 260 characters, NUL included; longer ones fail their index.
constexpr DWORD kSubkeyNameCapacity = 260;

// Opens an existing key; an empty handle when it does not exist or cannot be opened.
UniqueRegKey OpenKey(HKEY root, const std::wstring& path);

// Opens a key, creating it and any missing parent first.
UniqueRegKey CreateKey(HKEY root, const std::wstring& path);

// The text of a value (nullptr names the default value), whatever type it was
// stored with: cut at its first NUL, an odd trailing byte dropped. None when the
// key is empty, the value is absent or it holds no data at all.
std::optional<std::wstring> ReadString(HKEY key, const wchar_t* valueName);

// Stores text with its terminating NUL: (length + 1) * 2 bytes.
void WriteString(HKEY key, const wchar_t* valueName, DWORD type, const std::wstring& text);

// Stores exactly `byteCount` bytes of `data`.
void WriteBytes(HKEY key, const wchar_t* valueName, DWORD type, const void* data, DWORD byteCount);

// Calls visit(index, name) for every subkey of `parent` in enumeration order.
// An index whose name cannot be read is skipped and keeps its number; the walk
// ends at ERROR_NO_MORE_ITEMS, or at once when the key itself is unusable
// (empty handle, or deleted by another program during the walk). A smaller
// name capacity than the usual one is for tests of the skipping.
template <typename Visitor>
void WalkSubkeys(HKEY parent, Visitor&& visit, DWORD nameCapacity = kSubkeyNameCapacity)
{
    if (!parent)
        return;
    wchar_t name[kSubkeyNameCapacity];
    nameCapacity = nameCapacity < kSubkeyNameCapacity ? nameCapacity : kSubkeyNameCapacity;
    for (DWORD index = 0;; ++index) {
        DWORD capacity = nameCapacity;
        const LONG status = RegEnumKeyExW(parent, index, name, &capacity, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) {
            name[kSubkeyNameCapacity - 1] = L'\0';
            visit(index, static_cast<const wchar_t*>(name));
        } else if (status == ERROR_NO_MORE_ITEMS || status == ERROR_KEY_DELETED || status == ERROR_INVALID_HANDLE) {
            return;
        }
    }
}

} // namespace registry
