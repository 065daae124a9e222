#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "shell/main_window.h"
#include "shell/startup_registration.h"
#include "shell/tray_controller.h"
#include "shell/win_handles.h"
#include "tests/support/registry_sandbox.h"

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
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
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

class SchemeMenuTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    std::vector<MenuRow> Fill()
    {
        const UniqueMenu menu(CreatePopupMenu());
        store.FillSchemeMenu(menu.get());
        return ReadMenu(menu.get());
    }

    SchemeStore store;
};

TEST_F(SchemeMenuTest, ItemsCarryTheEnumerationIndexAndDisplayName)
{
    std::vector<std::wstring> keys;
    store.EnumerateSchemeKeys([&](DWORD, const std::wstring& key) { keys.push_back(key); });

    const std::vector<MenuRow> rows = Fill();
    ASSERT_EQ(rows.size(), keys.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].id, IDM_SCHEME_BASE + i);
        EXPECT_EQ(rows[i].text, store.ReadDisplayName(keys[i]));
        EXPECT_EQ(store.SchemeKeyAt(rows[i].id - IDM_SCHEME_BASE), keys[i]);
    }
}

TEST_F(SchemeMenuTest, OnlyTheExactCurrentSchemeIsChecked)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L".Default", L"Windows Default"},
        {L"QuietOffice", L"Quiet Office"},
        {L".default", nullptr}, // differs in letter case: nothing checked
        {L"", nullptr},
    };
    for (const auto& [current, checkedText] : cases) {
        SetCurrentSchemeValue(current);
        int checkedCount = 0;
        for (const MenuRow& row : Fill()) {
            if (row.state & MFS_CHECKED) {
                ++checkedCount;
                EXPECT_EQ(row.text, checkedText) << testing::PrintToString(current);
            }
        }
        EXPECT_EQ(checkedCount, checkedText ? 1 : 0) << testing::PrintToString(current);
    }
}

