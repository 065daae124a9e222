#include <cstdint>
#include <cstdlib>
#include <cwctype>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mute/program_settings.h"
#include "resources/resource.h"
#include "shell/main_window.h"
#include "shell/scheme_menu.h"
#include "mute/startup_entry.h"
#include "win32/process.h"
#include "shell/tray_controller.h"
#include "shell/tray_menu.h"
#include "tests/support/freed_memory_trap.h"
#include "tests/support/registry_sandbox.h"
#include "win32/registry.h"
#include "win32/unique_handle.h"

namespace {

struct MenuRow {
    UINT id = 0;
    UINT type = 0;
    UINT state = 0;
    std::wstring text;
    HMENU submenu = nullptr;
    ULONG_PTR data = 0;
};

std::vector<MenuRow> ReadMenu(HMENU menu)
{
    std::vector<MenuRow> rows;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {sizeof(info)};
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU | MIIM_DATA;
        info.dwTypeData = text;
        info.cch = 256;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        rows.push_back({info.wID, info.fType, info.fState, text, info.hSubMenu, info.dwItemData});
    }
    return rows;
}

// A visible window of the class that this thread shows (parallel tests show
// windows of the same classes), or null.
HWND ThisThreadsWindow(const wchar_t* className, const wchar_t* title = nullptr)
{
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, title)) != nullptr;) {
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && IsWindowVisible(w))
            return w;
    }
    return nullptr;
}

// What to do once a window of this thread is open: menus and message boxes
// run a loop of their own, which dispatches the timer that does it.
struct PendingAction {
    const wchar_t* className = nullptr;
    const wchar_t* title = nullptr;
    std::function<void(HWND)> action;
};

PendingAction& Pending()
{
    static PendingAction pending;
    return pending;
}

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR timer, DWORD)
{
    const HWND window = ThisThreadsWindow(Pending().className, Pending().title);
    if (!window)
        return;
    KillTimer(nullptr, timer);
    const std::function<void(HWND)> action = std::move(Pending().action);
    Pending() = PendingAction();
    if (action)
        action(window);
}

// Runs `call`; `action` runs on the first window of the class (and title)
// that opens meanwhile. False when none opened.
bool WhenOpen(const wchar_t* className, const wchar_t* title, std::function<void(HWND)> action,
              const std::function<void()>& call)
{
    Pending() = PendingAction{className, title, std::move(action)};
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, RunPendingAction);
    call();
    KillTimer(nullptr, timer);
    const bool opened = !Pending().action;
    Pending() = PendingAction();
    return opened;
}

// The row of `menu` that is highlighted, or -1.
int HighlightedRow(HMENU menu)
{
    const std::vector<MenuRow> rows = ReadMenu(menu);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].state & MFS_HILITE)
            return static_cast<int>(i);
    }
    return -1;
}

// Visible popup menus of this thread.
int OpenMenuCount()
{
    int count = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;)
        count += GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && IsWindowVisible(w) ? 1 : 0;
    return count;
}

// Where Enter or Shift+F10 on the icon anchors the menu: low on the right of
// the screen, as a notification area is, with room above for the menu, and away
// from the cursor. On the tests' 1280x1024 screen that is outside the 1024x768
// virtual desktops whose pixels the end-to-end tests read.
POINT AwayFromTheCursor()
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    POINT point = {GetSystemMetrics(SM_CXSCREEN) - 240, GetSystemMetrics(SM_CYSCREEN) - 24};
    if (std::abs(point.x - cursor.x) < 20 && std::abs(point.y - cursor.y) < 20)
        point.x -= 40;
    return point;
}

