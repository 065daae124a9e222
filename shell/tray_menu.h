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

// Posted to the menu's owner before a menu asked for from the keyboard is
// tracked; the menu's own loop hands it on once the menu shows. The answer is
// HighlightFirstEnabledRow.
UINT HighlightFirstRowMessage();

// Highlights the first enabled row of the popup menu that this thread shows,
// with the arrow keys its loop reads, so that Enter chooses that row and the
// arrows go on from it. Nothing when no menu shows.
void HighlightFirstEnabledRow();

// How far the arrow keys move the highlight of `menu` from row `highlighted`
// (-1 for none) to its first enabled row: down when positive, up when
// negative. The keys step onto every row but separators, disabled ones
// included. 0 when no row is enabled.
[[nodiscard]] int ArrowStepsToFirstEnabledRow(HMENU menu, int highlighted);
