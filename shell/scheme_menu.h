#pragma once

#include <windows.h>

#include "engine/scheme_store.h"

// Fills the "Change Scheme" submenu from the listing: one item per scheme with
// its shown name, id IDM_SCHEME_BASE + enumeration index, and a check mark on
// the scheme whose key equals the current scheme exactly, letter case
// included. Indices whose id would reach the program's own commands are left
// out.
void FillSchemeMenu(HMENU submenu, const SchemeListing& listing);

// The scheme behind a submenu id in the listing the submenu was filled from;
// none for an id that is not one of its items.
const SchemeEntry* SchemeForCommand(const SchemeListing& listing, UINT commandId);
