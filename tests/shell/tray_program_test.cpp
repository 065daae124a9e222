#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <map>
#include <optional>
#include <vector>
#include <string>

#include "engine/scheme_store.h"
#include "mute/program_settings.h"
#include "mute/startup_entry.h"
#include "resources/resource.h"
#include "tests/shell/program_driver.h"
#include "tools/demo/demo_profile.h"
#include "win32/unique_handle.h"
#include "win32/registry.h"

namespace {

constexpr DWORD kStartTimeoutMs = 10000;

// The real program on the test prefix's virtual desktop, against the demo
// sound profile written afresh into that prefix's registry for every test.
class TrayProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InThrowawayPrefix())
            GTEST_SKIP() << "runs only in the end-to-end tests' own Wine prefix";
        CloseLeftoverInstance();
        ASSERT_TRUE(SeedDemoProfile(HKEY_CURRENT_USER));
    }

    // Instances that commands started are not the test's to keep.
    void TearDown() override
    {
        if (InThrowawayPrefix())
            CloseLeftoverInstance();
    }

    // Starts the program and waits for its window and for the icon in the
    // notification area.
    HWND StartProgram(RunningProgram& program)
    {
        if (!program.Start())
            return nullptr;
        const HWND window = WaitForWindow(kMainWindowClass, kStartTimeoutMs);
        WaitUntil([] { return FindTrayPicture() != TrayPicture::Absent; }, kStartTimeoutMs);
        return window;
    }

    // Opens the tray menu as the icon's callback in the layout of version 4
    // would, by default for a right click, anchored at the cursor; the menu
    // window, or null when none appeared.
    static HWND OpenMenu(HWND program, UINT event = WM_CONTEXTMENU, std::optional<POINT> anchor = std::nullopt,
                         DWORD timeoutMs = 3000)
    {
        PostCallback(program, event, anchor);
        HWND menu = nullptr;
        WaitUntil(
            [&] {
                menu = FindWindowW(L"#32768", nullptr);
                return menu && IsWindowVisible(menu);
            },
            timeoutMs);
        return menu && IsWindowVisible(menu) ? menu : nullptr;
    }

    // The icon's callback: the event and icon id in lParam, the anchor in
    // wParam; a click anchors it at the cursor.
    static void PostCallback(HWND program, UINT event, std::optional<POINT> anchor = std::nullopt)
    {
        POINT cursor = {};
        GetCursorPos(&cursor);
        const POINT at = anchor.value_or(cursor);
        PostMessageW(program, kTrayCallbackMessage, MAKEWPARAM(at.x, at.y), MAKELPARAM(event, kTrayIconId));
    }

    // Visible popup menus on the desktop.
    static int OpenMenuCount()
    {
        int count = 0;
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;)
            count += IsWindowVisible(w) ? 1 : 0;
        return count;
    }

    static bool MenuClosed()
    {
        const HWND menu = FindWindowW(L"#32768", nullptr);
        return !menu || !IsWindowVisible(menu);
    }

    // Keys go to the menu window: the menu's loop reads every keyboard message
    // of its thread, while keys from the X server do not reach a menu tracked
    // for a hidden window. Rows are reached from the top: separators are
    // skipped, disabled rows are not.
    static void PressKeys(HWND menu, std::initializer_list<WPARAM> keys)
    {
        for (WPARAM key : keys) {
            PostMessageW(menu, WM_KEYDOWN, key, 0);
            PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
            Sleep(60);
        }
    }

    // The sounds that play now, slot by slot.
    static std::map<std::wstring, std::wstring> CurrentSounds()
    {
        std::map<std::wstring, std::wstring> sounds;
        const registry::Key apps = registry::OpenKey(HKEY_CURRENT_USER, L"AppEvents\\Schemes\\Apps");
        const LONG walked = registry::WalkSubkeys(apps.get(), [&](DWORD, const wchar_t* app) {
            const registry::Key appKey = registry::OpenKey(apps.get(), app);
            const LONG eventsWalked = registry::WalkSubkeys(appKey.get(), [&](DWORD, const wchar_t* event) {
                const registry::Key current = registry::OpenKey(appKey.get(), std::wstring(event) + L"\\.Current");
                sounds[std::wstring(app) + L"\\" + event] =
                    registry::ReadString(current.get(), nullptr).value_or(L"(none)");
            });
            EXPECT_EQ(eventsWalked, ERROR_SUCCESS) << app;
        });
        EXPECT_EQ(walked, ERROR_SUCCESS);
        return sounds;
    }

    // Windows of the program's class on the desktop.
    static int InstanceCount()
    {
        int count = 0;
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, kMainWindowClass, nullptr)) != nullptr;)
            ++count;
        return count;
    }

    static void CloseLeftoverInstance()
    {
        while (const HWND window = FindWindowW(kMainWindowClass, nullptr)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            if (!WaitUntil([window] { return !IsWindow(window); }, 5000))
                break;
        }
    }

    SchemeStore store;
    ProgramSettings settings;
};

