#include "shell/tray_menu.h"

#include "dialogs/failure_box.h"
#include "dialogs/options_dialog.h"
#include "dialogs/quiet_hours_dialog.h"
#include "menuskin/menu_skin.h"
#include "mute/change_message.h"
#include "mute/startup_entry.h"
#include "resources/resource.h"
#include "shell/scheme_menu.h"
#include "shell/tray_controller.h"
#include "win32/clock.h"
#include "win32/text.h"

namespace {

// Exactly one of the two is enabled; the skin paints the disabled one grey.
bool SoundIsOff(const TrayMenuFacts& facts)
{
    return !facts.soundOn;
}
bool SoundIsOn(const TrayMenuFacts& facts)
{
    return facts.soundOn;
}
bool StartsAtLogon(const TrayMenuFacts& facts)
{
    return facts.startsAtLogon;
}

bool HasQuietPeriods(const TrayMenuFacts& facts)
{
    return facts.hasQuietPeriods;
}
bool QuietHoursOn(const TrayMenuFacts& facts)
{
    return facts.quietOn.Has(QuietRule::Hours);
}
bool QuietWhenLocked(const TrayMenuFacts& facts)
{
    return facts.quietOn.Has(QuietRule::Locked);
}
bool QuietWhenPresenting(const TrayMenuFacts& facts)
{
    return facts.quietOn.Has(QuietRule::Presenting);
}

void FillSchemes(HMENU submenu, const TrayMenuFacts& facts)
{
    if (facts.schemes)
        FillSchemeMenu(submenu, *facts.schemes);
}

void FillTimedOff(HMENU submenu, const TrayMenuFacts& facts);
void FillQuiet(HMENU submenu, const TrayMenuFacts& facts);

using Kind = TrayMenuRowKind;

// The tray menu, top to bottom.
constexpr TrayMenuRow kTrayMenu[] = {
    {Kind::Command, IDS_MENU_SOUNDS_ON, IDM_SOUNDS_ON, SoundIsOff, nullptr, nullptr},
    {Kind::Command, IDS_MENU_SOUNDS_OFF, IDM_SOUNDS_OFF, SoundIsOn, nullptr, nullptr},
    {Kind::Submenu, IDS_MENU_OFF_FOR_A_WHILE, 0, nullptr, nullptr, FillTimedOff},
    {Kind::Submenu, IDS_MENU_CHANGE_SCHEME, 0, nullptr, nullptr, FillSchemes},
    {Kind::Submenu, IDS_MENU_QUIET_AUTOMATICALLY, 0, nullptr, nullptr, FillQuiet},
    {Kind::Separator, 0, 0, nullptr, nullptr, nullptr},
    {Kind::Command, IDS_MENU_LAUNCH_ON_STARTUP, IDM_LAUNCH_ON_STARTUP, nullptr, StartsAtLogon, nullptr},
    {Kind::Command, IDS_MENU_OPTIONS, IDM_OPTIONS, nullptr, nullptr, nullptr},
    {Kind::Separator, 0, 0, nullptr, nullptr, nullptr},
    {Kind::Command, IDS_MENU_EXIT, IDM_EXIT, nullptr, nullptr, nullptr},
};

// "Turn Sounds Off for a While": each is `off --for` that long. While
// sounds are off, it sets or replaces the end.
constexpr TrayMenuRow kTimedOffMenu[] = {
    {Kind::Command, IDS_MENU_OFF_15_MINUTES, IDM_OFF_15_MINUTES, nullptr, nullptr, nullptr},
    {Kind::Command, IDS_MENU_OFF_1_HOUR, IDM_OFF_1_HOUR, nullptr, nullptr, nullptr},
    {Kind::Command, IDS_MENU_OFF_2_HOURS, IDM_OFF_2_HOURS, nullptr, nullptr, nullptr},
    {Kind::Command, IDS_MENU_OFF_8_HOURS, IDM_OFF_8_HOURS, nullptr, nullptr, nullptr},
};

// "Quiet Automatically": the rules' switches, checked as the registry holds
// them, and the Quiet Hours dialog.
constexpr TrayMenuRow kQuietMenu[] = {
    {Kind::Command, IDS_MENU_QUIET_HOURS, IDM_QUIET_HOURS, HasQuietPeriods, QuietHoursOn, nullptr},
    {Kind::Command, IDS_MENU_QUIET_LOCKED, IDM_QUIET_LOCKED, nullptr, QuietWhenLocked, nullptr},
    {Kind::Command, IDS_MENU_QUIET_PRESENTING, IDM_QUIET_PRESENTING, nullptr, QuietWhenPresenting, nullptr},
    {Kind::Separator, 0, 0, nullptr, nullptr, nullptr},
    {Kind::Command, IDS_MENU_QUIET_HOURS_DIALOG, IDM_QUIET_HOURS_DIALOG, nullptr, nullptr, nullptr},
};

void AppendRow(HMENU menu, const TrayMenuRow& row, const TrayMenuFacts& facts)
{
    UINT flags = MF_BYPOSITION;
    UINT_PTR id = row.commandId;
    UniqueMenu submenu;
    switch (row.kind) {
    case Kind::Separator:
        InsertMenuW(menu, static_cast<UINT>(-1), flags | MF_SEPARATOR, 0, nullptr);
        return;
    case Kind::Submenu:
        submenu.reset(CreatePopupMenu());
        if (!submenu)
            return;
        if (row.fill)
            row.fill(submenu.get(), facts);
        flags |= MF_POPUP;
        id = reinterpret_cast<UINT_PTR>(submenu.get());
        break;
    case Kind::Command:
        break;
    }
    if (row.enabled && !row.enabled(facts))
        flags |= MF_DISABLED;
    if (row.checked && row.checked(facts))
        flags |= MF_CHECKED;
    const std::wstring text = LoadText(row.textId);
    // The menu owns the submenu once it is inserted, and destroys it with itself.
    if (InsertMenuW(menu, static_cast<UINT>(-1), flags | MF_STRING, id, text.c_str()))
        submenu.release();
}

template <std::size_t Count>
void AppendRows(HMENU menu, const TrayMenuRow (&rows)[Count], const TrayMenuFacts& facts)
{
    for (const TrayMenuRow& row : rows)
        AppendRow(menu, row, facts);
}

void FillTimedOff(HMENU submenu, const TrayMenuFacts& facts)
{
    AppendRows(submenu, kTimedOffMenu, facts);
}

void FillQuiet(HMENU submenu, const TrayMenuFacts& facts)
{
    AppendRows(submenu, kQuietMenu, facts);
}

// How long each row of "Turn Sounds Off for a While" turns sounds off.
struct TimedOffRow {
    UINT commandId;
    ULONGLONG seconds;
};
constexpr TimedOffRow kTimedOffSeconds[] = {
    {IDM_OFF_15_MINUTES, 15 * 60},
    {IDM_OFF_1_HOUR, 60 * 60},
    {IDM_OFF_2_HOURS, 2 * 60 * 60},
    {IDM_OFF_8_HOURS, 8 * 60 * 60},
};

// The rule each check row of "Quiet Automatically" switches.
struct QuietRow {
    UINT commandId;
    QuietRule rule;
};
constexpr QuietRow kQuietRows[] = {
    {IDM_QUIET_HOURS, QuietRule::Hours},
    {IDM_QUIET_LOCKED, QuietRule::Locked},
    {IDM_QUIET_PRESENTING, QuietRule::Presenting},
};

} // namespace

