#include "commands/command.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/request.h"

namespace {

constexpr ParseStatus kCommand = ParseStatus::Command;
constexpr ParseStatus kMalformed = ParseStatus::Malformed;
constexpr ParseStatus kNotACommand = ParseStatus::NotACommand;

// What a request carries, as the running instance reads it.
std::optional<Request> RoundTrip(const Command& command, HWND replyWindow = nullptr, DWORD replyTag = 0)
{
    std::vector<BYTE> data = EncodeRequest(command, replyWindow, replyTag);
    const COPYDATASTRUCT copy = {kRequestTag, static_cast<DWORD>(data.size()), data.data()};
    return RequestFromCopyData(&copy);
}

TEST(ParseCommandLine, EveryCommandsGoodAndBadFormsInAnyCase)
{
    struct Case {
        std::vector<std::wstring> words;
        ParseStatus status;
        CommandKind kind = CommandKind::Help;
        std::wstring name = L"";
        std::optional<ULONGLONG> seconds = std::nullopt;
        bool thisCopy = false;
    };
    const std::wstring longest(1000, L'x');
    const Case cases[] = {
        {{L"OFF"}, kCommand, CommandKind::Off},
        {{L"off", L"--FOR", L"90s"}, kCommand, CommandKind::Off, L"", 90},
        {{L"off", L"--for", L"45M"}, kCommand, CommandKind::Off, L"", 45 * 60},
        {{L"off", L"--for", L"24h"}, kCommand, CommandKind::Off, L"", 24 * 3600},
        {{L"off", L"--for", L"25h"}, kMalformed},
        {{L"ofF", L"--for", L"1.5h"}, kMalformed},
        {{L"off", L"--for", L"0s"}, kMalformed},
        {{L"off", L"--for", L"-5m"}, kMalformed},
        {{L"off", L"--for", L"5"}, kMalformed},
        {{L"off", L"--for"}, kMalformed},
        {{L"off", L"--for", L"1h", L"--for", L"1h"}, kMalformed},
        {{L"off", L"now"}, kMalformed},
        {{L"On"}, kCommand, CommandKind::On},
        {{L"on", L"--for", L"1h"}, kMalformed},
        {{L"toggle"}, kCommand, CommandKind::Toggle},
        {{L"toggle", L"twice"}, kMalformed},
        {{L"scheme", L"Quiet", L"Office"}, kCommand, CommandKind::Scheme, L"Quiet Office"},
        {{L"SCHEME", L"Rock & Roll"}, kCommand, CommandKind::Scheme, L"Rock & Roll"},
        {{L"scheme", L"--for", L"1h"}, kCommand, CommandKind::Scheme, L"--for 1h"},
        {{L"scheme", longest}, kCommand, CommandKind::Scheme, longest},
        {{L"scheme", longest + L"x"}, kMalformed},
        {{L"scheme", std::wstring(500, L'x'), std::wstring(500, L'x')}, kMalformed}, // 1001 with the space
        {{L"scheme"}, kMalformed},
        {{L"scheme", L""}, kMalformed},
        {{L"status"}, kCommand, CommandKind::Status},
        {{L"status", L"now"}, kMalformed},
        {{L"LIST"}, kCommand, CommandKind::List},
        {{L"list", L"all"}, kMalformed},
        {{L"exit"}, kCommand, CommandKind::Exit},
        {{L"exit", L"now"}, kMalformed},
        {{L"exit", L"--This-Copy"}, kCommand, CommandKind::Exit, L"", std::nullopt, true},
        {{L"exit", L"--this-copy", L"--this-copy"}, kMalformed},
        {{L"exit", L"--this-copy", L"now"}, kMalformed},
        {{L"exit", L"this-copy"}, kMalformed},
        {{L"startup", L"on"}, kCommand, CommandKind::StartupOn},
        {{L"Startup", L"OFF"}, kCommand, CommandKind::StartupOff},
        {{L"startup", L"off", L"--THIS-COPY"}, kCommand, CommandKind::StartupOff, L"", std::nullopt, true},
        {{L"startup", L"--this-copy", L"off"}, kMalformed},
        {{L"startup", L"on", L"--this-copy"}, kMalformed},
        {{L"startup", L"status", L"--this-copy"}, kMalformed},
        {{L"on", L"--this-copy"}, kMalformed},
        {{L"off", L"--this-copy"}, kMalformed},
        {{L"startup", L"status"}, kCommand, CommandKind::StartupStatus},
        {{L"startup"}, kMalformed},
        {{L"startup", L"maybe"}, kMalformed},
        {{L"startup", L"on", L"now"}, kMalformed},
        {{L"--version"}, kCommand, CommandKind::Version},
        {{L"--VERSION", L"2"}, kMalformed},
        {{L"--help"}, kCommand, CommandKind::Help},
        {{L"-h"}, kCommand, CommandKind::Help},
        {{L"/?"}, kCommand, CommandKind::Help},
        {{L"/?", L"off"}, kMalformed},
        // The tray program's start: nothing, the start-up entry's "/l", and
        // any first word that is no command's.
        {{}, kNotACommand},
        {{L"/l"}, kNotACommand},
        {{L"/L"}, kNotACommand},
        {{L"mute"}, kNotACommand},
        {{L"--for", L"1h"}, kNotACommand},
        {{L"offf"}, kNotACommand},
        {{L"--this-copy"}, kNotACommand},
    };
    for (const Case& c : cases) {
        const std::string what = testing::PrintToString(c.words);
        const ParsedCommand parsed = ParseCommandLine(c.words);
        ASSERT_EQ(parsed.status, c.status) << what;
        EXPECT_EQ(ParseCommand(c.words).has_value(), c.status == kCommand) << what;
        if (parsed.status != kCommand)
            continue;
        const Command& command = parsed.command;
        EXPECT_EQ(command.kind, c.kind) << what;
        EXPECT_EQ(command.name, c.name) << what;
        EXPECT_EQ(command.forSeconds, c.seconds) << what;
        EXPECT_EQ(command.thisCopy, c.thisCopy) << what;
        // What travels to the running instance comes back as the same command.
        const std::optional<Request> request = RoundTrip(command);
        ASSERT_TRUE(request.has_value()) << what;
        EXPECT_EQ(request->command.kind, command.kind) << what;
        EXPECT_EQ(request->command.name, command.name) << what;
        EXPECT_EQ(request->command.forSeconds, command.forSeconds) << what;
        EXPECT_EQ(request->command.thisCopy, command.thisCopy) << what;
    }
}

// The longest command there is, a scheme's name of the full length in UTF-16,
// fits in one request, whether it came as one word or as many.
TEST(Request, TheLongestCommandFitsAndCarriesTheReplyAddress)
{
    const std::wstring name(1000, L'\x00E9');
    std::vector<std::wstring> manyWords = {L"scheme"};
    for (int i = 0; i < 1000; ++i)
        manyWords.push_back(i == 0 ? L"\x00E9" : L""); // "é" and 999 spaces
    for (const std::vector<std::wstring>& words : {std::vector<std::wstring>{L"scheme", name}, manyWords}) {
        const std::optional<Command> command = ParseCommand(words);
        ASSERT_TRUE(command.has_value());
        const std::vector<BYTE> data = EncodeRequest(*command, reinterpret_cast<HWND>(0x1234), 0xCAFEF00D);
        EXPECT_LE(data.size(), kMaxMessageBytes);
        const std::optional<Request> request = RoundTrip(*command, reinterpret_cast<HWND>(0x1234), 0xCAFEF00D);
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->command.name, command->name);
        EXPECT_EQ(request->replyWindow, reinterpret_cast<HWND>(0x1234));
        EXPECT_EQ(request->replyTag, 0xCAFEF00Du);
    }
}

