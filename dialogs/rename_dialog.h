#pragma once

#include <windows.h>

#include <optional>
#include <string>

// What the Rename dialog is given and what it hands back. The dialog keeps a
// pointer to it (creation parameter, then DWLP_USER) until it ends, so it must
// outlive the dialog.
struct RenameRequest {
    std::wstring schemeKey;
    std::wstring shownName;
    std::optional<std::wstring> newName;
};

// Dialog procedure of template IDD_RENAME. The creation parameter is a
// RenameRequest*. Ends with 1 (OK, with `newName` set to the whole text of the
// edit box) or 0 (Cancel, Esc, close box; `newName` untouched). A blank name,
// the name of a Windows scheme and the name of another scheme are refused with
// a message, and the dialog stays open.
INT_PTR CALLBACK RenameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Asks for a new name of the scheme `schemeKey`, showing `shownName` fully
// selected. The new name on OK, none on Cancel (or when the dialog cannot be
// shown).
std::optional<std::wstring> RunRenameDialog(HWND owner, const std::wstring& schemeKey, const std::wstring& shownName);
