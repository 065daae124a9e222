#include "dialogs/options_dialog.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/scheme_list.h"
#include "resources/resource.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/support/registry_sandbox.h"

namespace {

constexpr wchar_t kTitle[] = L"Hushlark Options";
constexpr wchar_t kDeleteTitle[] = L"Delete Sound Scheme";
constexpr wchar_t kConfirmation[] = L"Are you sure you want to delete this sound scheme?";
constexpr wchar_t kRefusal[] = L"This is set as your current sound scheme and cannot be deleted. To delete this sound "
                               L"scheme, change your sound scheme and try to delete again.";
// How long a command that must not open anything may take.
constexpr DWORD kQuickCommandMs = 2000;

struct Line {
    std::wstring text;
    std::wstring schemeKey;
    std::wstring displayName;
    bool isCurrent;
};

class OptionsDialogTest : public RegistrySandbox {
protected:
    // The typical profile ("Windows Default", "No Sounds", "Quiet Office", the
    // first current) and two schemes whose keys sort the other way round than
    // their names.
    void SeedProfile()
    {
        SeedTypicalProfile();
        AddScheme(L"aaa", L"Zebra");
        AddScheme(L"zzz", L"Aardvark");
        AddSlot(L".Default", L"MailBeep", L"C:\\Windows\\media\\Windows Notify Email.wav",
                {{L".Default", L"C:\\Windows\\media\\Windows Notify Email.wav"},
                 {L"aaa", L"C:\\Windows\\media\\zebra.wav"},
                 {L"zzz", L"C:\\Windows\\media\\aardvark.wav"}});
    }

    void TearDown() override
    {
        thread_.reset();
        RegistrySandbox::TearDown();
    }

    // Opens the Options dialog through its entry point, owned by no window.
    HWND Open()
    {
        thread_ = std::make_unique<ModalDialogThread>([] { RunOptionsDialog(nullptr, GetModuleHandleW(nullptr)); });
        dialog_ = thread_->WaitForWindow(kTitle);
        return dialog_;
    }

    bool WaitUntilClosed() { return thread_->WaitUntilFinished(); }

    HWND List() const { return GetDlgItem(dialog_, IDC_SCHEME_LIST); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
    LRESULT Selection() const { return SendMessageW(List(), LB_GETCURSEL, 0, 0); }

    std::vector<Line> Lines() const
    {
        std::vector<Line> lines;
        const LRESULT count = SendMessageW(List(), LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[300] = {};
            if (SendMessageW(List(), LB_GETTEXTLEN, i, 0) < 300)
                SendMessageW(List(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            Line line{text, L"", L"", false};
            if (const SchemeListEntry* entry = SchemeListEntryAt(List(), i))
                line = {text, entry->schemeKey, entry->displayName, entry->isCurrent};
            lines.push_back(line);
        }
        return lines;
    }

    std::vector<std::wstring> Texts() const
    {
        std::vector<std::wstring> texts;
        for (const Line& line : Lines())
            texts.push_back(line.text);
        return texts;
    }

    // Index of the line that carries this scheme key; -1 when none does.
    LRESULT IndexOfKey(const std::wstring& schemeKey) const
    {
        const std::vector<Line> lines = Lines();
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].schemeKey == schemeKey)
                return static_cast<LRESULT>(i);
        }
        return -1;
    }

    std::vector<std::wstring> CurrentKeys() const
    {
        std::vector<std::wstring> keys;
        for (const Line& line : Lines()) {
            if (line.isCurrent)
                keys.push_back(line.schemeKey);
        }
        return keys;
    }

    // Selects a line the way the list box reports a click on it.
    void SelectLine(LRESULT index)
    {
        ASSERT_GE(index, 0);
        SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SCHEME_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(List()));
    }

    void SelectKey(const std::wstring& schemeKey) { SelectLine(IndexOfKey(schemeKey)); }

