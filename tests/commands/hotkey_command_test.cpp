#include "commands/hotkey_command.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/command.h"
#include "commands/command_runner.h"
#include "commands/request.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"

// Wine, like Windows, refuses a second registration of the same keys with
// ERROR_HOTKEY_ALREADY_REGISTERED, also from the same thread; these tests hold
// a combination themselves to play another program. Other test processes run
// beside them on the same desktop: each test uses keys of its own (F13).

namespace {

using Words = std::vector<std::wstring>;

constexpr Hotkey kCtrlAltS{MOD_CONTROL | MOD_ALT, 'S'};

TEST(HotkeyCommandLine, ShowRemoveAndSetInAnyCaseAndOnlyAllowedCombinations)
{
    struct Case {
        Words words;
        ParseStatus status;
        CommandKind kind = CommandKind::Help;
        std::optional<Hotkey> hotkey = std::nullopt;
    };
    const Case cases[] = {
        {{L"hotkey"}, ParseStatus::Command, CommandKind::HotkeyShow},
        {{L"HOTKEY", L"None"}, ParseStatus::Command, CommandKind::HotkeyRemove},
        {{L"hotkey", L"ctrl+alt+s"}, ParseStatus::Command, CommandKind::HotkeySet, kCtrlAltS},
        {{L"Hotkey", L"Alt+Ctrl+S"}, ParseStatus::Command, CommandKind::HotkeySet, kCtrlAltS},
        {{L"hotkey", L"ALT+SHIFT+pagedown"},
         ParseStatus::Command,
         CommandKind::HotkeySet,
         Hotkey{MOD_ALT | MOD_SHIFT, VK_NEXT}},
        {{L"hotkey", L"ctrl+alt+shift+f24"},
         ParseStatus::Command,
         CommandKind::HotkeySet,
         Hotkey{MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F24}},
        {{L"hotkey", L"ctrl+s"}, ParseStatus::Malformed},          // one modifier
        {{L"hotkey", L"ctrl+alt+delete"}, ParseStatus::Malformed}, // Windows keeps it
        {{L"hotkey", L"ctrl+alt+tab"}, ParseStatus::Malformed},    // no such key name
        {{L"hotkey", L"ctrl+alt+"}, ParseStatus::Malformed},
        {{L"hotkey", L"ctrl", L"+alt+s"}, ParseStatus::Malformed},
        {{L"hotkey", L"ctrl+alt+s", L"now"}, ParseStatus::Malformed},
        {{L"hotkey", L"none", L"now"}, ParseStatus::Malformed},
        {{L"hotkey", L""}, ParseStatus::Malformed},
        {{L"hotkeys"}, ParseStatus::NotACommand},
    };
    for (const Case& c : cases) {
        const std::string what = testing::PrintToString(c.words);
        const ParsedCommand parsed = ParseCommandLine(c.words);
        ASSERT_EQ(parsed.status, c.status) << what;
        if (parsed.status != ParseStatus::Command)
            continue;
        EXPECT_EQ(parsed.command.kind, c.kind) << what;
        EXPECT_EQ(parsed.command.hotkey, c.hotkey) << what;
        // Showing runs where it is asked; a change goes to the running instance.
        EXPECT_EQ(ChangesSomething(parsed.command), c.kind != CommandKind::HotkeyShow) << what;
        EXPECT_EQ(IsHotkeyChange(parsed.command), c.kind != CommandKind::HotkeyShow) << what;
        std::vector<BYTE> data = EncodeRequest(parsed.command, nullptr, 0);
        const COPYDATASTRUCT copy = {kRequestTag, static_cast<DWORD>(data.size()), data.data()};
        const std::optional<Request> request = RequestFromCopyData(&copy);
        ASSERT_TRUE(request.has_value()) << what;
        EXPECT_EQ(request->command.kind, c.kind) << what;
        EXPECT_EQ(request->command.hotkey, c.hotkey) << what;
    }
    EXPECT_EQ(UsageTextFor({L"hotkey", L"ctrl+s"}).rfind(L"Usage:\n  hotkey              the hotkey", 0), 0u);
    EXPECT_NE(UsageTextFor({L"hotkey", L"none", L"now"}).find(L"  hotkey none         remove it\n"),
              std::wstring::npos);
}

// What a taker was asked, and what it answers.
struct RecordingTaker {
    DWORD answer = ERROR_SUCCESS;
    std::vector<std::optional<Hotkey>> taken;
    std::vector<bool> settled;

    HotkeyTaker Taker()
    {
        return HotkeyTaker{[this](const std::optional<Hotkey>& hotkey) {
                               taken.push_back(hotkey);
                               return answer;
                           },
                           [this](bool stored) { settled.push_back(stored); }};
    }
};

class HotkeyCommands : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    CommandResult Run(const Words& words)
    {
        const std::optional<Command> command = ParseCommand(words);
        EXPECT_TRUE(command.has_value()) << testing::PrintToString(words);
        return command ? ExecuteCommand(*command, store, 0) : CommandResult{kExitUsage, L"", L""};
    }

    SchemeStore store;
};

