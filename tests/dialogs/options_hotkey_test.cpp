// The Options dialog's hotkey row: filled from the stored hotkey, applied as
// the dialog closes, and refusals that keep the dialog open.
#include "dialogs/options_dialog.h"

#include <commctrl.h>

#include <functional>
#include <memory>

#include "mute/hotkey.h"
#include "resources/resource.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/support/registry_sandbox.h"

// Wine refuses a second registration of the same keys with
// ERROR_HOTKEY_ALREADY_REGISTERED, as Windows does: the test thread holds a
// combination to play another program. Test processes share the desktop, so
// these tests use keys of their own (F14).

namespace {

constexpr Hotkey kCtrlAltF14{MOD_CONTROL | MOD_ALT, VK_F14};
constexpr Hotkey kCtrlShiftF14{MOD_CONTROL | MOD_SHIFT, VK_F14};

class OptionsHotkeyTest : public RegistrySandbox {
protected:
    void TearDown() override
    {
        thread_.reset();
        RegistrySandbox::TearDown();
    }

    HWND Open()
    {
        thread_ = std::make_unique<ModalDialogThread>([] {
            INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_HOTKEY_CLASS};
            InitCommonControlsEx(&controls);
            DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS), nullptr, OptionsDialogProc, 0);
        });
        return dialog_ = thread_->WaitForWindow(L"Hushlark Options");
    }

    WORD Box() const { return LOWORD(SendDlgItemMessageW(dialog_, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0)); }
    // What a user's key press leaves in the box.
    void Type(WORD value) const { SendDlgItemMessageW(dialog_, IDC_HOTKEY, HKM_SETHOTKEY, value, 0); }

    // Close brings the box titled "Hushlark" with `text`; the dialog stays open.
    void ExpectRefusedWith(const std::wstring& text)
    {
        PostClick(dialog_, IDOK);
        const HWND box = thread_->WaitForWindow(L"Hushlark");
        EXPECT_EQ(InspectMessageBox(box), MessageBoxView(dialog_, text, {IDOK}, IDOK, LoadIconW(nullptr, IDI_WARNING)));
        ASSERT_TRUE(box && ClickAndWaitUntilGone(box, IDOK));
        SyncWith(dialog_);
        EXPECT_TRUE(IsWindow(dialog_));
        EXPECT_EQ(FocusInDialog(dialog_), GetDlgItem(dialog_, IDC_HOTKEY));
        EXPECT_EQ(ReadHotkey(), kCtrlShiftF14) << "the old one stays stored";
    }

    std::unique_ptr<ModalDialogThread> thread_;
    HWND dialog_ = nullptr;
};

TEST_F(OptionsHotkeyTest, IsFilledFromTheStoredHotkeyAndAnUntouchedBoxChangesNothing)
{
    EXPECT_NE(Open(), nullptr);
    EXPECT_EQ(Box(), 0);
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog_, IDOK));
    EXPECT_FALSE(GetValue(kSettingsPath, L"Hotkey").has_value());

    // The control marks the navigation keys as extended.
    ASSERT_EQ(WriteHotkey(Hotkey{MOD_ALT | MOD_SHIFT, VK_NEXT}), ERROR_SUCCESS);
    EXPECT_NE(Open(), nullptr);
    EXPECT_EQ(Box(), MAKEWORD(VK_NEXT, HOTKEYF_ALT | HOTKEYF_SHIFT | HOTKEYF_EXT));
    // A command changed the hotkey meanwhile: the untouched box leaves it.
    ASSERT_EQ(WriteHotkey(kCtrlAltF14), ERROR_SUCCESS);
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog_, IDOK));
    EXPECT_EQ(ReadHotkey(), kCtrlAltF14);
}

TEST_F(OptionsHotkeyTest, CloseEscAndTheCloseBoxApplyTheBoxAndAnEmptyBoxRemovesTheHotkey)
{
    const std::function<void(HWND)> closings[] = {
        [](HWND dialog) { PostClick(dialog, IDOK); },
        [](HWND dialog) { PostMessageW(GetDlgItem(dialog, IDC_SCHEME_LIST), WM_KEYDOWN, VK_ESCAPE, 1); },
        [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); },
    };
    for (const auto& close : closings) {
        ASSERT_NE(Open(), nullptr);
        Type(MAKEWORD(VK_F14, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT)); // extended or not, the same key
        close(dialog_);
        ASSERT_TRUE(thread_->WaitUntilFinished());
        EXPECT_EQ(GetValue(kSettingsPath, L"Hotkey"), (StoredValue{REG_DWORD, {VK_F14, MOD_CONTROL | MOD_ALT, 0, 0}}));

        ASSERT_NE(Open(), nullptr);
        Type(0);
        close(dialog_);
        ASSERT_TRUE(thread_->WaitUntilFinished());
        EXPECT_FALSE(GetValue(kSettingsPath, L"Hotkey").has_value());
    }
}

TEST_F(OptionsHotkeyTest, ACombinationNotAllowedOrTakenKeepsTheDialogOpenAndTheOldHotkeyStored)
{
    ASSERT_EQ(WriteHotkey(kCtrlShiftF14), ERROR_SUCCESS);
    ASSERT_NE(Open(), nullptr);
    Type(MAKEWORD('S', HOTKEYF_CONTROL));
    ExpectRefusedWith(
        L"Use at least two of Ctrl, Alt and Shift with a letter, a digit, a function key or a navigation key.");

    ASSERT_TRUE(RegisterHotKey(nullptr, 14, kCtrlAltF14.modifiers, kCtrlAltF14.key));
    Type(MAKEWORD(VK_F14, HOTKEYF_CONTROL | HOTKEYF_ALT));
    ExpectRefusedWith(L"Another program already uses CTRL+ALT+F14. Choose another key.");
    UnregisterHotKey(nullptr, 14);

    // Free now: stored as the dialog closes, and not held by the dialog.
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog_, IDOK));
    EXPECT_EQ(ReadHotkey(), kCtrlAltF14);
    EXPECT_TRUE(RegisterHotKey(nullptr, 14, kCtrlAltF14.modifiers, kCtrlAltF14.key));
    UnregisterHotKey(nullptr, 14);
}

} // namespace
