#include "dialogs/options_dialog.h"

#include <commctrl.h>

#include <optional>
#include <string>

#include "dialogs/dialog_placement.h"
#include "dialogs/failure_box.h"
#include "dialogs/quiet_hours_dialog.h"
#include "dialogs/rename_dialog.h"
#include "dialogs/scheme_list.h"
#include "engine/scheme_store.h"
#include "mute/change_message.h"
#include "mute/hotkey.h"
#include "mute/hotkey_message.h"
#include "mute/mute_control.h"
#include "mute/timed_off.h"
#include "resources/resource.h"
#include "win32/text.h"

namespace {

// Stateless: every call reads or writes the registry.
const ProgramSettings settings;

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

// Shows what the settings hold: any nonzero value is on, also the -1 of a
// settings key that cannot be opened.
void ShowKeepDefault(HWND dialog)
{
    const WPARAM check = settings.ReadKeepDefault() != 0 ? BST_CHECKED : BST_UNCHECKED;
    SendDlgItemMessageW(dialog, IDC_KEEP_DEFAULT, BM_SETCHECK, check, 0);
}

// The hotkey box's value, as the control reports it.
WORD HotkeyBoxValue(HWND dialog)
{
    return LOWORD(SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0));
}

// Fills the hotkey box from the stored hotkey and keeps what it was filled
// with in the dialog's user slot: the box is applied only when the user
// changed it, so that a change a command made meanwhile stays.
void ShowHotkey(HWND dialog)
{
    const std::optional<Hotkey> stored = ReadHotkey();
    const WORD value = stored ? ControlValue(*stored) : 0;
    SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_SETHOTKEY, value, 0);
    SetWindowLongPtrW(dialog, DWLP_USER, value);
}

// Whether another program holds the combination: registered on this dialog
// for a moment, under an id of its own. The tray program has let go of its
// hotkey while the dialog is open.
DWORD TryHotkey(HWND dialog, const Hotkey& hotkey)
{
    constexpr int kTrialId = 1;
    if (!RegisterHotKey(dialog, kTrialId, hotkey.modifiers | MOD_NOREPEAT, hotkey.key))
        return GetLastError();
    // Registered a moment ago on this window: letting it go cannot fail.
    UnregisterHotKey(dialog, kTrialId);
    return ERROR_SUCCESS;
}

// Applies the hotkey box as the dialog closes: an empty box removes the
// hotkey. False when the combination is refused: a box says why, the old
// hotkey stays stored and the dialog stays open.
bool ApplyHotkey(HWND dialog)
{
    const std::optional<Hotkey> chosen = HotkeyFromControl(HotkeyBoxValue(dialog));
    if (chosen == HotkeyFromControl(static_cast<WORD>(GetWindowLongPtrW(dialog, DWLP_USER))))
        return true;
    std::wstring refusal;
    if (chosen && !IsAllowedHotkey(*chosen))
        refusal = LoadText(IDS_HOTKEY_NOT_ALLOWED);
    else if (const DWORD error = chosen ? TryHotkey(dialog, *chosen) : ERROR_SUCCESS; error != ERROR_SUCCESS)
        refusal = HotkeyRefusal(*chosen, error);
    if (!refusal.empty()) {
        ShowFailure(dialog, refusal);
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_HOTKEY)), TRUE);
        return false;
    }
    // A write that fails is told, and the dialog closes: trying again would
    // fail the same way.
    const LONG error = WriteHotkey(chosen);
    if (error != ERROR_SUCCESS)
        ShowFailure(dialog, SettingsFailureMessage(error));
    return true;
}

void OnInitDialog(HWND dialog)
{
    CentreOnDesktop(dialog);
    const SchemeStore store;
    Refill(dialog, store);
    ShowKeepDefault(dialog);
    ShowHotkey(dialog);
}

void OnSelectionChange(HWND dialog)
{
    // By key: a scheme that another program named like a system scheme can
    // still be renamed or deleted.
    const std::optional<SchemeListEntry> entry = SelectedEntry(dialog);
    EnableEditButtons(dialog, entry && !IsProtectedScheme(entry->schemeKey));
}

// Why the scheme may not be deleted now, from the registry as it is after the
// user confirmed: a text id, or 0 when it may.
UINT DeleteRefusal(const SchemeStore& store, const std::wstring& schemeKey)
{
    const std::wstring currentScheme = store.ReadCurrentScheme();
    if (NamesEqual(schemeKey, currentScheme))
        return IDS_DELETE_CURRENT_REFUSED;
    if (IsProtectedScheme(schemeKey))
        return IDS_DELETE_SYSTEM_REFUSED;
    if (IsSilentScheme(currentScheme) && NamesEqual(schemeKey, settings.ReadLastSound().value_or(L"")))
        return IDS_DELETE_COMES_BACK_REFUSED;
    return 0;
}

void OnDelete(HWND dialog)
{
    const std::optional<SchemeListEntry> entry = SelectedEntry(dialog);
    if (!entry)
        return;
    const std::wstring title = LoadText(IDS_DELETE_TITLE);
    const int answer = MessageBoxW(dialog, LoadText(IDS_DELETE_QUESTION).c_str(), title.c_str(),
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    const SchemeStore store;
    if (answer == IDYES) {
        // The box ran a message loop: the tray may have changed the scheme.
        if (const UINT refusal = DeleteRefusal(store, entry->schemeKey)) {
            MessageBoxW(dialog, LoadText(refusal).c_str(), title.c_str(), MB_ICONERROR);
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
    const SoundChange change = ChooseScheme(store, entry->schemeKey);
    if (change.result == SoundChange::Result::SchemeGone) {
        // Deleted by another program since the list was filled: said first,
        // then the list shows what is there now.
        ShowFailure(dialog, LoadText(IDS_SCHEME_GONE));
        Refill(dialog, store);
        return;
    }
    // A choice by hand: the tray that owns the dialog lets its quiet rules
    // and its timed off follow.
    if (const HWND owner = GetWindow(dialog, GW_OWNER))
        SendMessageW(owner, kChoiceByHandMessage, 0, 0);
    const std::wstring failure = FailureMessage(change);
    Refill(dialog, store);
    ShowFailure(dialog, failure);
}

void OnKeepDefaultClicked(HWND dialog, HWND checkBox)
{
    // The auto check box has already toggled itself when the command arrives.
    if (!checkBox)
        checkBox = GetDlgItem(dialog, IDC_KEEP_DEFAULT);
    const bool checked = SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
    const LONG error = settings.WriteKeepDefault(checked ? 1 : 0);
    // The box shows what the guard will go by, whether or not the write took.
    ShowKeepDefault(dialog);
    if (error != ERROR_SUCCESS)
        ShowFailure(dialog, SettingsFailureMessage(error));
}

INT_PTR OnCommand(HWND dialog, WORD id, WORD notification, HWND control)
{
    switch (id) {
    case IDOK:
    case IDCANCEL: // Esc and the close box; the template has no control with this id
        if (ApplyHotkey(dialog))
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
    case IDC_QUIET_HOURS:
        RunQuietHoursDialog(dialog);
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