    // Presses Delete and answers the confirmation; checks the confirmation.
    void DeleteSelected(int answer)
    {
        PostClick(dialog_, IDC_DELETE);
        const HWND box = thread_->WaitForWindow(kDeleteTitle);
        ASSERT_NE(box, nullptr) << "no confirmation";
        const MessageBoxView view = InspectMessageBox(box);
        EXPECT_EQ(view.text, kConfirmation);
        EXPECT_EQ(view.owner, dialog_);
        EXPECT_EQ(view.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(view.defaultButton, IDNO);
        EXPECT_EQ(view.icon, LoadIconW(nullptr, IDI_QUESTION));
        ASSERT_TRUE(AnswerMessageBox(box, answer));
    }

    // Presses Rename and answers the Rename dialog with the text, or cancels it.
    void RenameSelected(const std::optional<std::wstring>& newName, const std::wstring& expectedShown)
    {
        PostClick(dialog_, IDC_RENAME);
        const HWND rename = thread_->WaitForWindow(L"Dialog");
        ASSERT_NE(rename, nullptr) << "no Rename dialog";
        EXPECT_EQ(GetWindow(rename, GW_OWNER), dialog_);
        EXPECT_FALSE(IsWindowEnabled(dialog_)) << "the Options dialog must wait for the Rename dialog";
        const HWND edit = GetDlgItem(rename, IDC_NEW_NAME);
        EXPECT_EQ(WindowText(edit), expectedShown);
        if (newName) {
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(newName->c_str()));
            PostClick(rename, IDOK);
        } else {
            PostClick(rename, IDCANCEL);
        }
        ASSERT_TRUE(WaitUntilDestroyed(rename));
        SyncWith(dialog_);
    }

    std::optional<std::wstring> StoredDisplayValue(const std::wstring& schemeKey) const
    {
        const std::optional<StoredValue> value = GetValue(L"AppEvents\\Schemes\\Names\\" + schemeKey);
        if (!value)
            return std::nullopt;
        return value->Text();
    }

    std::wstring CurrentScheme() const
    {
        const std::optional<StoredValue> value = GetValue(L"AppEvents\\Schemes");
        return value ? value->Text() : L"(none)";
    }

    std::optional<DWORD> KeepDefault() const
    {
        const std::optional<StoredValue> value = GetValue(kSettingsPath, L"KeepDefault");
        if (!value || value->type != REG_DWORD || value->ByteCount() != 4)
            return std::nullopt;
        DWORD number = 0;
        std::memcpy(&number, value->bytes.data(), 4);
        return number;
    }

    bool Checked() const { return SendDlgItemMessageW(dialog_, IDC_KEEP_DEFAULT, BM_GETCHECK, 0, 0) == BST_CHECKED; }

    std::unique_ptr<ModalDialogThread> thread_;
    HWND dialog_ = nullptr;
};

// With HUSHLARK_SCREENSHOT naming a .bmp file, keeps a picture of the window
// for a look at the dialog.
void SaveScreenshotIfAsked(HWND window)
{
    const char* path = std::getenv("HUSHLARK_SCREENSHOT");
    if (path && *path) {
        // Let the dialog's thread paint everything first.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        SyncWith(window);
        EXPECT_TRUE(SaveWindowPicture(window, path));
    }
}

TEST_F(OptionsDialogTest, OpensCentredWithSortedLinesNothingSelectedAndEditButtonsDisabled)
{
    SeedProfile();
    ASSERT_NE(Open(), nullptr);

    EXPECT_EQ(Texts(),
              (std::vector<std::wstring>{L"Aardvark", L"No Sounds", L"Quiet Office", L"Windows Default", L"Zebra"}));
    EXPECT_EQ(CurrentKeys(), std::vector<std::wstring>{L".Default"});
    EXPECT_EQ(Selection(), LB_ERR);
    EXPECT_FALSE(Enabled(IDC_DELETE));
    EXPECT_FALSE(Enabled(IDC_RENAME));
    EXPECT_TRUE(Enabled(IDC_SET));
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_TRUE(Enabled(IDC_KEEP_DEFAULT));
    EXPECT_EQ(GetDlgItem(dialog_, IDCANCEL), nullptr);

    EXPECT_TRUE(IsCentredOnDesktop(dialog_));

    SaveScreenshotIfAsked(dialog_);
    PostClick(dialog_, IDOK);
    EXPECT_TRUE(WaitUntilClosed());
}

TEST_F(OptionsDialogTest, CheckBoxShowsKeepDefaultAsAnyNonzeroValue)
{
    struct Case {
        std::optional<DWORD> stored; // none: the settings key does not exist
        bool checked;
    };
    const Case cases[] = {{std::nullopt, true}, {0, false}, {1, true}, {7, true}, {0xFFFFFFFF, true}};
    SeedProfile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? std::to_string(*c.stored) : std::string("no settings key"));
        DeleteTree(kSettingsPath);
        if (c.stored)
            SetDword(kSettingsPath, L"KeepDefault", *c.stored);
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Checked(), c.checked);
        PostClick(dialog_, IDOK);
        ASSERT_TRUE(WaitUntilClosed());
        // Opening alone writes nothing.
        EXPECT_EQ(KeepDefault(), c.stored);
    }
}

