#include "dialogs/rename_dialog.h"

#include <utility>

#include "dialogs/dialog_placement.h"
#include "dialogs/scheme_list.h"
#include "engine/scheme_paths.h"
#include "engine/scheme_store.h"
#include "resources/resource.h"
#include "win32/text.h"

namespace {

RenameRequest* RequestOf(HWND dialog)
{
    return reinterpret_cast<RenameRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void SelectWholeName(HWND dialog)
{
    const HWND edit = GetDlgItem(dialog, IDC_NEW_NAME);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
}

INT_PTR OnInitDialog(HWND dialog, LPARAM lParam)
{
    // The request belongs to RunRenameDialog's caller and outlives the dialog.
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    CentreOnDesktop(dialog);
    // Typing stops at the longest name the program gives a scheme.
    SendDlgItemMessageW(dialog, IDC_NEW_NAME, EM_LIMITTEXT, scheme_paths::kMaxSchemeNameLength, 0);
    if (const RenameRequest* request = RequestOf(dialog))
        SetDlgItemTextW(dialog, IDC_NEW_NAME, request->shownName.c_str());
    SelectWholeName(dialog);
    // FALSE keeps the focus where SelectWholeName put it.
    return FALSE;
}

// Refuses the name with a box and keeps the dialog open for another.
void Refuse(HWND dialog, UINT reasonId)
{
    MessageBoxW(dialog, LoadText(reasonId).c_str(), LoadText(IDS_RENAME_TITLE).c_str(), MB_ICONERROR);
    SelectWholeName(dialog);
}

// Why a name may not be given to the scheme: a text id, or 0. Names are
// compared without regard to letter case, against the schemes as they are now.
UINT NameRefusal(const std::wstring& schemeKey, const std::wstring& name)
{
    // A scheme shown as a Windows scheme could not be told from it.
    if (IsReservedSchemeName(name))
        return IDS_RENAME_RESERVED;
    for (const SchemeEntry& scheme : SchemeStore().ListSchemes().schemes) {
        if (!NamesEqual(scheme.key, schemeKey) && NamesEqual(scheme.shownName, name))
            return IDS_RENAME_TAKEN;
    }
    return 0;
}

void OnOk(HWND dialog)
{
    const LRESULT length = SendDlgItemMessageW(dialog, IDC_NEW_NAME, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) {
        Refuse(dialog, IDS_RENAME_BLANK);
        return;
    }
    std::wstring text(static_cast<size_t>(length), L'\0');
    // The buffer holds length + 1 characters: std::wstring keeps room for the NUL.
    const LRESULT copied =
        SendDlgItemMessageW(dialog, IDC_NEW_NAME, WM_GETTEXT, text.size() + 1, reinterpret_cast<LPARAM>(text.data()));
    if (copied >= 0 && copied < length)
        text.resize(static_cast<size_t>(copied));
    RenameRequest* request = RequestOf(dialog);
    if (!request)
        return;
    if (const UINT refusal = NameRefusal(request->schemeKey, text)) {
        Refuse(dialog, refusal);
        return;
    }
    request->newName = std::move(text);
    EndDialog(dialog, 1);
}

} // namespace

INT_PTR CALLBACK RenameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, lParam);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

std::optional<std::wstring> RunRenameDialog(HWND owner, const std::wstring& schemeKey, const std::wstring& shownName)
{
    RenameRequest request{schemeKey, shownName, std::nullopt};
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_RENAME), owner,
                                           RenameDialogProc, reinterpret_cast<LPARAM>(&request));
    if (result != 1)
        return std::nullopt;
    return std::move(request.newName);
}
