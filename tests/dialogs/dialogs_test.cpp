#include "dialogs/options_dialog.h"
#include "dialogs/rename_dialog.h"

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/scheme_list.h"
#include "resources/resource.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/support/registry_sandbox.h"
#include "win32/registry.h"

namespace {

const std::wstring kNames = L"AppEvents\\Schemes\\Names\\";
constexpr wchar_t kCurrentRefusal[] = L"This is set as your current sound scheme and cannot be deleted. To delete this "
                                      L"sound scheme, change your sound scheme and try to delete again.";

class OptionsDialogTest : public RegistrySandbox {
protected:
    // The typical profile and two schemes whose keys sort against their names.
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
        AddScheme(L"aaa", L"Zebra");
        AddScheme(L"zzz", L"Aardvark");
    }

    void TearDown() override
    {
        thread_.reset();
        RegistrySandbox::TearDown();
    }

    HWND Open()
    {
        thread_ = std::make_unique<ModalDialogThread>([this] {
            result_ = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS), nullptr,
                                      OptionsDialogProc, 0);
        });
        return dialog_ = thread_->WaitForWindow(L"Hushlark Options");
    }

    bool EndsWithZero() { return thread_->WaitUntilFinished() && result_ == 0 && !IsWindow(dialog_); }

    HWND List() const { return GetDlgItem(dialog_, IDC_SCHEME_LIST); }
    bool Checked() const { return SendDlgItemMessageW(dialog_, IDC_KEEP_DEFAULT, BM_GETCHECK, 0, 0) == BST_CHECKED; }

    // Delete and Rename share one state; Set is never disabled.
    std::wstring EditButtons() const
    {
        const bool remove = IsWindowEnabled(GetDlgItem(dialog_, IDC_DELETE));
        const bool rename = IsWindowEnabled(GetDlgItem(dialog_, IDC_RENAME));
        const wchar_t* set = IsWindowEnabled(GetDlgItem(dialog_, IDC_SET)) ? L"" : L", Set off";
        return (remove != rename ? L"mixed" : remove ? L"on" : L"off") + std::wstring(set);
    }

    // Whether the line's scheme is the current one, letter case ignored.
    static bool IsCurrentEntry(const SchemeListEntry* entry)
    {
        return entry && NamesEqual(entry->schemeKey, SchemeStore().ReadCurrentScheme());
    }

    // The lines as shown: the selected one in brackets, the current scheme's
    // marked '*', one whose record has another name marked '?'; then the
    // buttons' state.
    std::wstring State() const
    {
        std::wstring state;
        for (LRESULT i = 0; i < SendMessageW(List(), LB_GETCOUNT, 0, 0); ++i) {
            std::wstring text(static_cast<size_t>(SendMessageW(List(), LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(List(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            text.resize(std::wcslen(text.c_str()));
            const SchemeListEntry* entry = SchemeListEntryAt(List(), i);
            const bool selected = SendMessageW(List(), LB_GETCURSEL, 0, 0) == i;
            state += (i > 0 ? L"|" : L"") + std::wstring(selected ? L"[" : L"") + text +
                     (IsCurrentEntry(entry) ? L"*" : L"") + (entry && entry->displayName == text ? L"" : L"?") +
                     (selected ? L"]" : L"");
        }
        return state + L" (edit " + EditButtons() + L")";
    }

    LRESULT IndexOfKey(const std::wstring& schemeKey) const
    {
        for (LRESULT i = 0; i < SendMessageW(List(), LB_GETCOUNT, 0, 0); ++i) {
            if (const SchemeListEntry* entry = SchemeListEntryAt(List(), i); entry && entry->schemeKey == schemeKey)
                return i;
        }
        return -1;
    }

    bool IsCurrent(const std::wstring& schemeKey) const
    {
        return IsCurrentEntry(SchemeListEntryAt(List(), IndexOfKey(schemeKey)));
    }

    // Selects the line the way a click on it does.
    void SelectKey(const std::wstring& schemeKey)
    {
        SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(IndexOfKey(schemeKey)), 0);
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SCHEME_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(List()));
    }

    // Presses Delete and answers the confirmation; `refusal`: the text of the
    // refusal that follows, which is closed.
    bool Delete(int answer, const wchar_t* refusal = nullptr, const std::function<void()>& whileAsked = nullptr)
    {
        PostClick(dialog_, IDC_DELETE);
        const HWND box = thread_->WaitForWindow(L"Delete Sound Scheme");
        EXPECT_EQ(InspectMessageBox(box), MessageBoxView(dialog_, L"Are you sure you want to delete this sound scheme?",
                                                         {IDYES, IDNO}, IDNO, LoadIconW(nullptr, IDI_QUESTION)));
        if (whileAsked)
            whileAsked();
        bool answered = box && ClickAndWaitUntilGone(box, answer);
        if (answered && refusal) {
            const HWND refused = thread_->WaitForWindow(L"Delete Sound Scheme");
            EXPECT_EQ(InspectMessageBox(refused),
                      MessageBoxView(dialog_, refusal, {IDOK}, IDOK, LoadIconW(nullptr, IDI_HAND)));
            answered = refused && ClickAndWaitUntilGone(refused, IDOK);
        }
        SyncWith(dialog_);
        return answered;
    }

    // Presses Rename, enters the name and expects it refused with `reason`;
    // the Rename dialog stays open until it is cancelled.
    bool RenameRefused(const std::wstring& newName, const wchar_t* reason)
    {
        PostClick(dialog_, IDC_RENAME);
        const HWND rename = thread_->WaitForWindow(L"Dialog");
        SendDlgItemMessageW(rename, IDC_NEW_NAME, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(newName.c_str()));
        PostClick(rename, IDOK);
        const HWND refused = thread_->WaitForWindow(L"Rename Sound Scheme");
        EXPECT_EQ(InspectMessageBox(refused),
                  MessageBoxView(rename, reason, {IDOK}, IDOK, LoadIconW(nullptr, IDI_HAND)));
        const bool closed = refused && ClickAndWaitUntilGone(refused, IDOK);
        EXPECT_TRUE(IsWindow(rename)) << "the dialog stays open for another name";
        const bool cancelled = ClickAndWaitUntilGone(rename, IDCANCEL);
        SyncWith(dialog_);
        return closed && cancelled;
    }

    // Presses Rename, checks the Rename dialog and enters the name (none: Cancel).
    bool Rename(const std::wstring& shown, const std::optional<std::wstring>& newName)
    {
        PostClick(dialog_, IDC_RENAME);
        const HWND rename = thread_->WaitForWindow(L"Dialog");
        EXPECT_EQ(GetWindow(rename, GW_OWNER), dialog_);
        EXPECT_FALSE(IsWindowEnabled(dialog_)) << "the Options dialog must wait for the Rename dialog";
        const HWND edit = GetDlgItem(rename, IDC_NEW_NAME);
        EXPECT_EQ(WindowText(edit), shown);
        if (newName)
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(newName->c_str()));
        const bool gone = rename && ClickAndWaitUntilGone(rename, newName ? IDOK : IDCANCEL);
        SyncWith(dialog_);
        return gone;
    }

    // A stored value: a DWORD as "dword N", anything else as its text.
    std::wstring Stored(const std::wstring& path, const wchar_t* name = nullptr) const
    {
        const std::optional<StoredValue> value = GetValue(path, name);
        DWORD number = 0;
        if (!value || value->type != REG_DWORD || value->ByteCount() != sizeof(number))
            return value ? value->Text() : L"(none)";
        std::memcpy(&number, value->bytes.data(), sizeof(number));
        return L"dword " + std::to_wstring(number);
    }

    std::unique_ptr<ModalDialogThread> thread_;
    INT_PTR result_ = -2;
    HWND dialog_ = nullptr;
};

TEST_F(OptionsDialogTest, OpeningSetTheButtonRuleAndSchemesWithTheSameName)
{
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(State(), L"Aardvark|No Sounds|Quiet Office|Windows Default*|Zebra (edit off)");
    EXPECT_TRUE(Checked()) << "no settings key reads as -1";
    EXPECT_TRUE(IsCentredOnDesktop(dialog_));

    // Set applies the scheme, keeps it as the default scheme and moves the mark.
    SelectKey(L"QuietOffice");
    ASSERT_TRUE(Click(dialog_, IDC_SET));
    EXPECT_EQ(Stored(L"AppEvents\\Schemes"), L"QuietOffice");
    EXPECT_EQ(Stored(kSettingsPath, L"DefaultScheme"), L"QuietOffice");
    EXPECT_EQ(Stored(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current"), L"C:\\Windows\\media\\chimes.wav");
    // After a refill no line is selected, and Delete and Rename wait for one.
    const std::wstring state = L"Aardvark|No Sounds|Quiet Office*|Windows Default|Zebra (edit off)";
    EXPECT_EQ(State(), state);

    // With no line selected, the commands do nothing.
    for (const int id : {IDC_SET, IDC_DELETE, IDC_RENAME})
        EXPECT_TRUE(Click(dialog_, id, 2000)) << "command " << id << " opened a window";
    EXPECT_EQ(Stored(L"AppEvents\\Schemes"), L"QuietOffice");
    EXPECT_EQ(State(), state);

    // The applied scheme is now the one that cannot be deleted: confirmation,
    // refusal, nothing deleted, and the list rebuilt all the same.
    SelectKey(L"QuietOffice");
    ASSERT_TRUE(Delete(IDYES, kCurrentRefusal));
    EXPECT_EQ(Stored(kNames + L"QuietOffice"), L"Quiet Office");
    EXPECT_TRUE(GetSchemeValue(L".Default", L"SystemAsterisk", L"QuietOffice").has_value());
    EXPECT_EQ(State(), state);

    // Another program adds schemes named like others; they show up at the next
    // refill. The system schemes can be set too.
    AddScheme(L"UserQuiet", L"no sounds");
    AddScheme(L"UserDefault", L"WINDOWS DEFAULT");
    AddScheme(L"Spaced", L"No Sounds ");
    AddScheme(L"KeyA", L"Office");
    AddScheme(L"KeyB", L"office");
    AddSlot(L"Explorer", L"Navigating", L"", {{L"KeyA", L"a.wav"}, {L"KeyB", L"b.wav"}});
    SelectKey(L".None");
    ASSERT_TRUE(Click(dialog_, IDC_SET));
    EXPECT_EQ(Stored(L"AppEvents\\Schemes"), L".None");

    // The button rule goes by the scheme's key, whatever its line shows.
    const std::pair<const wchar_t*, const wchar_t*> rule[] = {
        {L"QuietOffice", L"on"}, {L".None", L"off"},    {L"zzz", L"on"},  {L".Default", L"off"},
        {L"Spaced", L"on"},      {L"UserQuiet", L"on"}, {L"KeyA", L"on"}, {L"UserDefault", L"on"},
    };
    for (const auto& [schemeKey, buttons] : rule) {
        SelectKey(schemeKey);
        EXPECT_EQ(EditButtons(), buttons) << testing::PrintToString(std::wstring(schemeKey));
    }

    // Equal names: each line acts on its own scheme.
    EXPECT_EQ(IndexOfKey(L"KeyA") + IndexOfKey(L"KeyB"), 4 + 5) << "lines 4 and 5, in either order";
    SelectKey(L"KeyB");
    ASSERT_TRUE(Click(dialog_, IDC_SET));
    EXPECT_EQ(Stored(SlotPath(L"Explorer", L"Navigating") + L"\\.Current"), L"b.wav");
    EXPECT_TRUE(IsCurrent(L"KeyB"));
    EXPECT_FALSE(IsCurrent(L"KeyA"));
    SelectKey(L"KeyA");
    ASSERT_TRUE(Rename(L"Office", L"Office A"));
    EXPECT_EQ(Stored(kNames + L"KeyA"), L"Office A");
    EXPECT_EQ(Stored(kNames + L"KeyB"), L"office");
    SelectKey(L"KeyA");
    ASSERT_TRUE(Delete(IDYES));
    EXPECT_FALSE(KeyExists(kNames + L"KeyA"));
    EXPECT_TRUE(IsCurrent(L"KeyB"));

    PostMessageW(List(), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(EndsWithZero());
    EXPECT_EQ(Stored(kSettingsPath, L"KeepDefault"), L"(none)") << "opening alone writes nothing";
}

TEST_F(OptionsDialogTest, DeleteRenameAndTheCheckBox)
{
    SetCurrentSchemeValue(L"quietoffice");
    SetDword(kSettingsPath, L"KeepDefault", 0);
    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(Checked());
    EXPECT_EQ(State(), L"Aardvark|No Sounds|Quiet Office*|Windows Default|Zebra (edit off)");

    // Declined: nothing deleted, yet the list is rebuilt (with a scheme added meanwhile).
    SelectKey(L"aaa");
    AddScheme(L"Late", L"Late Arrival");
    ASSERT_TRUE(Delete(IDNO));
    EXPECT_TRUE(KeyExists(kNames + L"aaa"));
    EXPECT_EQ(State(), L"Aardvark|Late Arrival|No Sounds|Quiet Office*|Windows Default|Zebra (edit off)");

    // Rename cancelled: nothing changes and no refill clears the selection.
    SelectKey(L"QuietOffice");
    ASSERT_TRUE(Rename(L"Quiet Office", std::nullopt));
    EXPECT_EQ(Stored(kNames + L"QuietOffice"), L"Quiet Office");
    EXPECT_EQ(State(), L"Aardvark|Late Arrival|No Sounds|[Quiet Office*]|Windows Default|Zebra (edit on)");

    // Renamed: the whole new name, at its sorted place.
    ASSERT_TRUE(Rename(L"Quiet Office", L"Zoo of quiet offices and long names"));
    EXPECT_EQ(Stored(kNames + L"QuietOffice"), L"Zoo of quiet offices and long names");
    EXPECT_EQ(State(),
              L"Aardvark|Late Arrival|No Sounds|Windows Default|Zebra|Zoo of quiet offices and long names* (edit off)");

    // Deleted: the scheme and its line are gone, the buttons disabled.
    SelectKey(L"aaa");
    ASSERT_TRUE(Delete(IDYES));
    EXPECT_FALSE(KeyExists(kNames + L"aaa"));
    EXPECT_EQ(State(),
              L"Aardvark|Late Arrival|No Sounds|Windows Default|Zoo of quiet offices and long names* (edit off)");

    // Each click of the check box writes at once; closing undoes nothing.
    for (const DWORD expected : {1u, 0u, 1u}) {
        ASSERT_TRUE(Click(dialog_, IDC_KEEP_DEFAULT));
        EXPECT_EQ(Checked(), expected == 1);
        EXPECT_EQ(Stored(kSettingsPath, L"KeepDefault"), L"dword " + std::to_wstring(expected));
    }
    PostClick(dialog_, IDOK);
    EXPECT_TRUE(EndsWithZero());
    EXPECT_EQ(Stored(kSettingsPath, L"KeepDefault"), L"dword 1");
}

TEST_F(OptionsDialogTest, DeleteAndRenameRefuseWhatIsStillNeeded)
{
    DeleteTree(kNames + L".Default");
    CreateKey(kNames + L".Default"); // no display value: listed by its key
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(State(), L".Default*|Aardvark|No Sounds|Quiet Office|Zebra (edit off)");

    // The Windows schemes by key, whatever they are shown as.
    SetCurrentSchemeValue(L"QuietOffice");
    SelectKey(L".Default");
    ASSERT_TRUE(Delete(IDYES, L"Windows Default and No Sounds are part of Windows and cannot be deleted."));
    EXPECT_TRUE(KeyExists(kNames + L".Default"));

    // Chosen from the tray while the question was open: the registry decides.
    SelectKey(L"aaa");
    ASSERT_TRUE(Delete(IDYES, kCurrentRefusal, [this] { SetCurrentSchemeValue(L"aaa"); }));
    EXPECT_TRUE(KeyExists(kNames + L"aaa"));

    // While sounds are off, the scheme Turn Sounds On brings back stays.
    SetCurrentSchemeValue(L".None");
    SetText(kSettingsPath, L"LastSound", L"AAA");
    SelectKey(L"aaa");
    ASSERT_TRUE(Delete(IDYES, L"Turn Sounds On will bring back this sound scheme, so it cannot be deleted while "
                              L"sounds are off."));
    EXPECT_TRUE(KeyExists(kNames + L"aaa"));

    // Names of the Windows schemes and of other schemes, in any case.
    SelectKey(L"zzz");
    ASSERT_TRUE(RenameRefused(L"no sounds", L"This name belongs to a Windows sound scheme."));
    ASSERT_TRUE(RenameRefused(L"WINDOWS DEFAULT", L"This name belongs to a Windows sound scheme."));
    // Nor a name that would show as one of them.
    for (const wchar_t* reference : {L"@mmres.dll,-801", L"@MMSYS.CPL,-800", L"@mmsys.cpl,-801", L"@mmres.dll,-800"})
        ASSERT_TRUE(RenameRefused(reference, L"This name belongs to a Windows sound scheme.")) << reference;
    ASSERT_TRUE(RenameRefused(L"zebra", L"Another sound scheme already has this name."));
    EXPECT_EQ(Stored(kNames + L"zzz"), L"Aardvark");
    SelectKey(L"zzz");
    ASSERT_TRUE(Rename(L"Aardvark", L"AARDVARK")) << "its own name in another case";
    EXPECT_EQ(Stored(kNames + L"zzz"), L"AARDVARK");
    PostClick(dialog_, IDOK);
    EXPECT_TRUE(EndsWithZero());
}

TEST_F(OptionsDialogTest, ASchemeShownAsASystemSchemeCanBeRenamedBackOrDeleted)
{
    // Named so by another program, or by an earlier version of this one.
    AddScheme(L"StuckQuiet", L"@mmres.dll,-801");
    AddScheme(L"StuckDefault", L"@MMSYS.CPL,-800");
    ASSERT_NE(Open(), nullptr);
    for (const auto& [schemeKey, buttons] : {std::pair(L".None", L"off"), std::pair(L"StuckQuiet", L"on"),
                                             std::pair(L".Default", L"off"), std::pair(L"StuckDefault", L"on")}) {
        SelectKey(schemeKey);
        EXPECT_EQ(EditButtons(), buttons) << testing::PrintToString(std::wstring(schemeKey));
    }

    SelectKey(L"StuckQuiet");
    ASSERT_TRUE(Rename(L"No Sounds", L"Quiet Again"));
    EXPECT_EQ(Stored(kNames + L"StuckQuiet"), L"Quiet Again");
    SelectKey(L"StuckDefault");
    ASSERT_TRUE(Delete(IDYES));
    EXPECT_FALSE(KeyExists(kNames + L"StuckDefault"));
    EXPECT_EQ(State(), L"Aardvark|No Sounds|Quiet Again|Quiet Office|Windows Default*|Zebra (edit off)");
    PostClick(dialog_, IDOK);
    EXPECT_TRUE(EndsWithZero());
}

TEST_F(OptionsDialogTest, SetOnASchemeDeletedMeanwhileSaysSoAndFillsTheListAgain)
{
    ASSERT_NE(Open(), nullptr);
    SelectKey(L"zzz");
    // Another program deletes the scheme while its line is selected.
    DeleteTree(kNames + L"zzz");
    const auto before = Contents();
    PostClick(dialog_, IDC_SET);
    const HWND box = thread_->WaitForWindow(L"Hushlark");
    EXPECT_EQ(InspectMessageBox(box), MessageBoxView(dialog_, L"This sound scheme no longer exists.", {IDOK}, IDOK,
                                                     LoadIconW(nullptr, IDI_EXCLAMATION)));
    EXPECT_EQ(State(), L"[Aardvark]|No Sounds|Quiet Office|Windows Default*|Zebra (edit on)") << "told first";
    ASSERT_TRUE(ClickAndWaitUntilGone(box, IDOK));
    SyncWith(dialog_);
    EXPECT_EQ(State(), L"No Sounds|Quiet Office|Windows Default*|Zebra (edit off)");
    EXPECT_EQ(Contents(), before) << "nothing was applied";
    EXPECT_EQ(Stored(kSettingsPath, L"DefaultScheme"), L"(none)");
    PostClick(dialog_, IDOK);
    EXPECT_TRUE(EndsWithZero());
}

TEST_F(OptionsDialogTest, AKeepDefaultClickThatCannotBeSavedSaysSoAndShowsWhatIsStored)
{
    // The settings key cannot be made below a volatile parent.
    CreateKey(L"Software");
    HKEY parent = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillfen", 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                              nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(Checked()) << "no settings key reads as on";

    PostClick(dialog_, IDC_KEEP_DEFAULT);
    const HWND box = thread_->WaitForWindow(L"Hushlark");
    EXPECT_EQ(InspectMessageBox(box),
              MessageBoxView(dialog_,
                             L"Hushlark's settings could not be saved.\nSoftware\\Quillfen\\Hushlark\n" +
                                 registry::ErrorText(ERROR_CHILD_MUST_BE_VOLATILE),
                             {IDOK}, IDOK, LoadIconW(nullptr, IDI_EXCLAMATION)));
    EXPECT_TRUE(Checked()) << "the check box shows what is stored";
    ASSERT_TRUE(ClickAndWaitUntilGone(box, IDOK));
    SyncWith(dialog_);
    EXPECT_TRUE(Checked());
    EXPECT_FALSE(KeyExists(kSettingsPath));
    PostClick(dialog_, IDOK);
    EXPECT_TRUE(EndsWithZero());
}

TEST_F(OptionsDialogTest, SetThatCannotSaveTheSoundsInUseChangesNothingAndSaysSo)
{
    SetCurrentSchemeValue(L".current");
    MakeSlotVolatile(L"Explorer", L"Navigating");
    const auto before = Contents();
    ASSERT_NE(Open(), nullptr);
    SelectKey(L"QuietOffice");
    PostClick(dialog_, IDC_SET);
    const HWND box = thread_->WaitForWindow(L"Hushlark");
    EXPECT_EQ(InspectMessageBox(box),
              MessageBoxView(dialog_,
                             L"Your current sounds could not be saved, so nothing was changed.\n" +
                                 SlotPath(L"Explorer", L"Navigating") + L"\\.Hushlark0\n" +
                                 registry::ErrorText(ERROR_CHILD_MUST_BE_VOLATILE),
                             {IDOK}, IDOK, LoadIconW(nullptr, IDI_EXCLAMATION)));
    ASSERT_TRUE(ClickAndWaitUntilGone(box, IDOK));
    SyncWith(dialog_);
    EXPECT_EQ(Contents(), before);
    PostClick(dialog_, IDOK);
    EXPECT_TRUE(EndsWithZero());
}

TEST(RenameDialog, TypingStopsAtTheLongestNameTheProgramGives)
{
    RenameRequest request{L"QuietOffice", L"Quiet Office", std::nullopt};
    ModalDialogThread thread([&] {
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RENAME), nullptr, RenameDialogProc,
                        reinterpret_cast<LPARAM>(&request));
    });
    const HWND dialog = thread.WaitForWindow(L"Dialog");
    ASSERT_NE(dialog, nullptr);
    const HWND edit = GetDlgItem(dialog, IDC_NEW_NAME);
    const std::wstring almost(999, L'n');
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(almost.c_str()));
    SendMessageW(edit, EM_SETSEL, 999, 999);
    for (const wchar_t c : {L'a', L'b', L'c'})
        SendMessageW(edit, WM_CHAR, c, 1);
    EXPECT_EQ(WindowText(edit), almost + L"a");
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog, IDOK));
    EXPECT_EQ(request.newName, almost + L"a");
}