TEST_F(TrayProgram, FirstStartShowsOnlyTheIconForTheSoundState)
{
    for (const wchar_t* current : {L".Default", L".NONE"}) {
        ASSERT_EQ(store.SetCurrentScheme(current), ERROR_SUCCESS);
        RunningProgram program;
        const HWND window = StartProgram(program);
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_EQ(FindTrayPicture(), current[1] == L'D' ? TrayPicture::SoundOn : TrayPicture::SoundOff);
        EXPECT_EQ(program.WaitForExit(300), std::nullopt) << "keeps running";
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(5000), 0u);
    }
}

TEST_F(TrayProgram, SecondStartShowsNoWindowAndEndsWithZero)
{
    RunningProgram first;
    const HWND window = StartProgram(first);
    ASSERT_NE(window, nullptr);

    RunningProgram second;
    ASSERT_TRUE(second.Start(L"/l"));
    EXPECT_EQ(second.WaitForExit(5000), 0u);
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(window)) << "the first instance stays hidden";
    EXPECT_EQ(InstanceCount(), 1);
    EXPECT_EQ(first.WaitForExit(0), std::nullopt);
}

TEST_F(TrayProgram, TwoQuickStartsGiveOneInstance)
{
    RunningProgram first;
    RunningProgram second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    ASSERT_NE(WaitForWindow(kMainWindowClass, kStartTimeoutMs), nullptr);
    // One of the two hands over and ends with 0; the other keeps running.
    EXPECT_TRUE(WaitUntil([&] { return first.WaitForExit(0) == 0u || second.WaitForExit(0) == 0u; }, 5000));
    EXPECT_NE(first.WaitForExit(0).has_value(), second.WaitForExit(0).has_value());
    EXPECT_EQ(InstanceCount(), 1);
}

TEST_F(TrayProgram, CloseEndsWithZeroAndRemovesTheIcon)
{
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(FindTrayPicture(), TrayPicture::Absent);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(5000), 0u);
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::Absent; }, 2000));
}

TEST_F(TrayProgram, IconComesBackWhenTheTaskbarIsCreatedAgainOrTheShellLostIt)
{
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);

    for (const bool announced : {true, false}) {
        // What a restarted taskbar looks like to the program: its icon is
        // gone, then the shell announces the new notification area. Without
        // the announcement, the next refresh finds the icon gone and the
        // retry adds it again.
        NOTIFYICONDATAW icon = {sizeof(icon)};
        icon.hWnd = window;
        icon.uID = kTrayIconId;
        ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
        ASSERT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::Absent; }, 2000));
        if (announced)
            PostMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOn; }, announced ? 1000 : 5000))
            << announced;
    }
}

TEST_F(TrayProgram, IconFollowsAnotherProgramSelectingSilence)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    RunningProgram program;
    ASSERT_NE(StartProgram(program), nullptr);
    ASSERT_EQ(FindTrayPicture(), TrayPicture::SoundOn);

    ASSERT_EQ(store.SetCurrentScheme(L".None"), ERROR_SUCCESS);
    const ULONGLONG changed = GetTickCount64();
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 3000));
    // Two ticks at most, plus the time the taskbar takes to repaint.
    EXPECT_LT(GetTickCount64() - changed, 1500u);
}