TEST_F(OptionsDialogTest, CheckBoxClicksWriteKeepDefaultAtOnce)
{
    SeedProfile();
    SetDword(kSettingsPath, L"KeepDefault", 0);
    ASSERT_NE(Open(), nullptr);
    ASSERT_FALSE(Checked());

    Click(dialog_, IDC_KEEP_DEFAULT);
    EXPECT_TRUE(Checked());
    EXPECT_EQ(KeepDefault(), std::optional<DWORD>(1));
    Click(dialog_, IDC_KEEP_DEFAULT);
    EXPECT_FALSE(Checked());
    EXPECT_EQ(KeepDefault(), std::optional<DWORD>(0));
    Click(dialog_, IDC_KEEP_DEFAULT);
    EXPECT_EQ(KeepDefault(), std::optional<DWORD>(1));

    // Closing does not undo the write.
    PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntilClosed());
    EXPECT_EQ(KeepDefault(), std::optional<DWORD>(1));
}

TEST_F(OptionsDialogTest, DeleteAndRenameFollowTheSelectedLinesText)
{
    SeedProfile();
    AddScheme(L"UserQuiet", L"no sounds");
    AddScheme(L"UserDefault", L"WINDOWS DEFAULT");
    AddScheme(L"Spaced", L"No Sounds ");
    ASSERT_NE(Open(), nullptr);

    const std::pair<const wchar_t*, bool> cases[] = {
        {L"QuietOffice", true}, {L".None", false},     {L"zzz", true}, {L".Default", false},
        {L"Spaced", true},      {L"UserQuiet", false}, {L"aaa", true}, {L"UserDefault", false},
    };
    for (const auto& [schemeKey, enabled] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(schemeKey)));
        SelectKey(schemeKey);
        EXPECT_EQ(Enabled(IDC_DELETE), enabled);
        EXPECT_EQ(Enabled(IDC_RENAME), enabled);
        EXPECT_TRUE(Enabled(IDC_SET));
    }
}

TEST_F(OptionsDialogTest, DeletingTheCurrentSchemeIsConfirmedThenRefused)
{
    SeedProfile();
    SetCurrentSchemeValue(L"quietoffice");
    ASSERT_NE(Open(), nullptr);
    SelectKey(L"QuietOffice");
    ASSERT_TRUE(Enabled(IDC_DELETE));

    DeleteSelected(IDYES);
    const HWND refusal = thread_->WaitForWindow(kDeleteTitle);
    ASSERT_NE(refusal, nullptr) << "no refusal";
    const MessageBoxView view = InspectMessageBox(refusal);
    EXPECT_EQ(view.text, kRefusal);
    EXPECT_EQ(view.owner, dialog_);
    EXPECT_EQ(view.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(view.icon, LoadIconW(nullptr, IDI_HAND));
    ASSERT_TRUE(AnswerMessageBox(refusal, IDOK));
    SyncWith(dialog_);

    EXPECT_EQ(StoredDisplayValue(L"QuietOffice"), std::optional<std::wstring>(L"Quiet Office"));
    EXPECT_TRUE(GetSchemeValue(L".Default", L"SystemAsterisk", L"QuietOffice").has_value());
    EXPECT_EQ(Lines().size(), 5u);
    EXPECT_EQ(Selection(), LB_ERR);
    EXPECT_TRUE(Enabled(IDC_DELETE));
    EXPECT_TRUE(Enabled(IDC_RENAME));
}

TEST_F(OptionsDialogTest, DeclinedDeleteKeepsTheSchemeAndStillRebuildsTheList)
{
    SeedProfile();
    ASSERT_NE(Open(), nullptr);
    SelectKey(L"QuietOffice");

    // A scheme that another program adds meanwhile shows up after the refill.
    AddScheme(L"Late", L"Late Arrival");
    DeleteSelected(IDNO);
    SyncWith(dialog_);

    EXPECT_EQ(StoredDisplayValue(L"QuietOffice"), std::optional<std::wstring>(L"Quiet Office"));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"Aardvark", L"Late Arrival", L"No Sounds", L"Quiet Office",
                                                  L"Windows Default", L"Zebra"}));
    EXPECT_EQ(Selection(), LB_ERR);
    EXPECT_TRUE(Enabled(IDC_DELETE));
    EXPECT_TRUE(Enabled(IDC_RENAME));
}

