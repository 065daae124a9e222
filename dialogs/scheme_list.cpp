#include "dialogs/scheme_list.h"

#include <memory>

#include "engine/scheme_paths.h"
#include "engine/scheme_store.h"

void FillSchemeList(HWND listBox, const SchemeListing& listing)
{
    if (!listBox)
        return;
    ClearSchemeList(listBox);
    for (const SchemeEntry& scheme : listing.schemes) {
        auto entry = std::make_unique<SchemeListEntry>();
        entry->schemeKey = scheme.key;
        entry->displayName = scheme.shownName;
        // The list box sorts its lines: the record goes to the line where this one landed.
        const LRESULT index =
            SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(scheme.shownName.c_str()));
        if (index < 0)
            continue;
        if (SendMessageW(listBox, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.get())) !=
            LB_ERR)
            entry.release(); // the line owns its record now; ClearSchemeList takes it back
    }
}

void ClearSchemeList(HWND listBox)
{
    if (!listBox)
        return;
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT data = SendMessageW(listBox, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
        if (data == LB_ERR)
            continue;
        // Takes the record back from its line; it is released with this iteration.
        const std::unique_ptr<SchemeListEntry> entry(reinterpret_cast<SchemeListEntry*>(data));
    }
    SendMessageW(listBox, LB_RESETCONTENT, 0, 0);
}

const SchemeListEntry* SchemeListEntryAt(HWND listBox, LRESULT index)
{
    if (!listBox || index < 0)
        return nullptr;
    const LRESULT data = SendMessageW(listBox, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data == LB_ERR)
        return nullptr;
    return reinterpret_cast<const SchemeListEntry*>(data);
}

bool IsProtectedScheme(const std::wstring& schemeKey)
{
    return NamesEqual(schemeKey, scheme_paths::kDefaultScheme) || NamesEqual(schemeKey, scheme_paths::kSilentScheme);
}

bool IsReservedSchemeName(const std::wstring& name)
{
    const std::wstring shown = DisplayNameFromStoredValue(name);
    return NamesEqual(shown, scheme_paths::kDefaultSchemeName) || NamesEqual(shown, scheme_paths::kSilentSchemeName);
}
