#pragma once

#include <windows.h>

#include <string>

#include "engine/scheme_store.h"

// A scheme name as a menu item shows it literally: an ampersand would
// underline the next character and a TAB would start a right-hand column, so
// the first is doubled and the second shown as a space.
std::wstring SchemeMenuText(const std::wstring& shownName);

// Fills the "Change Scheme" submenu from the listing: one item per scheme with
// its shown name, id IDM_SCHEME_BASE + enumeration index, and a check mark on
// the scheme whose key equals the current scheme exactly, letter case
// included. Indices whose id would reach the program's own commands are left
// out.
void FillSchemeMenu(HMENU submenu, const SchemeListing& listing);

// The scheme behind a submenu id in the listing the submenu was filled from;
// none for an id that is not one of its items.
const SchemeEntry* SchemeForCommand(const SchemeListing& listing, UINT commandId);
