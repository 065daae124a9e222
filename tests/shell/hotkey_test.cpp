// The tray program's hotkey: its registration, a press, the start, Options
// around it and the commands sent to the instance.
//
// Wine, like Windows, refuses a second registration of the same keys with
// ERROR_HOTKEY_ALREADY_REGISTERED (1409), also for the same thread: the tests
// register a combination to see whether the program holds it, or to hold it
// as another program would. Test processes share the desktop, so these use
// keys of their own (F15, F16).
#include "shell/hotkey_registration.h"

#include <commctrl.h>

#include <atomic>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "commands/request.h"
#include "resources/resource.h"
#include "shell/main_window.h"
#include "shell/tray_controller.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/support/registry_sandbox.h"
#include "win32/registry.h"

namespace {

constexpr Hotkey kCtrlAltF15{MOD_CONTROL | MOD_ALT, VK_F15};
constexpr Hotkey kCtrlShiftF15{MOD_CONTROL | MOD_SHIFT, VK_F15};
constexpr Hotkey kCtrlAltF16{MOD_CONTROL | MOD_ALT, VK_F16};
constexpr Hotkey kCtrlShiftF16{MOD_CONTROL | MOD_SHIFT, VK_F16};

bool IsFree(const Hotkey& hotkey)
{
    if (!RegisterHotKey(nullptr, 0xBF00, hotkey.modifiers, hotkey.key))
        return false;
    UnregisterHotKey(nullptr, 0xBF00);
    return true;
}

// Registration calls as "+id:key" and "-id"; a register of F15 with Shift is refused.
std::vector<std::string> calls;

BOOL WINAPI RecordRegister(HWND, int id, UINT modifiers, UINT key)
{
    calls.push_back("+" + std::to_string(id) + ":" + std::to_string(key));
    EXPECT_TRUE(modifiers & MOD_NOREPEAT);
    if (key == VK_F15 && (modifiers & MOD_SHIFT)) {
        SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI RecordUnregister(HWND, int id)
{
    calls.push_back("-" + std::to_string(id));
    return TRUE;
}

TEST(HotkeyRegistration, ANewCombinationTakesTheOtherIdBeforeTheOldOneGoes)
{
    using Calls = std::vector<std::string>;
    const auto taken = [] { return std::exchange(calls, {}); };
    const std::string f15 = std::to_string(VK_F15), f16 = std::to_string(VK_F16);
    {
        HotkeyRegistration registration(nullptr, HotkeyCalls{&RecordRegister, &RecordUnregister});
        EXPECT_EQ(registration.Change(kCtrlAltF15), 0u);
        EXPECT_EQ(registration.Change(kCtrlAltF16), 0u);
        EXPECT_EQ(registration.Change(kCtrlAltF15), 0u);
        EXPECT_EQ(taken(), (Calls{"+1:" + f15, "+2:" + f16, "-1", "+1:" + f15, "-2"}));
        EXPECT_EQ(registration.Change(kCtrlAltF15), 0u);
        EXPECT_EQ(taken(), Calls{}) << "the same combination registers nothing";

        // Refused, or not kept: the old one stays under its id.
        EXPECT_EQ(registration.Change(kCtrlShiftF15), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
        EXPECT_EQ(registration.Prepare(kCtrlAltF16), 0u);
        registration.Drop();
        EXPECT_EQ(taken(), (Calls{"+2:" + f15, "+2:" + f16, "-2"}));
        EXPECT_EQ(registration.Registered(), kCtrlAltF15);

        EXPECT_EQ(registration.Change(std::nullopt), 0u);
        EXPECT_EQ(registration.Change(kCtrlAltF16), 0u);
        EXPECT_EQ(taken(), (Calls{"-1", "+1:" + f16}));
    }
    EXPECT_EQ(taken(), Calls{"-1"}) << "let go when it is destroyed";
}

// The icon's messages; refused while `refuse` is set.
std::vector<std::pair<DWORD, NOTIFYICONDATAW>> iconCalls;
bool refuse = false;

BOOL WINAPI RecordNotifyIcon(DWORD message, PNOTIFYICONDATAW record)
{
    iconCalls.emplace_back(message, *record);
    return refuse ? FALSE : TRUE;
}

BOOL WINAPI AllowMessage(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT)
{
    return TRUE;
}

const ShellCalls kRecordingShell{&RecordNotifyIcon, &AllowMessage};

std::vector<std::wstring> Balloons()
{
    std::vector<std::wstring> balloons;
    for (const auto& [message, record] : iconCalls) {
        if (message == NIM_MODIFY && (record.uFlags & NIF_INFO))
            balloons.push_back(std::wstring(record.szInfoTitle) + L": " + record.szInfo);
    }
    return balloons;
}

// The real main window against the sandboxed registry: on this thread, or on
// a thread of its own that runs its loop, so that this one answers its boxes.
class TrayHotkeyTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
        iconCalls.clear();
        refuse = false;
    }

    void TearDown() override
    {
        PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.reset();
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        RegistrySandbox::TearDown();
    }

    HWND Create() { return window_ = CreateMainWindow(GetModuleHandleW(nullptr), &kRecordingShell); }

    HWND CreateOnThread()
    {
        thread_ = std::make_unique<ModalDialogThread>([this] {
            MSG message;
            for (const HWND window = Create(); window && GetMessageW(&message, nullptr, 0, 0) > 0;)
                DispatchMessageW(&message);
        });
        WaitFor([this] { return window_.load() != nullptr; });
        return window_;
    }

    LRESULT Send(const std::vector<std::wstring>& words)
    {
        std::vector<BYTE> data = EncodeRequest(*ParseCommand(words), nullptr, 0);
        COPYDATASTRUCT copy = {kRequestTag, static_cast<DWORD>(data.size()), data.data()};
        return SendMessageW(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
    }

    HWND OpenOptions()
    {
        PostMessageW(window_, WM_COMMAND, IDM_OPTIONS, 0);
        return thread_->WaitForWindow(L"Hushlark Options");
    }

    std::atomic<HWND> window_{nullptr};
    std::unique_ptr<ModalDialogThread> thread_;
    SchemeStore store;
};

TEST_F(TrayHotkeyTest, TheStoredHotkeyIsRegisteredAtStartOrOneBalloonSaysItIsTaken)
{
    ASSERT_EQ(WriteHotkey(kCtrlAltF16), ERROR_SUCCESS);
    ASSERT_NE(Create(), nullptr);
    EXPECT_FALSE(IsFree(kCtrlAltF16));
    DestroyWindow(window_);
    EXPECT_TRUE(IsFree(kCtrlAltF16));
    EXPECT_EQ(Balloons(), std::vector<std::wstring>{});

    // Held by another program, at a start where the icon comes late.
    ASSERT_TRUE(RegisterHotKey(nullptr, 16, kCtrlAltF16.modifiers, kCtrlAltF16.key));
    refuse = true;
    ASSERT_NE(Create(), nullptr);
    EXPECT_EQ(Balloons(), std::vector<std::wstring>{});
    refuse = false;
    SendMessageW(window_, WM_TIMER, kIconRetryTimerId, 0);
    SendMessageW(window_, WM_TIMER, kRefreshTimerId, 0);
    UnregisterHotKey(nullptr, 16);
    EXPECT_EQ(Balloons(),
              std::vector<std::wstring>{L"Hushlark: Hushlark's hotkey CTRL+ALT+F16 is used by another program."});
}

TEST_F(TrayHotkeyTest, APressTogglesSoundsAsTheToggleCommandDoesAndEndsATimedOff)
{
    ASSERT_NE(Create(), nullptr);
    SendMessageW(window_, WM_HOTKEY, kHotkeyIds[0], 0);
    EXPECT_FALSE(store.IsSoundOn());
    SendMessageW(window_, WM_HOTKEY, kHotkeyIds[1], 0);
    EXPECT_TRUE(store.IsSoundOn());
    SendMessageW(window_, WM_HOTKEY, static_cast<WPARAM>(IDHOT_SNAPDESKTOP), 0); // not ours
    EXPECT_TRUE(store.IsSoundOn());

    ASSERT_EQ(Send({L"off", L"--for", L"1h"}), kExitDone);
    SendMessageW(window_, WM_HOTKEY, kHotkeyIds[0], 0);
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(ProgramSettings().ReadOffUntil(), std::nullopt) << "a choice by hand ends it";
}

TEST_F(TrayHotkeyTest, APressThatFailsShowsTheFailureInABox)
{
    SetCurrentSchemeValue(L".current");
    MakeSlotVolatile(L"Explorer", L"Navigating");
    ASSERT_NE(CreateOnThread(), nullptr);
    PostMessageW(window_, WM_HOTKEY, kHotkeyIds[0], 0);
    const HWND box = thread_->WaitForWindow(L"Hushlark");
    EXPECT_EQ(std::get<1>(InspectMessageBox(box)),
              L"Your current sounds could not be saved, so nothing was changed.\n" +
                  SlotPath(L"Explorer", L"Navigating") + L"\\.Hushlark0\n" +
                  registry::ErrorText(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_TRUE(box && ClickAndWaitUntilGone(box, IDOK));
}

TEST_F(TrayHotkeyTest, CommandsSentToTheInstanceRegisterTheHotkeyThere)
{
    ASSERT_NE(Create(), nullptr);
    EXPECT_EQ(Send({L"hotkey", L"ctrl+alt+f16"}), kExitDone);
    EXPECT_EQ(Send({L"hotkey", L"CTRL+ALT+F16"}), kExitDone) << "the same again";
    EXPECT_FALSE(IsFree(kCtrlAltF16));

    ASSERT_TRUE(RegisterHotKey(nullptr, 16, kCtrlShiftF16.modifiers, kCtrlShiftF16.key));
    EXPECT_EQ(Send({L"hotkey", L"ctrl+shift+f16"}), kExitFailed);
    UnregisterHotKey(nullptr, 16);
    EXPECT_EQ(ReadHotkey(), kCtrlAltF16);
    EXPECT_FALSE(IsFree(kCtrlAltF16)) << "the old one still works";

    EXPECT_EQ(Send({L"hotkey", L"none"}), kExitDone);
    EXPECT_TRUE(IsFree(kCtrlAltF16));
}

TEST_F(TrayHotkeyTest, OptionsLetsGoOfTheHotkeyWhileItIsOpenAndRegistersWhatIsStoredAfterwards)
{
    ASSERT_EQ(WriteHotkey(kCtrlAltF16), ERROR_SUCCESS);
    ASSERT_NE(CreateOnThread(), nullptr);
    HWND dialog = OpenOptions();
    EXPECT_TRUE(IsFree(kCtrlAltF16)) << "pressing it types it into the box";
    // A command meanwhile is stored, and registered when the dialog closes.
    EXPECT_EQ(Send({L"hotkey", L"ctrl+shift+f16"}), kExitDone);
    EXPECT_TRUE(IsFree(kCtrlShiftF16));
    ASSERT_TRUE(dialog && ClickAndWaitUntilGone(dialog, IDOK));
    SyncWith(window_);
    EXPECT_FALSE(IsFree(kCtrlShiftF16));

    dialog = OpenOptions();
    SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_SETHOTKEY, MAKEWORD(VK_F16, HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
    ASSERT_TRUE(dialog && ClickAndWaitUntilGone(dialog, IDOK));
    SyncWith(window_);
    EXPECT_FALSE(IsFree(kCtrlAltF16));
    EXPECT_TRUE(IsFree(kCtrlShiftF16));
}

} // namespace
