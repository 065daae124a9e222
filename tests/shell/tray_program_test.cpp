#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>

#include "engine/scheme_store.h"
#include "mute/program_settings.h"
#include "resources/resource.h"
#include "tests/shell/program_driver.h"
#include "tools/demo/demo_profile.h"
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

    // Opens the tray menu as the icon's callback would; the menu window, or
    // null when none appeared.
    static HWND OpenMenu(HWND program, LPARAM mouseMessage, DWORD timeoutMs = 3000)
    {
        PostMessageW(program, kTrayCallbackMessage, kTrayIconId, mouseMessage);
        HWND menu = nullptr;
        WaitUntil(
            [&] {
                menu = FindWindowW(L"#32768", nullptr);
                return menu && IsWindowVisible(menu);
            },
            timeoutMs);
        return menu && IsWindowVisible(menu) ? menu : nullptr;
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
        registry::WalkSubkeys(apps.get(), [&](DWORD, const wchar_t* app) {
            const registry::Key appKey = registry::OpenKey(apps.get(), app);
            registry::WalkSubkeys(appKey.get(), [&](DWORD, const wchar_t* event) {
                const registry::Key current = registry::OpenKey(appKey.get(), std::wstring(event) + L"\\.Current");
                sounds[std::wstring(app) + L"\\" + event] =
                    registry::ReadString(current.get(), nullptr).value_or(L"(none)");
            });
        });
        return sounds;
    }

    static void CloseLeftoverInstance()
    {
        if (const HWND window = FindWindowW(kMainWindowClass, nullptr)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            WaitUntil([] { return FindWindowW(kMainWindowClass, nullptr) == nullptr; }, 5000);
        }
    }

    SchemeStore store;
    ProgramSettings settings;
};

TEST_F(TrayProgram, FirstStartShowsOnlyTheIconForTheSoundState)
{
    for (const wchar_t* current : {L".Default", L".NONE"}) {
        store.SetCurrentScheme(current);
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

TEST_F(TrayProgram, SecondStartRestoresTheFirstWindowAndEndsWithZero)
{
    RunningProgram first;
    const HWND window = StartProgram(first);
    ASSERT_NE(window, nullptr);

    RunningProgram second;
    ASSERT_TRUE(second.Start(L"/l"));
    EXPECT_EQ(second.WaitForExit(5000), 0u);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 2000));
    EXPECT_EQ(FindWindowW(kMainWindowClass, nullptr), window) << "still the first instance's window";
    EXPECT_EQ(first.WaitForExit(0), std::nullopt);
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

TEST_F(TrayProgram, IconComesBackWhenTheTaskbarIsCreatedAgain)
{
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);

    // What a restarted taskbar looks like to the program: its icon is gone,
    // then the shell announces the new notification area.
    NOTIFYICONDATAW icon = {sizeof(icon)};
    icon.hWnd = window;
    icon.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::Absent; }, 2000));
    PostMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOn; }, 2000));
}

TEST_F(TrayProgram, IconFollowsAnotherProgramSelectingSilence)
{
    settings.WriteKeepDefault(0);
    RunningProgram program;
    ASSERT_NE(StartProgram(program), nullptr);
    ASSERT_EQ(FindTrayPicture(), TrayPicture::SoundOn);

    store.SetCurrentScheme(L".None");
    const ULONGLONG changed = GetTickCount64();
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 3000));
    // Two ticks at most, plus the time the taskbar takes to repaint.
    EXPECT_LT(GetTickCount64() - changed, 1500u);
}

TEST_F(TrayProgram, PressesOnTheIconOpenTheMenuAndOtherMouseMessagesDoNot)
{
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);

    for (LPARAM press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_CONTEXTMENU}) {
        const HWND menu = OpenMenu(window, press);
        ASSERT_NE(menu, nullptr) << "mouse message " << press;
        PressKeys(menu, {VK_ESCAPE});
        EXPECT_TRUE(WaitUntil(MenuClosed, 2000));
    }
    for (LPARAM other : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK})
        EXPECT_EQ(OpenMenu(window, other, 500), nullptr) << "mouse message " << other;
}

