#include "mute/startup_entry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// The program a Run value starts, as another program or an older version may
// have written it.
TEST(ProgramOfCommand, QuotedOrUpToItsExeAndNothingForNoProgram)
{
    const std::pair<std::wstring, std::optional<std::wstring>> cases[] = {
        {L"\"C:\\Program Files\\Hushlark\\Hushlark.exe\" /l", L"C:\\Program Files\\Hushlark\\Hushlark.exe"},
        {L"C:\\Program Files\\Hushlark\\Hushlark.exe /l", L"C:\\Program Files\\Hushlark\\Hushlark.exe"},
        {L"  C:\\My Tools\\Hushlark.EXE", L"C:\\My Tools\\Hushlark.EXE"},
        {L"C:\\v1.exec\\Old Copy\\Hushlark.exe /l", L"C:\\v1.exec\\Old Copy\\Hushlark.exe"},
        {L"C:\\Tools\\hushlark /l", L"C:\\Tools\\hushlark"},
        {L"\"\" /l", std::nullopt},
        {L"\"C:\\Program Files\\Hushlark.exe /l", std::nullopt},
        {L"   ", std::nullopt},
    };
    for (const auto& [command, program] : cases)
        EXPECT_EQ(ProgramOfCommand(command), program) << testing::PrintToString(command);
}

} // namespace
