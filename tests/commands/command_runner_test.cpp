#include "commands/command_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"
#include "win32/registry.h"

namespace {

class CommandRunner : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    CommandResult Run(const std::vector<std::wstring>& words)
    {
        const std::optional<Command> command = ParseCommand(words);
        EXPECT_TRUE(command.has_value()) << testing::PrintToString(words);
        return command ? ExecuteCommand(*command, store, 0) : CommandResult{kExitUsage, L"", L""};
    }

    static void ExpectResult(const CommandResult& result, int exitCode, const std::wstring& error)
    {
        EXPECT_EQ(result.exitCode, exitCode);
        EXPECT_EQ(result.output, L"");
        EXPECT_EQ(result.error, error);
    }

    SchemeStore store;
};

TEST_F(CommandRunner, AKeyMeansItselfAndANameOnlyTheOneSchemeShownSo)
{
    AddScheme(L"Late", L"Morning");
    AddScheme(L"Morning", L"Dawn");
    AddScheme(L".Hushlark3", L"Quiet Office");

    ExpectResult(Run({L"scheme", L"morning"}), kExitDone, L"");
    EXPECT_EQ(store.ReadCurrentScheme(), L"Morning") << "the key, although Late is shown as Morning";

    const auto before = Contents();
    ExpectResult(Run({L"scheme", L"quiet", L"OFFICE"}), kExitNoSuchScheme,
                 L"Several sound schemes are named \"quiet OFFICE\": use a key (.Hushlark3, QuietOffice).");
    EXPECT_EQ(Contents(), before) << "nothing applied";

    ExpectResult(Run({L"scheme", L"quietoffice"}), kExitDone, L"");
    EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");
    ExpectResult(Run({L"scheme", L"Windows Default"}), kExitDone, L"");
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    ExpectResult(Run({L"scheme", L"Evening"}), kExitNoSuchScheme, L"No sound scheme is named \"Evening\".");
}

TEST_F(CommandRunner, ANameOfTheFullLengthIsChosen)
{
    const std::wstring name(1000, L'n');
    AddScheme(L"Long", name);
    ExpectResult(Run({L"scheme", name}), kExitDone, L"");
    EXPECT_EQ(store.ReadCurrentScheme(), L"Long");
}

TEST_F(CommandRunner, SchemesThatCannotBeReadAreAFailureAndNoNamesKeyIsNone)
{
    const std::wstring unreadable =
        L"The sound schemes could not be read.\nAppEvents\\Schemes\\Names\n" + registry::ErrorText(ERROR_ACCESS_DENIED);
    {
        const RestrictedKey names(L"AppEvents\\Schemes\\Names", 0);
        ExpectResult(Run({L"list"}), kExitFailed, unreadable);
        ExpectResult(Run({L"scheme", L"Quiet Office"}), kExitFailed, unreadable);
        EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    }
    const CommandResult list = Run({L"list"});
    EXPECT_EQ(list.output, L"* Windows Default\n  No Sounds\n  Quiet Office\n");

    DeleteTree(L"AppEvents\\Schemes\\Names");
    ExpectResult(Run({L"list"}), kExitDone, L"");
    ExpectResult(Run({L"scheme", L"Quiet Office"}), kExitNoSuchScheme, L"No sound scheme is named \"Quiet Office\".");
}

// Deleted by another program between finding it and applying it.
TEST(SchemeChangeResult, ASchemeGoneMeanwhileIsNoSuchScheme)
{
    SoundChange gone;
    gone.result = SoundChange::Result::SchemeGone;
    const CommandResult result = SchemeChangeResult(gone, L"Afternoon");
    EXPECT_EQ(result.exitCode, kExitNoSuchScheme);
    EXPECT_EQ(result.error, L"No sound scheme is named \"Afternoon\".");
}

} // namespace