// Wine's notification area sends the version-4 events of the mouse, but never
// NIN_KEYSELECT: the tests post every event themselves.
TEST_F(TrayProgram, SelectionsAndContextMenusOpenTheMenuOncePressesAndMovesDoNot)
{
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);

    for (const UINT event : {WM_CONTEXTMENU, NIN_SELECT, NIN_KEYSELECT}) {
        const HWND menu = OpenMenu(window, event);
        ASSERT_NE(menu, nullptr) << "event " << event;
        PressKeys(menu, {VK_ESCAPE});
        EXPECT_TRUE(WaitUntil(MenuClosed, 2000));
    }
    for (const UINT other :
         {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, NIN_POPUPOPEN})
        EXPECT_EQ(OpenMenu(window, other, std::nullopt, 500), nullptr) << "event " << other;

    // Windows sends NIN_KEYSELECT twice for Enter: one menu opens, on its
    // first enabled row, and Enter chooses that row.
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    const POINT icon = {400, 600};
    PostCallback(window, NIN_KEYSELECT, icon);
    const HWND menu = OpenMenu(window, NIN_KEYSELECT, icon);
    ASSERT_NE(menu, nullptr);
    Sleep(300);
    EXPECT_EQ(OpenMenuCount(), 1);
    PressKeys(menu, {VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return !store.IsSoundOn(); }, 3000)) << "Turn Sounds Off was chosen";
    EXPECT_TRUE(WaitUntil(MenuClosed, 2000));
    Sleep(500);
    EXPECT_TRUE(MenuClosed()) << "no second menu followed";
}

// Enter on the icon, or Shift+F10: the menu opens above the icon, with the
// first row that can be chosen highlighted, so that Enter chooses it at once.
TEST_F(TrayProgram, AKeyboardSelectionOpensTheMenuAtTheAnchorOnItsFirstEnabledRow)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);
    POINT cursor = {};
    GetCursorPos(&cursor);
    const POINT icon = {cursor.x < 500 ? 700 : 300, cursor.y < 500 ? 700 : 400};

    for (const bool soundOnBefore : {true, false}) {
        const HWND menu = OpenMenu(window, soundOnBefore ? NIN_KEYSELECT : WM_CONTEXTMENU, icon);
        ASSERT_NE(menu, nullptr) << soundOnBefore;
        RECT rect = {};
        GetWindowRect(menu, &rect);
        EXPECT_EQ(rect.left, icon.x) << soundOnBefore;
        EXPECT_EQ(rect.bottom, icon.y) << soundOnBefore;
        PressKeys(menu, {VK_RETURN});
        EXPECT_TRUE(WaitUntil([&] { return store.IsSoundOn() != soundOnBefore; }, 3000)) << soundOnBefore;
        EXPECT_TRUE(WaitUntil(MenuClosed, 2000));
    }
}

// The rows' marked letters, which Windows cannot see in owner-drawn rows.
TEST_F(TrayProgram, AnAccessKeyChoosesItsRow)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);
    struct Case {
        wchar_t key;
        bool soundOnAfter;
    };
    // "Turn Sounds O&n" is disabled while sounds are on: its letter does nothing.
    for (const Case& c : {Case{L'n', true}, Case{L'F', false}, Case{L'N', true}}) {
        const HWND menu = OpenMenu(window);
        ASSERT_NE(menu, nullptr) << static_cast<char>(c.key);
        PostMessageW(menu, WM_CHAR, c.key, 1);
        Sleep(300);
        if (c.soundOnAfter == store.IsSoundOn() && !MenuClosed())
            PressKeys(menu, {VK_ESCAPE});
        EXPECT_TRUE(WaitUntil([&] { return store.IsSoundOn() == c.soundOnAfter; }, 3000)) << static_cast<char>(c.key);
        EXPECT_TRUE(WaitUntil(MenuClosed, 2000)) << static_cast<char>(c.key);
    }
}

