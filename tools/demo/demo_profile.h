#pragma once

#include <windows.h>

// Writes a realistic per-user sound profile below `root` (normally
// HKEY_CURRENT_USER): the two system schemes, two saved schemes, and the
// applications and events of a plain Windows installation, about seventy sound
// slots, with sounds stored both as plain and as expandable paths. Existing
// sound-event data and Hushlark's own settings are replaced, so it refuses to
// run anywhere but under Wine (false, nothing written).
bool SeedDemoProfile(HKEY root);

// Whether this process runs under Wine rather than on Windows.
bool RunsUnderWine();
