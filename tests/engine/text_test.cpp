#include "win32/text.h"

#include <gtest/gtest.h>

#include "resources/resource.h"

// Every test executable carries the string table, as the programs do.
TEST(Text, TheStringTableIsLinkedInAndAMissingIdGivesNothing)
{
    EXPECT_EQ(LoadText(IDS_PROGRAM_NAME), L"Hushlark");
    EXPECT_EQ(LoadText(1), L"");
}

TEST(Text, PlaceholdersAreFilledInOrderAndOthersStay)
{
    struct Case {
        const wchar_t* pattern;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"Some sounds could not be changed (%1 of %2).", L"Some sounds could not be changed (3 of 74)."},
        {L"%2 before %1", L"74 before 3"},
        {L"100%% and %1%", L"100% and 3%"},
        {L"%3 has no argument", L"%3 has no argument"},
        {L"ends with %", L"ends with %"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatPattern(c.pattern, {L"3", L"74"}), c.expected) << c.pattern;
}
