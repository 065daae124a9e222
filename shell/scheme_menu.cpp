#include "shell/scheme_menu.h"

#include "resources/resource.h"

std::wstring SchemeMenuText(const std::wstring& shownName)
{
    std::wstring text;
    text.reserve(shownName.size());
    for (const wchar_t c : shownName) {
        if (c == L'&')
            text += L"&&";
        else
            text += c == L'\t' ? L' ' : c;
    }
    return text;
}

void FillSchemeMenu(HMENU submenu, const SchemeListing& listing)
{
    for (const SchemeEntry& scheme : listing.schemes) {
        // The id carries the enumeration index; one that would reach the
        // program's own command ids cannot be told apart and is left out.
        if (scheme.index >= IDM_SOUNDS_ON - IDM_SCHEME_BASE)
            continue;
        // Exact comparison: a current scheme that differs in letter case
        // checks no item.
        const UINT checked = scheme.key == listing.currentScheme ? MF_CHECKED : MF_UNCHECKED;
        InsertMenuW(submenu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING | checked, IDM_SCHEME_BASE + scheme.index,
                    SchemeMenuText(scheme.shownName).c_str());
    }
}

const SchemeEntry* SchemeForCommand(const SchemeListing& listing, UINT commandId)
{
    if (commandId < IDM_SCHEME_BASE || commandId >= IDM_SOUNDS_ON)
        return nullptr;
    for (const SchemeEntry& scheme : listing.schemes) {
        if (scheme.index == commandId - IDM_SCHEME_BASE)
            return &scheme;
    }
    return nullptr;
}
