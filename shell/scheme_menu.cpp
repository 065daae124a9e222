#include "engine/scheme_store.h"
#include "resources/resource.h"

void SchemeStore::FillSchemeMenu(HMENU submenu) const
{
    ListSchemes([&](const std::wstring& currentScheme, DWORD index, const std::wstring& schemeKey,
                    const std::wstring& displayName) {
        // The id carries the enumeration index; one that would reach the
        // program's own command ids cannot be told apart and is left out.
        const DWORD commandId = IDM_SCHEME_BASE + index;
        if (index >= IDM_SOUNDS_ON - IDM_SCHEME_BASE)
            return;
        // Exact comparison: a current scheme that differs in letter case
        // checks no item.
        const UINT checked = schemeKey == currentScheme ? MF_CHECKED : MF_UNCHECKED;
        InsertMenuW(submenu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING | checked, commandId,
                    displayName.c_str());
    });
}
