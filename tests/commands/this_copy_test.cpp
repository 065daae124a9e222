// The installers' forms `exit --this-copy` and `startup off --this-copy`: which
// copy of the program is this one, and a start-up entry left alone when it
// starts another.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/command_runner.h"
#include "mute/startup_entry.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"
#include "win32/process.h"

namespace {

constexpr wchar_t kThisCopy[] = L"C:\\Users\\Ann\\AppData\\Local\\Programs\\Hushlark\\Hushlark.exe";

// A process image is this copy when it is the same file, as Windows compares
// names; the image of a process that could not be asked is empty.
TEST(ThisCopy, AnImageIsThisCopyOnlyAtTheSameFullPath)
{
    const std::pair<std::wstring, bool> cases[] = {
        {kThisCopy, true},
        {L"c:\\users\\ann\\appdata\\local\\programs\\HUSHLARK\\hushlark.EXE", true},
        {L"C:/Users/Ann/AppData/Local/Programs/Hushlark/Hushlark.exe", true},
        {L"C:\\Users\\Ann\\Downloads\\Hushlark\\Hushlark.exe", false},
        {L"D:\\Users\\Ann\\AppData\\Local\\Programs\\Hushlark\\Hushlark.exe", false},
        {L"C:\\Users\\Ann\\AppData\\Local\\Programs\\Hushlark\\Hushlark.exe.old", false},
        {L"C:\\Users\\Ann\\AppData\\Local\\Programs\\Hushlark\\hushlark.com", false},
        {L"Hushlark.exe", false},
        {L"", false},
    };
    for (const auto& [image, same] : cases)
        EXPECT_EQ(SamePath(image, kThisCopy), same) << testing::PrintToString(image);
    EXPECT_FALSE(SamePath(L"", L""));
}

// A Run value starts this copy when the program it names is this copy, as
// this program, another program or an older version may have written it.
TEST(ThisCopy, ARunValueStartsThisCopyOnlyWhenItNamesThisCopysFile)
{
    const std::pair<std::wstring, bool> cases[] = {
        {StartupCommand(kThisCopy), true},
        {L"\"C:\\USERS\\ANN\\AppData\\Local\\Programs\\Hushlark\\HUSHLARK.EXE\" /l", true},
        {L"C:\\Users\\Ann\\AppData\\Local\\Programs\\Hushlark\\Hushlark.exe /l", true},
        {L"C:\\Users\\Ann\\AppData\\Local\\Programs\\Hushlark\\Hushlark.exe", true},
        {L"\"C:\\Portable\\Hushlark.exe\" /l", false},
        {L"\"C:\\Users\\Ann\\AppData\\Local\\Programs\\Hushlark\\Hushlark.exe.bak\" /l", false},
        {L"C:\\Users\\Ann\\AppData\\Local\\Programs\\Hushlark\\Hushlark /l", false},
        {L"\"C:\\Users\\Ann\\AppData\\Local\\Programs\\Hushlark\\Hushlark.exe /l", false},
        {L"\"\" /l", false},
        {L"", false},
    };
    for (const auto& [command, starts] : cases)
        EXPECT_EQ(StartsProgram(command, kThisCopy), starts) << testing::PrintToString(command);
}

// `startup off --this-copy` carried out on the registry, where this copy is
// the Hushlark.exe beside the test.
class StartupOffForThisCopy : public RegistrySandbox {
protected:
    static CommandResult Run(const std::vector<std::wstring>& words)
    {
        const std::optional<Command> command = ParseCommand(words);
        EXPECT_TRUE(command.has_value()) << testing::PrintToString(words);
        return command ? ExecuteCommand(*command, SchemeStore(), 0) : CommandResult{kExitUsage, L"", L""};
    }

    // A Run value and a StartupApproved value that marks it disabled.
    void SetEntry(const std::wstring& runCommand)
    {
        SetText(kRunKeyPath, kStartupValueName, runCommand);
        SetValue(kStartupApprovedKeyPath, kStartupValueName, REG_BINARY, {3, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
    }

    static std::map<std::wstring, StoredValue> Entry()
    {
        std::map<std::wstring, StoredValue> entry = RegistryContents(kRunKeyPath);
        entry.merge(RegistryContents(kStartupApprovedKeyPath));
        return entry;
    }
};

TEST_F(StartupOffForThisCopy, RemovesThisCopysEntryAndItsMark)
{
    std::wstring program = TrayProgramPath();
    CharUpperW(program.data());
    SetEntry(StartupCommand(program));
    const CommandResult result = Run({L"startup", L"off", L"--this-copy"});
    EXPECT_EQ(result.exitCode, kExitDone) << result.error;
    EXPECT_EQ(GetValue(kRunKeyPath, kStartupValueName), std::nullopt);
    EXPECT_EQ(GetValue(kStartupApprovedKeyPath, kStartupValueName), std::nullopt);
}

TEST_F(StartupOffForThisCopy, LeavesAnotherCopysEntryAsItIsWhereStartupOffRemovesIt)
{
    SetEntry(L"\"C:\\Portable\\Hushlark.exe\" /l");
    const std::map<std::wstring, StoredValue> entry = Entry();
    const CommandResult result = Run({L"startup", L"off", L"--this-copy"});
    EXPECT_EQ(result.exitCode, kExitDone) << result.error;
    EXPECT_EQ(Entry(), entry);

    // Without the option, the entry goes wherever it points.
    EXPECT_EQ(Run({L"startup", L"off"}).exitCode, kExitDone);
    EXPECT_EQ(GetValue(kRunKeyPath, kStartupValueName), std::nullopt);
    EXPECT_EQ(GetValue(kStartupApprovedKeyPath, kStartupValueName), std::nullopt);
}

TEST_F(StartupOffForThisCopy, ARunKeyThatCannotBeReadIsAFailureAndNothingIsDeleted)
{
    SetEntry(StartupCommand(TrayProgramPath()));
    const std::map<std::wstring, StoredValue> entry = Entry();
    CommandResult result;
    {
        const RestrictedKey denied(kRunKeyPath, 0);
        result = Run({L"startup", L"off", L"--this-copy"});
    }
    EXPECT_EQ(result.exitCode, kExitFailed);
    EXPECT_EQ(result.error.rfind(std::wstring(L"The start-up entry could not be changed. ") + kRunKeyPath + L": ", 0),
              0u)
        << testing::PrintToString(result.error);
    EXPECT_EQ(Entry(), entry);
}

} // namespace