// The real main window and its controller against the sandboxed registry.
class TrayMenuTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
        window_ = CreateMainWindow(GetModuleHandleW(nullptr));
        ASSERT_NE(window_, nullptr);
    }

    void TearDown() override
    {
        if (IsWindow(window_))
            DestroyWindow(window_);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        RegistrySandbox::TearDown();
    }

    TrayController& Controller() const { return *reinterpret_cast<TrayController*>(GetWindowLongPtrW(window_, 0)); }

    LRESULT Command(UINT id) { return SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    // Sends the icon's callback in the layout of version 4: `event` anchored
    // at `anchor`, or at the cursor, as a click anchors it. The tests send
    // every event themselves; NIN_KEYSELECT is one that Wine's notification
    // area never sends.
    LRESULT SendCallback(UINT event, std::optional<POINT> anchor = std::nullopt)
    {
        POINT cursor = {};
        GetCursorPos(&cursor);
        const POINT at = anchor.value_or(cursor);
        return SendMessageW(window_, kTrayCallbackMessage, MAKEWPARAM(at.x, at.y), MAKELPARAM(event, kTrayIconId));
    }

    // Opens the tray menu as the icon's callback does, by default for a right
    // click; `whileOpen` runs once it shows. False when it never showed.
    bool ShowMenu(
        std::function<void(HWND menuWindow)> whileOpen = [](HWND) { EndMenu(); }, UINT event = WM_CONTEXTMENU,
        std::optional<POINT> anchor = std::nullopt)
    {
        return WhenOpen(L"#32768", nullptr, std::move(whileOpen), [&] { SendCallback(event, anchor); });
    }

    // Runs the command and answers the box titled "Hushlark" that reports a
    // failure with OK; the box's text, or none when no box opened.
    std::optional<std::wstring> CommandAnsweringBox(UINT id)
    {
        std::optional<std::wstring> text;
        WhenOpen(
            L"#32770", L"Hushlark",
            [&](HWND box) {
                wchar_t buffer[1024] = {};
                GetDlgItemTextW(box, 0xFFFF, buffer, 1024);
                text = buffer;
                SendMessageW(box, WM_COMMAND, IDOK, 0);
            },
            [&] { Command(id); });
        return text;
    }

    DWORD IndexOf(const std::wstring& schemeKey) const
    {
        for (const SchemeEntry& scheme : store.ListSchemes().schemes) {
            if (scheme.key == schemeKey)
                return scheme.index;
        }
        return 0xFFFF;
    }

    std::optional<std::wstring> KeyAt(DWORD index) const
    {
        for (const SchemeEntry& scheme : store.ListSchemes().schemes) {
            if (scheme.index == index)
                return scheme.key;
        }
        return std::nullopt;
    }

    std::wstring SlotSound() const { return GetCurrentSound(L".Default", L"SystemAsterisk")->Text(); }

    HWND window_ = nullptr;
    SchemeStore store;
    ProgramSettings settings;
};

TEST_F(TrayMenuTest, SchemeSubmenuCarriesIndexIdsAndChecksOnlyTheExactCurrentScheme)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L".Default", L"Windows Default"},
        {L"QuietOffice", L"Quiet Office"},
        {L".default", nullptr}, // differs in letter case: nothing checked
        {L"", nullptr},
    };
    for (const auto& [current, checkedText] : cases) {
        SetCurrentSchemeValue(current);
        const UniqueMenu menu(CreatePopupMenu());
        FillSchemeMenu(menu.get(), store.ListSchemes());
        const std::vector<MenuRow> rows = ReadMenu(menu.get());
        ASSERT_EQ(rows.size(), 3u);
        int checkedCount = 0;
        for (const MenuRow& row : rows) {
            const std::optional<std::wstring> key = KeyAt(row.id - IDM_SCHEME_BASE);
            ASSERT_TRUE(key.has_value());
            EXPECT_EQ(row.text, store.ReadDisplayName(*key));
            if (row.state & MFS_CHECKED) {
                ++checkedCount;
                EXPECT_EQ(row.text, checkedText) << testing::PrintToString(current);
            }
        }
        EXPECT_EQ(checkedCount, checkedText ? 1 : 0) << testing::PrintToString(current);
    }
}

TEST_F(TrayMenuTest, SchemeNamesShowLiterallyInTheSubmenu)
{
    AddScheme(L"Rock", L"Rock & Roll");
    AddScheme(L"Tabbed", L"Left\tRight && more");
    const UniqueMenu menu(CreatePopupMenu());
    FillSchemeMenu(menu.get(), store.ListSchemes());
    std::vector<std::wstring> texts;
    for (const MenuRow& row : ReadMenu(menu.get()))
        texts.push_back(row.text);
    const std::vector<std::wstring> expected = {L"Windows Default", L"No Sounds", L"Quiet Office", L"Rock && Roll",
                                                L"Left Right &&&& more"};
    EXPECT_EQ(texts, expected);
}