TEST_F(TrayProgram, MenuIsPaintedInTheProgramsLook)
{
    RunningProgram program;
    const HWND menu = OpenMenu(StartProgram(program));
    ASSERT_NE(menu, nullptr);
    Sleep(300);

    RECT rect;
    GetWindowRect(menu, &rect);
    const HDC screen = GetDC(nullptr);
    // The strip shades from the inactive caption colour, left, toward the menu
    // colour; the items are white to the right of it.
    const int y = rect.top + (rect.bottom - rect.top) / 2;
    const COLORREF stripStart = GetPixel(screen, rect.left + 4, y);
    const COLORREF stripEnd = GetPixel(screen, rect.left + 25, y);
    const COLORREF item = GetPixel(screen, rect.right - 20, y);
    ReleaseDC(nullptr, screen);
    PressKeys(menu, {VK_ESCAPE});

    EXPECT_EQ(item, RGB(255, 255, 255));
    EXPECT_NE(stripStart, RGB(255, 255, 255));
    EXPECT_NE(stripStart, stripEnd);
}

TEST_F(TrayProgram, TurningSoundsOffAndOnByKeyboard)
{
    const std::map<std::wstring, std::wstring> before = CurrentSounds();
    ASSERT_GT(before.size(), 60u);
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    // What a wrongly enabled "Turn Sounds On" would apply.
    ASSERT_EQ(settings.WriteLastSound(L"Afternoon"), ERROR_SUCCESS);
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);

    // "Turn Sounds On" is disabled while sounds are on: choosing it does nothing.
    HWND menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_RETURN, VK_ESCAPE});
    WaitUntil(MenuClosed, 2000);
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");

    menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return store.ReadCurrentScheme() == L".None"; }, 3000));
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 1000));
    for (const auto& [slot, sound] : CurrentSounds())
        EXPECT_EQ(sound, L"") << testing::PrintToString(slot);
    EXPECT_EQ(settings.ReadLastSound(), L".Default");

    menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return store.ReadCurrentScheme() == L".Default"; }, 3000));
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOn; }, 1000));
    EXPECT_EQ(CurrentSounds(), before);
}

TEST_F(TrayProgram, SchemeChosenFromTheSubmenuIsAppliedAndTheIconFollows)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    DWORD silentIndex = 0;
    for (const SchemeEntry& scheme : store.ListSchemes().schemes) {
        if (scheme.key == L".None")
            silentIndex = scheme.index;
    }
    RunningProgram program;
    const HWND menu = OpenMenu(StartProgram(program));
    ASSERT_NE(menu, nullptr);

    // "Change Scheme", then into the submenu, which opens on its first scheme.
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT});
    for (DWORD i = 0; i < silentIndex; ++i)
        PressKeys(menu, {VK_DOWN});
    PressKeys(menu, {VK_RETURN});

    ASSERT_TRUE(WaitUntil([&] { return store.ReadCurrentScheme() == L".None"; }, 3000));
    EXPECT_EQ(settings.ReadDefaultScheme(), L".None");
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 1500));
}

TEST_F(TrayProgram, LaunchOnStartupTwiceWritesThenDeletesTheRunValue)
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, L"Hushlark");
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);

    auto runValue = [&]() -> std::optional<std::wstring> {
        wchar_t data[1024] = {};
        DWORD size = sizeof(data) - sizeof(wchar_t);
        if (RegGetValueW(HKEY_CURRENT_USER, kRunKeyPath, L"Hushlark", RRF_RT_REG_SZ, nullptr, data, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(data);
    };

    HWND menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return runValue().has_value(); }, 3000));
    EXPECT_EQ(runValue(), L"\"" + ProgramPath() + L"\" /l");

    WaitUntil(MenuClosed, 2000);
    menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return !runValue().has_value(); }, 3000));
}

TEST_F(TrayProgram, OptionsOpensWhileTheTimerKeepsTicking)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    RunningProgram program;
    const HWND menu = OpenMenu(StartProgram(program));
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});

    const HWND dialog = WaitForWindow(L"#32770", 3000);
    ASSERT_NE(dialog, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(dialog, title, 64);
    EXPECT_STREQ(title, L"Hushlark Options");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), FindWindowW(kMainWindowClass, nullptr));

    ASSERT_EQ(store.SetCurrentScheme(L".None"), ERROR_SUCCESS);
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 2000))
        << "the icon is refreshed while the dialog is open";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([] { return FindWindowW(L"#32770", L"Hushlark Options") == nullptr; }, 2000));
}

TEST_F(TrayProgram, ExitEndsWithZeroAndRemovesTheIcon)
{
    RunningProgram program;
    const HWND menu = OpenMenu(StartProgram(program));
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(program.WaitForExit(5000), 0u);
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::Absent; }, 2000));
}

