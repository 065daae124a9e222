#pragma once

#include <windows.h>

#include <string>

#include "engine/scheme_store.h"

// The record behind one line of the Options dialog's scheme list, attached to
// its line as item data. The line owns it: FillSchemeList creates it and
// ClearSchemeList releases it.
struct SchemeListEntry {
    std::wstring schemeKey;
    std::wstring displayName;
};

// Fills the list box (sorted by the shown names) with one line per scheme of
// the listing, each with its record, after releasing the lines it held.
void FillSchemeList(HWND listBox, const SchemeListing& listing);

// Releases the record of every line and empties the list box. A null handle
// is ignored.
void ClearSchemeList(HWND listBox);

// The record of the list box's line, or null for a line that has none or an
// index that names no line. The line keeps owning it.
const SchemeListEntry* SchemeListEntryAt(HWND listBox, LRESULT index);

// The schemes that may be neither renamed nor deleted from the dialog: the two
// system schemes, by key in any letter case, whatever they are shown as.
bool IsProtectedScheme(const std::wstring& schemeKey);

// Whether a new name would show as one of the system schemes' names, in any
// letter case, once the display rule has turned a resource reference into
// the text it stands for.
bool IsReservedSchemeName(const std::wstring& name);
