#include <string>
#include <vector>

#include "resources/resource.h"
#include "shell/main_window.h"
#include "shell/startup_registration.h"
#include "shell/tray_controller.h"
#include "shell/win_handles.h"
#include "tests/support/registry_sandbox.h"

namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

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

    DWORD IndexOf(const std::wstring& schemeKey) const
    {
        DWORD found = 0xFFFF;
        store.EnumerateSchemeKeys([&](DWORD index, const std::wstring& key) {
            if (key == schemeKey)
                found = index;
        });
        return found;
    }

    std::wstring SlotSound() const { return GetCurrentSound(L".Default", L"SystemAsterisk")->Text(); }

    HWND window_ = nullptr;
    SchemeStore store;
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
        store.FillSchemeMenu(menu.get());
        const std::vector<MenuRow> rows = ReadMenu(menu.get());
        ASSERT_EQ(rows.size(), 3u);
        int checkedCount = 0;
        for (const MenuRow& row : rows) {
            const std::optional<std::wstring> key = store.SchemeKeyAt(row.id - IDM_SCHEME_BASE);
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

TEST_F(TrayMenuTest, MuteAndUnmuteChangeIconAndTipAtOnce)
{
    EXPECT_EQ(Command(IDM_SOUNDS_OFF), 1);
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_EQ(Controller().trayIcon.hIcon, Controller().offIcon.get());
    EXPECT_STREQ(Controller().trayIcon.szTip, L"Sound is Off");
    EXPECT_EQ(SlotSound(), L"");

    EXPECT_EQ(Command(IDM_SOUNDS_ON), 1);
    EXPECT_EQ(Controller().trayIcon.hIcon, Controller().onIcon.get());
    EXPECT_STREQ(Controller().trayIcon.szTip, L"Sound is On");
    EXPECT_EQ(SlotSound(), L"C:\\Windows\\media\\Windows Background.wav");
}

TEST_F(TrayMenuTest, SchemeChoiceAppliesTheKeyAtItsIndexAndTheIconFollowsAtTheTick)
{
    Command(IDM_SCHEME_BASE + IndexOf(L"QuietOffice"));
    EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");
    EXPECT_EQ(SlotSound(), L"C:\\Windows\\media\\chimes.wav");

    Command(IDM_SCHEME_BASE + IndexOf(L".None"));
    EXPECT_EQ(Controller().trayIcon.hIcon, Controller().onIcon.get()) << "not touched by the command";
    SendMessageW(window_, WM_TIMER, 1, 0);
    EXPECT_EQ(Controller().trayIcon.hIcon, Controller().offIcon.get());
}

TEST_F(TrayMenuTest, StaleOrForeignIdsApplyNothing)
{
    const DWORD last = IndexOf(L"QuietOffice");
    store.DeleteScheme(L"QuietOffice"); // the schemes changed while the menu was open
    for (const UINT id : std::vector<UINT>{IDM_SCHEME_BASE + last, IDM_SCHEME_BASE + 500, 1179, 0, 2, 32774, 65535})
        EXPECT_EQ(Command(id), 1) << id;
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    EXPECT_EQ(SlotSound(), L"C:\\Windows\\media\\Windows Background.wav");
    EXPECT_TRUE(IsWindow(window_));
}

TEST_F(TrayMenuTest, LaunchOnStartupWritesTheQuotedProgramPathThenDeletesAnyValue)
{
    EXPECT_EQ(StartupCommand(L"C:\\Program Files\\Quillfen\\Hushlark.exe"),
              L"\"C:\\Program Files\\Quillfen\\Hushlark.exe\" /l");

    Command(IDM_LAUNCH_ON_STARTUP);
    const std::optional<StoredValue> value = GetValue(kRunKey, L"Hushlark");
    ASSERT_TRUE(value.has_value());
    const std::wstring expected = L"\"" + RunningProgramPath() + L"\" /l";
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value->Text(), expected);
    EXPECT_EQ(value->ByteCount(), (expected.size() + 1) * sizeof(wchar_t));
    Command(IDM_LAUNCH_ON_STARTUP);
    EXPECT_FALSE(GetValue(kRunKey, L"Hushlark").has_value());

    // A value of any type and data counts as on.
    SetValue(kRunKey, L"Hushlark", REG_BINARY, {});
    EXPECT_TRUE(IsLaunchOnStartupOn());
    Command(IDM_LAUNCH_ON_STARTUP);
    EXPECT_FALSE(IsLaunchOnStartupOn());
}