// Command lines from scripts, shortcuts and Task Scheduler.
class CommandLine : public TrayProgram {
protected:
    // Runs hushlark.com and checks its exit code and what it printed.
    void ExpectRun(const std::wstring& arguments, DWORD exitCode, const std::string& output = "",
                   const std::string& errorStart = "")
    {
        const ConsoleRun run = RunConsole(arguments);
        EXPECT_EQ(run.exitCode, exitCode) << testing::PrintToString(arguments) << run.errors;
        EXPECT_EQ(run.output, output) << testing::PrintToString(arguments);
        EXPECT_EQ(run.errors.substr(0, errorStart.size()), errorStart) << testing::PrintToString(arguments);
        if (errorStart.empty()) {
            EXPECT_EQ(run.errors, "") << testing::PrintToString(arguments);
        }
    }
};

TEST_F(CommandLine, EveryCommandWithoutARunningInstance)
{
    const std::map<std::wstring, std::wstring> before = CurrentSounds();
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    ExpectRun(L"status", 0, "on\nscheme: Windows Default\n");
    // In the order of the registry's enumeration, as the menu shows them.
    ExpectRun(L"LIST", 0, "* Windows Default\n  Hushlark 0 (11/30/2026)\n  No Sounds\n  Afternoon\n");

    ExpectRun(L"off", 0);
    EXPECT_EQ(store.ReadCurrentScheme(), L".None");
    ExpectRun(L"Off", 0); // already off: nothing to do
    EXPECT_EQ(settings.ReadLastSound(), L".Default") << "kept";
    ExpectRun(L"status", 0, "off\nscheme: No Sounds\n");
    ExpectRun(L"on", 0);
    ExpectRun(L"on", 0);
    EXPECT_EQ(CurrentSounds(), before);

    ExpectRun(L"toggle", 0);
    EXPECT_FALSE(store.IsSoundOn());
    ExpectRun(L"toggle", 0);
    EXPECT_TRUE(store.IsSoundOn());

    ExpectRun(L"scheme afternoon", 0);
    EXPECT_EQ(store.ReadCurrentScheme(), L"Afternoon");
    ExpectRun(L"scheme \".default\"", 0);
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    ExpectRun(L"scheme Nowhere", 3, "", "hushlark: No sound scheme is named \"Nowhere\".");
    ExpectRun(L"scheme " + std::wstring(1001, L'x'), 2, "", "Usage:");
    for (const wchar_t* wrong : {L"", L"bogus", L"off --for 0s", L"off --for 25h", L"off now", L"status twice"})
        ExpectRun(wrong, 2, "", "Usage:");
    ExpectRun(L"exit", 0);
    ExpectRun(L"--version", 0, "Hushlark 1.0.0\n");

    // The start-up entry, as the uninstaller and the menu see it.
    ExpectRun(L"startup off", 0);
    ExpectRun(L"startup status", 0, "off\n");
    ExpectRun(L"startup ON", 0);
    ExpectRun(L"startup status", 0, "on\n");
    const BYTE disabled[] = {0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    RegSetKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKeyPath, L"Hushlark", REG_BINARY, disabled, sizeof(disabled));
    ExpectRun(L"startup status", 0, "disabled\n");
    ExpectRun(L"startup off", 0);
    ExpectRun(L"startup status", 0, "off\n");
    EXPECT_NE(
        RegGetValueW(HKEY_CURRENT_USER, kStartupApprovedKeyPath, L"Hushlark", RRF_RT_ANY, nullptr, nullptr, nullptr),
        ERROR_SUCCESS);
    ExpectRun(L"startup", 2, "", "Usage:");
    EXPECT_EQ(InstanceCount(), 0) << "nothing started an instance";
}

