#include "dialogs/quiet_hours_dialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "dialogs/dialog_placement.h"
#include "dialogs/failure_box.h"
#include "mute/change_message.h"
#include "mute/quiet_settings.h"
#include "mute/quiet_text.h"
#include "resources/resource.h"
#include "win32/text.h"

namespace {

// What the dialog changes until OK: the periods as shown, and QuietHours as
// it was read, whose strings that do not parse OK keeps in place.
struct QuietHoursEdit {
    std::vector<std::wstring> stored;
    std::vector<QuietPeriod> periods;
};

constexpr int kFirstDefaultStart = 22 * 60;
constexpr int kFirstDefaultEnd = 7 * 60;

QuietHoursEdit* EditOf(HWND dialog)
{
    return reinterpret_cast<QuietHoursEdit*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

HWND PeriodList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_PERIOD_LIST);
}

void SetPicker(HWND dialog, int id, int minutes)
{
    SYSTEMTIME time = {};
    GetLocalTime(&time);
    time.wHour = static_cast<WORD>(minutes / 60);
    time.wMinute = static_cast<WORD>(minutes % 60);
    time.wSecond = 0;
    time.wMilliseconds = 0;
    SendDlgItemMessageW(dialog, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

int PickerMinutes(HWND dialog, int id)
{
    SYSTEMTIME time = {};
    if (SendDlgItemMessageW(dialog, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID)
        return 0;
    return time.wHour * 60 + time.wMinute;
}

void ShowDays(HWND dialog, WeekDays days)
{
    for (int day = 0; day < 7; ++day)
        CheckDlgButton(dialog, IDC_DAY_MONDAY + day, (days >> day & 1) ? BST_CHECKED : BST_UNCHECKED);
}

WeekDays CheckedDays(HWND dialog)
{
    WeekDays days = 0;
    for (int day = 0; day < 7; ++day) {
        if (IsDlgButtonChecked(dialog, IDC_DAY_MONDAY + day) == BST_CHECKED)
            days |= static_cast<WeekDays>(1 << day);
    }
    return days;
}

void FillList(HWND dialog, const QuietHoursEdit& edit)
{
    const HWND list = PeriodList(dialog);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const QuietPeriod& period : edit.periods)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PeriodDisplayText(period).c_str()));
    EnableWindow(GetDlgItem(dialog, IDC_REMOVE_PERIOD), FALSE);
}

void Refuse(HWND dialog, UINT textId)
{
    MessageBoxW(dialog, LoadText(textId).c_str(), LoadText(IDS_QUIET_HOURS_TITLE).c_str(), MB_ICONERROR);
}

INT_PTR OnInitDialog(HWND dialog, LPARAM lParam)
{
    // The edit belongs to RunQuietHoursDialog's caller and outlives the dialog.
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    CentreOnDesktop(dialog);
    QuietHoursEdit* edit = EditOf(dialog);
    if (!edit)
        return TRUE;
    const QuietSettings settings = ReadQuietSettings();
    edit->stored = settings.quietHours;
    edit->periods = settings.Periods();
    CheckDlgButton(dialog, IDC_QUIET_HOURS_ON, settings.switchedOn.Has(QuietRule::Hours) ? BST_CHECKED : BST_UNCHECKED);
    for (const int picker : {IDC_PERIOD_FROM, IDC_PERIOD_TO})
        SendDlgItemMessageW(dialog, picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH':'mm"));
    SetPicker(dialog, IDC_PERIOD_FROM, kFirstDefaultStart);
    SetPicker(dialog, IDC_PERIOD_TO, kFirstDefaultEnd);
    ShowDays(dialog, kEveryDay);
    FillList(dialog, *edit);
    return TRUE;
}

void OnSelectionChange(HWND dialog, const QuietHoursEdit& edit)
{
    const LRESULT index = SendMessageW(PeriodList(dialog), LB_GETCURSEL, 0, 0);
    const bool selected = index >= 0 && static_cast<std::size_t>(index) < edit.periods.size();
    EnableWindow(GetDlgItem(dialog, IDC_REMOVE_PERIOD), selected);
    if (!selected)
        return;
    const QuietPeriod& period = edit.periods[static_cast<std::size_t>(index)];
    SetPicker(dialog, IDC_PERIOD_FROM, period.start);
    SetPicker(dialog, IDC_PERIOD_TO, period.end);
    ShowDays(dialog, period.days);
}

void OnAdd(HWND dialog, QuietHoursEdit& edit)
{
    const QuietPeriod period{PickerMinutes(dialog, IDC_PERIOD_FROM), PickerMinutes(dialog, IDC_PERIOD_TO),
                             CheckedDays(dialog)};
    if (period.start == period.end)
        return Refuse(dialog, IDS_QUIET_SAME_START_AND_END);
    if (period.days == 0)
        return Refuse(dialog, IDS_QUIET_NO_DAY);
    if (edit.periods.size() >= kMaxQuietPeriods)
        return Refuse(dialog, IDS_QUIET_TOO_MANY);
    edit.periods.push_back(period);
    FillList(dialog, edit);
}

void OnRemove(HWND dialog, QuietHoursEdit& edit)
{
    const LRESULT index = SendMessageW(PeriodList(dialog), LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= edit.periods.size())
        return;
    edit.periods.erase(edit.periods.begin() + index);
    FillList(dialog, edit);
}

void OnOk(HWND dialog, const QuietHoursEdit& edit)
{
    LONG status = WriteQuietHours(WithPeriods(edit.stored, edit.periods));
    if (status == ERROR_SUCCESS)
        status = WriteRuleSwitch(QuietRule::Hours, IsDlgButtonChecked(dialog, IDC_QUIET_HOURS_ON) == BST_CHECKED);
    if (status != ERROR_SUCCESS) {
        // The dialog stays open, so that nothing the user set is lost.
        ShowFailure(dialog, SettingsFailureMessage(status));
        return;
    }
    EndDialog(dialog, 1);
}

INT_PTR OnCommand(HWND dialog, WORD id, WORD notification)
{
    QuietHoursEdit* edit = EditOf(dialog);
    if (!edit)
        return FALSE;
    switch (id) {
    case IDOK:
        OnOk(dialog, *edit);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_PERIOD_LIST:
        if (notification == LBN_SELCHANGE)
            OnSelectionChange(dialog, *edit);
        return TRUE;
    case IDC_ADD_PERIOD:
        OnAdd(dialog, *edit);
        return TRUE;
    case IDC_REMOVE_PERIOD:
        OnRemove(dialog, *edit);
        return TRUE;
    }
    return FALSE;
}

} // namespace

INT_PTR CALLBACK QuietHoursDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, lParam);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

void RunQuietHoursDialog(HWND owner)
{
    QuietHoursEdit edit;
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_QUIET_HOURS), owner, QuietHoursDialogProc,
                    reinterpret_cast<LPARAM>(&edit));
}
