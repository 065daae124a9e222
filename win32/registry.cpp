#include "win32/registry.h"

#include <cwchar>
#include <vector>

namespace registry {

namespace {

// The text in the first `byteCount` bytes of `data`, which holds at least one
// character more than that: cut at the first NUL, an odd trailing byte dropped.
std::wstring TextOf(const wchar_t* data, DWORD byteCount)
{
    const std::size_t characters = byteCount / sizeof(wchar_t);
    return std::wstring(data, wcsnlen(data, characters));
}

} // namespace

Key OpenKey(HKEY root, const std::wstring& path, REGSAM access)
{
    Key key;
    key.error = RegOpenKeyExW(root, path.c_str(), 0, access, key.handle.put());
    if (key.error != ERROR_SUCCESS)
        key.handle.release(); // a failed open leaves nothing to close
    return key;
}

Key CreateKey(HKEY root, const std::wstring& path, REGSAM access, bool* created)
{
    Key key;
    DWORD disposition = 0;
    key.error = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                key.handle.put(), &disposition);
    if (key.error != ERROR_SUCCESS)
        key.handle.release();
    if (created)
        *created = key.error == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return key;
}

Text ReadText(HKEY key, const wchar_t* valueName)
{
    Text result;
    if (!key) {
        result.error = ERROR_INVALID_HANDLE;
        return result;
    }

    // Most sound paths fit here, which saves asking for the size first. One
    // character more than the data may fill: the registry does not always
    // terminate what it hands back.
    wchar_t small[MAX_PATH + 1];
    DWORD byteCount = MAX_PATH * sizeof(wchar_t);
    LONG status = RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(small), &byteCount);
    if (status == ERROR_SUCCESS) {
        small[MAX_PATH] = L'\0';
        if (byteCount > 0)
            result.text = TextOf(small, byteCount);
        return result;
    }

    // Another program may resize the value between two reads; ask again a few
    // times rather than ever take a partial value.
    std::vector<wchar_t> large;
    for (int attempt = 0; attempt < 8 && status == ERROR_MORE_DATA; ++attempt) {
        // Rounded up for an odd byte count, plus the terminating character.
        large.assign(byteCount / sizeof(wchar_t) + 2, L'\0');
        byteCount = static_cast<DWORD>((large.size() - 1) * sizeof(wchar_t));
        status = RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(large.data()), &byteCount);
        if (status == ERROR_SUCCESS) {
            large.back() = L'\0';
            if (byteCount > 0)
                result.text = TextOf(large.data(), byteCount);
            return result;
        }
    }
    if (!IsAbsent(status))
        result.error = status;
    return result;
}

Raw ReadRaw(HKEY key, const wchar_t* valueName)
{
    Raw result;
    RawValue value;
    DWORD byteCount = 0;
    LONG status = RegQueryValueExW(key, valueName, nullptr, &value.type, nullptr, &byteCount);
    for (int attempt = 0; attempt < 8 && status == ERROR_SUCCESS; ++attempt) {
        value.bytes.resize(byteCount);
        status = RegQueryValueExW(key, valueName, nullptr, &value.type, value.bytes.data(), &byteCount);
        if (status == ERROR_SUCCESS) {
            value.bytes.resize(byteCount);
            result.value = std::move(value);
            return result;
        }
        if (status == ERROR_MORE_DATA)
            status = ERROR_SUCCESS;
    }
    if (!IsAbsent(status))
        result.error = status;
    return result;
}

LONG WriteString(HKEY key, const wchar_t* valueName, DWORD type, const std::wstring& text)
{
    const DWORD byteCount = static_cast<DWORD>((std::wcslen(text.c_str()) + 1) * sizeof(wchar_t));
    return WriteBytes(key, valueName, type, text.c_str(), byteCount);
}

LONG WriteBytes(HKEY key, const wchar_t* valueName, DWORD type, const void* data, DWORD byteCount)
{
    if (!key)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExW(key, valueName, 0, type, static_cast<const BYTE*>(data), byteCount);
}

std::wstring ErrorText(LONG error)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    // The system allocated the text; it goes back with LocalFree.
    std::wstring text = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty())
        text = L"Error " + std::to_wstring(error) + L".";
    return text;
}

} // namespace registry
