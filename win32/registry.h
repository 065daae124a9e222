#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win32/unique_handle.h"

// Registry access shared by the engine and the program settings. Data written
// by other programs is never trusted, and every call tells "absent" (an empty
// handle or an empty optional with ERROR_SUCCESS or ERROR_FILE_NOT_FOUND) from
// "failed" (any other Win32 error code). Nothing here throws.
namespace registry {

// Subkey names fit in 260 characters, NUL included; longer ones fail their index.
constexpr DWORD kSubkeyNameCapacity = 260;

// What a key that is read and then written in the same pass is opened with.
constexpr REGSAM kReadWrite = KEY_QUERY_VALUE | KEY_SET_VALUE;

// The errors that mean "there is no such key or value".
constexpr bool IsAbsent(LONG error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// An opened key, or why there is none.
struct Key {
    UniqueRegKey handle;
    LONG error = ERROR_SUCCESS;

    HKEY get() const noexcept { return handle.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(handle); }
    bool Absent() const noexcept { return !handle && IsAbsent(error); }
    bool Failed() const noexcept { return !handle && !IsAbsent(error); }
};

// Opens an existing key; never creates one.
Key OpenKey(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);

// Opens a key, creating it and any missing parent first. `created`, when
// given, tells whether the key was new.
Key CreateKey(HKEY root, const std::wstring& path, REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE,
              bool* created = nullptr);

// The text of a value (nullptr names the default value), whatever type it was
// stored with: cut at its first NUL, an odd trailing byte dropped. The text is
// none when the value is absent or holds no data at all; `error` is set only
// when the read failed.
struct Text {
    std::optional<std::wstring> text;
    LONG error = ERROR_SUCCESS;

    bool Failed() const noexcept { return error != ERROR_SUCCESS; }
};
Text ReadText(HKEY key, const wchar_t* valueName);

// The text of a value where a failed read may count as an absent one: display
// names, and values that are only compared.
inline std::optional<std::wstring> ReadString(HKEY key, const wchar_t* valueName)
{
    return key ? ReadText(key, valueName).text : std::nullopt;
}

// A value exactly as stored, for putting it back after a change that failed.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};
struct Raw {
    std::optional<RawValue> value; // none: absent
    LONG error = ERROR_SUCCESS;
};
Raw ReadRaw(HKEY key, const wchar_t* valueName);

// Stores text with its terminating NUL: (length + 1) * 2 bytes. Answers the
// Win32 result.
LONG WriteString(HKEY key, const wchar_t* valueName, DWORD type, const std::wstring& text);

// Stores exactly `byteCount` bytes of `data`. Answers the Win32 result.
LONG WriteBytes(HKEY key, const wchar_t* valueName, DWORD type, const void* data, DWORD byteCount);

// Windows' own text for a Win32 error code, without the trailing line break.
std::wstring ErrorText(LONG error);

// Calls visit(index, name) for every subkey of `parent` in enumeration order.
// An index whose name does not fit is skipped and keeps its number. The walk
// ends at ERROR_NO_MORE_ITEMS, answering ERROR_SUCCESS, and at once at any
// other error, answering it: an error that persists (access denied, the key
// deleted by another program during the walk) would otherwise repeat for
// every index. An empty handle is ERROR_INVALID_HANDLE. A smaller name
// capacity than the usual one is for tests of the skipping.
template <typename Visitor>
[[nodiscard]] LONG WalkSubkeys(HKEY parent, Visitor&& visit, DWORD nameCapacity = kSubkeyNameCapacity)
{
    if (!parent)
        return ERROR_INVALID_HANDLE;
    wchar_t name[kSubkeyNameCapacity];
    nameCapacity = nameCapacity < kSubkeyNameCapacity ? nameCapacity : kSubkeyNameCapacity;
    for (DWORD index = 0;; ++index) {
        DWORD capacity = nameCapacity;
        const LONG status = RegEnumKeyExW(parent, index, name, &capacity, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) {
            name[kSubkeyNameCapacity - 1] = L'\0';
            visit(index, static_cast<const wchar_t*>(name));
        } else if (status == ERROR_NO_MORE_ITEMS) {
            return ERROR_SUCCESS;
        } else if (status != ERROR_MORE_DATA) {
            return status;
        }
    }
}

} // namespace registry
