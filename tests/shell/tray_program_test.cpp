#include <windows.h>

#include <gtest/gtest.h>

#include "engine/scheme_store.h"
#include "tests/shell/program_driver.h"
#include "tools/demo/demo_profile.h"

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
        SeedDemoProfile(HKEY_CURRENT_USER);
    }

    // Starts the program and waits for its window and for the icon in the
    // notification area.
    HWND StartProgram(RunningProgram& program)
    {
        if (!program.Start())
            return nullptr;
        const HWND window = WaitForWindow(L"Hushlark_Window", kStartTimeoutMs);
        WaitUntil([] { return FindTrayPicture() != TrayPicture::Absent; }, kStartTimeoutMs);
        return window;
    }

    static void CloseLeftoverInstance()
    {
        if (const HWND window = FindWindowW(L"Hushlark_Window", nullptr)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            WaitUntil([] { return FindWindowW(L"Hushlark_Window", nullptr) == nullptr; }, 5000);
        }
    }

    SchemeStore store;
};

TEST_F(TrayProgram, FirstStartShowsOnlyTheIconForTheSoundState)
{
    RunningProgram program;
    const HWND window = StartProgram(program);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(FindTrayPicture(), TrayPicture::SoundOn) << ToString(FindTrayPicture());
    EXPECT_EQ(program.WaitForExit(300), std::nullopt) << "keeps running";
}

TEST_F(TrayProgram, StartsMutedWhenTheSilentSchemeIsCurrent)
{
    store.SetCurrentScheme(L".NONE");
    RunningProgram program;
    ASSERT_NE(StartProgram(program), nullptr);
    EXPECT_EQ(FindTrayPicture(), TrayPicture::SoundOff) << ToString(FindTrayPicture());
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
    EXPECT_EQ(FindWindowW(L"Hushlark_Window", nullptr), window) << "still the first instance's window";
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

TEST_F(TrayProgram, IconFollowsAnotherProgramSelectingSilence)
{
    store.WriteKeepDefault(0);
    RunningProgram program;
    ASSERT_NE(StartProgram(program), nullptr);
    ASSERT_EQ(FindTrayPicture(), TrayPicture::SoundOn);

    store.SetCurrentScheme(L".None");
    const ULONGLONG changed = GetTickCount64();
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOff; }, 3000));
    // Two ticks at most, plus the time the taskbar takes to repaint.
    EXPECT_LT(GetTickCount64() - changed, 1500u);
}

} // namespace