TEST_F(TrayProgram, MenuIsPaintedInTheProgramsLook)
{
    RunningProgram program;
    const HWND menu = OpenMenu(StartProgram(program), WM_RBUTTONDOWN);
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
    settings.WriteKeepDefault(0);
    settings.WriteLastSound(L"Afternoon"); // what a wrongly enabled "Turn Sounds On" would apply
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);

    // "Turn Sounds On" is disabled while sounds are on: choosing it does nothing.
    HWND menu = OpenMenu(window, WM_RBUTTONDOWN);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_RETURN, VK_ESCAPE});
    WaitUntil(MenuClosed, 2000);
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");

    menu = OpenMenu(window, WM_RBUTTONDOWN);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return store.ReadCurrentScheme() == L".None"; }, 3000));
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 1000));
    for (const auto& [slot, sound] : CurrentSounds())
        EXPECT_EQ(sound, L"") << testing::PrintToString(slot);
    EXPECT_EQ(settings.ReadLastSound(), L".Default");

    menu = OpenMenu(window, WM_RBUTTONDOWN);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return store.ReadCurrentScheme() == L".Default"; }, 3000));
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOn; }, 1000));
    EXPECT_EQ(CurrentSounds(), before);
}

TEST_F(TrayProgram, SchemeChosenFromTheSubmenuIsAppliedAndTheIconFollows)
{
    settings.WriteKeepDefault(0);
    DWORD silentIndex = 0;
    store.EnumerateSchemeKeys([&](DWORD index, const std::wstring& key) {
        if (key == L".None")
            silentIndex = index;
    });
    RunningProgram program;
    const HWND menu = OpenMenu(StartProgram(program), WM_RBUTTONDOWN);
    ASSERT_NE(menu, nullptr);

    // "Change Scheme", then into the submenu, which opens on its first scheme.
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT});
    for (DWORD i = 0; i < silentIndex; ++i)
        PressKeys(menu, {VK_DOWN});
    PressKeys(menu, {VK_RETURN});

    ASSERT_TRUE(WaitUntil([&] { return store.ReadCurrentScheme() == L".None"; }, 3000));
    EXPECT_EQ(settings.ReadDefaultScheme(), L".None");
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 1500));
}

TEST_F(TrayProgram, LaunchOnStartupTwiceWritesThenDeletesTheRunValue)
{
    const wchar_t runKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    RegDeleteKeyValueW(HKEY_CURRENT_USER, runKey, L"Hushlark");
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);

    auto runValue = [&]() -> std::optional<std::wstring> {
        wchar_t data[1024] = {};
        DWORD size = sizeof(data) - sizeof(wchar_t);
        if (RegGetValueW(HKEY_CURRENT_USER, runKey, L"Hushlark", RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(data);
    };

    HWND menu = OpenMenu(window, WM_RBUTTONDOWN);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return runValue().has_value(); }, 3000));
    EXPECT_EQ(runValue(), L"\"" + ProgramPath() + L"\" /l");

    WaitUntil(MenuClosed, 2000);
    menu = OpenMenu(window, WM_RBUTTONDOWN);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(WaitUntil([&] { return !runValue().has_value(); }, 3000));
}

TEST_F(TrayProgram, OptionsOpensWhileTheTimerKeepsTicking)
{
    settings.WriteKeepDefault(0);
    RunningProgram program;
    const HWND menu = OpenMenu(StartProgram(program), WM_RBUTTONDOWN);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});

    const HWND dialog = WaitForWindow(L"#32770", 3000);
    ASSERT_NE(dialog, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(dialog, title, 64);
    EXPECT_STREQ(title, L"Hushlark Options");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), FindWindowW(kMainWindowClass, nullptr));

    store.SetCurrentScheme(L".None");
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 2000))
        << "the icon is refreshed while the dialog is open";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([] { return FindWindowW(L"#32770", L"Hushlark Options") == nullptr; }, 2000));
}

TEST_F(TrayProgram, ExitEndsWithZeroAndRemovesTheIcon)
{
    RunningProgram program;
    const HWND menu = OpenMenu(StartProgram(program), WM_RBUTTONDOWN);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(program.WaitForExit(5000), 0u);
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::Absent; }, 2000));
}

} // namespace