TEST_F(HotkeyCommands, SetShownInStatusAndRemovedWithoutAnInstance)
{
    EXPECT_EQ(Run({L"hotkey"}).output, L"hotkey: none\n");
    EXPECT_EQ(Run({L"status"}).output, L"on\nscheme: Windows Default\n");

    const CommandResult set = Run({L"hotkey", L"shift+ctrl+f13"});
    EXPECT_EQ(set.exitCode, kExitDone) << set.error;
    EXPECT_EQ(ReadHotkey(), (Hotkey{MOD_CONTROL | MOD_SHIFT, VK_F13}));
    EXPECT_EQ(Run({L"hotkey"}).output, L"hotkey: CTRL+SHIFT+F13\n");
    // The last line, after a timed off's and the rules' lines.
    ASSERT_EQ(Run({L"off", L"--for", L"1h"}).exitCode, kExitDone);
    const std::wstring status = Run({L"status"}).output;
    EXPECT_EQ(status.rfind(L"off\nscheme: No Sounds\nuntil: ", 0), 0u) << status;
    const std::size_t lastLine = status.size() - std::wstring(L"hotkey: CTRL+SHIFT+F13\n").size();
    EXPECT_EQ(status.substr(lastLine), L"hotkey: CTRL+SHIFT+F13\n") << status;
    EXPECT_LT(status.find(L"until: "), lastLine) << status;

    // The same again is no change; the trial let the keys go both times.
    EXPECT_EQ(Run({L"hotkey", L"CTRL+SHIFT+F13"}).exitCode, kExitDone);
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_SHIFT, VK_F13));
    UnregisterHotKey(nullptr, 7);

    EXPECT_EQ(Run({L"hotkey", L"none"}).exitCode, kExitDone);
    EXPECT_FALSE(GetValue(kSettingsPath, L"Hotkey").has_value());
    EXPECT_EQ(Run({L"hotkey"}).output, L"hotkey: none\n");
    EXPECT_EQ(Run({L"status"}).output.find(L"hotkey:"), std::wstring::npos);
    EXPECT_EQ(Run({L"hotkey", L"none"}).exitCode, kExitDone) << "nothing to remove";
}

TEST_F(HotkeyCommands, ACombinationAnotherProgramHoldsEndsWithOneAndKeepsTheOldHotkey)
{
    ASSERT_EQ(WriteHotkey(Hotkey{MOD_ALT | MOD_SHIFT, VK_F13}), ERROR_SUCCESS);
    ASSERT_TRUE(RegisterHotKey(nullptr, 9, MOD_CONTROL | MOD_ALT, VK_F13));
    const CommandResult taken = Run({L"hotkey", L"ctrl+alt+f13"});
    UnregisterHotKey(nullptr, 9);
    EXPECT_EQ(taken.exitCode, kExitFailed);
    EXPECT_EQ(taken.error, L"Another program already uses CTRL+ALT+F13. Choose another key.");
    EXPECT_EQ(taken.failureMessage, taken.error);
    EXPECT_EQ(ReadHotkey(), (Hotkey{MOD_ALT | MOD_SHIFT, VK_F13}));

    // Another refusal gives Windows' reason.
    RecordingTaker refusing{ERROR_ACCESS_DENIED};
    const CommandResult denied = ChangeHotkey(*ParseCommand({L"hotkey", L"ctrl+alt+s"}), refusing.Taker());
    EXPECT_EQ(denied.exitCode, kExitFailed);
    EXPECT_EQ(denied.failureMessage.rfind(L"Hushlark could not register the hotkey CTRL+ALT+S.\n", 0), 0u)
        << denied.failureMessage;
    EXPECT_TRUE(refusing.settled.empty()) << "nothing to settle";
    EXPECT_EQ(ReadHotkey(), (Hotkey{MOD_ALT | MOD_SHIFT, VK_F13}));
}

TEST_F(HotkeyCommands, TheTakerRegistersFirstAndHearsWhetherTheChangeWasStored)
{
    RecordingTaker taker;
    EXPECT_EQ(ChangeHotkey(*ParseCommand({L"hotkey", L"ctrl+alt+s"}), taker.Taker()).exitCode, kExitDone);
    EXPECT_EQ(ChangeHotkey(*ParseCommand({L"hotkey", L"none"}), taker.Taker()).exitCode, kExitDone);
    EXPECT_EQ(taker.taken, (std::vector<std::optional<Hotkey>>{kCtrlAltS, std::nullopt}));
    EXPECT_EQ(taker.settled, (std::vector<bool>{true, true}));

    // A store that fails lets the new one go and keeps the old one stored.
    ASSERT_EQ(WriteHotkey(kCtrlAltS), ERROR_SUCCESS);
    taker = RecordingTaker();
    {
        const RestrictedKey readOnly(kSettingsPath, KEY_READ);
        const CommandResult result = ChangeHotkey(*ParseCommand({L"hotkey", L"ctrl+alt+f13"}), taker.Taker());
        EXPECT_EQ(result.exitCode, kExitFailed);
        EXPECT_EQ(result.error.rfind(L"Hushlark's settings could not be saved. Software\\Quillfen\\Hushlark: ", 0), 0u)
            << result.error;
        EXPECT_EQ(
            result.failureMessage.rfind(L"Hushlark's settings could not be saved.\nSoftware\\Quillfen\\Hushlark\n", 0),
            0u)
            << result.failureMessage;
    }
    EXPECT_EQ(taker.settled, std::vector<bool>{false});
    EXPECT_EQ(ReadHotkey(), kCtrlAltS);

    // A combination that is not allowed, should one come by another way than
    // the parser, is malformed and shows the command's usage.
    Command notAllowed = *ParseCommand({L"hotkey", L"ctrl+alt+s"});
    notAllowed.hotkey = Hotkey{MOD_CONTROL, 'S'};
    taker = RecordingTaker();
    const CommandResult malformed = ChangeHotkey(notAllowed, taker.Taker());
    EXPECT_EQ(malformed.exitCode, kExitUsage);
    EXPECT_EQ(malformed.usage.rfind(L"Usage:\n  hotkey ", 0), 0u) << malformed.usage;
    EXPECT_TRUE(taker.taken.empty());
    EXPECT_EQ(ReadHotkey(), kCtrlAltS);
}

} // namespace
