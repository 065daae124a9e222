#include "dialogs/options_dialog.h"

#include <optional>
#include <string>

#include "dialogs/dialog_placement.h"
#include "dialogs/failure_box.h"
#include "mute/change_message.h"
#include "dialogs/rename_dialog.h"
#include "dialogs/scheme_list.h"
#include "engine/scheme_store.h"
#include "mute/mute_control.h"
#include "mute/timed_off.h"
#include "resources/resource.h"

namespace {

// Stateless: every call reads or writes the registry.
const ProgramSettings settings;

constexpr wchar_t kDeleteTitle[] = L"Delete Sound Scheme";

HWND SchemeList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_SCHEME_LIST);
}

// A copy of the selected line's record: the line may be refilled while a
// message box or the Rename dialog is open. None when no line is selected.
std::optional<SchemeListEntry> SelectedEntry(HWND dialog)
{
    const HWND list = SchemeList(dialog);
    const SchemeListEntry* entry = SchemeListEntryAt(list, SendMessageW(list, LB_GETCURSEL, 0, 0));
    if (!entry)
        return std::nullopt;
    return *entry;
}

void EnableEditButtons(HWND dialog, bool enable)
{
    EnableWindow(GetDlgItem(dialog, IDC_DELETE), enable);
    EnableWindow(GetDlgItem(dialog, IDC_RENAME), enable);
}

// Fills the list afresh. No line is selected afterwards, so Delete and
// Rename wait for one.
void Refill(HWND dialog, const SchemeStore& store)
{
    FillSchemeList(SchemeList(dialog), store.ListSchemes());
    EnableEditButtons(dialog, false);
}

void OnInitDialog(HWND dialog)
{
    CentreOnDesktop(dialog);
    const SchemeStore store;
    Refill(dialog, store);
    // Any nonzero value is on, also the -1 of a settings key that cannot be opened.
    const WPARAM check = settings.ReadKeepDefault() != 0 ? BST_CHECKED : BST_UNCHECKED;
    SendDlgItemMessageW(dialog, IDC_KEEP_DEFAULT, BM_SETCHECK, check, 0);
}

void OnSelectionChange(HWND dialog)
{
    const HWND list = SchemeList(dialog);
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index < 0) {
        EnableEditButtons(dialog, false);
        return;
    }
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    std::wstring text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length));
        // std::wstring keeps room for the NUL that LB_GETTEXT adds.
        const LRESULT copied =
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        if (copied >= 0 && copied < length)
            text.resize(static_cast<size_t>(copied));
    }
    EnableEditButtons(dialog, !IsProtectedSchemeLine(text));
}

// Why the scheme may not be deleted now, from the registry as it is after the
// user confirmed; none when it may.
const wchar_t* DeleteRefusal(const SchemeStore& store, const std::wstring& schemeKey)
{
    const std::wstring currentScheme = store.ReadCurrentScheme();
    if (NamesEqual(schemeKey, currentScheme))
        return L"This is set as your current sound scheme and cannot be deleted. To delete this sound scheme, "
               L"change your sound scheme and try to delete again.";
    // By key, whatever they are shown as.
    if (NamesEqual(schemeKey, L".Default") || NamesEqual(schemeKey, L".None"))
        return L"Windows Default and No Sounds are part of Windows and cannot be deleted.";
    if (IsSilentScheme(currentScheme) && NamesEqual(schemeKey, settings.ReadLastSound().value_or(L"")))
        return L"Turn Sounds On will bring back this sound scheme, so it cannot be deleted while sounds are off.";
    return nullptr;
}

void OnDelete(HWND dialog)
{
    const std::optional<SchemeListEntry> entry = SelectedEntry(dialog);
    if (!entry)
        return;
    const int answer = MessageBoxW(dialog, L"Are you sure you want to delete this sound scheme?", kDeleteTitle,
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    const SchemeStore store;
    if (answer == IDYES) {
        // The box ran a message loop: the tray may have changed the scheme.
        if (const wchar_t* refusal = DeleteRefusal(store, entry->schemeKey)) {
            MessageBoxW(dialog, refusal, kDeleteTitle, MB_ICONERROR);
        } else {
            const std::wstring failure = FailureMessage(store.DeleteScheme(entry->schemeKey));
            Refill(dialog, store);
            ShowFailure(dialog, failure);
            return;
        }
    }
    Refill(dialog, store);
}

void OnRename(HWND dialog)
{
    const std::optional<SchemeListEntry> entry = SelectedEntry(dialog);
    if (!entry)
        return;
    const std::optional<std::wstring> newName = RunRenameDialog(dialog, entry->schemeKey, entry->displayName);
    if (!newName)
        return;
    const SchemeStore store;
    const std::wstring failure = FailureMessage(store.RenameScheme(entry->schemeKey, *newName));
    Refill(dialog, store);
    ShowFailure(dialog, failure);
}

void OnSet(HWND dialog)
{
    const std::optional<SchemeListEntry> entry = SelectedEntry(dialog);
    if (!entry)
        return;
    const SchemeStore store;
    const std::wstring failure = FailureMessage(ChooseScheme(store, entry->schemeKey));
    Refill(dialog, store);
    ShowFailure(dialog, failure);
}

void OnKeepDefaultClicked(HWND dialog, HWND checkBox)
{
    // The auto check box has already toggled itself when the command arrives.
    if (!checkBox)
        checkBox = GetDlgItem(dialog, IDC_KEEP_DEFAULT);
    const bool checked = SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const LONG written = settings.WriteKeepDefault(checked ? 1 : 0);
    if (written != ERROR_SUCCESS)
        ShowFailure(dialog, SettingsFailureMessage(written));
}

INT_PTR OnCommand(HWND dialog, WORD id, WORD notification, HWND control)
{
    switch (id) {
    case IDOK:
    case IDCANCEL: // Esc and the close box; the template has no control with this id
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_SCHEME_LIST:
        if (notification == LBN_SELCHANGE)
            OnSelectionChange(dialog);
        break;
    case IDC_DELETE:
        OnDelete(dialog);
        break;
    case IDC_RENAME:
        OnRename(dialog);
        break;
    case IDC_SET:
        OnSet(dialog);
        break;
    case IDC_KEEP_DEFAULT:
        if (notification == BN_CLICKED)
            OnKeepDefaultClicked(dialog, control);
        break;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY:
        // The lines own their records: none may outlive the dialog.
        ClearSchemeList(SchemeList(dialog));
        return FALSE;
    }
    return FALSE;
}

void RunOptionsDialog(HWND owner, HINSTANCE instance)
{
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_OPTIONS), owner, OptionsDialogProc, 0);
}
