#include "shell/tray_controller.h"

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "commands/command_runner.h"
#include "commands/request.h"
#include "mute/program_settings.h"
#include "mute/timed_off.h"
#include "shell/main_window.h"
#include "tests/support/registry_sandbox.h"
#include "win32/clock.h"

namespace {

// The real main window, created in the test's process against the sandboxed
// registry. Needs an X display (the tests run under Xvfb).
class MainWindowTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    void TearDown() override
    {
        if (IsWindow(window_))
            DestroyWindow(window_);
        DrainQuitMessage();
        RegistrySandbox::TearDown();
    }

    HWND Create() { return window_ = CreateMainWindow(GetModuleHandleW(nullptr)); }

    TrayController& Controller() const { return *reinterpret_cast<TrayController*>(GetWindowLongPtrW(window_, 0)); }

    std::wstring Tip() const { return Controller().trayIcon.szTip; }

    bool ShowsSoundOn() const
    {
        const TrayController& controller = Controller();
        const bool on = controller.trayIcon.hIcon == controller.onIcon.get() &&
                        std::wcscmp(controller.trayIcon.szTip, L"Sound is On") == 0;
        const bool off = controller.trayIcon.hIcon == controller.offIcon.get() &&
                         std::wcscmp(controller.trayIcon.szTip, L"Sound is Off") == 0;
        EXPECT_NE(on, off) << "icon and tip disagree";
        return on;
    }

    // Takes the queue's messages; the exit code of a WM_QUIT among them, or -1.
    static int DrainQuitMessage()
    {
        MSG message;
        int exitCode = -1;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                exitCode = static_cast<int>(message.wParam);
        }
        return exitCode;
    }

    // Sounds off since a timed off came due an hour ago, with a sound in use
    // that the silent scheme would not give back and a slot where saving it
    // fails: turning sounds on changes nothing until the slot is gone.
    ULONGLONG TimedOffThatCannotEnd()
    {
        const ULONGLONG due = UtcNow() - kHour;
        EXPECT_EQ(
            ExecuteCommand(Command{CommandKind::Off, L"", 60}, store, due - 60 * kFileTimeTicksPerSecond).exitCode,
            kExitDone);
        SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current", L"C:\\Sounds\\mine.wav");
        MakeSlotVolatile(L"Explorer", L"Navigating");
        return due;
    }
    void LetSoundsBeTurnedOn() { DeleteTree(SlotPath(L"Explorer", L"Navigating")); }

    // Whether the off timer was armed; it is not any more.
    bool OffTimerWasArmed() const { return KillTimer(window_, kOffTimerId) != FALSE; }

    static constexpr ULONGLONG kHour = 3600ull * kFileTimeTicksPerSecond;

    HWND window_ = nullptr;
    SchemeStore store;
    ProgramSettings settings;
};

TEST_F(MainWindowTest, IsCreatedHiddenWithItsControllerAndIconRecord)
{
    ASSERT_NE(Create(), nullptr);
    // Parallel tests show windows of the same class: this one's class is asked directly.
    wchar_t className[64] = {};
    GetClassNameW(window_, className, 64);
    EXPECT_STREQ(className, kMainWindowClass);
    EXPECT_FALSE(IsWindowVisible(window_));
    wchar_t title[64] = {};
    GetWindowTextW(window_, title, 64);
    EXPECT_STREQ(title, kMainWindowTitle);
    RECT rect;
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.right - rect.left, 200);
    EXPECT_EQ(rect.bottom - rect.top, 75);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)) & 0x02CF0000u, 0x02CF0000u);

    // One pointer-sized slot holds the controller.
    EXPECT_EQ(GetClassLongPtrW(window_, GCL_CBWNDEXTRA), static_cast<LONG_PTR>(sizeof(LONG_PTR)));
    EXPECT_EQ(Controller().window, window_);
    EXPECT_NE(Controller().onIcon.get(), nullptr);
    EXPECT_NE(Controller().offIcon.get(), nullptr);

    const NOTIFYICONDATAW& record = Controller().trayIcon;
    EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
    EXPECT_EQ(record.hWnd, window_);
    EXPECT_EQ(record.uID, kTrayIconId);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(record.uCallbackMessage, kTrayCallbackMessage);
}

