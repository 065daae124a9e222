#include "engine/registry.h"

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/registry_sandbox.h"

namespace {

constexpr wchar_t kPath[] = L"Software\\Untrusted";

class RegistryRead : public RegistrySandbox {
protected:
    std::optional<std::wstring> Read(const wchar_t* name = nullptr)
    {
        const UniqueRegKey key = registry::OpenKey(HKEY_CURRENT_USER, kPath);
        return registry::ReadString(key.get(), name);
    }

    static std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> bytes) { return bytes; }
};

TEST_F(RegistryRead, TerminatedTextComesBackWhole)
{
    SetDefaultText(kPath, L"C:\\Windows\\media\\chord.wav");
    EXPECT_EQ(Read(), L"C:\\Windows\\media\\chord.wav");
}

TEST_F(RegistryRead, UntrustedShapesGiveTerminatedTextOrNone)
{
    struct Case {
        const char* what;
        DWORD type;
        std::vector<std::uint8_t> bytes;
        std::optional<std::wstring> expected;
    };
    const Case cases[] = {
        {"no terminating NUL", REG_SZ, Bytes({'a', 0, 'b', 0}), L"ab"},
        {"odd byte count", REG_SZ, Bytes({'a', 0, 'b', 0, 'c'}), L"ab"},
        {"single byte", REG_SZ, Bytes({'a'}), L""},
        {"empty text", REG_SZ, Bytes({0, 0}), L""},
        {"two NULs", REG_EXPAND_SZ, Bytes({0, 0, 0, 0}), L""},
        {"zero bytes", REG_SZ, Bytes({}), std::nullopt},
        {"text after an inner NUL", REG_SZ, Bytes({'a', 0, 0, 0, 'b', 0, 0, 0}), L"a"},
        {"a DWORD read as text", REG_DWORD, Bytes({'h', 0, 'i', 0}), L"hi"},
        {"binary data without NUL", REG_BINARY, Bytes({'x', 0, 'y', 0, 'z', 0}), L"xyz"},
    };
    for (const Case& c : cases) {
        SetValue(kPath, L"v", c.type, c.bytes);
        EXPECT_EQ(Read(L"v"), c.expected) << c.what;
    }
}

TEST_F(RegistryRead, LargeValueIsReadWhole)
{
    const std::wstring text(200000, L'x');
    SetText(kPath, L"big", text);
    const std::optional<std::wstring> read = Read(L"big");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->size(), text.size());
}

TEST_F(RegistryRead, MissingKeyOrValueGivesNone)
{
    EXPECT_EQ(Read(), std::nullopt);
    CreateKey(kPath);
    EXPECT_EQ(Read(), std::nullopt);
    EXPECT_EQ(registry::ReadString(nullptr, nullptr), std::nullopt);
}

TEST_F(RegistryRead, OpenKeyNeverCreates)
{
    EXPECT_FALSE(registry::OpenKey(HKEY_CURRENT_USER, kPath));
    EXPECT_FALSE(KeyExists(kPath));
    EXPECT_TRUE(registry::CreateKey(HKEY_CURRENT_USER, kPath));
    EXPECT_TRUE(KeyExists(kPath));
}

using RegistryWrite = RegistrySandbox;

TEST_F(RegistryWrite, TextIsStoredWithItsTerminatingNul)
{
    const UniqueRegKey key = registry::CreateKey(HKEY_CURRENT_USER, kPath);
    registry::WriteString(key.get(), nullptr, REG_EXPAND_SZ, L"chord.wav");
    const std::optional<StoredValue> value = GetValue(kPath);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(value->ByteCount(), 20u);
    EXPECT_EQ(value->Text(), L"chord.wav");
}

using SubkeyWalk = RegistrySandbox;

TEST_F(SubkeyWalk, VisitsEverySubkeyWithItsIndex)
{
    for (const wchar_t* name : {L"a", L"b", L"c"})
        CreateKey(std::wstring(kPath) + L"\\" + name);
    const UniqueRegKey parent = registry::OpenKey(HKEY_CURRENT_USER, kPath);
    std::vector<std::pair<DWORD, std::wstring>> visited;
    registry::WalkSubkeys(parent.get(), [&](DWORD index, const wchar_t* name) { visited.emplace_back(index, name); });
    ASSERT_EQ(visited.size(), 3u);
    for (DWORD i = 0; i < 3; ++i)
        EXPECT_EQ(visited[i].first, i);
}

TEST_F(SubkeyWalk, ANameThatDoesNotFitIsSkippedAndKeepsItsIndex)
{
    for (const wchar_t* name : {L"a1", L"b-too-long", L"c1"})
        CreateKey(std::wstring(kPath) + L"\\" + name);
    const UniqueRegKey parent = registry::OpenKey(HKEY_CURRENT_USER, kPath);
    std::vector<std::pair<DWORD, std::wstring>> visited;
    registry::WalkSubkeys(
        parent.get(), [&](DWORD index, const wchar_t* name) { visited.emplace_back(index, name); }, 3);
    const std::vector<std::pair<DWORD, std::wstring>> expected = {{0, L"a1"}, {2, L"c1"}};
    EXPECT_EQ(visited, expected);
}

TEST_F(SubkeyWalk, AParentThatCannotBeOpenedVisitsNothing)
{
    const UniqueRegKey parent = registry::OpenKey(HKEY_CURRENT_USER, kPath);
    int visits = 0;
    registry::WalkSubkeys(parent.get(), [&](DWORD, const wchar_t*) { ++visits; });
    EXPECT_EQ(visits, 0);
}

TEST_F(SubkeyWalk, EndsWhenTheParentIsDeletedDuringTheWalk)
{
    for (const wchar_t* name : {L"a", L"b", L"c"})
        CreateKey(std::wstring(kPath) + L"\\" + name);
    const UniqueRegKey parent = registry::OpenKey(HKEY_CURRENT_USER, kPath);
    int visits = 0;
    registry::WalkSubkeys(parent.get(), [&](DWORD, const wchar_t*) {
        if (++visits == 1)
            DeleteTree(kPath);
    });
    EXPECT_GE(visits, 1);
    EXPECT_LE(visits, 3);
}

} // namespace