// Looks at the menu while it is tracked, from a timer of the test's thread
// that the menu's own loop dispatches, then closes it.
struct TrackedMenu {
    bool seen = false;
    std::vector<MenuRow> rows;
    std::vector<MenuRow> submenuRows;
    HMENU windowMenu = nullptr;
    bool subclassed = false;
    // This test's own window: parallel tests show windows of the same classes.
    HWND owner = nullptr;
};

TrackedMenu& Tracked()
{
    static TrackedMenu tracked;
    return tracked;
}

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND menuWindow = nullptr;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
        if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && IsWindowVisible(w))
            menuWindow = w;
    }
    if (!menuWindow)
        return;
    KillTimer(nullptr, timer);
    TrackedMenu& tracked = Tracked();
    tracked.seen = true;
    tracked.rows = ReadMenu(reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
    if (tracked.rows.size() > 2 && tracked.rows[2].submenu)
        tracked.submenuRows = ReadMenu(tracked.rows[2].submenu);
    const HWND owner = tracked.owner;
    tracked.windowMenu = GetMenu(owner);
    tracked.subclassed = GetPropW(owner, L"QMR_OriginalProc") != nullptr;
    EndMenu();
}

TEST_F(TrayMenuTest, TrackedMenuHasTheEightRowsSkinnedAndFollowsTheState)
{
    const UINT ids[] = {IDM_SOUNDS_ON, IDM_SOUNDS_OFF, 0, 0, IDM_LAUNCH_ON_STARTUP, IDM_OPTIONS, 0, IDM_EXIT};
    const wchar_t* texts[] = {L"Turn Sounds O&n",
                              L"Turn Sounds O&ff",
                              L"Change Scheme",
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
        Tracked() = TrackedMenu();
        Tracked().owner = window_;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, LookAndClose);
        SendMessageW(window_, 0x8000, 321, WM_RBUTTONDOWN);
        KillTimer(nullptr, timer);

        const TrackedMenu& seen = Tracked();
        ASSERT_TRUE(seen.seen) << "the menu opened";
        ASSERT_EQ(seen.rows.size(), 8u);
        for (size_t i = 0; i < 8; ++i) {
            const MenuRow& row = seen.rows[i];
            EXPECT_TRUE(row.type & MFT_OWNERDRAW) << "row " << i;
            EXPECT_NE(row.data, 0u) << "row " << i << " carries a label";
            EXPECT_EQ(row.text, texts[i]) << "row " << i;
            EXPECT_EQ((row.type & MFT_SEPARATOR) != 0, i == 3 || i == 6) << "row " << i;
            EXPECT_EQ(row.id, i == 2 ? row.id : ids[i]) << "row " << i;
        }
        EXPECT_EQ((seen.rows[0].state & MFS_DISABLED) != 0, !muted);
        EXPECT_EQ((seen.rows[1].state & MFS_DISABLED) != 0, muted);
        EXPECT_EQ((seen.rows[4].state & MFS_CHECKED) != 0, muted);
        ASSERT_EQ(seen.submenuRows.size(), 3u);
        for (const MenuRow& row : seen.submenuRows)
            EXPECT_TRUE(row.type & MFT_OWNERDRAW);
        EXPECT_TRUE(seen.subclassed);
        EXPECT_EQ(seen.windowMenu, nullptr) << "the popup is never the window's menu";

        EXPECT_EQ(GetPropW(window_, L"QMR_OriginalProc"), nullptr) << "the skin is detached afterwards";
        EXPECT_EQ(GetMenu(window_), nullptr);
    }
}

} // namespace
