#pragma once

#include <windows.h>

#include "engine/scheme_store.h"
#include "mute/quiet_settings.h"
#include "win32/unique_handle.h"

// What the tray menu's rows show, read once when the menu opens.
struct TrayMenuFacts {
    bool soundOn = false;
    // Windows will start this very program at logon.
    bool startsAtLogon = false;
    // The listing "Change Scheme" is filled from; it must outlive the menu.
    const SchemeListing* schemes = nullptr;
    // The quiet rules that are switched on, and whether quiet hours have a
    // period at all.
    RuleSet quietOn;
    bool hasQuietPeriods = false;
};

enum class TrayMenuRowKind { Command, Submenu, Separator };

// One row of the tray menu. A rule that is null always enables, and never
// checks; a submenu row's `fill` puts the submenu's items in.
struct TrayMenuRow {
    TrayMenuRowKind kind;
    UINT textId;
    UINT commandId;
    bool (*enabled)(const TrayMenuFacts& facts);
    bool (*checked)(const TrayMenuFacts& facts);
    void (*fill)(HMENU submenu, const TrayMenuFacts& facts);
};

// The popup menu built from the rows, top to bottom; null when no menu could
// be made. A submenu that cannot be made leaves its row out.
[[nodiscard]] UniqueMenu BuildTrayMenu(const TrayMenuFacts& facts);