TEST_F(CommandLine, ChangesGoToTheRunningInstanceWhoseIconFollowsAtOnce)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    RunningProgram program;
    ASSERT_NE(StartProgram(program), nullptr);

    ExpectRun(L"off", 0);
    EXPECT_EQ(store.ReadCurrentScheme(), L".None");
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 400)) << "before the next tick";
    ExpectRun(L"off", 0);
    ExpectRun(L"toggle", 0);
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOn; }, 400));
    ExpectRun(L"scheme nowhere", 3, "", "hushlark: No sound scheme is named");
    // Hushlark.exe takes the same commands, silently.
    RunningProgram command;
    ASSERT_TRUE(command.Start(L"OFF"));
    EXPECT_EQ(command.WaitForExit(10000), 0u);
    EXPECT_FALSE(store.IsSoundOn());

    ExpectRun(L"exit", 0);
    EXPECT_EQ(program.WaitForExit(0), 0u) << "ended before the command returned";
}

TEST_F(CommandLine, TimedOffComesBackOnAlsoAcrossARestart)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    // No instance runs: the command starts one to end the timer.
    // Long enough for `status` to run before the end on a busy machine.
    ExpectRun(L"off --for 5s", 0);
    EXPECT_FALSE(store.IsSoundOn());
    ASSERT_TRUE(settings.ReadOffUntil().has_value());
    const ConsoleRun status = RunConsole(L"status");
    EXPECT_EQ(status.output.rfind("off\nscheme: No Sounds\nuntil: ", 0), 0u) << status.output;
    ASSERT_NE(WaitForWindow(kMainWindowClass, kStartTimeoutMs), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return store.IsSoundOn(); }, 10000));
    EXPECT_FALSE(settings.ReadOffUntil().has_value());

    // The instance is closed meanwhile: the next start finds the time passed.
    ExpectRun(L"off --for 2s", 0);
    ExpectRun(L"exit", 0);
    Sleep(2500);
    EXPECT_FALSE(store.IsSoundOn());
    RunningProgram program;
    ASSERT_NE(StartProgram(program), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return store.IsSoundOn(); }, 2000));

    // Turning sounds off by hand ends the timer.
    ExpectRun(L"off --for 1h", 0);
    ExpectRun(L"off", 0);
    EXPECT_FALSE(settings.ReadOffUntil().has_value());
}

TEST_F(CommandLine, MalformedMessagesAreAnsweredAsFailuresAndChangeNothing)
{
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);
    auto send = [&](ULONG_PTR tag, const void* data, DWORD bytes) {
        COPYDATASTRUCT copy = {tag, bytes, const_cast<void*>(data)};
        DWORD_PTR answer = 99;
        SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 5000, &answer);
        return answer;
    };
    constexpr ULONG_PTR kTag = 0x484C4B32;
    // A request: no reply window and no reply tag, then the words, each ended.
    auto request = [](const std::wstring& words) {
        std::vector<BYTE> data(8 + (words.size() + 1) * sizeof(wchar_t), 0);
        std::memcpy(data.data() + 8, words.c_str(), (words.size() + 1) * sizeof(wchar_t));
        return data;
    };
    const std::vector<BYTE> off = request(L"off");
    const std::vector<BYTE> longName = request(L"scheme" + std::wstring(1, L'\0') + std::wstring(1001, L'x'));
    const std::vector<BYTE> huge = request(std::wstring(2100, L'o'));
    const wchar_t earlierLayout[] = L"off";
    EXPECT_EQ(send(0x484C4B31, earlierLayout, sizeof(earlierLayout)), 1u) << "earlier layout";
    EXPECT_EQ(send(kTag, off.data(), static_cast<DWORD>(off.size() - 2)), 1u) << "not terminated";
    EXPECT_EQ(send(kTag, off.data(), static_cast<DWORD>(off.size() - 1)), 1u) << "odd size";
    EXPECT_EQ(send(kTag, off.data(), 8), 1u) << "no words";
    EXPECT_EQ(send(kTag, huge.data(), static_cast<DWORD>(huge.size())), 1u) << "too large";
    EXPECT_EQ(send(kTag, request(L"mute").data(), 18), 1u) << "unknown";
    EXPECT_EQ(send(kTag, request(L"status").data(), 22), 1u) << "not carried out by the instance";
    EXPECT_EQ(send(kTag, longName.data(), static_cast<DWORD>(longName.size())), 1u) << "long name";
    EXPECT_EQ(send(kTag, nullptr, 0), 1u) << "no data";
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(send(kTag, off.data(), static_cast<DWORD>(off.size())), 0u) << "still serving";
    EXPECT_FALSE(store.IsSoundOn());
}

