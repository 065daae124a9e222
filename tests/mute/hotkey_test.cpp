#include "mute/hotkey.h"

#include <commctrl.h>

#include "tests/support/registry_sandbox.h"

namespace {

Hotkey Named(const wchar_t* name)
{
    const std::optional<Hotkey> hotkey = ParseHotkeyName(name);
    EXPECT_TRUE(hotkey.has_value()) << name;
    return hotkey.value_or(Hotkey{});
}

TEST(HotkeyNames, AreReadInAnyCaseAndOrderAndPrintedInOne)
{
    struct Case {
        const wchar_t* read;
        const wchar_t* printed;
        bool allowed;
    };
    const Case cases[] = {
        {L"CTRL+ALT+S", L"CTRL+ALT+S", true},
        {L"shift+ctrl+f9", L"CTRL+SHIFT+F9", true},
        {L"Alt+Shift+PageDown", L"ALT+SHIFT+PAGEDOWN", true},
        {L"ctrl+alt+left", L"CTRL+ALT+LEFT", true},
        {L"ALT+SHIFT+0", L"ALT+SHIFT+0", true},
        {L"CTRL+ALT+SHIFT+F24", L"CTRL+ALT+SHIFT+F24", true},
        {L"ctrl+alt+space", L"CTRL+ALT+SPACE", true},
        {L"CTRL+S", L"CTRL+S", false},
        {L"S", L"S", false},
        {L"CTRL+ALT+DELETE", L"CTRL+ALT+DELETE", false},
        {L"CTRL+ALT+SHIFT+DELETE", L"CTRL+ALT+SHIFT+DELETE", false},
        {L"CTRL+SHIFT+DELETE", L"CTRL+SHIFT+DELETE", true},
    };
    for (const Case& c : cases) {
        const Hotkey hotkey = Named(c.read);
        EXPECT_EQ(HotkeyName(hotkey), c.printed) << c.read;
        EXPECT_EQ(IsAllowedHotkey(hotkey), c.allowed) << c.read;
    }
    for (const wchar_t* malformed :
         {L"", L"CTRL+", L"+S", L"CTRL+CTRL+S", L"WIN+ALT+S", L"CTRL+ALT+F25", L"CTRL+ALT+F0", L"CTRL+ALT+F01",
          L"CTRL+ALT+SS", L"CTRL+ALT+ESC", L"CTRL ALT S", L"CTRL+ALT+\u00c4"})
        EXPECT_FALSE(ParseHotkeyName(malformed).has_value()) << malformed;
    EXPECT_FALSE(IsAllowedHotkey(Hotkey{MOD_WIN | MOD_CONTROL | MOD_ALT, 'S'})) << "Win is not offered";

    // Every allowed key's name reads back as that key.
    int allowed = 0;
    for (UINT key = 1; key < 256; ++key) {
        const Hotkey hotkey{MOD_CONTROL | MOD_SHIFT, key};
        if (!IsAllowedHotkey(hotkey))
            continue;
        ++allowed;
        EXPECT_EQ(ParseHotkeyName(HotkeyName(hotkey)), hotkey) << HotkeyName(hotkey).c_str();
    }
    EXPECT_EQ(allowed, 26 + 10 + 24 + 11);
}

TEST(HotkeyNames, TheControlsModifierBitsAreConvertedAndItsExtendedBitDropped)
{
    EXPECT_EQ(ControlValue(Named(L"CTRL+ALT+S")), MAKEWORD('S', HOTKEYF_CONTROL | HOTKEYF_ALT));
    EXPECT_EQ(ControlValue(Named(L"ALT+SHIFT+F9")), MAKEWORD(VK_F9, HOTKEYF_ALT | HOTKEYF_SHIFT));
    EXPECT_EQ(ControlValue(Named(L"CTRL+SHIFT+LEFT")),
              MAKEWORD(VK_LEFT, HOTKEYF_CONTROL | HOTKEYF_SHIFT | HOTKEYF_EXT));
    EXPECT_EQ(HotkeyFromControl(MAKEWORD(VK_LEFT, HOTKEYF_CONTROL | HOTKEYF_SHIFT | HOTKEYF_EXT)),
              Named(L"CTRL+SHIFT+LEFT"));
    EXPECT_EQ(HotkeyFromControl(MAKEWORD('S', HOTKEYF_ALT | HOTKEYF_SHIFT)), Named(L"ALT+SHIFT+S"));
    EXPECT_FALSE(HotkeyFromControl(0).has_value()) << "an empty control";
}

using HotkeySettingsTest = RegistrySandbox;

TEST_F(HotkeySettingsTest, OnlyAValidStoredCombinationIsAHotkey)
{
    EXPECT_FALSE(ReadHotkey().has_value()) << "none on a new install";
    ASSERT_EQ(WriteHotkey(Named(L"CTRL+ALT+S")), ERROR_SUCCESS);
    EXPECT_EQ(GetValue(kSettingsPath, L"Hotkey"), (StoredValue{REG_DWORD, {'S', MOD_CONTROL | MOD_ALT, 0, 0}}));
    EXPECT_EQ(ReadHotkey(), Named(L"CTRL+ALT+S"));

    struct Case {
        const char* what;
        DWORD type;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"other bits", REG_DWORD, {'S', MOD_CONTROL | MOD_ALT, 1, 0}},
        {"Win", REG_DWORD, {'S', MOD_CONTROL | MOD_ALT | MOD_WIN, 0, 0}},
        {"one modifier", REG_DWORD, {'S', MOD_CONTROL, 0, 0}},
        {"a key not offered", REG_DWORD, {VK_ESCAPE, MOD_CONTROL | MOD_ALT, 0, 0}},
        {"wrong type", REG_BINARY, {'S', MOD_CONTROL | MOD_ALT, 0, 0}},
        {"wrong size", REG_DWORD, {'S', MOD_CONTROL | MOD_ALT}},
    };
    for (const Case& c : cases) {
        SetValue(kSettingsPath, L"Hotkey", c.type, c.bytes);
        EXPECT_FALSE(ReadHotkey().has_value()) << c.what;
    }
    ASSERT_EQ(WriteHotkey(std::nullopt), ERROR_SUCCESS);
    EXPECT_FALSE(GetValue(kSettingsPath, L"Hotkey").has_value());
    EXPECT_EQ(WriteHotkey(std::nullopt), ERROR_SUCCESS) << "deleting none succeeds";
}

} // namespace
