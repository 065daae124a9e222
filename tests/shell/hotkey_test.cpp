// The tray program's hotkey: its registration, what a press does, the start,
// the Options dialog around it and the commands sent to the instance.
//
// Wine, like Windows, refuses a second registration of the same keys with
// ERROR_HOTKEY_ALREADY_REGISTERED (1409), also for the same thread: these
// tests register a combination themselves to see whether the program holds
// it, or to hold it as another program would. Other test processes share the
// desktop, so these tests use keys of their own (F15, F16).
#include "shell/hotkey_registration.h"

#include <commctrl.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "commands/request.h"
#include "mute/hotkey.h"
#include "mute/timed_off.h"
#include "resources/resource.h"
#include "shell/main_window.h"
#include "shell/tray_controller.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/support/registry_sandbox.h"
#include "win32/clock.h"
#include "win32/registry.h"

namespace {

constexpr Hotkey kCtrlAltF15{MOD_CONTROL | MOD_ALT, VK_F15};
constexpr Hotkey kCtrlShiftF15{MOD_CONTROL | MOD_SHIFT, VK_F15};
constexpr Hotkey kAltShiftF15{MOD_ALT | MOD_SHIFT, VK_F15};
constexpr Hotkey kCtrlAltF16{MOD_CONTROL | MOD_ALT, VK_F16};
constexpr Hotkey kCtrlShiftF16{MOD_CONTROL | MOD_SHIFT, VK_F16};

// Whether another program could register the combination now: it is free.
bool IsFree(const Hotkey& hotkey)
{
    if (!RegisterHotKey(nullptr, 0xBF00, hotkey.modifiers, hotkey.key))
        return false;
    UnregisterHotKey(nullptr, 0xBF00);
    return true;
}

// The registration calls as the tests play them: each is recorded as
// "+id:modifiers:key" or "-id", and a register of `refused` fails with 1409.
struct RecordedCalls {
    std::vector<std::string> calls;
    std::optional<Hotkey> refused;
};

RecordedCalls& Recorded()
{
    static RecordedCalls recorded;
    return recorded;
}

BOOL WINAPI RecordRegister(HWND, int id, UINT modifiers, UINT key)
{
    Recorded().calls.push_back("+" + std::to_string(id) + ":" + std::to_string(modifiers) + ":" + std::to_string(key));
    if (Recorded().refused && Recorded().refused->key == key &&
        Recorded().refused->modifiers == (modifiers & ~static_cast<UINT>(MOD_NOREPEAT))) {
        SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI RecordUnregister(HWND, int id)
{
    Recorded().calls.push_back("-" + std::to_string(id));
    return TRUE;
}

std::vector<std::string> TakeCalls()
{
    std::vector<std::string> calls = std::move(Recorded().calls);
    Recorded().calls.clear();
    return calls;
}

std::string Registered(int id, const Hotkey& hotkey)
{
    return "+" + std::to_string(id) + ":" + std::to_string(hotkey.modifiers | MOD_NOREPEAT) + ":" +
           std::to_string(hotkey.key);
}

TEST(HotkeyRegistration, ANewCombinationTakesTheOtherIdBeforeTheOldOneGoes)
{
    Recorded() = RecordedCalls();
    using Calls = std::vector<std::string>;
    {
        HotkeyRegistration registration(nullptr, HotkeyCalls{&RecordRegister, &RecordUnregister});
        EXPECT_EQ(registration.Change(kCtrlAltF15), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(TakeCalls(), Calls{Registered(1, kCtrlAltF15)});
        EXPECT_EQ(registration.Change(kCtrlShiftF15), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(TakeCalls(), (Calls{Registered(2, kCtrlShiftF15), "-1"}));
        EXPECT_EQ(registration.Change(kAltShiftF15), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(TakeCalls(), (Calls{Registered(1, kAltShiftF15), "-2"}));

        // The combination registered already: nothing is registered again.
        EXPECT_EQ(registration.Change(kAltShiftF15), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(TakeCalls(), Calls{});

        // Refused: the old one stays, under its id.
        Recorded().refused = kCtrlAltF15;
        EXPECT_EQ(registration.Change(kCtrlAltF15), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
        EXPECT_EQ(TakeCalls(), Calls{Registered(2, kCtrlAltF15)});
        EXPECT_EQ(registration.Registered(), kAltShiftF15);
        Recorded().refused.reset();

        // Prepared, then dropped when the change was not stored.
        EXPECT_EQ(registration.Prepare(kCtrlAltF15), static_cast<DWORD>(ERROR_SUCCESS));
        registration.Drop();
        EXPECT_EQ(TakeCalls(), (Calls{Registered(2, kCtrlAltF15), "-2"}));
        EXPECT_EQ(registration.Registered(), kAltShiftF15);

        EXPECT_EQ(registration.Change(std::nullopt), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(TakeCalls(), Calls{"-1"});
        EXPECT_EQ(registration.Change(std::nullopt), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(registration.Change(kCtrlShiftF15), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(TakeCalls(), Calls{Registered(1, kCtrlShiftF15)});
    }
    EXPECT_EQ(TakeCalls(), Calls{"-1"}) << "let go when it is destroyed";
}

TEST(HotkeyRegistration, ARefusedChangeKeepsTheOldHotkeyWorking)
{
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    {
        HotkeyRegistration registration(window);
        ASSERT_EQ(registration.Change(kCtrlAltF15), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_FALSE(IsFree(kCtrlAltF15));

        // Another program holds the new one: the old one is still held.
        ASSERT_TRUE(RegisterHotKey(nullptr, 15, kCtrlShiftF15.modifiers, kCtrlShiftF15.key));
        EXPECT_EQ(registration.Change(kCtrlShiftF15), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
        UnregisterHotKey(nullptr, 15);
        EXPECT_FALSE(IsFree(kCtrlAltF15));
        EXPECT_EQ(registration.Registered(), kCtrlAltF15);

        ASSERT_EQ(registration.Change(kCtrlShiftF15), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_TRUE(IsFree(kCtrlAltF15));
        EXPECT_FALSE(IsFree(kCtrlShiftF15));
    }
    EXPECT_TRUE(IsFree(kCtrlShiftF15));
    DestroyWindow(window);
}

// The shell as the start-up test plays it: icon messages are recorded, and
// refused while `refuse` is set.
struct RecordedShell {
    std::vector<std::pair<DWORD, NOTIFYICONDATAW>> calls;
    bool refuse = false;
};

RecordedShell& Shell()
{
    static RecordedShell shell;
    return shell;
}

BOOL WINAPI RecordNotifyIcon(DWORD message, PNOTIFYICONDATAW record)
{
    Shell().calls.emplace_back(message, *record);
    return Shell().refuse ? FALSE : TRUE;
}

BOOL WINAPI AllowMessage(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT)
{
    return TRUE;
}

const ShellCalls kRecordingShell{&RecordNotifyIcon, &AllowMessage};

// The balloons sent: title and text.
std::vector<std::pair<std::wstring, std::wstring>> Balloons()
{
    std::vector<std::pair<std::wstring, std::wstring>> balloons;
    for (const auto& [message, record] : Shell().calls) {
        if (message == NIM_MODIFY && (record.uFlags & NIF_INFO))
            balloons.emplace_back(record.szInfoTitle, record.szInfo);
    }
    return balloons;
}

// The real main window against the sandboxed registry.
class TrayHotkeyTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
        Shell() = RecordedShell();
    }

    void TearDown() override
    {
        if (thread_) {
            PostMessageW(window_, WM_CLOSE, 0, 0);
            thread_.reset();
        } else if (IsWindow(window_)) {
            DestroyWindow(window_);
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        RegistrySandbox::TearDown();
    }

    // The window on this thread, with the recording shell.
    HWND Create() { return window_ = CreateMainWindow(GetModuleHandleW(nullptr), &kRecordingShell); }

    // The window on a thread of its own, which runs its message loop, so that
    // this thread can answer its boxes and dialogs.
    HWND CreateOnThread()
    {
        thread_ = std::make_unique<ModalDialogThread>([this] {
            const HWND window = CreateMainWindow(GetModuleHandleW(nullptr), &kRecordingShell);
            window_ = window;
            MSG message;
            while (window && GetMessageW(&message, nullptr, 0, 0) > 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        });
        WaitFor([this] { return window_.load() != nullptr; });
        return window_;
    }

    TrayController& Controller() const { return *reinterpret_cast<TrayController*>(GetWindowLongPtrW(window_, 0)); }

    // A command as another process sends it; its exit code.
    LRESULT Send(const std::vector<std::wstring>& words)
    {
        std::vector<BYTE> data = EncodeRequest(*ParseCommand(words), nullptr, 0);
        COPYDATASTRUCT copy = {kRequestTag, static_cast<DWORD>(data.size()), data.data()};
        return SendMessageW(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
    }

    std::atomic<HWND> window_{nullptr};
    std::unique_ptr<ModalDialogThread> thread_;
    SchemeStore store;
    ProgramSettings settings;
};

TEST_F(TrayHotkeyTest, TheStoredHotkeyIsRegisteredAtStartAndLetGoWithTheWindow)
{
    ASSERT_NE(Create(), nullptr);
    EXPECT_EQ(Controller().hotkeyRegistration.Registered(), std::nullopt) << "none on a new install";
    DestroyWindow(window_);

    ASSERT_EQ(WriteHotkey(kCtrlAltF16), ERROR_SUCCESS);
    ASSERT_NE(Create(), nullptr);
    EXPECT_FALSE(IsFree(kCtrlAltF16));
    EXPECT_EQ(Balloons(), (std::vector<std::pair<std::wstring, std::wstring>>{}));
    DestroyWindow(window_);
    EXPECT_TRUE(IsFree(kCtrlAltF16));
}

TEST_F(TrayHotkeyTest, AStoredHotkeyAnotherProgramHoldsGivesOneBalloonAlsoWhenTheIconComesLate)
{
    using Balloon = std::pair<std::wstring, std::wstring>;
    const Balloon taken{L"Hushlark", L"Hushlark's hotkey CTRL+ALT+F16 is used by another program."};
    ASSERT_EQ(WriteHotkey(kCtrlAltF16), ERROR_SUCCESS);
    ASSERT_TRUE(RegisterHotKey(nullptr, 16, kCtrlAltF16.modifiers, kCtrlAltF16.key));

    ASSERT_NE(Create(), nullptr);
    EXPECT_EQ(Balloons(), std::vector<Balloon>{taken});
    EXPECT_EQ(Controller().hotkeyRegistration.Registered(), std::nullopt);
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    EXPECT_EQ(Balloons().size(), 1u) << "one balloon";
    DestroyWindow(window_);

    // No notification area yet: the balloon follows the icon.
    Shell() = RecordedShell();
    Shell().refuse = true;
    ASSERT_NE(Create(), nullptr);
    EXPECT_EQ(Balloons(), std::vector<Balloon>{});
    Shell().refuse = false;
    SendMessageW(window_, WM_TIMER, kIconRetryTimerId, 0);
    EXPECT_EQ(Balloons(), std::vector<Balloon>{taken});
    SendMessageW(window_, WM_TIMER, kIconRetryTimerId, 0);
    EXPECT_EQ(Balloons().size(), 1u);
    UnregisterHotKey(nullptr, 16);
}

TEST_F(TrayHotkeyTest, APressTogglesSoundsAsTheToggleCommandDoesAndEndsATimedOff)
{
    ASSERT_NE(Create(), nullptr);
    ASSERT_TRUE(store.IsSoundOn());
    SendMessageW(window_, WM_HOTKEY, kHotkeyIds[0], 0);
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_EQ(Controller().icon.Picture(), Controller().icon.PictureFor(false)) << "at once";
    SendMessageW(window_, WM_HOTKEY, kHotkeyIds[1], 0);
    EXPECT_TRUE(store.IsSoundOn());
    // Another program's id on this window, or a system hotkey, is not ours.
    SendMessageW(window_, WM_HOTKEY, 3, 0);
    SendMessageW(window_, WM_HOTKEY, static_cast<WPARAM>(IDHOT_SNAPDESKTOP), 0);
    EXPECT_TRUE(store.IsSoundOn());

    // A choice by hand: it ends a timed off.
    ASSERT_EQ(Send({L"off", L"--for", L"1h"}), kExitDone);
    ASSERT_TRUE(settings.ReadOffUntil().has_value());
    SendMessageW(window_, WM_HOTKEY, kHotkeyIds[0], 0);
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(settings.ReadOffUntil(), std::nullopt);
    EXPECT_EQ(Controller().timedOff.state, TimedOff::State::None);
}

TEST_F(TrayHotkeyTest, APressThatFailsShowsTheFailureInABox)
{
    SetCurrentSchemeValue(L".current");
    MakeSlotVolatile(L"Explorer", L"Navigating");
    ASSERT_NE(CreateOnThread(), nullptr);
    PostMessageW(window_, WM_HOTKEY, kHotkeyIds[0], 0);
    const HWND box = thread_->WaitForWindow(L"Hushlark");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(std::get<1>(InspectMessageBox(box)),
              L"Your current sounds could not be saved, so nothing was changed.\n" +
                  SlotPath(L"Explorer", L"Navigating") + L"\\.Hushlark0\n" +
                  registry::ErrorText(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_TRUE(ClickAndWaitUntilGone(box, IDOK));
    EXPECT_EQ(store.ReadCurrentScheme(), L".current");
}

TEST_F(TrayHotkeyTest, CommandsSentToTheInstanceRegisterTheHotkeyThere)
{
    ASSERT_NE(Create(), nullptr);
    EXPECT_EQ(Send({L"hotkey", L"ctrl+alt+f16"}), kExitDone);
    EXPECT_EQ(ReadHotkey(), kCtrlAltF16);
    EXPECT_FALSE(IsFree(kCtrlAltF16));
    EXPECT_EQ(Send({L"hotkey", L"CTRL+ALT+F16"}), kExitDone) << "the same again";
    EXPECT_FALSE(IsFree(kCtrlAltF16));

    // Taken by another program: refused, and the old one stays.
    ASSERT_TRUE(RegisterHotKey(nullptr, 16, kCtrlShiftF16.modifiers, kCtrlShiftF16.key));
    EXPECT_EQ(Send({L"hotkey", L"ctrl+shift+f16"}), kExitFailed);
    UnregisterHotKey(nullptr, 16);
    EXPECT_EQ(ReadHotkey(), kCtrlAltF16);
    EXPECT_FALSE(IsFree(kCtrlAltF16));

    EXPECT_EQ(Send({L"hotkey", L"ctrl+shift+f16"}), kExitDone);
    EXPECT_TRUE(IsFree(kCtrlAltF16));
    EXPECT_FALSE(IsFree(kCtrlShiftF16));
    EXPECT_EQ(Send({L"hotkey", L"none"}), kExitDone);
    EXPECT_TRUE(IsFree(kCtrlShiftF16));
    EXPECT_FALSE(GetValue(kSettingsPath, L"Hotkey").has_value());
}

TEST_F(TrayHotkeyTest, OptionsLetsGoOfTheHotkeyWhileItIsOpenAndRegistersWhatItStored)
{
    ASSERT_EQ(WriteHotkey(kCtrlAltF16), ERROR_SUCCESS);
    ASSERT_NE(CreateOnThread(), nullptr);
    EXPECT_FALSE(IsFree(kCtrlAltF16));

    PostMessageW(window_, WM_COMMAND, IDM_OPTIONS, 0);
    HWND dialog = thread_->WaitForWindow(L"Hushlark Options");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsFree(kCtrlAltF16)) << "pressing it types it into the box";
    // A command meanwhile is stored, not registered.
    EXPECT_EQ(Send({L"hotkey", L"ctrl+shift+f16"}), kExitDone);
    EXPECT_EQ(ReadHotkey(), kCtrlShiftF16);
    EXPECT_TRUE(IsFree(kCtrlShiftF16));
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog, IDOK));
    SyncWith(window_);
    EXPECT_FALSE(IsFree(kCtrlShiftF16)) << "the box was left as it was";

    // A combination typed into the box is registered once the dialog closed.
    PostMessageW(window_, WM_COMMAND, IDM_OPTIONS, 0);
    dialog = thread_->WaitForWindow(L"Hushlark Options");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsFree(kCtrlShiftF16));
    SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_SETHOTKEY, MAKEWORD(VK_F16, HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog, IDOK));
    SyncWith(window_);
    EXPECT_EQ(ReadHotkey(), kCtrlAltF16);
    EXPECT_FALSE(IsFree(kCtrlAltF16));
    EXPECT_TRUE(IsFree(kCtrlShiftF16));

    // Taken by another program meanwhile, with the box untouched: a balloon.
    PostMessageW(window_, WM_COMMAND, IDM_OPTIONS, 0);
    dialog = thread_->WaitForWindow(L"Hushlark Options");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(RegisterHotKey(nullptr, 16, kCtrlAltF16.modifiers, kCtrlAltF16.key));
    Shell().calls.clear();
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog, IDOK));
    SyncWith(window_);
    UnregisterHotKey(nullptr, 16);
    EXPECT_EQ(Balloons(), (std::vector<std::pair<std::wstring, std::wstring>>{
                              {L"Hushlark", L"Hushlark's hotkey CTRL+ALT+F16 is used by another program."}}));
}

} // namespace
