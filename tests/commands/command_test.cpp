#include "commands/command.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(ParseCommand, KnownWordsInAnyCaseAndNothingElse)
{
    struct Case {
        std::vector<std::wstring> words;
        std::optional<CommandKind> kind;
        std::wstring name = L"";
        std::optional<ULONGLONG> seconds = std::nullopt;
    };
    const Case cases[] = {
        {{L"OFF"}, CommandKind::Off},
        {{L"off", L"--FOR", L"90s"}, CommandKind::Off, L"", 90},
        {{L"off", L"--for", L"45M"}, CommandKind::Off, L"", 45 * 60},
        {{L"off", L"--for", L"24h"}, CommandKind::Off, L"", 24 * 3600},
        {{L"off", L"--for", L"25h"}, std::nullopt},
        {{L"off", L"--for", L"0s"}, std::nullopt},
        {{L"off", L"--for", L"-5m"}, std::nullopt},
        {{L"off", L"--for", L"5"}, std::nullopt},
        {{L"off", L"--for"}, std::nullopt},
        {{L"scheme", L"Quiet", L"Office"}, CommandKind::Scheme, L"Quiet Office"},
        {{L"scheme", L"Rock & Roll"}, CommandKind::Scheme, L"Rock & Roll"},
        {{L"scheme"}, std::nullopt},
        {{L"scheme", std::wstring(261, L'x')}, std::nullopt},
        {{L"/?"}, CommandKind::Help},
        {{L"Startup", L"OFF"}, CommandKind::StartupOff},
        {{L"startup", L"status"}, CommandKind::StartupStatus},
        {{L"startup"}, std::nullopt},
        {{L"startup", L"maybe"}, std::nullopt},
        {{L"status", L"now"}, std::nullopt},
        {{L"/l"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<Command> command = ParseCommand(c.words);
        const std::string what = testing::PrintToString(c.words);
        ASSERT_EQ(command.has_value(), c.kind.has_value()) << what;
        if (!command)
            continue;
        EXPECT_EQ(command->kind, *c.kind) << what;
        EXPECT_EQ(command->name, c.name) << what;
        EXPECT_EQ(command->forSeconds, c.seconds) << what;
        // What travels to the running instance comes back as the same command.
        const std::optional<Command> decoded = DecodeCommand(EncodeCommand(*command));
        ASSERT_TRUE(decoded.has_value()) << what;
        EXPECT_EQ(decoded->kind, command->kind) << what;
        EXPECT_EQ(decoded->name, command->name) << what;
        EXPECT_EQ(decoded->forSeconds, command->forSeconds) << what;
    }
}

} // namespace
