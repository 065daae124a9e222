#include "dialogs/rename_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "resources/resource.h"
#include "tests/dialogs/dialog_driver.h"

namespace {

constexpr wchar_t kTitle[] = L"Dialog";

// The Rename dialog on a thread of its own, opened through its entry point.
class OpenRenameDialog {
public:
    explicit OpenRenameDialog(std::wstring shownName)
        : thread_([this, shownName = std::move(shownName)] { result_ = RunRenameDialog(nullptr, shownName); }),
          dialog_(thread_.WaitForWindow(kTitle))
    {
    }

    HWND Dialog() const { return dialog_; }
    HWND Edit() const { return GetDlgItem(dialog_, IDC_NEW_NAME); }
    ModalDialogThread& Thread() { return thread_; }

    // The dialog's outcome, once it has ended.
    std::optional<std::wstring> Result()
    {
        EXPECT_TRUE(thread_.WaitUntilFinished()) << "the dialog did not end";
        return result_;
    }

private:
    std::optional<std::wstring> result_;
    ModalDialogThread thread_;
    HWND dialog_;
};

std::pair<DWORD, DWORD> Selection(HWND edit)
{
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void SetText(HWND edit, const std::wstring& text)
{
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PostKey(HWND window, UINT key)
{
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

TEST(RenameDialog, OpensCentredWithTheWholeNameSelectedAndFocused)
{
    OpenRenameDialog rename(L"Quiet Office");
    ASSERT_NE(rename.Dialog(), nullptr);

    EXPECT_EQ(WindowText(rename.Edit()), L"Quiet Office");
    EXPECT_EQ(Selection(rename.Edit()), std::make_pair(DWORD{0}, DWORD{12}));
    EXPECT_EQ(FocusInDialog(rename.Dialog()), rename.Edit());

    EXPECT_TRUE(IsCentredOnDesktop(rename.Dialog()));

    // Typing replaces the whole name.
    PostMessageW(rename.Edit(), WM_CHAR, L'X', 1);
    SyncWith(rename.Dialog());
    EXPECT_EQ(WindowText(rename.Edit()), L"X");

    PostClick(rename.Dialog(), IDCANCEL);
    EXPECT_EQ(rename.Result(), std::nullopt);
}

TEST(RenameDialog, OkHandsBackTheWholeNewText)
{
    const std::wstring longName(400, L'n');
    const std::pair<const wchar_t*, std::wstring> cases[] = {
        {L"Quiet Office", L"Quiet Office for the long afternoons"}, // longer
        {L"Quiet Office", L"Q"},                                    // shorter: nothing of the old name left
        {L"Quiet Office", L"   "},                                  // only spaces is not blank
        {L"Quiet Office", L"No Sounds"},                            // no other check
        {L"Quiet Office", L"Quiet Office"},                         // unchanged
        {L"Q", longName},                                           // beyond any fixed buffer
        {L"", L"Tab\tand \x00e9\x4e2d"},
    };
    for (const auto& [shown, typed] : cases) {
        SCOPED_TRACE(testing::PrintToString(typed));
        OpenRenameDialog rename(shown);
        ASSERT_NE(rename.Dialog(), nullptr);
        EXPECT_EQ(WindowText(rename.Edit()), shown);
        SetText(rename.Edit(), typed);
        PostClick(rename.Dialog(), IDOK);
        EXPECT_EQ(rename.Result(), std::optional<std::wstring>(typed));
    }
}

TEST(RenameDialog, EnterInTheEditBoxActsAsOk)
{
    OpenRenameDialog rename(L"Quiet Office");
    ASSERT_NE(rename.Dialog(), nullptr);
    SetText(rename.Edit(), L"Loud Office");
    PostKey(rename.Edit(), VK_RETURN);
    EXPECT_EQ(rename.Result(), std::optional<std::wstring>(L"Loud Office"));
}

TEST(RenameDialog, BlankNameIsRefusedAndTheDialogStaysOpen)
{
    OpenRenameDialog rename(L"Quiet Office");
    ASSERT_NE(rename.Dialog(), nullptr);
    SetText(rename.Edit(), L"");
    PostClick(rename.Dialog(), IDOK);

    const HWND box = rename.Thread().WaitForWindow(L"Rename Sound Scheme");
    ASSERT_NE(box, nullptr) << "no message about the blank name";
    const MessageBoxView view = InspectMessageBox(box);
    EXPECT_EQ(view.text, L"The name cannot be blank.");
    EXPECT_EQ(view.owner, rename.Dialog());
    EXPECT_EQ(view.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(view.icon, LoadIconW(nullptr, IDI_HAND));
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    SyncWith(rename.Dialog());

    EXPECT_TRUE(IsWindowVisible(rename.Dialog()));
    EXPECT_EQ(FocusInDialog(rename.Dialog()), rename.Edit());

    // A second blank OK is refused the same way.
    SetText(rename.Edit(), L"");
    PostClick(rename.Dialog(), IDOK);
    const HWND again = rename.Thread().WaitForWindow(L"Rename Sound Scheme");
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(AnswerMessageBox(again, IDOK));
    SyncWith(rename.Dialog());
    EXPECT_TRUE(IsWindowVisible(rename.Dialog()));

    SetText(rename.Edit(), L"Back Again");
    PostClick(rename.Dialog(), IDOK);
    EXPECT_EQ(rename.Result(), std::optional<std::wstring>(L"Back Again"));
}

TEST(RenameDialog, OnlyOkEndsWithOneAndHandsTheTextBack)
{
    enum class Way { OkButton, CancelButton, EscKey, CloseBox };
    for (const Way way : {Way::OkButton, Way::CancelButton, Way::EscKey, Way::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(way));
        RenameRequest request{L"Quiet Office", std::nullopt};
        INT_PTR result = -2;
        ModalDialogThread thread([&] {
            result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RENAME), nullptr, RenameDialogProc,
                                     reinterpret_cast<LPARAM>(&request));
        });
        const HWND dialog = thread.WaitForWindow(kTitle);
        ASSERT_NE(dialog, nullptr);
        SetText(GetDlgItem(dialog, IDC_NEW_NAME), L"Typed");
        switch (way) {
        case Way::OkButton:
            PostClick(dialog, IDOK);
            break;
        case Way::CancelButton:
            PostClick(dialog, IDCANCEL);
            break;
        case Way::EscKey:
            PostKey(GetDlgItem(dialog, IDC_NEW_NAME), VK_ESCAPE);
            break;
        case Way::CloseBox:
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
        ASSERT_TRUE(thread.WaitUntilFinished());
        if (way == Way::OkButton) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(request.newName, std::optional<std::wstring>(L"Typed"));
        } else {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(request.newName, std::nullopt);
        }
        EXPECT_EQ(request.shownName, L"Quiet Office");
    }
}

} // namespace
