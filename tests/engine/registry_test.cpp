#include "win32/registry.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/registry_sandbox.h"

namespace {

constexpr wchar_t kPath[] = L"Software\\Untrusted";

using RegistryTest = RegistrySandbox;

TEST_F(RegistryTest, UntrustedValuesReadAsTerminatedTextOrNone)
{
    struct Case {
        const char* what;
        DWORD type;
        std::vector<std::uint8_t> bytes;
        std::optional<std::wstring> expected;
    };
    const Case cases[] = {
        {"terminated text", REG_SZ, TextBytes(L"chord.wav"), L"chord.wav"},
        {"long text", REG_SZ, TextBytes(std::wstring(5000, L'x')), std::wstring(5000, L'x')},
        {"no terminating NUL", REG_SZ, {'a', 0, 'b', 0}, L"ab"},
        {"odd byte count", REG_SZ, {'a', 0, 'b', 0, 'c'}, L"ab"},
        {"zero bytes", REG_SZ, {}, std::nullopt},
        {"text after an inner NUL", REG_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0}, L"a"},
        {"wrong type", REG_DWORD, {'h', 0, 'i', 0}, L"hi"},
    };
    for (const Case& c : cases) {
        SetValue(kPath, L"v", c.type, c.bytes);
        const registry::Key key = registry::OpenKey(HKEY_CURRENT_USER, kPath);
        EXPECT_EQ(registry::ReadString(key.get(), L"v"), c.expected) << c.what;
        EXPECT_EQ(registry::ReadString(key.get(), L"absent"), std::nullopt);
    }
    EXPECT_EQ(registry::ReadString(nullptr, nullptr), std::nullopt);
}

TEST_F(RegistryTest, WalkSkipsANameThatDoesNotFitAndEndsWhenItsParentGoes)
{
    for (const wchar_t* name : {L"a1", L"b-too-long", L"c1"})
        CreateKey(std::wstring(kPath) + L"\\" + name);
    const registry::Key parent = registry::OpenKey(HKEY_CURRENT_USER, kPath);
    std::vector<std::pair<DWORD, std::wstring>> visited;
    EXPECT_EQ(registry::WalkSubkeys(
                  parent.get(), [&](DWORD index, const wchar_t* name) { visited.emplace_back(index, name); }, 3),
              ERROR_SUCCESS);
    const std::vector<std::pair<DWORD, std::wstring>> expected = {{0, L"a1"}, {2, L"c1"}};
    EXPECT_EQ(visited, expected);

    // Deleted by another program during the walk: every later index fails alike.
    int visits = 0;
    const LONG deleted = registry::WalkSubkeys(parent.get(), [&](DWORD, const wchar_t*) {
        if (++visits == 1)
            DeleteTree(kPath);
    });
    EXPECT_EQ(visits, 1);
    EXPECT_NE(deleted, ERROR_SUCCESS);
    EXPECT_EQ(registry::WalkSubkeys(nullptr, [](DWORD, const wchar_t*) {}), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, AWalkThatMayNotEnumerateEndsWithItsError)
{
    CreateKey(std::wstring(kPath) + L"\\a1");
    // Enumerating needs KEY_ENUMERATE_SUB_KEYS: every index is refused alike,
    // which a walk that only stops at the end would repeat for ever.
    const registry::Key parent = registry::OpenKey(HKEY_CURRENT_USER, kPath, KEY_QUERY_VALUE);
    ASSERT_TRUE(parent);
    int visits = 0;
    EXPECT_EQ(registry::WalkSubkeys(parent.get(), [&](DWORD, const wchar_t*) { ++visits; }), ERROR_ACCESS_DENIED);
    EXPECT_EQ(visits, 0);
}

} // namespace
