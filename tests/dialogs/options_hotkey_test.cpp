// The Options dialog's hotkey row: filled from the stored hotkey, applied as
// the dialog closes, and refusals that keep the dialog open.
#include "dialogs/options_dialog.h"

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "mute/hotkey.h"
#include "resources/resource.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/support/registry_sandbox.h"

// Wine refuses a second registration of the same keys with
// ERROR_HOTKEY_ALREADY_REGISTERED, as Windows does: the test thread holds a
// combination to play another program. Other test processes share the
// desktop, so these tests use keys of their own (F14).

namespace {

constexpr Hotkey kCtrlAltF14{MOD_CONTROL | MOD_ALT, VK_F14};
constexpr Hotkey kCtrlShiftF14{MOD_CONTROL | MOD_SHIFT, VK_F14};
constexpr wchar_t kNotAllowed[] =
    L"Use at least two of Ctrl, Alt and Shift with a letter, a digit, a function key or a navigation key.";

class OptionsHotkeyTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

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

    // Closes the dialog with Close and expects the box titled "Hushlark" with
    // `text`, after which the dialog stays open.
    void ExpectRefusedWith(const std::wstring& text)
    {
        PostClick(dialog_, IDOK);
        const HWND box = thread_->WaitForWindow(L"Hushlark");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(InspectMessageBox(box), MessageBoxView(dialog_, text, {IDOK}, IDOK, LoadIconW(nullptr, IDI_WARNING)));
        ASSERT_TRUE(ClickAndWaitUntilGone(box, IDOK));
        SyncWith(dialog_);
        EXPECT_TRUE(IsWindow(dialog_)) << "the dialog stays open for another key";
        EXPECT_EQ(FocusInDialog(dialog_), GetDlgItem(dialog_, IDC_HOTKEY));
    }

    std::optional<StoredValue> StoredHotkey() const { return GetValue(kSettingsPath, L"Hotkey"); }

    std::unique_ptr<ModalDialogThread> thread_;
    HWND dialog_ = nullptr;
};

TEST_F(OptionsHotkeyTest, IsFilledFromTheStoredHotkeyAndAnUntouchedBoxChangesNothing)
{
    const WORD ctrlAlt = HOTKEYF_CONTROL | HOTKEYF_ALT;
    const struct {
        std::optional<Hotkey> stored;
        WORD shown;
    } cases[] = {
        {std::nullopt, 0},
        {kCtrlAltF14, MAKEWORD(VK_F14, ctrlAlt)},
        // The control marks the navigation keys as extended.
        {Hotkey{MOD_ALT | MOD_SHIFT, VK_NEXT}, MAKEWORD(VK_NEXT, HOTKEYF_ALT | HOTKEYF_SHIFT | HOTKEYF_EXT)},
        {Hotkey{MOD_CONTROL | MOD_ALT, VK_SPACE}, MAKEWORD(VK_SPACE, ctrlAlt)},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(WriteHotkey(c.stored), ERROR_SUCCESS);
        const std::optional<StoredValue> before = StoredHotkey();
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Box(), c.shown);
        ASSERT_TRUE(ClickAndWaitUntilGone(dialog_, IDOK));
        EXPECT_EQ(StoredHotkey(), before);
    }

    // A stored value that is no hotkey shows an empty box and stays as it is.
    SetDword(kSettingsPath, L"Hotkey", 0x0153); // Alt alone
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Box(), 0);
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog_, IDOK));
    EXPECT_EQ(StoredHotkey()->bytes, (std::vector<std::uint8_t>{0x53, 0x01, 0, 0}));

    // A command changed the hotkey while the dialog was open: an untouched
    // box leaves the command's choice.
    ASSERT_EQ(WriteHotkey(kCtrlAltF14), ERROR_SUCCESS);
    ASSERT_NE(Open(), nullptr);
    ASSERT_EQ(WriteHotkey(kCtrlShiftF14), ERROR_SUCCESS);
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog_, IDOK));
    EXPECT_EQ(ReadHotkey(), kCtrlShiftF14);
}

TEST_F(OptionsHotkeyTest, CloseEscAndTheCloseBoxApplyTheBoxAndAnEmptyBoxRemovesTheHotkey)
{
    const std::function<void(HWND)> closings[] = {
        [](HWND dialog) { PostClick(dialog, IDOK); },
        [](HWND dialog) { PostMessageW(GetDlgItem(dialog, IDC_SCHEME_LIST), WM_KEYDOWN, VK_ESCAPE, 1); },
        [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); },
    };
    for (const auto& close : closings) {
        ASSERT_EQ(WriteHotkey(kCtrlAltF14), ERROR_SUCCESS);
        ASSERT_NE(Open(), nullptr);
        // Extended or not, a key is the same key.
        Type(MAKEWORD(VK_F14, HOTKEYF_CONTROL | HOTKEYF_SHIFT | HOTKEYF_EXT));
        close(dialog_);
        ASSERT_TRUE(thread_->WaitUntilFinished());
        EXPECT_EQ(StoredHotkey(), (StoredValue{REG_DWORD, {VK_F14, MOD_CONTROL | MOD_SHIFT, 0, 0}}));

        ASSERT_NE(Open(), nullptr);
        Type(0);
        close(dialog_);
        ASSERT_TRUE(thread_->WaitUntilFinished());
        EXPECT_FALSE(StoredHotkey().has_value());
    }
}

TEST_F(OptionsHotkeyTest, ACombinationNotAllowedOrTakenKeepsTheDialogOpenAndTheOldHotkeyStored)
{
    ASSERT_EQ(WriteHotkey(kCtrlShiftF14), ERROR_SUCCESS);
    ASSERT_NE(Open(), nullptr);

    for (const WORD notAllowed : {MAKEWORD('S', HOTKEYF_CONTROL), MAKEWORD(VK_TAB, HOTKEYF_CONTROL | HOTKEYF_ALT),
                                  MAKEWORD(VK_DELETE, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT)}) {
        Type(notAllowed);
        ExpectRefusedWith(kNotAllowed);
        EXPECT_EQ(ReadHotkey(), kCtrlShiftF14);
    }

    // Held by another program: the dialog tried it and let it go.
    ASSERT_TRUE(RegisterHotKey(nullptr, 14, kCtrlAltF14.modifiers, kCtrlAltF14.key));
    Type(MAKEWORD(VK_F14, HOTKEYF_CONTROL | HOTKEYF_ALT));
    ExpectRefusedWith(L"Another program already uses CTRL+ALT+F14. Choose another key.");
    EXPECT_EQ(ReadHotkey(), kCtrlShiftF14);
    UnregisterHotKey(nullptr, 14);

    // Free now: taken as the dialog closes, and not held by the dialog.
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog_, IDOK));
    EXPECT_EQ(ReadHotkey(), kCtrlAltF14);
    ASSERT_TRUE(RegisterHotKey(nullptr, 14, kCtrlAltF14.modifiers, kCtrlAltF14.key));
    UnregisterHotKey(nullptr, 14);
}

} // namespace
