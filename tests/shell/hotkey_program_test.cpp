// The hotkey of the real program, set by command and pressed from this
// process, on the end-to-end tests' virtual desktop.
//
// Under Wine, key presses made with SendInput trigger WM_HOTKEY as real ones
// do, and a second registration of the same keys fails with
// ERROR_HOTKEY_ALREADY_REGISTERED. Wine ignores MOD_NOREPEAT, so each press
// here is one press and one release.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/scheme_store.h"
#include "mute/hotkey.h"
#include "resources/resource.h"
#include "tests/shell/program_driver.h"
#include "tools/demo/demo_profile.h"

namespace {

constexpr DWORD kStartTimeoutMs = 10000;

class HotkeyProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InThrowawayPrefix())
            GTEST_SKIP() << "runs only in the end-to-end tests' own Wine prefix";
        CloseInstance();
        ASSERT_TRUE(SeedDemoProfile(HKEY_CURRENT_USER));
        ASSERT_EQ(WriteHotkey(std::nullopt), ERROR_SUCCESS);
    }

    void TearDown() override
    {
        if (!InThrowawayPrefix())
            return;
        CloseInstance();
        EXPECT_EQ(WriteHotkey(std::nullopt), ERROR_SUCCESS);
    }

    HWND StartProgram()
    {
        if (!program_.Start())
            return nullptr;
        const HWND window = WaitForWindow(kMainWindowClass, kStartTimeoutMs);
        WaitUntil([] { return FindTrayPicture() != TrayPicture::Absent; }, kStartTimeoutMs);
        return window;
    }

    static void CloseInstance()
    {
        while (const HWND window = FindWindowW(kMainWindowClass, nullptr)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            if (!WaitUntil([window] { return !IsWindow(window); }, 5000))
                break;
        }
    }

    // Presses the keys in order and lets them go in the opposite order.
    static void Press(std::initializer_list<WORD> keys)
    {
        std::vector<INPUT> inputs;
        for (const WORD key : keys) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            inputs.push_back(input);
        }
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = *key;
            input.ki.dwFlags = KEYEVENTF_KEYUP;
            inputs.push_back(input);
        }
        ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
    }

    RunningProgram program_;
    SchemeStore store;
};

TEST_F(HotkeyProgram, AHotkeySetByCommandTogglesSoundsWhenPressed)
{
    ASSERT_NE(StartProgram(), nullptr);
    const ConsoleRun set = RunConsole(L"hotkey Ctrl+Alt+H");
    EXPECT_EQ(set.exitCode, 0u) << set.errors;
    EXPECT_EQ(RunConsole(L"hotkey").output, "hotkey: CTRL+ALT+H\n");
    const ConsoleRun status = RunConsole(L"status");
    EXPECT_EQ(status.output, "on\nscheme: Windows Default\nhotkey: CTRL+ALT+H\n");

    ASSERT_TRUE(store.IsSoundOn());
    Press({VK_CONTROL, VK_MENU, 'H'});
    EXPECT_TRUE(WaitUntil([&] { return !store.IsSoundOn(); }, 5000)) << "the press turned sounds off";
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 2000));
    Press({VK_CONTROL, VK_MENU, 'H'});
    EXPECT_TRUE(WaitUntil([&] { return store.IsSoundOn(); }, 5000)) << "the second press turned them on";

    EXPECT_EQ(RunConsole(L"hotkey none").exitCode, 0u);
    EXPECT_EQ(RunConsole(L"hotkey").output, "hotkey: none\n");
}

TEST_F(HotkeyProgram, ACombinationAnotherProgramHoldsGivesTheClashMessageAndExitOne)
{
    const std::string clash = "hushlark: Another program already uses CTRL+ALT+J. Choose another key.\n";
    ASSERT_EQ(WriteHotkey(Hotkey{MOD_CONTROL | MOD_ALT, 'H'}), ERROR_SUCCESS);
    // This process is the other program.
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'J'));

    // With no instance running, and through the running instance.
    for (const bool running : {false, true}) {
        if (running) {
            ASSERT_NE(StartProgram(), nullptr);
        }
        const ConsoleRun taken = RunConsole(L"hotkey ctrl+alt+j");
        EXPECT_EQ(taken.exitCode, 1u) << running;
        EXPECT_EQ(taken.output, "") << running;
        EXPECT_EQ(taken.errors, clash) << running;
        EXPECT_EQ(RunConsole(L"hotkey").output, "hotkey: CTRL+ALT+H\n") << running;
    }
    // The old one still works.
    Press({VK_CONTROL, VK_MENU, 'H'});
    EXPECT_TRUE(WaitUntil([&] { return !store.IsSoundOn(); }, 5000));

    // Not allowed, or no combination at all: the command's usage.
    for (const wchar_t* wrong : {L"hotkey ctrl+j", L"hotkey ctrl+alt+x+y"}) {
        const ConsoleRun run = RunConsole(wrong);
        EXPECT_EQ(run.exitCode, 2u) << testing::PrintToString(std::wstring(wrong));
        EXPECT_EQ(run.errors.rfind("Usage:\n  hotkey              ", 0), 0u) << run.errors;
    }
    UnregisterHotKey(nullptr, 1);
}

} // namespace