// A Task Scheduler task with a typo fails instead of doing nothing or
// becoming the tray program; anything that is no command still starts it.
TEST_F(CommandLine, HushlarkExeEndsWithTwoForAMalformedCommandAndShowsNothing)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    const std::wstring program = L"\"" + ProgramPath() + L"\" ";
    const wchar_t* malformed[] = {L"off --for 25h", L"ofF --for 1.5h", L"scheme", L"startup maybe"};
    for (const wchar_t* arguments : malformed)
        EXPECT_EQ(RunToEnd(program + arguments, 10000), 2u) << testing::PrintToString(arguments);
    EXPECT_EQ(InstanceCount(), 0) << "no tray program started";

    RunningProgram running;
    ASSERT_NE(StartProgram(running), nullptr);
    for (const wchar_t* arguments : malformed)
        EXPECT_EQ(RunToEnd(program + arguments, 10000), 2u) << testing::PrintToString(arguments) << " with it running";
    EXPECT_TRUE(store.IsSoundOn());
    for (const wchar_t* arguments : {L"/l", L"bogus"})
        EXPECT_EQ(RunToEnd(program + arguments, 10000), 0u) << "a second start: " << testing::PrintToString(arguments);
    EXPECT_EQ(InstanceCount(), 1);
}

// What hushlark.com prints for a failure is the same whether it carried the
// command out itself or the running instance did.
TEST_F(CommandLine, AFailureReadsTheSameThroughTheRunningInstance)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    // A sound no scheme holds, in a slot where saving it fails: a volatile key
    // takes no lasting subkey.
    const std::wstring slot = L"AppEvents\\Schemes\\Apps\\.Default\\SystemAsterisk";
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, slot.c_str()), ERROR_SUCCESS);
    for (const std::wstring& path : {slot, slot + L"\\.Current"}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    const wchar_t mine[] = L"C:\\Sounds\\mine.wav";
    RegSetKeyValueW(HKEY_CURRENT_USER, (slot + L"\\.Current").c_str(), nullptr, REG_SZ, mine, sizeof(mine));
    // Two schemes shown under one name.
    const wchar_t evening[] = L"Evening";
    for (const wchar_t* key : {L"Dusk", L"Late"})
        RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(L"AppEvents\\Schemes\\Names\\") + key).c_str(), nullptr,
                        REG_SZ, evening, sizeof(evening));

    const ConsoleRun saveHere = RunConsole(L"off");
    EXPECT_EQ(saveHere.exitCode, 1u);
    EXPECT_EQ(saveHere.errors.rfind("hushlark: Your current sounds could not be saved, so nothing was changed. ", 0),
              0u)
        << saveHere.errors;
    ExpectRun(L"scheme evening", 3, "",
              "hushlark: Several sound schemes are named \"evening\": use a key (Dusk, Late).\n");

    RunningProgram program;
    ASSERT_NE(StartProgram(program), nullptr);
    const ConsoleRun saveThere = RunConsole(L"off");
    EXPECT_EQ(saveThere.exitCode, 1u);
    EXPECT_EQ(saveThere.errors, saveHere.errors);
    ExpectRun(L"scheme evening", 3, "",
              "hushlark: Several sound schemes are named \"evening\": use a key (Dusk, Late).\n");
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
}

// hushlark.com alone in a folder, without Hushlark.exe beside it.
TEST_F(CommandLine, ATimedOffSaysSoWhenTheTrayProgramCannotStart)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"hushlark-alone-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring console = folder + L"\\hushlark.com";
    ASSERT_TRUE(CopyFileW(ConsolePath().c_str(), console.c_str(), FALSE));
    const ConsoleRun run = RunConsole(L"off --for 30s", 20000, console);
    DeleteFileW(console.c_str());
    RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.errors, "hushlark: Hushlark could not be started to turn sounds on again when the time comes.\n");
    EXPECT_EQ(InstanceCount(), 0);
}

