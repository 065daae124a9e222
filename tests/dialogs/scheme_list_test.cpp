#include "dialogs/scheme_list.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/scheme_store.h"
#include "tests/support/registry_sandbox.h"

namespace {

TEST(SchemeListRule, OnlyTheSystemSchemesShownNamesAreProtected)
{
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"No Sounds", true},          {L"no sounds", true},        {L"NO SOUNDS", true},
        {L"Windows Default", true},    {L"windows default", true},  {L"No Sounds ", false},
        {L" No Sounds", false},        {L"NoSounds", false},        {L"Windows", false},
        {L"Windows Default 2", false}, {L"@mmsys.cpl,-801", false}, {L"", false},
        {L"Quiet Office", false},
    };
    for (const auto& [text, isProtected] : cases)
        EXPECT_EQ(IsProtectedSchemeLine(text), isProtected) << testing::PrintToString(std::wstring(text));
}

// A sorted list box like the Options dialog's, without the dialog.
class SchemeListTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        listBox_ = CreateWindowExW(0, L"ListBox", L"", WS_POPUP | LBS_SORT | LBS_HASSTRINGS, 0, 0, 200, 200, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(listBox_, nullptr);
    }

    void TearDown() override
    {
        ClearSchemeList(listBox_);
        DestroyWindow(listBox_);
        RegistrySandbox::TearDown();
    }

    struct Line {
        std::wstring text;
        const SchemeListEntry* entry;
    };

    std::vector<Line> Lines() const
    {
        std::vector<Line> lines;
        const LRESULT count = SendMessageW(listBox_, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[300] = {};
            if (SendMessageW(listBox_, LB_GETTEXTLEN, i, 0) < 300)
                SendMessageW(listBox_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            lines.push_back({text, SchemeListEntryAt(listBox_, i)});
        }
        return lines;
    }

    std::vector<std::wstring> KeysInLineOrder() const
    {
        std::vector<std::wstring> keys;
        for (const Line& line : Lines())
            keys.push_back(line.entry ? line.entry->schemeKey : L"(none)");
        return keys;
    }

    HWND listBox_ = nullptr;
    SchemeStore store_;
};

TEST_F(SchemeListTest, LinesAreSortedByDisplayNameAndEachCarriesItsOwnScheme)
{
    SetCurrentSchemeValue(L".default");
    AddScheme(L".Default", L"@mmsys.cpl,-800");
    AddScheme(L".None", L"@MMSYS.CPL,-801");
    AddScheme(L"aaa", L"Zebra");
    AddScheme(L"QuietOffice", L"quiet office");
    AddScheme(L"zzz", L"Aardvark");

    store_.FillSchemeList(listBox_);

    const std::vector<Line> lines = Lines();
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"Aardvark", L"zzz"},
        {L"No Sounds", L".None"},
        {L"quiet office", L"QuietOffice"},
        {L"Windows Default", L".Default"},
        {L"Zebra", L"aaa"},
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_NE(lines[i].entry, nullptr) << "line " << i;
        EXPECT_EQ(lines[i].text, expected[i].first);
        EXPECT_EQ(lines[i].entry->displayName, expected[i].first);
        EXPECT_EQ(lines[i].entry->schemeKey, expected[i].second);
        // The current scheme is compared without regard to case.
        EXPECT_EQ(lines[i].entry->isCurrent, expected[i].second == L".Default") << "line " << i;
    }
    EXPECT_EQ(SendMessageW(listBox_, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(SchemeListTest, NoLineIsCurrentWhenTheCurrentSchemeNamesNone)
{
    for (const wchar_t* current : {L".current", L"", L"Default"}) {
        SetCurrentSchemeValue(current);
        AddScheme(L".Default", L"@mmsys.cpl,-800");
        AddScheme(L".None", L"@mmsys.cpl,-801");
        store_.FillSchemeList(listBox_);
        ASSERT_EQ(Lines().size(), 2u);
        for (const Line& line : Lines())
            EXPECT_FALSE(line.entry->isCurrent) << testing::PrintToString(std::wstring(current));
    }
}

TEST_F(SchemeListTest, EqualNamesKeepTheirOwnKeysInTheSameOrderAtEveryFill)
{
    AddScheme(L"KeyB", L"Office");
    AddScheme(L"KeyA", L"office");
    AddScheme(L"KeyC", L"OFFICE");
    AddScheme(L"KeyD", L"Office");
    AddScheme(L"Other", L"Attic");
    SetCurrentSchemeValue(L"KeyC");

    store_.FillSchemeList(listBox_);
    const std::vector<std::wstring> firstOrder = KeysInLineOrder();
    ASSERT_EQ(firstOrder.size(), 5u);
    EXPECT_EQ(firstOrder[0], L"Other");
    std::vector<std::wstring> keys(firstOrder.begin() + 1, firstOrder.end());
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"KeyA", L"KeyB", L"KeyC", L"KeyD"}));
    for (const Line& line : Lines()) {
        EXPECT_EQ(line.text, line.entry->displayName);
        EXPECT_EQ(line.entry->isCurrent, line.entry->schemeKey == L"KeyC");
    }

    store_.FillSchemeList(listBox_);
    EXPECT_EQ(KeysInLineOrder(), firstOrder);
}

TEST_F(SchemeListTest, ClearSkipsLinesWithoutARecordAndEmptiesTheList)
{
    AddScheme(L"Alpha", L"Alpha");
    store_.FillSchemeList(listBox_);
    // A line that another piece of code added without a record.
    SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Bare"));
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(SchemeListEntryAt(listBox_, 1), nullptr);
    EXPECT_EQ(SchemeListEntryAt(listBox_, 2), nullptr);
    EXPECT_EQ(SchemeListEntryAt(listBox_, LB_ERR), nullptr);

    ClearSchemeList(listBox_);
    EXPECT_EQ(SendMessageW(listBox_, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(SchemeListTest, NullListBoxIsIgnored)
{
    AddScheme(L"Alpha", L"Alpha");
    ClearSchemeList(nullptr);
    store_.FillSchemeList(nullptr);
    EXPECT_EQ(SchemeListEntryAt(nullptr, 0), nullptr);
    EXPECT_EQ(SendMessageW(listBox_, LB_GETCOUNT, 0, 0), 0);
}

} // namespace