TEST_F(TrayMenuTest, MuteAndUnmuteChangeIconAndTipAtOnce)
{
    EXPECT_EQ(Command(IDM_SOUNDS_OFF), 1);
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_EQ(Controller().icon.Picture(), Controller().icon.PictureFor(false));
    EXPECT_EQ(Controller().icon.Tip(), L"Sound is Off");
    EXPECT_EQ(SlotSound(), L"");

    EXPECT_EQ(Command(IDM_SOUNDS_ON), 1);
    EXPECT_EQ(Controller().icon.Picture(), Controller().icon.PictureFor(true));
    EXPECT_EQ(Controller().icon.Tip(), L"Sound is On");
    EXPECT_EQ(SlotSound(), L"C:\\Windows\\media\\Windows Background.wav");
}

TEST_F(TrayMenuTest, SchemeChoiceAppliesTheSchemeTheMenuShowedAndTheIconFollows)
{
    ASSERT_TRUE(ShowMenu());
    const UINT quietOffice = IDM_SCHEME_BASE + IndexOf(L"QuietOffice");
    // Another program adds a scheme while the menu is open, and it takes the
    // chosen scheme's place in the enumeration.
    AddScheme(L"Aardvark", L"Aardvark");
    ASSERT_NE(IDM_SCHEME_BASE + IndexOf(L"QuietOffice"), quietOffice);

    Command(quietOffice);
    EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");
    EXPECT_EQ(SlotSound(), L"C:\\Windows\\media\\chimes.wav");

    // A choice by hand: the icon follows at once.
    Command(IDM_SCHEME_BASE + IndexOf(L".None"));
    EXPECT_EQ(Controller().icon.Picture(), Controller().icon.PictureFor(false));
}

TEST_F(TrayMenuTest, StaleOrForeignIdsApplyNothing)
{
    ASSERT_TRUE(ShowMenu());
    const DWORD last = IndexOf(L"QuietOffice");
    // The schemes changed while the menu was open. The scheme that is gone is
    // not applied, and no box says so: the menu no longer shows it.
    ASSERT_TRUE(store.DeleteScheme(L"QuietOffice").Ok());
    EXPECT_EQ(CommandAnsweringBox(IDM_SCHEME_BASE + last), std::nullopt);
    for (const UINT id : std::vector<UINT>{IDM_SCHEME_BASE + 500, 1179, 0, 2, 32799, 65535})
        EXPECT_EQ(Command(id), 1) << id;
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    EXPECT_EQ(SlotSound(), L"C:\\Windows\\media\\Windows Background.wav");
    EXPECT_TRUE(IsWindow(window_));
}