UniqueMenu BuildTrayMenu(const TrayMenuFacts& facts)
{
    UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return menu;
    AppendRows(menu.get(), kTrayMenu, facts);
    return menu;
}

UINT HighlightFirstRowMessage()
{
    static const UINT message = RegisterWindowMessageW(L"Hushlark.HighlightFirstRow");
    return message;
}

namespace {

struct RowLook {
    bool separator = false;
    bool enabled = false;
    bool highlighted = false;
};

// Read from the item, not with GetMenuState: for a submenu's row that mixes
// the submenu's item count into the flags.
RowLook LookOfRow(HMENU menu, int row)
{
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_STATE;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(row), TRUE, &item))
        return {};
    const bool separator = (item.fType & MFT_SEPARATOR) != 0;
    return {separator, !separator && !(item.fState & (MFS_DISABLED | MFS_GRAYED)), (item.fState & MFS_HILITE) != 0};
}

} // namespace

int ArrowStepsToFirstEnabledRow(HMENU menu, int highlighted)
{
    const int count = GetMenuItemCount(menu);
    if (count <= 0)
        return 0;
    int target = 0;
    while (target < count && !LookOfRow(menu, target).enabled)
        ++target;
    if (target == count || target == highlighted)
        return 0;
    // Each key moves the highlight to the next row that is no separator (the
    // first Down from no highlight to the first such row): one step for each
    // such row after the lower of the two rows, up to the higher.
    const int low = highlighted < target ? highlighted : target;
    const int high = highlighted < target ? target : highlighted;
    int steps = 0;
    for (int row = low + 1; row <= high; ++row)
        steps += LookOfRow(menu, row).separator ? 0 : 1;
    return highlighted < target ? steps : -steps;
}

