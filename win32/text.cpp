#include "win32/text.h"

std::wstring LoadText(UINT id)
{
    // With a buffer length of 0 the system hands out a read-only pointer into
    // the loaded resource, which is not terminated: the length says where it ends.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text)
        return std::wstring();
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring FormatText(UINT id, std::initializer_list<std::wstring> arguments)
{
    return FormatPattern(LoadText(id), arguments);
}

std::wstring FormatPattern(const std::wstring& pattern, std::initializer_list<std::wstring> arguments)
{
    std::wstring text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        const wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        if (c == L'%' && next == L'%') {
            text += L'%';
            ++i;
        } else if (c == L'%' && next >= L'1' && next <= L'9' &&
                   static_cast<std::size_t>(next - L'1') < arguments.size()) {
            text += arguments.begin()[next - L'1'];
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}