TEST_F(SchemeMenuTest, SystemSchemesShowTheirNames)
{
    std::vector<std::wstring> texts;
    for (const MenuRow& row : Fill())
        texts.push_back(row.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Windows Default"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"No Sounds"), texts.end());
}

TEST(StartupCommand, QuotesTheFullProgramPath)
{
    EXPECT_EQ(StartupCommand(L"C:\\Program Files\\Quillfen\\Hushlark.exe"),
              L"\"C:\\Program Files\\Quillfen\\Hushlark.exe\" /l");
    const std::wstring path = RunningProgramPath();
    EXPECT_GT(path.size(), 4u);
    EXPECT_EQ(path.substr(path.size() - 4), L".exe");
    EXPECT_EQ(path.find(L'\0'), std::wstring::npos);
}

// The tray controller's commands, on the real main window.
class TrayCommandTest : public RegistrySandbox {
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

    HWND window_ = nullptr;
    SchemeStore store;
};

TEST_F(TrayCommandTest, MuteAndUnmuteChangeIconAndTipAtOnce)
{
    EXPECT_EQ(Command(IDM_SOUNDS_OFF), 1);
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_EQ(Controller().trayIcon.hIcon, Controller().offIcon.get());
    EXPECT_STREQ(Controller().trayIcon.szTip, L"Sound is Off");
    EXPECT_EQ(GetCurrentSound(L".Default", L"SystemAsterisk")->ByteCount(), 2u);

    EXPECT_EQ(Command(IDM_SOUNDS_ON), 1);
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    EXPECT_EQ(Controller().trayIcon.hIcon, Controller().onIcon.get());
    EXPECT_STREQ(Controller().trayIcon.szTip, L"Sound is On");
    EXPECT_EQ(GetCurrentSound(L".Default", L"SystemAsterisk")->Text(), L"C:\\Windows\\media\\Windows Background.wav");
}

TEST_F(TrayCommandTest, SchemeChoiceAppliesTheKeyAtItsIndexAndLeavesTheIcon)
{
    DWORD quietIndex = 0;
    store.EnumerateSchemeKeys([&](DWORD index, const std::wstring& key) {
        if (key == L".None")
            quietIndex = index;
    });
    EXPECT_EQ(Command(IDM_SCHEME_BASE + quietIndex), 1);
    EXPECT_EQ(store.ReadCurrentScheme(), L".None");
    EXPECT_EQ(Controller().trayIcon.hIcon, Controller().onIcon.get()) << "the next tick brings the icon in line";
    SendMessageW(window_, WM_TIMER, 1, 0);
    EXPECT_EQ(Controller().trayIcon.hIcon, Controller().offIcon.get());
}

TEST_F(TrayCommandTest, StaleSchemeIdAppliesNothing)
{
    DWORD count = 0;
    store.EnumerateSchemeKeys([&](DWORD, const std::wstring&) { ++count; });
    store.DeleteScheme(L"QuietOffice"); // the last index now names nothing
    Command(IDM_SCHEME_BASE + count - 1);
    Command(IDM_SCHEME_BASE + 500);
    Command(1179);
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    EXPECT_EQ(GetCurrentSound(L".Default", L"SystemAsterisk")->Text(), L"C:\\Windows\\media\\Windows Background.wav");
}

TEST_F(TrayCommandTest, LaunchOnStartupTwiceWritesThenDeletesTheRunValue)
{
    const std::wstring runKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_FALSE(IsLaunchOnStartupOn());

    Command(IDM_LAUNCH_ON_STARTUP);
    const std::optional<StoredValue> value = GetValue(runKey, L"Hushlark");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    const std::wstring expected = L"\"" + RunningProgramPath() + L"\" /l";
    EXPECT_EQ(value->Text(), expected);
    EXPECT_EQ(value->ByteCount(), (expected.size() + 1) * sizeof(wchar_t));
    EXPECT_TRUE(IsLaunchOnStartupOn());

    Command(IDM_LAUNCH_ON_STARTUP);
    EXPECT_FALSE(GetValue(runKey, L"Hushlark").has_value());
    EXPECT_FALSE(IsLaunchOnStartupOn());
}

TEST_F(TrayCommandTest, AnyRunValueOfTheNameCountsAsOnAndIsDeleted)
{
    const std::wstring runKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    SetValue(runKey, L"Hushlark", REG_BINARY, {});
    EXPECT_TRUE(IsLaunchOnStartupOn());
    Command(IDM_LAUNCH_ON_STARTUP);
    EXPECT_FALSE(GetValue(runKey, L"Hushlark").has_value());
}

TEST_F(TrayCommandTest, ExitDestroysTheWindow)
{
    EXPECT_EQ(Command(IDM_EXIT), 1);
    EXPECT_FALSE(IsWindow(window_));
}

TEST_F(TrayCommandTest, UnknownCommandsDoNothing)
{
    for (UINT id : {0u, 1u, 2u, 1008u, 32774u, 65535u})
        EXPECT_EQ(Command(id), 1);
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    EXPECT_TRUE(IsWindow(window_));
}

// The Options dialog runs modally while the main window's timer goes on: the
// guard undoes another program's change while the dialog is open.
struct OptionsWatch {
    HWND mainWindow = nullptr;
    HWND dialogOwner = nullptr;
    bool changedBehindItsBack = false;
    bool guardRan = false;
    ULONGLONG giveUpAt = 0;
};

OptionsWatch& Watch()
{
    static OptionsWatch watch;
    return watch;
}

void CALLBACK WatchOptions(HWND, UINT, UINT_PTR, DWORD)
{
    OptionsWatch& watch = Watch();
    const HWND dialog = FindWindowW(L"#32770", L"Hushlark Options");
    if (!dialog)
        return;
    SchemeStore store;
    if (!watch.changedBehindItsBack) {
        watch.dialogOwner = GetWindow(dialog, GW_OWNER);
        store.SetCurrentScheme(L".None");
        watch.changedBehindItsBack = true;
    } else if (store.ReadCurrentScheme() == L".Default") {
        watch.guardRan = true;
    }
    if (watch.guardRan || GetTickCount64() > watch.giveUpAt)
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(TrayCommandTest, OptionsDialogIsModalAndTheGuardKeepsRunning)
{
    store.WriteDefaultScheme(L".Default");
    store.WriteKeepDefault(1);
    Watch() = OptionsWatch();
    Watch().giveUpAt = GetTickCount64() + 5000;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, WatchOptions);
    EXPECT_EQ(Command(IDM_OPTIONS), 1);
    KillTimer(nullptr, timer);

    EXPECT_TRUE(Watch().changedBehindItsBack) << "the dialog opened";
    EXPECT_EQ(Watch().dialogOwner, window_);
    EXPECT_TRUE(Watch().guardRan);
    EXPECT_EQ(FindWindowW(L"#32770", L"Hushlark Options"), nullptr);
}

// Looks at the popup menu while it is tracked, from a timer of the test's
// thread, which the menu's own message loop dispatches; then closes it.
class TrackedMenuTest : public TrayCommandTest {
protected:
    struct Observation {
        bool seen = false;
        std::vector<MenuRow> rows;
        std::vector<MenuRow> submenuRows;
        HMENU windowMenu = nullptr;
        bool subclassed = false;
    };

    static Observation& Observed()
    {
        static Observation observation;
        return observation;
    }

    static void CALLBACK LookAndClose(HWND, UINT, UINT_PTR timer, DWORD)
    {
        const HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (!menuWindow || !IsWindowVisible(menuWindow))
            return;
        KillTimer(nullptr, timer);
        Observation& observation = Observed();
        const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        observation.seen = true;
        observation.rows = ReadMenu(menu);
        if (observation.rows.size() > 2 && observation.rows[2].submenu)
            observation.submenuRows = ReadMenu(observation.rows[2].submenu);
        const HWND owner = FindWindowW(L"Hushlark_Window", nullptr);
        observation.windowMenu = GetMenu(owner);
        observation.subclassed = GetPropW(owner, L"QMR_OriginalProc") != nullptr;
        EndMenu();
    }

    void OpenMenuVia(LPARAM mouseMessage)
    {
        Observed() = Observation();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, LookAndClose);
        SendMessageW(window_, 0x8000, 321, mouseMessage);
        KillTimer(nullptr, timer);
    }
};