TEST(UsageText, EveryCommandFromTheTableInItsOrderThenTheInstallersForms)
{
    EXPECT_EQ(UsageText(),
              L"Usage: hushlark COMMAND\n"
              L"\n"
              L"  off                 turn sounds off\n"
              L"  off --for DURATION  turn sounds off, and on again after DURATION (90s, 45m, 2h; at most 24h)\n"
              L"  on                  turn sounds on\n"
              L"  toggle              turn sounds off when they are on, on when they are off\n"
              L"  scheme NAME         change to the sound scheme NAME (a name as shown, or a key such as .Default)\n"
              L"  status              whether sounds are on, the current scheme, and when a timed off ends\n"
              L"  list                every sound scheme; * marks the current one\n"
              L"  exit                end the running Hushlark\n"
              L"  startup on|off      start Hushlark at logon, or not\n"
              L"  startup status      on, off, or disabled (by Windows' start-up settings)\n"
              L"  hotkey              the hotkey that turns sounds off or on, or none\n"
              L"  hotkey KEYS         set it: two or three of CTRL, ALT and SHIFT and a key, joined by +, as in\n"
              L"                      CTRL+ALT+S; the key is A-Z, 0-9, F1-F24, SPACE, INSERT, DELETE, HOME, END,\n"
              L"                      PAGEUP, PAGEDOWN, UP, DOWN, LEFT or RIGHT\n"
              L"  hotkey none         remove it\n"
              L"  quiet               the quiet rules: quiet hours and their periods, screen locked, presenting\n"
              L"  quiet hours|locked|presenting on|off\n"
              L"                      turn sounds off by themselves during quiet hours, while the screen is\n"
              L"                      locked, or while presenting or in full screen; or not\n"
              L"  quiet hours add HH:MM-HH:MM [DAYS]\n"
              L"                      add a period of quiet hours on DAYS: daily (the default), or days and\n"
              L"                      ranges such as mon-fri,sun\n"
              L"  quiet hours remove N  remove the Nth period, counted as `quiet` lists them\n"
              L"  quiet hours clear   remove every period\n"
              L"  --version           the version of Hushlark\n"
              L"\n"
              L"For installers, acting only on this copy (the Hushlark.exe in this program's folder):\n"
              L"  exit --this-copy         end the running Hushlark only when it is this copy\n"
              L"  startup off --this-copy  remove the start-up entry only when it starts this copy\n"
              L"\n"
              L"Exit codes: 0 done or nothing to do, 1 failed, 2 usage error, 3 no such scheme.\n"
              L"Without a command, Hushlark.exe starts in the notification area.\n");
}

} // namespace