TEST_F(OptionsDialogTest, SuccessfulDeleteRemovesTheSchemeAndItsLine)
{
    SeedProfile();
    ASSERT_NE(Open(), nullptr);
    SelectKey(L"aaa");
    DeleteSelected(IDYES);
    SyncWith(dialog_);

    EXPECT_FALSE(KeyExists(L"AppEvents\\Schemes\\Names\\aaa"));
    EXPECT_FALSE(GetSchemeValue(L".Default", L"MailBeep", L"aaa").has_value());
    EXPECT_TRUE(GetSchemeValue(L".Default", L"MailBeep", L"zzz").has_value());
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"Aardvark", L"No Sounds", L"Quiet Office", L"Windows Default"}));
    EXPECT_EQ(Selection(), LB_ERR);
    EXPECT_FALSE(Enabled(IDC_DELETE));
    EXPECT_FALSE(Enabled(IDC_RENAME));
}

TEST_F(OptionsDialogTest, CancelledRenameChangesNothingAndKeepsTheSelection)
{
    SeedProfile();
    ASSERT_NE(Open(), nullptr);
    SelectKey(L"QuietOffice");
    const LRESULT selected = Selection();

    RenameSelected(std::nullopt, L"Quiet Office");

    EXPECT_EQ(StoredDisplayValue(L"QuietOffice"), std::optional<std::wstring>(L"Quiet Office"));
    EXPECT_EQ(Selection(), selected) << "a refill would have cleared the selection";
    EXPECT_TRUE(Enabled(IDC_DELETE));
    EXPECT_TRUE(Enabled(IDC_RENAME));
}

TEST_F(OptionsDialogTest, RenameStoresTheWholeNameAndShowsItAtItsSortedPlace)
{
    SeedProfile();
    ASSERT_NE(Open(), nullptr);

    SelectKey(L"QuietOffice");
    RenameSelected(L"Zoo of quiet offices and long names", L"Quiet Office");
    EXPECT_EQ(StoredDisplayValue(L"QuietOffice"), std::optional<std::wstring>(L"Zoo of quiet offices and long names"));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"Aardvark", L"No Sounds", L"Windows Default", L"Zebra",
                                                  L"Zoo of quiet offices and long names"}));
    EXPECT_EQ(IndexOfKey(L"QuietOffice"), 4);
    EXPECT_EQ(Selection(), LB_ERR);
    EXPECT_TRUE(Enabled(IDC_DELETE)) << "a rename leaves the buttons as they were";

    SelectKey(L"QuietOffice");
    RenameSelected(L"B", L"Zoo of quiet offices and long names");
    const std::optional<StoredValue> stored = GetValue(L"AppEvents\\Schemes\\Names\\QuietOffice");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored->bytes, TextBytes(L"B"));
    EXPECT_EQ(IndexOfKey(L"QuietOffice"), 1);

    // Scheme values and key stay as they were.
    EXPECT_TRUE(GetSchemeValue(L".Default", L"SystemAsterisk", L"QuietOffice").has_value());
}

TEST_F(OptionsDialogTest, SetAppliesTheSchemeAndMovesTheCurrentMark)
{
    SeedProfile();
    ASSERT_NE(Open(), nullptr);
    SelectKey(L"aaa");
    Click(dialog_, IDC_SET);

    EXPECT_EQ(CurrentScheme(), L"aaa");
    const std::optional<StoredValue> defaultScheme = GetValue(kSettingsPath, L"DefaultScheme");
    ASSERT_TRUE(defaultScheme.has_value());
    EXPECT_EQ(defaultScheme->Text(), L"aaa");
    const std::optional<StoredValue> mailBeep = GetCurrentSound(L".Default", L"MailBeep");
    ASSERT_TRUE(mailBeep.has_value());
    EXPECT_EQ(mailBeep->Text(), L"C:\\Windows\\media\\zebra.wav");
    EXPECT_EQ(CurrentKeys(), std::vector<std::wstring>{L"aaa"});
    EXPECT_EQ(Selection(), LB_ERR);
    EXPECT_TRUE(Enabled(IDC_DELETE)) << "Set leaves the buttons as they were";

    // The applied scheme is now the one that cannot be deleted.
    SelectKey(L"aaa");
    DeleteSelected(IDYES);
    const HWND refusal = thread_->WaitForWindow(kDeleteTitle);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(InspectMessageBox(refusal).text, kRefusal);
    ASSERT_TRUE(AnswerMessageBox(refusal, IDOK));
    SyncWith(dialog_);
    EXPECT_TRUE(KeyExists(L"AppEvents\\Schemes\\Names\\aaa"));

    // The system schemes can be set too.
    SelectKey(L".None");
    Click(dialog_, IDC_SET);
    EXPECT_EQ(CurrentScheme(), L".None");
    EXPECT_EQ(CurrentKeys(), std::vector<std::wstring>{L".None"});
}

