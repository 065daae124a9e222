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
    // Whether the scheme was the current one when the line was added.
    bool isCurrent = false;
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

// The lines whose scheme may be neither renamed nor deleted from the dialog:
// the two system schemes as they are shown, in any letter case.
bool IsProtectedSchemeLine(const std::wstring& lineText);