TEST_F(TrackedMenuTest, HasTheEightRowsSkinnedAndFollowsTheSoundState)
{
    OpenMenuVia(WM_RBUTTONDOWN);
    const Observation& seen = Observed();
    ASSERT_TRUE(seen.seen) << "the menu opened";
    ASSERT_EQ(seen.rows.size(), 8u);

    const UINT ids[] = {IDM_SOUNDS_ON, IDM_SOUNDS_OFF, 0, 0, IDM_LAUNCH_ON_STARTUP, IDM_OPTIONS, 0, IDM_EXIT};
    const wchar_t* texts[] = {L"Turn Sounds O&n",
                              L"Turn Sounds O&ff",
                              L"Change Scheme",
                              L"",
                              L"&Launch on Startup",
                              L"&Options",
                              L"",
                              L"E&xit"};
    for (size_t i = 0; i < 8; ++i) {
        const MenuRow& row = seen.rows[i];
        EXPECT_TRUE(row.type & MFT_OWNERDRAW) << "row " << i;
        EXPECT_NE(row.data, 0u) << "row " << i << " carries a label";
        EXPECT_EQ(row.text, texts[i]) << "row " << i;
        if (i != 2) {
            EXPECT_EQ(row.id, ids[i]) << "row " << i;
        }
        EXPECT_EQ((row.type & MFT_SEPARATOR) != 0, i == 3 || i == 6) << "row " << i;
    }
    EXPECT_NE(seen.rows[2].submenu, nullptr);
    EXPECT_TRUE(seen.rows[0].state & MFS_DISABLED) << "sound is on";
    EXPECT_FALSE(seen.rows[1].state & MFS_DISABLED);
    EXPECT_FALSE(seen.rows[4].state & MFS_CHECKED);
    for (const MenuRow& row : seen.submenuRows)
        EXPECT_TRUE(row.type & MFT_OWNERDRAW);
    EXPECT_EQ(seen.submenuRows.size(), 3u);
    EXPECT_EQ(seen.windowMenu, nullptr) << "the popup is never the window's menu";
    EXPECT_TRUE(seen.subclassed);

    EXPECT_EQ(GetPropW(window_, L"QMR_OriginalProc"), nullptr) << "the skin is detached afterwards";
    EXPECT_EQ(GetMenu(window_), nullptr);
}

TEST_F(TrackedMenuTest, RowsFollowMutedStateAndStartupValue)
{
    Command(IDM_SOUNDS_OFF);
    Command(IDM_LAUNCH_ON_STARTUP);
    OpenMenuVia(WM_LBUTTONDOWN);
    const Observation& seen = Observed();
    ASSERT_EQ(seen.rows.size(), 8u);
    EXPECT_FALSE(seen.rows[0].state & MFS_DISABLED);
    EXPECT_TRUE(seen.rows[1].state & MFS_DISABLED);
    EXPECT_TRUE(seen.rows[4].state & MFS_CHECKED);
}

TEST_F(TrackedMenuTest, OtherMouseMessagesOpenNothing)
{
    for (LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK}) {
        OpenMenuVia(mouse);
        EXPECT_FALSE(Observed().seen) << mouse;
    }
}

TEST_F(TrackedMenuTest, OpensAgainAndAgain)
{
    for (LPARAM mouse : {WM_CONTEXTMENU, WM_RBUTTONDOWN, WM_LBUTTONDOWN}) {
        OpenMenuVia(mouse);
        EXPECT_TRUE(Observed().seen) << mouse;
    }
}

} // namespace