TEST_F(OptionsDialogTest, SchemesWithTheSameNameEachActOnTheirOwnKey)
{
    SeedProfile();
    AddScheme(L"KeyA", L"Office");
    AddScheme(L"KeyB", L"office");
    AddSlot(L"Explorer", L"Navigating", L"", {{L"KeyA", L"a.wav"}, {L"KeyB", L"b.wav"}});
    ASSERT_NE(Open(), nullptr);
    const std::vector<Line> lines = Lines();
    ASSERT_EQ(lines.size(), 7u);
    for (const Line& line : lines)
        EXPECT_EQ(line.text, line.displayName);

    SelectKey(L"KeyB");
    Click(dialog_, IDC_SET);
    EXPECT_EQ(CurrentScheme(), L"KeyB");
    EXPECT_EQ(GetCurrentSound(L"Explorer", L"Navigating")->Text(), L"b.wav");
    EXPECT_EQ(CurrentKeys(), std::vector<std::wstring>{L"KeyB"});

    SelectKey(L"KeyA");
    RenameSelected(L"Office A", L"Office");
    EXPECT_EQ(StoredDisplayValue(L"KeyA"), std::optional<std::wstring>(L"Office A"));
    EXPECT_EQ(StoredDisplayValue(L"KeyB"), std::optional<std::wstring>(L"office"));

    SelectKey(L"KeyA");
    DeleteSelected(IDYES);
    SyncWith(dialog_);
    EXPECT_FALSE(KeyExists(L"AppEvents\\Schemes\\Names\\KeyA"));
    EXPECT_TRUE(KeyExists(L"AppEvents\\Schemes\\Names\\KeyB"));
    EXPECT_EQ(IndexOfKey(L"KeyA"), -1);
    EXPECT_NE(IndexOfKey(L"KeyB"), -1);
}

TEST_F(OptionsDialogTest, CommandsWithoutASelectedLineDoNothing)
{
    SeedProfile();
    ASSERT_NE(Open(), nullptr);
    // After a Set the list has no selection while Delete and Rename stay enabled.
    SelectKey(L"QuietOffice");
    Click(dialog_, IDC_SET);
    ASSERT_EQ(Selection(), LB_ERR);
    ASSERT_TRUE(Enabled(IDC_DELETE));
    SetCurrentSchemeValue(L".Default");

    for (const int id : {IDC_SET, IDC_DELETE, IDC_RENAME}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(ClickWithin(dialog_, id, kQuickCommandMs)) << "the command opened a window";
        EXPECT_FALSE(thread_->ShowsWindow(kDeleteTitle));
        EXPECT_FALSE(thread_->ShowsWindow(L"Dialog"));
    }
    EXPECT_EQ(CurrentScheme(), L".Default");
    EXPECT_EQ(Lines().size(), 5u);

    // A line without a record (which the dialog never makes) is left alone too.
    SendMessageW(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Bare line"));
    SelectLine(
        SendMessageW(List(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Bare line")));
    ASSERT_NE(Selection(), LB_ERR);
    for (const int id : {IDC_SET, IDC_DELETE, IDC_RENAME}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(ClickWithin(dialog_, id, kQuickCommandMs)) << "the command opened a window";
    }
    EXPECT_EQ(CurrentScheme(), L".Default");
    EXPECT_EQ(Lines().size(), 6u);
}

TEST_F(OptionsDialogTest, CloseEscAndTheCloseBoxEndTheDialogWithZero)
{
    SeedProfile();
    enum class Way { CloseButton, EscKey, CloseBox };
    for (const Way way : {Way::CloseButton, Way::EscKey, Way::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(way));
        INT_PTR result = -2;
        HWND dialog = nullptr;
        {
            ModalDialogThread thread([&] {
                result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS), nullptr,
                                         OptionsDialogProc, 0);
            });
            dialog = thread.WaitForWindow(kTitle);
            ASSERT_NE(dialog, nullptr);
            switch (way) {
            case Way::CloseButton:
                PostClick(dialog, IDOK);
                break;
            case Way::EscKey:
                PostMessageW(GetDlgItem(dialog, IDC_SCHEME_LIST), WM_KEYDOWN, VK_ESCAPE, 1);
                break;
            case Way::CloseBox:
                PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                break;
            }
            ASSERT_TRUE(thread.WaitUntilFinished());
        }
        EXPECT_EQ(result, 0);
        EXPECT_FALSE(IsWindow(dialog));
    }
}

} // namespace
