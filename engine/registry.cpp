#include "engine/registry.h"

#include <cwchar>

namespace registry {

UniqueRegKey OpenKey(HKEY root, const std::wstring& path)
{
    UniqueRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
        key.release(); // a failed open leaves nothing to close
    return key;
}

UniqueRegKey CreateKey(HKEY root, const std::wstring& path)
{
    UniqueRegKey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* valueName)
{
    if (!key)
        return std::nullopt;

    DWORD byteCount = 0;
    LONG status = RegQueryValueExW(key, valueName, nullptr, nullptr, nullptr, &byteCount);

    // Another program may resize the value between the size query and the
    // read; ask again a few times rather than ever read a partial value.
    for (int attempt = 0; attempt < 8 && status == ERROR_SUCCESS; ++attempt) {
        if (byteCount == 0)
            return std::nullopt;

        // One character more than the data needs, rounded up for an odd byte
        // count: the registry does not always terminate what it hands back.
        std::wstring text(byteCount / sizeof(wchar_t) + 1, L'\0');
        DWORD received = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &received);
        if (status == ERROR_MORE_DATA) {
            byteCount = received;
            status = ERROR_SUCCESS;
            continue;
        }
        if (status != ERROR_SUCCESS || received == 0)
            return std::nullopt;

        text.resize(received / sizeof(wchar_t));
        text.resize(std::wcslen(text.c_str()));
        return text;
    }
    return std::nullopt;
}

void WriteString(HKEY key, const wchar_t* valueName, DWORD type, const std::wstring& text)
{
    const DWORD byteCount = static_cast<DWORD>((std::wcslen(text.c_str()) + 1) * sizeof(wchar_t));
    WriteBytes(key, valueName, type, text.c_str(), byteCount);
}

void WriteBytes(HKEY key, const wchar_t* valueName, DWORD type, const void* data, DWORD byteCount)
{
    if (key)
        RegSetValueExW(key, valueName, 0, type, static_cast<const BYTE*>(data), byteCount);
}

} // namespace registry