TEST_F(MainWindowTest, StartsInTheStateTheCurrentSchemeGives)
{
    const std::pair<const wchar_t*, bool> cases[] = {
        {L".None", false}, {L".nOnE", false}, {L".Default", true}, {L"NoSuchScheme", true}, {L"", true},
    };
    for (const auto& [current, soundOn] : cases) {
        SetCurrentSchemeValue(current);
        ASSERT_NE(Create(), nullptr);
        EXPECT_EQ(ShowsSoundOn(), soundOn) << testing::PrintToString(current);
        DestroyWindow(window_);
        DrainQuitMessage();
    }
}

TEST_F(MainWindowTest, TickShowsTheStateFromBeforeTheGuardActed)
{
    ASSERT_NE(Create(), nullptr);
    ASSERT_EQ(settings.WriteDefaultScheme(L".Default"), ERROR_SUCCESS);
    ASSERT_EQ(settings.WriteKeepDefault(1), ERROR_SUCCESS);
    SetCurrentSchemeValue(L".None"); // another program selects silence

    // Any timer id refreshes.
    EXPECT_EQ(SendMessageW(window_, WM_TIMER, 77, 0), 1);
    EXPECT_FALSE(ShowsSoundOn());
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default") << "the guard put the scheme back";

    SendMessageW(window_, WM_TIMER, 1, 0);
    EXPECT_TRUE(ShowsSoundOn());
}