TEST(RenameDialog, OpensWithTheWholeNameSelectedAndHandsBackTheWholeNewOne)
{
    struct Case {
        const wchar_t* shown;
        std::wstring typed;
        int control; // what gets the message ending the dialog; 0: the dialog itself
        UINT message;
        WPARAM wParam;
        bool ok;
        const char* what;
        bool blankFirst = false;
    };
    const Case cases[] = {
        {L"Quiet Office", L"Quiet Office for the long afternoons", IDOK, BM_CLICK, 0, true, "longer"},
        {L"Quiet Office", L"Q", IDC_NEW_NAME, WM_KEYDOWN, VK_RETURN, true, "Enter; shorter, nothing of the old left"},
        {L"Quiet Office", L"   ", IDOK, BM_CLICK, 0, true, "only spaces is not blank"},
        {L"Q", std::wstring(400, L'n'), IDOK, BM_CLICK, 0, true, "beyond any fixed buffer"},
        {L"", L"Tab\tand \x00e9\x4e2d", IDC_NEW_NAME, WM_KEYDOWN, VK_RETURN, true, "Enter; tab and beyond ASCII"},
        {L"Quiet Office", L"Back Again", IDOK, BM_CLICK, 0, true, "a blank name is refused, the dialog stays", true},
        {L"Quiet Office", L"Typed", IDCANCEL, BM_CLICK, 0, false, "Cancel"},
        {L"Quiet Office", L"Typed", IDC_NEW_NAME, WM_KEYDOWN, VK_ESCAPE, false, "Esc"},
        {L"Quiet Office", L"Typed", 0, WM_SYSCOMMAND, SC_CLOSE, false, "close box"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Opened the way the Options dialog opens it, on a thread of its own.
        RenameRequest request{L"QuietOffice", c.shown, std::nullopt};
        INT_PTR result = -2;
        ModalDialogThread thread([&] {
            result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RENAME), nullptr, RenameDialogProc,
                                     reinterpret_cast<LPARAM>(&request));
        });
        const HWND dialog = thread.WaitForWindow(L"Dialog");
        ASSERT_NE(dialog, nullptr);
        const HWND edit = GetDlgItem(dialog, IDC_NEW_NAME);

        EXPECT_EQ(WindowText(edit), c.shown);
        EXPECT_EQ(SendMessageW(edit, EM_GETSEL, 0, 0), MAKELRESULT(0, std::wstring(c.shown).size())) << "all selected";
        EXPECT_EQ(FocusInDialog(dialog), edit);
        EXPECT_TRUE(IsCentredOnDesktop(dialog));
        SendMessageW(edit, WM_CHAR, L'X', 1);
        EXPECT_EQ(WindowText(edit), L"X") << "typing replaces the whole name";

        if (c.blankFirst) {
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
            PostClick(dialog, IDOK);
            const HWND box = thread.WaitForWindow(L"Rename Sound Scheme");
            EXPECT_EQ(InspectMessageBox(box),
                      MessageBoxView(dialog, L"The name cannot be blank.", {IDOK}, IDOK, LoadIconW(nullptr, IDI_HAND)));
            ASSERT_TRUE(box && ClickAndWaitUntilGone(box, IDOK));
            SyncWith(dialog);
            EXPECT_TRUE(IsWindowVisible(dialog));
            EXPECT_EQ(request.newName, std::nullopt);
            EXPECT_EQ(FocusInDialog(dialog), edit);
        }
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed.c_str()));
        PostMessageW(c.control ? GetDlgItem(dialog, c.control) : dialog, c.message, c.wParam, 0);
        // OK ends with 1 and the whole new name; every other way with 0 and no name.
        ASSERT_TRUE(thread.WaitUntilFinished()) << "the dialog did not end";
        EXPECT_EQ(result, c.ok ? 1 : 0);
        EXPECT_EQ(request.newName, c.ok ? std::optional<std::wstring>(c.typed) : std::nullopt);
        EXPECT_EQ(request.shownName, c.shown);
    }
}

} // namespace
