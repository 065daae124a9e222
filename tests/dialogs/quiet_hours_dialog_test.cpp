#include "dialogs/quiet_hours_dialog.h"

#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mute/quiet_settings.h"
#include "resources/resource.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/support/registry_sandbox.h"

namespace {

class QuietHoursDialogTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_DATE_CLASSES};
        InitCommonControlsEx(&controls);
        SetValue(kSettingsPath, L"QuietHours", REG_MULTI_SZ,
                 ListBytes({L"22:00-07:00 daily", L"from another program"}));
    }
    void TearDown() override
    {
        thread_.reset();
        RegistrySandbox::TearDown();
    }

    HWND Open()
    {
        thread_ = std::make_unique<ModalDialogThread>([this] {
            INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_DATE_CLASSES};
            InitCommonControlsEx(&controls);
            RunQuietHoursDialog(nullptr);
        });
        return dialog_ = thread_->WaitForWindow(L"Quiet Hours");
    }

    std::vector<std::wstring> Lines() const
    {
        std::vector<std::wstring> lines;
        const HWND list = GetDlgItem(dialog_, IDC_PERIOD_LIST);
        for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
            std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            text.resize(std::wcslen(text.c_str()));
            lines.push_back(text);
        }
        return lines;
    }

    void Select(int line)
    {
        const HWND list = GetDlgItem(dialog_, IDC_PERIOD_LIST);
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PERIOD_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }

    void SetTime(int picker, int hour, int minute)
    {
        SYSTEMTIME time = {};
        GetLocalTime(&time);
        time.wHour = static_cast<WORD>(hour);
        time.wMinute = static_cast<WORD>(minute);
        SendDlgItemMessageW(dialog_, picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }
    std::wstring Time(int picker) const
    {
        SYSTEMTIME time = {};
        SendDlgItemMessageW(dialog_, picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
        return std::to_wstring(time.wHour) + L":" + std::to_wstring(time.wMinute);
    }
    // "1111100" for Monday to Friday.
    void SetDays(const char* days)
    {
        for (int day = 0; day < 7; ++day)
            CheckDlgButton(dialog_, IDC_DAY_MONDAY + day, days[day] == '1' ? BST_CHECKED : BST_UNCHECKED);
    }
    std::string Days() const
    {
        std::string days;
        for (int day = 0; day < 7; ++day)
            days += IsDlgButtonChecked(dialog_, IDC_DAY_MONDAY + day) == BST_CHECKED ? '1' : '0';
        return days;
    }

    // Presses Add and expects the refusal `reason`; the dialog stays open.
    void AddRefused(const wchar_t* reason)
    {
        PostClick(dialog_, IDC_ADD_PERIOD);
        // The box has the dialog's title: it is the window the dialog owns.
        HWND box = nullptr;
        WaitFor([&] {
            for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", L"Quiet Hours")) != nullptr;) {
                if (GetWindow(w, GW_OWNER) == dialog_ && IsWindowVisible(w))
                    box = w;
            }
            return box != nullptr;
        });
        ASSERT_NE(box, nullptr);
        SyncWith(box);
        EXPECT_EQ(std::get<1>(InspectMessageBox(box)), reason);
        EXPECT_TRUE(ClickAndWaitUntilGone(box, IDOK));
        SyncWith(dialog_);
        EXPECT_TRUE(IsWindow(dialog_));
    }

    std::unique_ptr<ModalDialogThread> thread_;
    HWND dialog_ = nullptr;
};

TEST_F(QuietHoursDialogTest, AddsRemovesAndRefusesAndOkWritesWhatItShows)
{
    ASSERT_TRUE(Open());
    EXPECT_EQ(Lines(), std::vector<std::wstring>{L"22:00 \u2013 07:00, every day"})
        << "what does not parse is not shown";
    EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_QUIET_HOURS_ON), BST_UNCHECKED);

    Select(0);
    EXPECT_EQ(Time(IDC_PERIOD_FROM), L"22:0");
    EXPECT_EQ(Time(IDC_PERIOD_TO), L"7:0");
    EXPECT_EQ(Days(), "1111111");

    SetTime(IDC_PERIOD_FROM, 12, 0);
    SetTime(IDC_PERIOD_TO, 12, 0);
    AddRefused(L"A period must end at another time than it starts.");
    SetTime(IDC_PERIOD_TO, 13, 0);
    SetDays("0000000");
    AddRefused(L"Choose at least one day.");
    SetDays("1111100");
    EXPECT_TRUE(Click(dialog_, IDC_ADD_PERIOD));
    EXPECT_EQ(Lines(),
              (std::vector<std::wstring>{L"22:00 \u2013 07:00, every day", L"12:00 \u2013 13:00, Mon\u2013Fri"}));

    for (int hour = 1; hour <= 6; ++hour) {
        SetTime(IDC_PERIOD_FROM, hour, 0);
        SetTime(IDC_PERIOD_TO, hour, 30);
        EXPECT_TRUE(Click(dialog_, IDC_ADD_PERIOD));
    }
    EXPECT_EQ(Lines().size(), 8u);
    AddRefused(L"Quiet hours hold at most 8 periods.");

    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_, IDC_REMOVE_PERIOD)));
    Select(0);
    EXPECT_TRUE(Click(dialog_, IDC_REMOVE_PERIOD));
    EXPECT_EQ(Lines().size(), 7u);
    EXPECT_EQ(Lines()[0], L"12:00 \u2013 13:00, Mon\u2013Fri");

    CheckDlgButton(dialog_, IDC_QUIET_HOURS_ON, BST_CHECKED);
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog_, IDOK));
    EXPECT_EQ(ReadQuietSettings().quietHours,
              (std::vector<std::wstring>{L"12:00-13:00 mon-fri", L"from another program", L"01:00-01:30 mon-fri",
                                         L"02:00-02:30 mon-fri", L"03:00-03:30 mon-fri", L"04:00-04:30 mon-fri",
                                         L"05:00-05:30 mon-fri", L"06:00-06:30 mon-fri"}))
        << "the string that does not parse keeps its place";
    EXPECT_EQ(GetValue(kSettingsPath, L"QuietHoursOn"), (StoredValue{REG_DWORD, {1, 0, 0, 0}}));
}

TEST_F(QuietHoursDialogTest, CancelWritesNothing)
{
    const auto before = Contents(kSettingsPath);
    ASSERT_TRUE(Open());
    SetTime(IDC_PERIOD_FROM, 12, 0);
    SetTime(IDC_PERIOD_TO, 13, 0);
    EXPECT_TRUE(Click(dialog_, IDC_ADD_PERIOD));
    CheckDlgButton(dialog_, IDC_QUIET_HOURS_ON, BST_CHECKED);
    ASSERT_TRUE(ClickAndWaitUntilGone(dialog_, IDCANCEL));
    EXPECT_EQ(Contents(kSettingsPath), before);
}

} // namespace