TEST_F(MainWindowTest, CloseDestroysTheWindowAndEndsTheLoopWithZero)
{
    ASSERT_NE(Create(), nullptr);
    DrainQuitMessage();
    EXPECT_EQ(SendMessageW(window_, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(DrainQuitMessage(), 0);
}

TEST_F(MainWindowTest, ATimedOffShowsItsEndAndTurnsSoundsOnWhenDueAlsoAtStart)
{
    // Due while the program was not running: the start turns sounds on.
    ASSERT_EQ(ExecuteCommand(Command{CommandKind::Off, L"", 60}, store, UtcNow() - kHour).exitCode, kExitDone);
    EXPECT_FALSE(store.IsSoundOn());
    ASSERT_NE(Create(), nullptr);
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(settings.ReadOffUntil(), std::nullopt);
    EXPECT_TRUE(ShowsSoundOn());

    // Still ahead: the tip says until when, in the second record layout.
    const ULONGLONG until = UtcNow() + kHour;
    ASSERT_EQ(ExecuteCommand(Command{CommandKind::Off, L"", 3600}, store, until - kHour).exitCode, kExitDone);
    Controller().SyncOffTimer();
    EXPECT_EQ(Controller().trayIcon.hIcon, Controller().offIcon.get());
    // " tomorrow" follows when the test runs in the last hour of a day.
    EXPECT_EQ(Tip().rfind(L"Sound is Off until " + LocalClockText(until), 0), 0u) << Tip();
    EXPECT_EQ(Controller().timedOff.state, TimedOff::State::Running);
    EXPECT_EQ(Controller().timedOff.end, until);

    // Its timer ends it; a tick of the refresh timer does not.
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_FALSE(store.IsSoundOn());
    ASSERT_EQ(settings.WriteOffUntil(UtcNow() - 1), ERROR_SUCCESS);
    SendMessageW(window_, WM_TIMER, kOffTimerId, 0);
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(Controller().timedOff.state, TimedOff::State::None);
    EXPECT_TRUE(ShowsSoundOn());
}

TEST_F(MainWindowTest, AStoredEndThatCannotBeTrustedTurnsSoundsOnAtStart)
{
    struct Case {
        const char* what;
        DWORD type;
        ULONGLONG value;
        std::size_t byteCount;
    };
    const Case cases[] = {
        {"two days ahead", REG_QWORD, UtcNow() + 48 * kHour, 8},
        {"REG_BINARY", REG_BINARY, UtcNow() + kHour, 8},
        {"four bytes", REG_DWORD, UtcNow() + kHour, 4},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(ExecuteCommand(Command{CommandKind::Off}, store, UtcNow()).exitCode, kExitDone) << c.what;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&c.value);
        SetValue(kSettingsPath, L"OffUntil", c.type, std::vector<std::uint8_t>(bytes, bytes + c.byteCount));
        ASSERT_NE(Create(), nullptr);
        EXPECT_TRUE(store.IsSoundOn()) << c.what;
        EXPECT_EQ(settings.ReadOffUntil(), std::nullopt) << c.what;
        EXPECT_TRUE(ShowsSoundOn()) << c.what;
        EXPECT_FALSE(OffTimerWasArmed()) << c.what;
        DestroyWindow(window_);
        DrainQuitMessage();
    }
}

TEST_F(MainWindowTest, ATimedOffWhoseEndCannotTurnSoundsOnSaysSoAndTriesAgainEveryMinute)
{
    const ULONGLONG due = TimedOffThatCannotEnd();
    const std::wstring overdue = L"Sound is Off (could not turn sounds on at " + LocalClockText(due) + L")";
    ASSERT_NE(Create(), nullptr); // the first try, at start
    for (int tries = 1; tries <= 2; ++tries) {
        EXPECT_FALSE(store.IsSoundOn()) << tries;
        EXPECT_EQ(Tip(), overdue) << tries;
        EXPECT_EQ(Controller().trayIcon.hIcon, Controller().offIcon.get()) << tries;
        EXPECT_EQ(Controller().timedOff.state, TimedOff::State::Due) << tries;
        EXPECT_TRUE(settings.ReadOffUntil().has_value()) << tries;
        EXPECT_TRUE(OffTimerWasArmed()) << tries;
        // The refresh timer shows, it does not try.
        SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
        EXPECT_EQ(Tip(), overdue) << tries;
        SendMessageW(window_, WM_TIMER, kOffTimerId, 0);
    }

    LetSoundsBeTurnedOn();
    SendMessageW(window_, WM_TIMER, kOffTimerId, 0);
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_TRUE(ShowsSoundOn());
    EXPECT_EQ(settings.ReadOffUntil(), std::nullopt);
    EXPECT_EQ(Controller().timedOff.state, TimedOff::State::None);
    EXPECT_FALSE(OffTimerWasArmed());
}

TEST_F(MainWindowTest, AnOverdueTimedOffEndsWhenSoundsAreTurnedOffByHand)
{
    // A command that changes sounds, forwarded to the tray.
    TimedOffThatCannotEnd();
    ASSERT_NE(Create(), nullptr);
    ASSERT_EQ(Controller().timedOff.state, TimedOff::State::Due);
    std::vector<BYTE> off = EncodeRequest(*ParseCommand({L"off"}), nullptr, 0);
    COPYDATASTRUCT copy = {kRequestTag, static_cast<DWORD>(off.size()), off.data()};
    EXPECT_EQ(Controller().OnCopyData(&copy), kExitDone);
    EXPECT_FALSE(ShowsSoundOn());
    EXPECT_FALSE(OffTimerWasArmed());
    LetSoundsBeTurnedOn();
    SendMessageW(window_, WM_TIMER, kOffTimerId, 0);
    EXPECT_FALSE(store.IsSoundOn());
    DestroyWindow(window_);
    DrainQuitMessage();

    // No Sounds set in the Options dialog, which runs inside the tray's
    // message loop: the tray follows at the next tick.
    TimedOffThatCannotEnd();
    ASSERT_NE(Create(), nullptr);
    ASSERT_EQ(Controller().timedOff.state, TimedOff::State::Due);
    LetSoundsBeTurnedOn();
    ASSERT_EQ(ChooseScheme(store, L".None").result, SoundChange::Result::Done);
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_FALSE(ShowsSoundOn());
    EXPECT_FALSE(OffTimerWasArmed());
    SendMessageW(window_, WM_TIMER, kOffTimerId, 0);
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_EQ(settings.ReadOffUntil(), std::nullopt);
}

} // namespace
