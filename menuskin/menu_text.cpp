#include "menuskin/menu_text.h"

namespace menu_text {

namespace {

bool SameLetter(wchar_t left, wchar_t right)
{
    return CompareStringOrdinal(&left, 1, &right, 1, TRUE) == CSTR_EQUAL;
}

} // namespace

std::wstring ShownText(std::wstring_view text)
{
    std::wstring shown;
    shown.reserve(text.size());
    for (std::wstring_view::size_type i = 0; i < text.size(); ++i) {
        if (text[i] == L'&') {
            // Either the second of "&&", which stays, or the marked character.
            ++i;
            if (i == text.size())
                break;
        }
        shown.push_back(text[i]);
    }
    return shown;
}

std::optional<wchar_t> AccessKey(std::wstring_view text)
{
    for (std::wstring_view::size_type i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&')
            continue;
        if (text[i + 1] != L'&')
            return text[i + 1];
        // "&&" shows one ampersand and marks nothing.
        ++i;
    }
    return std::nullopt;
}

LRESULT AnswerMenuChar(const std::vector<AccessRow>& rows, wchar_t key, int selected)
{
    std::vector<int> matches;
    for (std::size_t position = 0; position < rows.size(); ++position) {
        const std::optional<wchar_t> marked = AccessKey(rows[position].text);
        if (marked && SameLetter(*marked, key))
            matches.push_back(static_cast<int>(position));
    }
    if (matches.empty())
        return MAKELRESULT(0, MNC_IGNORE);
    if (matches.size() == 1) {
        const int only = matches.front();
        return MAKELRESULT(only, rows[only].enabled ? MNC_EXECUTE : MNC_SELECT);
    }
    for (const int position : matches) {
        if (position > selected)
            return MAKELRESULT(position, MNC_SELECT);
    }
    return MAKELRESULT(matches.front(), MNC_SELECT);
}

} // namespace menu_text