void HighlightFirstEnabledRow()
{
    // Popup menus are top-level windows of their own class, on the thread that
    // tracks them.
    HWND menuWindow = nullptr;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && IsWindowVisible(w)) {
            menuWindow = w;
            break;
        }
    }
    const HMENU menu = menuWindow ? reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)) : nullptr;
    if (!menu)
        return;
    int highlighted = -1;
    for (int row = 0; row < GetMenuItemCount(menu) && highlighted < 0; ++row) {
        if (LookOfRow(menu, row).highlighted)
            highlighted = row;
    }
    // The menu's loop reads every keyboard message of its thread, and moves
    // the highlight as the user's arrow keys would.
    const int steps = ArrowStepsToFirstEnabledRow(menu, highlighted);
    const WPARAM key = steps > 0 ? VK_DOWN : VK_UP;
    for (int i = 0; i < (steps > 0 ? steps : -steps); ++i) {
        PostMessageW(menuWindow, WM_KEYDOWN, key, 1);
        PostMessageW(menuWindow, WM_KEYUP, key, 0xC0000001);
    }
}

void TrayController::ShowMenu(POINT anchor, bool fromKeyboard)
{
    menuSchemes = store.ListSchemes();
    const QuietSettings quietSettings = ReadQuietSettings();
    const TrayMenuFacts facts{store.IsSoundOn(), ReadStartupState() == StartupState::On, &menuSchemes,
                              quietSettings.switchedOn, !quietSettings.Periods().empty()};
    const UniqueMenu menu = BuildTrayMenu(facts);
    if (!menu)
        return;

    // The owner must be in the foreground, or the menu does not close when the
    // user clicks elsewhere. The popup is never made the window's own menu.
    const HWND owner = window;
    SetForegroundWindow(owner);

    // Posted now, the message comes back through the menu's own loop once the
    // menu shows: the highlight then moves from wherever the system put it.
    if (fromKeyboard)
        PostMessageW(owner, HighlightFirstRowMessage(), 0, 0);

    // The skin and the menu are locals: they outlive the tracking even when
    // the window, and this controller with it, is destroyed meanwhile (a
    // WM_CLOSE from outside). From the call on, only locals are touched.
    MenuSkin skin;
    skin.Attach(owner, menu.get(), MenuDpiAt(anchor));
    TrackPopupMenu(menu.get(), TPM_BOTTOMALIGN, anchor.x, anchor.y, 0, owner, nullptr);
    // The skin walks the menu: off before the menu is destroyed.
    skin.Detach();

    // Lets the menu open reliably the next time the icon is clicked.
    if (IsWindow(owner))
        PostMessageW(owner, WM_NULL, 0, 0);
}

void TrayController::ShowSoundState()
{
    SetSoundState(store.IsSoundOn());
    UpdateIcon();
}

LRESULT TrayController::OnCommand(WORD commandId, WORD, LPARAM)
{
    // A box that reports a failure runs a message loop that may destroy the
    // window and this controller: it comes last, with locals only.
    const HWND owner = window;
    std::wstring failure;
    switch (commandId) {
    case IDM_SOUNDS_ON:
        failure = FailureMessage(TurnSoundsOn(store));
        AfterChoiceByHand();
        break;
    case IDM_SOUNDS_OFF:
        failure = FailureMessage(TurnSoundsOff(store));
        AfterChoiceByHand();
        break;
    case IDM_QUIET_HOURS_DIALOG:
        RunQuietHoursDialog(owner);
        break;
    case IDM_EXIT:
        DestroyWindow(owner);
        break;
    case IDM_LAUNCH_ON_STARTUP:
        failure = StartupFailureMessage(ReadStartupState() == StartupState::On ? TurnStartupOff() : TurnStartupOn());
        break;
    case IDM_OPTIONS:
        // Unregistered while the dialog is open, so that pressing the hotkey
        // types it into the dialog's hotkey box; the dialog stores what it
        // takes. The window may be gone when it returns.
        ++optionsOpen_;
        hotkeyRegistration.Clear();
        RunOptionsDialog(owner, instance);
        if (!IsWindow(owner))
            return 1;
        if (--optionsOpen_ == 0)
            RegisterStoredHotkey();
        break;
    default:
        // A scheme of "Change Scheme", as the user saw it when the menu was
        // built; the icon follows at the next tick. A scheme deleted since is
        // not applied, and not worth a box: the menu no longer shows it.
        if (const SchemeEntry* scheme = SchemeForCommand(menuSchemes, commandId)) {
            const SoundChange change = ChooseScheme(store, scheme->key);
            if (change.result != SoundChange::Result::SchemeGone) {
                failure = FailureMessage(change);
                AfterChoiceByHand();
            }
        }
        for (const TimedOffRow& row : kTimedOffSeconds) {
            if (row.commandId == commandId) {
                failure = FailureMessage(TurnSoundsOffFor(store, row.seconds, UtcNow()));
                AfterChoiceByHand();
            }
        }
        for (const QuietRow& row : kQuietRows) {
            if (row.commandId != commandId)
                continue;
            // The rules follow the settings key at the next tick.
            const bool on = ReadQuietSettings().switchedOn.Has(row.rule);
            const LONG written = WriteRuleSwitch(row.rule, !on);
            if (written != ERROR_SUCCESS)
                failure = SettingsFailureMessage(written);
        }
        break;
    }
    ShowFailure(owner, failure);
    return 1;
}