// Another program's window of the same class is never taken for the program.
LRESULT CALLBACK ImpostorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA)
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(CommandLine, AWindowOfTheSameClassInAnotherProgramIsNotTheInstance)
{
    WNDCLASSEXW impostorClass = {sizeof(impostorClass)};
    impostorClass.lpfnWndProc = ImpostorProc;
    impostorClass.hInstance = GetModuleHandleW(nullptr);
    impostorClass.lpszClassName = kMainWindowClass;
    RegisterClassExW(&impostorClass);
    const UniqueWindow impostor(CreateWindowExW(0, kMainWindowClass, L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                                                GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(impostor);
    // This thread does not read its messages while it waits: a command sent
    // to the impostor would never be answered.
    ExpectRun(L"off", 0);
    EXPECT_FALSE(store.IsSoundOn());
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    EXPECT_TRUE(WaitUntil([&] { return InstanceCount() == 2; }, kStartTimeoutMs))
        << "it did not hand over to the impostor";
    ExpectRun(L"exit", 0);
}

} // namespace

// Quiet by itself. Wine never sends lock messages by itself, and always
// answers "accepts notifications": the lock is posted here as the system
// would send it, and presenting is left to the in-process tests.
class QuietByItself : public CommandLine {
protected:
    // A local "HH:MM" some minutes from now.
    static std::wstring ClockIn(int minutes)
    {
        SYSTEMTIME local = {};
        GetLocalTime(&local);
        const int total = (local.wHour * 60 + local.wMinute + minutes + 24 * 60) % (24 * 60);
        wchar_t text[8];
        swprintf(text, 8, L"%02d:%02d", total / 60, total % 60);
        return text;
    }
};

TEST_F(QuietByItself, QuietHoursAroundThisMinuteTurnSoundsOffAndClearingThemBringsThemBack)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    RunningProgram program;
    ASSERT_NE(StartProgram(program), nullptr);
    const std::map<std::wstring, std::wstring> before = CurrentSounds();

    ExpectRun(L"quiet hours add " + ClockIn(0) + L"-" + ClockIn(3), 0);
    EXPECT_TRUE(store.IsSoundOn()) << "adding a period does not switch the rule on";
    ExpectRun(L"quiet hours on", 0);
    EXPECT_TRUE(WaitUntil([&] { return !store.IsSoundOn(); }, 2000));
    ExpectRun(L"status", 0, "off\nscheme: No Sounds\nbecause: quiet hours\n");
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 1000));

    ExpectRun(L"quiet hours clear", 0);
    EXPECT_TRUE(WaitUntil([&] { return store.IsSoundOn(); }, 2000));
    EXPECT_EQ(CurrentSounds(), before);
}

TEST_F(QuietByItself, ALockOfThisSessionTurnsSoundsOffUntilItsUnlock)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);
    ExpectRun(L"quiet locked on", 0);
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);

    PostMessageW(window, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, session + 1);
    EXPECT_FALSE(WaitUntil([&] { return !store.IsSoundOn(); }, 1500)) << "another session's lock";

    PostMessageW(window, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, session);
    EXPECT_TRUE(WaitUntil([&] { return !store.IsSoundOn(); }, 2000));
    PostMessageW(window, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, session);
    EXPECT_TRUE(WaitUntil([&] { return store.IsSoundOn(); }, 2000));
}

TEST_F(QuietByItself, TheMenusNewRowsTurnSoundsOffForAWhileAndSwitchARule)
{
    ASSERT_EQ(settings.WriteKeepDefault(0), ERROR_SUCCESS);
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);

    // "Turn Sounds Off for a While", then its second row, "1 Hour". The
    // minute may turn meanwhile.
    const std::wstring inAnHour = ClockIn(60);
    HWND menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return !store.IsSoundOn(); }, 3000));
    const ConsoleRun status = RunConsole(L"status");
    const std::wstring laterInAnHour = ClockIn(60);
    EXPECT_TRUE(status.output.find("\nuntil: " + std::string(inAnHour.begin(), inAnHour.end())) != std::string::npos ||
                status.output.find("\nuntil: " + std::string(laterInAnHour.begin(), laterInAnHour.end())) !=
                    std::string::npos)
        << status.output;

    // "Quiet Automatically", then "While the Screen Is Locked".
    WaitUntil(MenuClosed, 2000);
    menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return RunConsole(L"quiet").output.find("locked: on\n") != std::string::npos; }, 3000));
}
