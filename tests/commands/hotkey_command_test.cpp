#include "commands/hotkey_command.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/request.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"

// Wine, like Windows, refuses a second registration of the same keys with
// ERROR_HOTKEY_ALREADY_REGISTERED, also from the same thread: the tests hold
// a combination themselves to play another program. Test processes share the
// desktop, so these use keys of their own (F13).

namespace {

using Words = std::vector<std::wstring>;

constexpr Hotkey kCtrlAltS{MOD_CONTROL | MOD_ALT, 'S'};
constexpr Hotkey kCtrlShiftF13{MOD_CONTROL | MOD_SHIFT, VK_F13};

TEST(HotkeyCommandLine, ShowRemoveAndSetInAnyCaseAndOnlyAllowedCombinations)
{
    const struct {
        Words words;
        ParseStatus status;
        CommandKind kind;
        std::optional<Hotkey> hotkey;
    } cases[] = {
        {{L"hotkey"}, ParseStatus::Command, CommandKind::HotkeyShow, std::nullopt},
        {{L"HOTKEY", L"None"}, ParseStatus::Command, CommandKind::HotkeyRemove, std::nullopt},
        {{L"Hotkey", L"Alt+Ctrl+s"}, ParseStatus::Command, CommandKind::HotkeySet, kCtrlAltS},
        {{L"hotkey", L"ctrl+s"}, ParseStatus::Malformed, {}, {}},          // one modifier
        {{L"hotkey", L"ctrl+alt+delete"}, ParseStatus::Malformed, {}, {}}, // Windows keeps it
        {{L"hotkey", L"ctrl+alt+tab"}, ParseStatus::Malformed, {}, {}},    // no such key
        {{L"hotkey", L"ctrl+alt+s", L"now"}, ParseStatus::Malformed, {}, {}},
        {{L"hotkey", L"none", L"now"}, ParseStatus::Malformed, {}, {}},
    };
    for (const auto& c : cases) {
        const std::string what = testing::PrintToString(c.words);
        const ParsedCommand parsed = ParseCommandLine(c.words);
        ASSERT_EQ(parsed.status, c.status) << what;
        if (parsed.status != ParseStatus::Command)
            continue;
        // Showing runs where it is asked; a change goes to the running instance.
        EXPECT_EQ(ChangesSomething(parsed.command), c.kind != CommandKind::HotkeyShow) << what;
        std::vector<BYTE> data = EncodeRequest(parsed.command, nullptr, 0);
        const COPYDATASTRUCT copy = {kRequestTag, static_cast<DWORD>(data.size()), data.data()};
        const std::optional<Request> request = RequestFromCopyData(&copy);
        ASSERT_TRUE(request.has_value()) << what;
        EXPECT_EQ(request->command.kind, c.kind) << what;
        EXPECT_EQ(request->command.hotkey, c.hotkey) << what;
    }
    EXPECT_EQ(UsageTextFor({L"hotkey", L"ctrl+s"}).rfind(L"Usage:\n  hotkey              the hotkey", 0), 0u);
}

class HotkeyCommands : public RegistrySandbox {
protected:
    CommandResult Run(const Words& words) { return ExecuteCommand(*ParseCommand(words), SchemeStore(), 0); }
};

TEST_F(HotkeyCommands, SetShownLastInStatusAndRemovedWithoutAnInstance)
{
    SeedTypicalProfile();
    EXPECT_EQ(Run({L"hotkey"}).output, L"hotkey: none\n");
    EXPECT_EQ(Run({L"hotkey", L"shift+ctrl+f13"}).exitCode, kExitDone);
    EXPECT_EQ(ReadHotkey(), kCtrlShiftF13);
    EXPECT_EQ(Run({L"hotkey"}).output, L"hotkey: CTRL+SHIFT+F13\n");
    ASSERT_EQ(Run({L"off", L"--for", L"1h"}).exitCode, kExitDone);
    const std::wstring status = Run({L"status"}).output;
    const std::wstring last = L"hotkey: CTRL+SHIFT+F13\n";
    EXPECT_EQ(status.rfind(L"off\nscheme: No Sounds\nuntil: ", 0), 0u) << status;
    EXPECT_EQ(status.find(L'\n', status.find(L"until: ")) + 1, status.size() - last.size()) << status;
    EXPECT_EQ(status.substr(status.size() - last.size()), last);
    // The trial let the keys go.
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, kCtrlShiftF13.modifiers, kCtrlShiftF13.key));
    UnregisterHotKey(nullptr, 7);

    EXPECT_EQ(Run({L"hotkey", L"none"}).exitCode, kExitDone);
    EXPECT_FALSE(GetValue(kSettingsPath, L"Hotkey").has_value());
    EXPECT_EQ(Run({L"status"}).output.find(L"hotkey:"), std::wstring::npos);
}

TEST_F(HotkeyCommands, ATakenCombinationOrAFailedStoreEndsWithOneAndKeepsTheOldHotkey)
{
    ASSERT_EQ(WriteHotkey(kCtrlAltS), ERROR_SUCCESS);
    ASSERT_TRUE(RegisterHotKey(nullptr, 9, kCtrlShiftF13.modifiers, kCtrlShiftF13.key));
    const CommandResult taken = Run({L"hotkey", L"ctrl+shift+f13"});
    UnregisterHotKey(nullptr, 9);
    EXPECT_EQ(taken.exitCode, kExitFailed);
    EXPECT_EQ(taken.error, L"Another program already uses CTRL+SHIFT+F13. Choose another key.");
    EXPECT_EQ(ReadHotkey(), kCtrlAltS);

    // The taker registered first and lets the new one go when it cannot be stored.
    std::vector<std::optional<Hotkey>> asked;
    std::vector<bool> settled;
    const HotkeyTaker taker{[&](const std::optional<Hotkey>& hotkey) {
                                asked.push_back(hotkey);
                                return static_cast<DWORD>(ERROR_SUCCESS);
                            },
                            [&](bool stored) { settled.push_back(stored); }};
    {
        const RestrictedKey readOnly(kSettingsPath, KEY_READ);
        const CommandResult result = ChangeHotkey(*ParseCommand({L"hotkey", L"ctrl+shift+f13"}), taker);
        EXPECT_EQ(result.exitCode, kExitFailed);
        EXPECT_EQ(result.failureMessage.rfind(L"Hushlark's settings could not be saved.\n", 0), 0u);
    }
    EXPECT_EQ(asked, std::vector<std::optional<Hotkey>>{kCtrlShiftF13});
    EXPECT_EQ(settled, std::vector<bool>{false});
    EXPECT_EQ(ReadHotkey(), kCtrlAltS);

    // Not allowed, should it come other than through the parser: malformed.
    Command notAllowed = *ParseCommand({L"hotkey", L"ctrl+alt+s"});
    notAllowed.hotkey = Hotkey{MOD_CONTROL, 'S'};
    const CommandResult malformed = ChangeHotkey(notAllowed, taker);
    EXPECT_EQ(malformed.exitCode, kExitUsage);
    EXPECT_EQ(malformed.usage.rfind(L"Usage:\n  hotkey ", 0), 0u);
    EXPECT_EQ(asked.size(), 1u);
}

} // namespace