TEST_F(TrayMenuTest, LaunchOnStartupIsCheckedOnlyWhenWindowsWillStartThisProgram)
{
    EXPECT_EQ(StartupCommand(L"C:\\Program Files\\Quillfen\\Hushlark.exe"),
              L"\"C:\\Program Files\\Quillfen\\Hushlark.exe\" /l");

    // This program is the Hushlark.exe beside the running executable.
    const std::wstring program = FolderOf(RunningProgramPath()) + L"Hushlark.exe";
    Command(IDM_LAUNCH_ON_STARTUP);
    const std::optional<StoredValue> value = GetValue(kRunKeyPath, L"Hushlark");
    ASSERT_TRUE(value.has_value());
    const std::wstring expected = L"\"" + program + L"\" /l";
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value->Text(), expected);
    EXPECT_EQ(value->ByteCount(), (expected.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(ReadStartupState(), StartupState::On);
    Command(IDM_LAUNCH_ON_STARTUP);
    EXPECT_FALSE(GetValue(kRunKeyPath, L"Hushlark").has_value());

    struct Case {
        std::wstring run;
        std::vector<std::uint8_t> approved; // empty: no value
        StartupState state;
        const char* what;
    };
    std::wstring upper = program;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    const Case cases[] = {
        {expected, {}, StartupState::On, "this program"},
        {upper + L" /l", {}, StartupState::On, "unquoted, another letter case"},
        {expected, {0x02, 0, 0, 0}, StartupState::On, "enabled by Windows"},
        {expected, {0x06, 0, 0, 0}, StartupState::On, "enabled, 06"},
        {expected, {0x03, 1, 2, 3}, StartupState::Disabled, "disabled by Windows"},
        {expected, {0x07}, StartupState::Disabled, "disabled, 07"},
        {L"\"C:\\Old Place\\Hushlark.exe\" /l", {}, StartupState::Off, "another copy"},
        {L"", {}, StartupState::Off, "empty"},
    };
    for (const Case& c : cases) {
        DeleteTree(kStartupApprovedKeyPath);
        SetText(kRunKeyPath, L"Hushlark", c.run);
        if (!c.approved.empty())
            SetValue(kStartupApprovedKeyPath, L"Hushlark", REG_BINARY, c.approved);
        EXPECT_EQ(ReadStartupState(), c.state) << c.what;
    }

    // Disabled by Windows: choosing the item asks for start-up here again.
    Command(IDM_LAUNCH_ON_STARTUP);
    EXPECT_EQ(ReadStartupState(), StartupState::On);
    EXPECT_FALSE(GetValue(kStartupApprovedKeyPath, L"Hushlark").has_value());
    EXPECT_EQ(GetValue(kRunKeyPath, L"Hushlark")->Text(), expected);
    // Turned off: both values go.
    SetValue(kStartupApprovedKeyPath, L"Hushlark", REG_BINARY, {0x02});
    Command(IDM_LAUNCH_ON_STARTUP);
    EXPECT_FALSE(GetValue(kRunKeyPath, L"Hushlark").has_value());
    EXPECT_FALSE(GetValue(kStartupApprovedKeyPath, L"Hushlark").has_value());
}

// Each row: '-' a separator, 'd' disabled, 'c' checked, then '|'.
std::wstring States(const std::vector<MenuRow>& rows)
{
    std::wstring states;
    for (const MenuRow& row : rows) {
        if (row.type & MFT_SEPARATOR)
            states += L"-";
        states += std::wstring(row.state & MFS_DISABLED && !(row.type & MFT_SEPARATOR) ? L"d" : L"") +
                  (row.state & MFS_CHECKED ? L"c" : L"") + L"|";
    }
    return states;
}

TEST_F(TrayMenuTest, EachRowFollowsItsOwnRule)
{
    const SchemeListing schemes = store.ListSchemes();
    for (const bool soundOn : {false, true}) {
        for (const bool startsAtLogon : {false, true}) {
            const UniqueMenu menu = BuildTrayMenu(TrayMenuFacts{soundOn, startsAtLogon, &schemes});
            const std::vector<MenuRow> rows = ReadMenu(menu.get());
            ASSERT_EQ(rows.size(), 10u);
            const std::wstring expected = std::wstring(soundOn ? L"d|" : L"|") + (soundOn ? L"|" : L"d|") + L"|||-|" +
                                          (startsAtLogon ? L"c|" : L"|") + L"|-||";
            EXPECT_EQ(States(rows), expected) << soundOn << startsAtLogon;
            ASSERT_NE(rows[3].submenu, nullptr);
            EXPECT_EQ(ReadMenu(rows[3].submenu).size(), 3u);
        }
    }
    // The rules' rows check what is switched on; quiet hours without a period
    // cannot be switched from the menu.
    const struct {
        RuleSet on;
        bool periods;
        const wchar_t* expected;
    } quiet[] = {
        {RuleSet(), false, L"d|||-||"},
        {RuleSet(), true, L"|||-||"},
        {RuleSet{QuietRule::Hours, QuietRule::Presenting}, true, L"c||c|-||"},
        {RuleSet{QuietRule::Hours, QuietRule::Locked}, false, L"dc|c||-||"},
    };
    for (const auto& c : quiet) {
        const UniqueMenu menu = BuildTrayMenu(TrayMenuFacts{true, false, &schemes, c.on, c.periods});
        const std::vector<MenuRow> rows = ReadMenu(menu.get());
        ASSERT_EQ(rows.size(), 10u);
        ASSERT_NE(rows[4].submenu, nullptr);
        EXPECT_EQ(States(ReadMenu(rows[4].submenu)), c.expected);
    }
}

// What the tracked menu looked like, read from inside the menu's loop.
struct TrackedMenu {
    std::vector<MenuRow> rows;
    std::vector<MenuRow> submenuRows;
    HMENU windowMenu = nullptr;
    bool subclassed = false;
};

TEST_F(TrayMenuTest, TrackedMenuHasItsTenRowsSkinnedAndFollowsTheState)
{
    const UINT ids[] = {IDM_SOUNDS_ON, IDM_SOUNDS_OFF, 0, 0, 0, 0, IDM_LAUNCH_ON_STARTUP, IDM_OPTIONS, 0, IDM_EXIT};
    const wchar_t* texts[] = {L"Turn Sounds O&n",
                              L"Turn Sounds O&ff",
                              L"Turn Sounds Off for a &While",
                              L"Change Scheme",
                              L"&Quiet Automatically",
                              L"",
                              L"&Launch on Startup",
                              L"&Options",
                              L"",
                              L"E&xit"};
    for (const bool muted : {false, true}) {
        if (muted) {
            Command(IDM_SOUNDS_OFF);
            Command(IDM_LAUNCH_ON_STARTUP);
        }
        TrackedMenu seen;
        std::vector<MenuRow> timedOffRows;
        std::vector<MenuRow> quietRows;
        const bool opened = ShowMenu([&](HWND menuWindow) {
            seen.rows = ReadMenu(reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
            if (seen.rows.size() > 4) {
                timedOffRows = ReadMenu(seen.rows[2].submenu);
                seen.submenuRows = ReadMenu(seen.rows[3].submenu);
                quietRows = ReadMenu(seen.rows[4].submenu);
            }
            seen.windowMenu = GetMenu(window_);
            seen.subclassed = GetPropW(window_, L"QMR_OriginalProc") != nullptr;
            EndMenu();
        });
        ASSERT_TRUE(opened) << "the menu opened";
        ASSERT_EQ(seen.rows.size(), 10u);
        for (size_t i = 0; i < 10; ++i) {
            const MenuRow& row = seen.rows[i];
            EXPECT_TRUE(row.type & MFT_OWNERDRAW) << "row " << i;
            EXPECT_NE(row.data, 0u) << "row " << i << " carries a label";
            EXPECT_EQ(row.text, texts[i]) << "row " << i;
            EXPECT_EQ((row.type & MFT_SEPARATOR) != 0, i == 5 || i == 8) << "row " << i;
            EXPECT_EQ(row.submenu != nullptr, i >= 2 && i <= 4) << "row " << i;
            EXPECT_EQ(row.id, row.submenu ? row.id : ids[i]) << "row " << i;
        }
        EXPECT_EQ((seen.rows[0].state & MFS_DISABLED) != 0, !muted);
        EXPECT_EQ((seen.rows[1].state & MFS_DISABLED) != 0, muted);
        EXPECT_EQ((seen.rows[6].state & MFS_CHECKED) != 0, muted);
        ASSERT_EQ(seen.submenuRows.size(), 3u);
        for (const MenuRow& row : seen.submenuRows)
            EXPECT_TRUE(row.type & MFT_OWNERDRAW);
        const UINT timedOffIds[] = {IDM_OFF_15_MINUTES, IDM_OFF_1_HOUR, IDM_OFF_2_HOURS, IDM_OFF_8_HOURS};
        const wchar_t* timedOffTexts[] = {L"1&5 Minutes", L"&1 Hour", L"&2 Hours", L"&8 Hours"};
        ASSERT_EQ(timedOffRows.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(timedOffRows[i].id, timedOffIds[i]);
            EXPECT_EQ(timedOffRows[i].text, timedOffTexts[i]);
            EXPECT_TRUE(timedOffRows[i].type & MFT_OWNERDRAW);
        }
        ASSERT_EQ(quietRows.size(), 5u);
        EXPECT_EQ(quietRows[0].text, L"During &Quiet Hours");
        EXPECT_EQ(quietRows[4].text, L"Quiet &Hours\u2026");
        EXPECT_TRUE(quietRows[3].type & MFT_SEPARATOR);
        EXPECT_TRUE(seen.subclassed);
        EXPECT_EQ(seen.windowMenu, nullptr) << "the popup is never the window's menu";

        EXPECT_EQ(GetPropW(window_, L"QMR_OriginalProc"), nullptr) << "the skin is detached afterwards";
        EXPECT_EQ(GetMenu(window_), nullptr);
    }
}

TEST_F(TrayMenuTest, ClosingTheWindowWhileTheMenuIsOpenTouchesNothingFreed)
{
    // A controller made under the trap: once freed, any access to it faults.
    DestroyWindow(window_);
    const FreedMemoryTrap trap;
    window_ = CreateMainWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(window_, nullptr);

    // What a WM_CLOSE from another program does while the menu is tracked.
    const bool opened = ShowMenu([this](HWND) {
        SendMessageW(window_, WM_CLOSE, 0, 0);
        EndMenu();
    });
    EXPECT_TRUE(opened);
    EXPECT_FALSE(IsWindow(window_));
}

TEST_F(TrayMenuTest, AFailedSaveChangesNothingAndIsShown)
{
    SetCurrentSchemeValue(L".current");
    MakeSlotVolatile(L"Explorer", L"Navigating");
    const std::set<std::wstring> keys = Keys();
    const std::wstring asterisk = SlotSound();

    const std::optional<std::wstring> shown = CommandAnsweringBox(IDM_SOUNDS_OFF);
    ASSERT_TRUE(shown.has_value()) << "a box reported the failure";
    EXPECT_EQ(*shown, L"Your current sounds could not be saved, so nothing was changed.\n" +
                          SlotPath(L"Explorer", L"Navigating") + L"\\.Hushlark0\n" +
                          registry::ErrorText(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_EQ(Keys(), keys) << "the partial scheme is gone";
    EXPECT_EQ(store.ReadCurrentScheme(), L".current");
    EXPECT_EQ(settings.ReadLastSound(), std::nullopt);
    EXPECT_EQ(SlotSound(), asterisk);
    EXPECT_EQ(Controller().icon.Picture(), Controller().icon.PictureFor(true)) << "sound is still on";

    // Nothing failed, nothing is shown.
    DeleteTree(SlotPath(L"Explorer", L"Navigating"));
    EXPECT_EQ(CommandAnsweringBox(IDM_SOUNDS_OFF), std::nullopt);
    EXPECT_FALSE(store.IsSoundOn());
}

TEST_F(TrayMenuTest, ACallbackWhileTheMenuIsOpenOpensNoOtherAndTheMenuKeepsWhatItShowed)
{
    const POINT icon = AwayFromTheCursor();
    const UINT quietOffice = IDM_SCHEME_BASE + IndexOf(L"QuietOffice");
    int menus = 0;
    int highlighted = -2;
    const bool opened = ShowMenu(
        [&](HWND menuWindow) {
            // Another program adds a scheme that takes the place of the one the
            // user will choose; then Windows' second NIN_KEYSELECT for Enter
            // arrives, and clicks.
            AddScheme(L"Aardvark", L"Aardvark");
            for (const UINT event : {NIN_KEYSELECT, WM_CONTEXTMENU, NIN_SELECT})
                SendCallback(event, icon);
            menus = OpenMenuCount();
            highlighted = HighlightedRow(reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
            EndMenu();
        },
        NIN_KEYSELECT, icon);
    ASSERT_TRUE(opened);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(highlighted, 1) << "still on Turn Sounds Off";
    ASSERT_NE(IDM_SCHEME_BASE + IndexOf(L"QuietOffice"), quietOffice);
    Command(quietOffice);
    EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");
}

TEST(ArrowSteps, FromTheHighlightToTheFirstEnabledRowOverEveryRowButSeparators)
{
    // Enabled, disabled, separator, and an enabled submenu of nine rows (for
    // a submenu's row, GetMenuState mixes the item count into the flags).
    enum Row { E, D, S, P };
    struct Case {
        std::vector<Row> rows;
        int highlighted;
        int steps;
    };
    const Case cases[] = {
        {{D, E}, -1, 2},    {{E}, -1, 1},          {{S, D, S, E}, -1, 2}, {{D, S, E}, 0, 1},
        {{D, E, E}, 2, -1}, {{D, E, S, E}, 3, -1}, {{D, D}, -1, 0},       {{E, D}, 0, 0},
        {{P, E}, -1, 1},    {{D, P}, -1, 2},       {{D, D, P}, 1, 1},     {{}, -1, 0},
    };
    for (const Case& c : cases) {
        const UniqueMenu menu(CreatePopupMenu());
        for (const Row row : c.rows) {
            if (row == P) {
                UniqueMenu submenu(CreatePopupMenu());
                for (int i = 0; i < 9; ++i)
                    AppendMenuW(submenu.get(), MF_STRING, 100 + i, L"row");
                // The menu owns the submenu once it is appended.
                if (AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.get()), L"submenu"))
                    submenu.release();
            } else {
                AppendMenuW(menu.get(), row == S ? MF_SEPARATOR : MF_STRING | (row == D ? MF_DISABLED : 0), 1,
                            row == S ? nullptr : L"row");
            }
        }
        EXPECT_EQ(ArrowStepsToFirstEnabledRow(menu.get(), c.highlighted), c.steps)
            << testing::PrintToString(c.rows) << " from " << c.highlighted;
    }
}

} // namespace
