#include "shell/tray_controller.h"

#include <cstdint>
#include <cwchar>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "commands/command_runner.h"
#include "commands/request.h"
#include "mute/program_settings.h"
#include "mute/timed_off.h"
#include "shell/main_window.h"
#include "tests/support/registry_sandbox.h"
#include "win32/clock.h"

namespace {

// The shell as the tests play it: every call is recorded, and the icon
// messages in `refused` are answered with a failure.
struct RecordingShell {
    std::vector<std::pair<DWORD, NOTIFYICONDATAW>> iconCalls;
    std::vector<std::tuple<HWND, UINT, DWORD>> filterCalls;
    std::set<DWORD> refused;
};

RecordingShell& Recorded()
{
    static RecordingShell shell;
    return shell;
}

BOOL WINAPI RecordNotifyIcon(DWORD message, PNOTIFYICONDATAW record)
{
    Recorded().iconCalls.emplace_back(message, *record);
    return Recorded().refused.count(message) ? FALSE : TRUE;
}

BOOL WINAPI RecordMessageFilter(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT)
{
    Recorded().filterCalls.emplace_back(window, message, action);
    return TRUE;
}

const ShellCalls kRecordingShell{&RecordNotifyIcon, &RecordMessageFilter};

// The icon messages sent since the last call, in order.
std::vector<DWORD> TakeIconMessages()
{
    std::vector<DWORD> messages;
    for (const auto& call : Recorded().iconCalls)
        messages.push_back(call.first);
    Recorded().iconCalls.clear();
    return messages;
}

// The real main window, created in the test's process against the sandboxed
// registry. Needs an X display (the tests run under Xvfb).
class MainWindowTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
        Recorded() = RecordingShell();
    }

    void TearDown() override
    {
        if (IsWindow(window_))
            DestroyWindow(window_);
        DrainQuitMessage();
        RegistrySandbox::TearDown();
    }

    HWND Create(const ShellCalls* shell = nullptr)
    {
        return window_ = CreateMainWindow(GetModuleHandleW(nullptr), shell);
    }

    TrayController& Controller() const { return *reinterpret_cast<TrayController*>(GetWindowLongPtrW(window_, 0)); }

    std::wstring Tip() const { return Controller().icon.Tip(); }

    bool ShowsSoundOn() const
    {
        const TrayIcon& icon = Controller().icon;
        const bool on = icon.Picture() == icon.PictureFor(true) && icon.Tip() == L"Sound is On";
        const bool off = icon.Picture() == icon.PictureFor(false) && icon.Tip() == L"Sound is Off";
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
    ASSERT_NE(Create(&kRecordingShell), nullptr);
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
    const TrayIcon& icon = Controller().icon;
    EXPECT_NE(icon.PictureFor(true), nullptr);
    EXPECT_NE(icon.PictureFor(false), nullptr);
    EXPECT_NE(icon.PictureFor(true), icon.PictureFor(false));

    // The record as the shell got it, whole, then the version asked for.
    ASSERT_EQ(Recorded().iconCalls.size(), 2u);
    const auto& [message, record] = Recorded().iconCalls[0];
    EXPECT_EQ(message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(record.cbSize, static_cast<DWORD>(sizeof(NOTIFYICONDATAW)));
    EXPECT_EQ(record.hWnd, window_);
    EXPECT_EQ(record.uID, kTrayIconId);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    EXPECT_EQ(record.uCallbackMessage, kTrayCallbackMessage);
    EXPECT_EQ(record.hIcon, icon.PictureFor(true));
    EXPECT_STREQ(record.szTip, L"Sound is On");
    EXPECT_EQ(Recorded().iconCalls[1].first, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_TRUE(icon.IsShown());
    EXPECT_TRUE(icon.UsesVersion4());

    // The shell's two messages reach an elevated instance; commands do not.
    using Filter = std::tuple<HWND, UINT, DWORD>;
    const std::vector<Filter> expected = {{window_, RegisterWindowMessageW(L"TaskbarCreated"), MSGFLT_ALLOW},
                                          {window_, kShowRunningMessage, MSGFLT_ALLOW}};
    EXPECT_EQ(Recorded().filterCalls, expected);
    for (const Filter& call : Recorded().filterCalls)
        EXPECT_NE(std::get<1>(call), static_cast<UINT>(WM_COPYDATA));
}

TEST_F(MainWindowTest, ARefusedIconIsModifiedThenAddedAgainEveryTwoSecondsForTwoMinutes)
{
    const std::vector<DWORD> addThenModify = {NIM_ADD, NIM_MODIFY};
    const std::vector<DWORD> shownByModify = {NIM_ADD, NIM_MODIFY, NIM_SETVERSION};
    const std::vector<DWORD> added = {NIM_ADD, NIM_SETVERSION};
    const auto retryTick = [this] { return SendMessageW(window_, WM_TIMER, kIconRetryTimerId, 0); };
    // Whether the retry timer was armed; it is not any more afterwards.
    const auto retryWasArmed = [this] { return KillTimer(window_, kIconRetryTimerId) != FALSE; };
    const auto restart = [this](std::set<DWORD> refused) {
        if (IsWindow(window_))
            DestroyWindow(window_);
        DrainQuitMessage();
        Recorded() = RecordingShell();
        Recorded().refused = std::move(refused);
        return Create(&kRecordingShell) != nullptr;
    };

    // An add that timed out after it was carried out: the modify shows it.
    ASSERT_TRUE(restart({NIM_ADD}));
    EXPECT_EQ(TakeIconMessages(), shownByModify);
    EXPECT_TRUE(Controller().icon.IsShown());
    EXPECT_FALSE(retryWasArmed());

    // No notification area yet: tried again at every tick, sixty times.
    ASSERT_TRUE(restart({NIM_ADD, NIM_MODIFY}));
    EXPECT_EQ(TakeIconMessages(), addThenModify);
    EXPECT_FALSE(Controller().icon.IsShown());
    EXPECT_TRUE(retryWasArmed());
    ASSERT_TRUE(restart({NIM_ADD, NIM_MODIFY}));
    TakeIconMessages();
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(TakeIconMessages(), std::vector<DWORD>()) << "no icon to update";
    for (int tick = 1; tick <= kIconRetries; ++tick) {
        retryTick();
        ASSERT_EQ(TakeIconMessages(), addThenModify) << "tick " << tick;
    }
    EXPECT_FALSE(retryWasArmed()) << "two minutes are over";
    retryTick();
    EXPECT_EQ(TakeIconMessages(), std::vector<DWORD>());
    EXPECT_EQ(kIconRetries * kIconRetryIntervalMs, 120000u);

    // The taskbar comes, and the next tick shows the icon with today's state.
    ASSERT_TRUE(restart({NIM_ADD, NIM_MODIFY}));
    retryTick();
    SetCurrentSchemeValue(L".None");
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    Recorded().refused.clear();
    TakeIconMessages();
    retryTick();
    ASSERT_EQ(Recorded().iconCalls.size(), 2u);
    EXPECT_EQ(Recorded().iconCalls[0].first, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(Recorded().iconCalls[1].first, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_EQ(Recorded().iconCalls[0].second.hIcon, Controller().icon.PictureFor(false));
    EXPECT_STREQ(Recorded().iconCalls[0].second.szTip, L"Sound is Off");
    EXPECT_FALSE(retryWasArmed());
    TakeIconMessages();
    retryTick();
    EXPECT_EQ(TakeIconMessages(), std::vector<DWORD>()) << "the retries stopped";

    // "TaskbarCreated" adds it, and no retry follows.
    ASSERT_TRUE(restart({NIM_ADD, NIM_MODIFY}));
    retryTick();
    Recorded().refused.clear();
    TakeIconMessages();
    SendMessageW(window_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(TakeIconMessages(), added);
    EXPECT_TRUE(Controller().icon.IsShown());
    EXPECT_FALSE(retryWasArmed());
    retryTick();
    EXPECT_EQ(TakeIconMessages(), std::vector<DWORD>());

    // A shown icon whose update is refused is gone: it is added again.
    ASSERT_TRUE(restart({}));
    Recorded().refused = {NIM_MODIFY};
    TakeIconMessages();
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(TakeIconMessages(), std::vector<DWORD>{NIM_MODIFY});
    EXPECT_FALSE(Controller().icon.IsShown());
    Recorded().refused.clear();
    retryTick();
    EXPECT_EQ(TakeIconMessages(), added);
    EXPECT_TRUE(Controller().icon.IsShown());
}

TEST_F(MainWindowTest, TheRunningBalloonComesFromAnIconAddedFirstIfNeeded)
{
    for (const bool shownBefore : {true, false}) {
        if (IsWindow(window_))
            DestroyWindow(window_);
        DrainQuitMessage();
        Recorded() = RecordingShell();
        if (!shownBefore)
            Recorded().refused = {NIM_ADD, NIM_MODIFY};
        ASSERT_NE(Create(&kRecordingShell), nullptr);
        Recorded().refused.clear();
        TakeIconMessages();

        SendMessageW(window_, kShowRunningMessage, 0, 0);
        const std::vector<std::pair<DWORD, NOTIFYICONDATAW>> calls = Recorded().iconCalls;
        ASSERT_EQ(calls.size(), shownBefore ? 1u : 3u) << shownBefore;
        EXPECT_EQ(calls.front().first, static_cast<DWORD>(shownBefore ? NIM_MODIFY : NIM_ADD));
        const NOTIFYICONDATAW& balloon = calls.back().second;
        EXPECT_EQ(calls.back().first, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(balloon.cbSize, static_cast<DWORD>(sizeof(NOTIFYICONDATAW)));
        EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO | NIF_SHOWTIP));
        EXPECT_EQ(balloon.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
        EXPECT_STREQ(balloon.szInfoTitle, L"Hushlark");
        EXPECT_STREQ(balloon.szInfo, L"Hushlark is already running. Click the loudspeaker to turn sounds off or on.");
    }
}

TEST_F(MainWindowTest, PicturesAreLoadedAgainAndSentWhenTheTaskbarsDpiMayHaveChanged)
{
    ASSERT_NE(Create(&kRecordingShell), nullptr);
    RECT suggested = {0, 0, 300, 113};
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        std::vector<DWORD> sent;
    };
    const Case cases[] = {
        {"DPI changed", WM_DPICHANGED, MAKEWPARAM(144, 144), {NIM_MODIFY}},
        {"icon metrics changed", WM_SETTINGCHANGE, SPI_SETICONMETRICS, {NIM_MODIFY}},
        {"display changed", WM_DISPLAYCHANGE, 32, {NIM_MODIFY}},
        {"taskbar created", RegisterWindowMessageW(L"TaskbarCreated"), 0, {NIM_ADD, NIM_SETVERSION}},
        {"another setting", WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const HICON before = Controller().icon.Picture();
        TakeIconMessages();
        SendMessageW(window_, c.message, c.wParam, reinterpret_cast<LPARAM>(&suggested));
        const HICON after = Controller().icon.Picture();
        EXPECT_EQ(after == before, c.sent.empty()) << "loaded anew";
        EXPECT_EQ(after, Controller().icon.PictureFor(true));
        EXPECT_EQ(Controller().icon.PictureSide(), GetSystemMetricsForDpi(SM_CXSMICON, TaskbarDpi()));
        if (!c.sent.empty()) {
            EXPECT_EQ(Recorded().iconCalls.front().second.hIcon, after) << "and sent at once";
        }
        EXPECT_EQ(TakeIconMessages(), c.sent);
    }
}

TEST(TrayIconTest, TheTipKeepsUpTo127Characters)
{
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Sound is Off", L"Sound is Off"},
        {std::wstring(127, L'x'), std::wstring(127, L'x')},
        {std::wstring(127, L'y') + L"cut", std::wstring(127, L'y')},
    };
    for (const auto& [tip, sent] : cases) {
        Recorded() = RecordingShell();
        TrayIcon icon(nullptr, GetModuleHandleW(nullptr), kRecordingShell);
        icon.SetState(false, tip);
        EXPECT_EQ(icon.Tip(), sent);
        ASSERT_TRUE(icon.Add());
        ASSERT_EQ(Recorded().iconCalls.size(), 2u);
        EXPECT_EQ(std::wstring(Recorded().iconCalls[0].second.szTip), sent);
        icon.Remove();
        EXPECT_EQ(Recorded().iconCalls.back().first, static_cast<DWORD>(NIM_DELETE));
        EXPECT_FALSE(icon.IsShown());
    }
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

    // Still ahead: the tip says until when.
    const ULONGLONG until = UtcNow() + kHour;
    ASSERT_EQ(ExecuteCommand(Command{CommandKind::Off, L"", 3600}, store, until - kHour).exitCode, kExitDone);
    Controller().SyncOffTimer();
    EXPECT_EQ(Controller().icon.Picture(), Controller().icon.PictureFor(false));
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
        EXPECT_EQ(Controller().icon.Picture(), Controller().icon.PictureFor(false)) << tries;
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

// What the quiet rules ask of the session, as the tests play it: Wine never
// reports a lock or a presentation by itself.
struct SessionStandIn {
    int registrations = 0;
    int refusedRegistrations = 0;
    int notificationQuestions = 0;
    int notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
};

SessionStandIn& Session()
{
    static SessionStandIn session;
    return session;
}

BOOL WINAPI RegisterSessionStandIn(HWND, DWORD)
{
    ++Session().registrations;
    if (Session().refusedRegistrations > 0) {
        --Session().refusedRegistrations;
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI UnregisterSessionStandIn(HWND)
{
    return TRUE;
}

std::optional<int> NotificationStateStandIn()
{
    ++Session().notificationQuestions;
    return Session().notificationState;
}

std::optional<bool> UnlockedStandIn()
{
    return false;
}

const ShellCalls kSessionStandIn{&RecordNotifyIcon,         &RecordMessageFilter,    &UnlockedStandIn,
                                 &NotificationStateStandIn, &RegisterSessionStandIn, &UnregisterSessionStandIn};

TEST_F(MainWindowTest, TheLockRuleFollowsThisSessionsMessagesOnly)
{
    SetDword(kSettingsPath, L"QuietWhenLocked", 1);
    Session() = SessionStandIn();
    ASSERT_NE(Create(&kSessionStandIn), nullptr);
    const LPARAM thisSession = static_cast<LPARAM>(CurrentSessionId());

    SendMessageW(window_, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, thisSession + 1);
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_TRUE(store.IsSoundOn()) << "another session's lock";

    SendMessageW(window_, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, thisSession);
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_EQ(Tip(), L"Sound is Off (screen locked)");

    SendMessageW(window_, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, thisSession);
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(Tip(), L"Sound is On");
}

TEST_F(MainWindowTest, SessionMessagesAreAskedForAgainEveryFiveSecondsForTwoMinutes)
{
    // The session service is not ready at logon for a while.
    Session() = SessionStandIn();
    Session().refusedRegistrations = 2;
    ASSERT_NE(Create(&kSessionStandIn), nullptr);
    for (int tick = 0; tick < 5; ++tick)
        SendMessageW(window_, WM_TIMER, kSessionRetryTimerId, 0);
    EXPECT_EQ(Session().registrations, 3) << "tried until it was taken, then no more";
    DestroyWindow(window_);
    DrainQuitMessage();

    Session() = SessionStandIn();
    Session().refusedRegistrations = 1000;
    ASSERT_NE(Create(&kSessionStandIn), nullptr);
    for (int tick = 0; tick < 40; ++tick)
        SendMessageW(window_, WM_TIMER, kSessionRetryTimerId, 0);
    EXPECT_EQ(Session().registrations, 24) << "two minutes of tries at start and every 5 s";
}

TEST_F(MainWindowTest, TheNotificationStateIsAskedOncePerTickOnlyWhileThePresentingRuleIsOn)
{
    Session() = SessionStandIn();
    Session().notificationState = QUNS_PRESENTATION_MODE;
    ASSERT_NE(Create(&kSessionStandIn), nullptr);
    // The first ticks follow what the start wrote to the settings key.
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    Session().notificationQuestions = 0;
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(Session().notificationQuestions, 0) << "the rule is off: the system is not asked";

    SetDword(kSettingsPath, L"QuietWhenPresenting", 1);
    for (int tick = 0; tick < 3; ++tick)
        SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(Session().notificationQuestions, 3);
    EXPECT_TRUE(store.IsSoundOn()) << "the answer must stay for 3 s first";
}

TEST_F(MainWindowTest, AChoiceByHandFromTheMenuOverridesTheQuietHoursThatHold)
{
    SetValue(kSettingsPath, L"QuietHours", REG_MULTI_SZ, ListBytes({L"00:00-12:00 daily", L"12:00-00:00 daily"}));
    SetDword(kSettingsPath, L"QuietHoursOn", 1);
    ASSERT_NE(Create(), nullptr);
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    ASSERT_FALSE(store.IsSoundOn()) << "quiet hours hold at every moment";
    EXPECT_EQ(Tip(), L"Sound is Off (quiet hours)");

    SendMessageW(window_, WM_COMMAND, IDM_SOUNDS_ON, 0);
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_TRUE(store.IsSoundOn()) << "the user's choice wins";
    const std::optional<StoredValue> overridden = GetValue(kSettingsPath, L"Overridden");
    ASSERT_TRUE(overridden.has_value());
    EXPECT_EQ(overridden->Text(), L"hours");

    // An hour off by hand: the timed off is the user's, and the rules hold too.
    SendMessageW(window_, WM_COMMAND, IDM_OFF_1_HOUR, 0);
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_EQ(Controller().timedOff.state, TimedOff::State::Running);
    EXPECT_EQ(GetValue(kSettingsPath, L"OffBy")->Text(), L"hours");
    EXPECT_FALSE(GetValue(kSettingsPath, L"Overridden").has_value());
}
