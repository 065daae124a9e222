#include "engine/scheme_store.h"

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/registry_sandbox.h"

namespace {

constexpr wchar_t kNames[] = L"AppEvents\\Schemes\\Names";

// Every key below a path (as "key\") and every value (as "key|name") with its
// exact type and bytes, to tell what an operation changed and what it left.
using Tree = std::map<std::wstring, std::pair<DWORD, std::vector<std::uint8_t>>>;

class SchemeMaintenanceTest : public RegistrySandbox {
protected:
    Tree Dump(const std::wstring& path = L"AppEvents") const
    {
        Tree tree;
        DumpInto(path, tree);
        return tree;
    }

    // Removes the entries of one scheme's keys below every slot.
    static Tree Without(Tree tree, const std::wstring& schemeKey)
    {
        const std::wstring marker = L"\\" + schemeKey;
        for (auto it = tree.begin(); it != tree.end();) {
            const std::wstring& path = it->first;
            const bool ofScheme =
                path.find(marker + L"\\") != std::wstring::npos || path.find(marker + L"|") != std::wstring::npos;
            it = ofScheme ? tree.erase(it) : std::next(it);
        }
        return tree;
    }

    std::vector<std::wstring> SchemeKeys() const
    {
        std::vector<std::wstring> keys;
        store.EnumerateSchemeKeys([&](DWORD, const std::wstring& key) { keys.push_back(key); });
        return keys;
    }

    void ExpectStored(const std::optional<StoredValue>& value, DWORD type, DWORD byteCount, const std::wstring& text,
                      const char* what)
    {
        ASSERT_TRUE(value.has_value()) << what;
        EXPECT_EQ(value->type, type) << what;
        EXPECT_EQ(value->ByteCount(), byteCount) << what;
        EXPECT_EQ(value->Text(), text) << what;
    }

    SchemeStore store;

private:
    void DumpInto(const std::wstring& path, Tree& tree) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        tree[path + L"\\"] = {};
        std::vector<std::wstring> valueNames, subkeys;
        wchar_t name[256];
        DWORD length = 256;
        for (DWORD i = 0; RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++i, length = 256)
            valueNames.push_back(name);
        for (DWORD i = 0; RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++i, length = 256)
            subkeys.push_back(name);
        RegCloseKey(key);

        for (const std::wstring& valueName : valueNames) {
            const std::optional<StoredValue> value = GetValue(path, valueName.empty() ? nullptr : valueName.c_str());
            if (value)
                tree[path + L"|" + valueName] = {value->type, value->bytes};
        }
        for (const std::wstring& subkey : subkeys)
            DumpInto(path + L"\\" + subkey, tree);
    }
};

TEST_F(SchemeMaintenanceTest, FreeKeyIsTheSmallestNumberWithoutANamesEntry)
{
    struct Case {
        std::vector<const wchar_t*> entries;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {{}, L".Hushlark0"},
        {{L".Hushlark0", L".Hushlark1"}, L".Hushlark2"},
        {{L".Hushlark1"}, L".Hushlark0"},
        {{L".Hushlark0", L".Hushlark2", L".Hushlark3"}, L".Hushlark1"},
        {{L".Hushlark0", L".Hushlark1", L".Hushlark2", L".Hushlark3", L".Hushlark4", L".Hushlark5", L".Hushlark6",
          L".Hushlark7", L".Hushlark8", L".Hushlark9", L".Hushlark11"},
         L".Hushlark10"},
        {{L".HUSHLARK0"}, L".Hushlark1"},
        {{L".Hushlark00", L".Hushlark"}, L".Hushlark0"},
    };
    for (const Case& c : cases) {
        DeleteTree(kNames);
        for (const wchar_t* entry : c.entries)
            AddScheme(entry, L"saved");
        EXPECT_EQ(store.FindFreeSchemeKey(), c.expected) << testing::PrintToString(c.entries);
    }

    // Keys that exist only below sound slots do not count.
    DeleteTree(kNames);
    AddSlot(L".Default", L"Open", L"", {{L".Hushlark0", L"a.wav"}});
    EXPECT_EQ(store.FindFreeSchemeKey(), L".Hushlark0");
}

TEST_F(SchemeMaintenanceTest, DisplayNameUsesTheNumberAndTheUtcDateWithoutLeadingZeros)
{
    struct Case {
        const wchar_t* key;
        WORD year, month, day, hour, minute;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L".Hushlark12", 2007, 11, 5, 9, 0, L"Hushlark 12 (11/5/2007)"},
        {L".Hushlark12", 2007, 12, 31, 23, 30, L"Hushlark 12 (12/31/2007)"},
        {L".Hushlark3", 2007, 3, 7, 0, 0, L"Hushlark 3 (3/7/2007)"},
        {L".Hushlark0", 2026, 1, 1, 0, 5, L"Hushlark 0 (1/1/2026)"},
        {L".Hushlark999999999", 2030, 9, 30, 12, 0, L"Hushlark 999999999 (9/30/2030)"},
    };
    for (const Case& c : cases) {
        SYSTEMTIME utc = {};
        utc.wYear = c.year;
        utc.wMonth = c.month;
        utc.wDay = c.day;
        utc.wHour = c.hour;
        utc.wMinute = c.minute;
        EXPECT_EQ(SnapshotDisplayName(c.key, utc), c.expected);
    }
}

TEST_F(SchemeMaintenanceTest, DisplayNameOfNowTakesTodaysUtcDate)
{
    SYSTEMTIME before, after;
    GetSystemTime(&before);
    const std::wstring made = store.MakeSnapshotDisplayName(L".Hushlark4");
    GetSystemTime(&after);
    // Midnight may pass during the call.
    EXPECT_TRUE(made == SnapshotDisplayName(L".Hushlark4", before) || made == SnapshotDisplayName(L".Hushlark4", after))
        << testing::PrintToString(made);
}

TEST_F(SchemeMaintenanceTest, SnapshotSavesEverySlotAsTextWithExactByteCounts)
{
    SeedTypicalProfile();
    const std::wstring custom = SlotPath(L"Custom", L"");
    AddSlot(L"Custom", L"NoCurrentKey", std::nullopt, {{L".Default", L"keep.wav"}});
    AddSlot(L"Custom", L"Expandable", L"ping1.wav"); // 9 characters, REG_EXPAND_SZ
    AddSlot(L"Custom", L"TwoNuls", std::nullopt);
    SetValue(custom + L"TwoNuls\\.Current", nullptr, REG_EXPAND_SZ, {0, 0, 0, 0});
    AddSlot(L"Custom", L"NoValue", std::nullopt);
    CreateKey(custom + L"NoValue\\.Current");
    AddSlot(L"Custom", L"NoData", std::nullopt);
    SetValue(custom + L"NoData\\.Current", nullptr, REG_EXPAND_SZ, {});
    AddSlot(L"Custom", L"Unterminated", std::nullopt);
    SetValue(custom + L"Unterminated\\.Current", nullptr, REG_SZ, {'a', 0, '.', 0, 'w', 0});

    store.SnapshotCurrentSounds(L".Hushlark0", L"Hushlark 0 (3/7/2007)");

    ExpectStored(GetValue(std::wstring(kNames) + L"\\.Hushlark0"), REG_SZ, 44, L"Hushlark 0 (3/7/2007)", "entry");
    struct Case {
        const wchar_t* app;
        const wchar_t* event;
        DWORD byteCount;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"Custom", L"NoCurrentKey", 0, L""},
        {L"Custom", L"Expandable", 20, L"ping1.wav"},
        {L"Custom", L"TwoNuls", 2, L""},
        {L"Custom", L"NoValue", 0, L""},
        {L"Custom", L"NoData", 0, L""},
        {L"Custom", L"Unterminated", 8, L"a.w"},
        {L".Default", L"Open", 2, L""},
        {L".Default", L"DeviceConnect", 94, L"%SystemRoot%\\media\\Windows Hardware Insert.wav"},
        {L"sapisvr", L"HubOnSound", 62, L"C:\\Windows\\media\\Speech On.wav"},
    };
    for (const Case& c : cases) {
        const std::string what = testing::PrintToString(c.event);
        ExpectStored(GetSchemeValue(c.app, c.event, L".Hushlark0"), REG_SZ, c.byteCount, c.text, what.c_str());
    }
    // Reading .Current does not create it, and other schemes keep their values.
    EXPECT_FALSE(KeyExists(custom + L"NoCurrentKey\\.Current"));
    ExpectStored(GetSchemeValue(L"Custom", L"NoCurrentKey", L".Default"), REG_SZ, 18, L"keep.wav", "other scheme");
}

TEST_F(SchemeMaintenanceTest, SnapshotChangesNothingButItsOwnKeys)
{
    SeedTypicalProfile();
    const Tree before = Dump();
    store.SnapshotCurrentSounds(L".Hushlark0", L"Hushlark 0 (1/1/2026)");
    const Tree after = Dump();
    EXPECT_EQ(Without(after, L".Hushlark0"), before);
    EXPECT_EQ(SchemeKeys().size(), 4u);
}

TEST_F(SchemeMaintenanceTest, SnapshotCreatesItsEntryEvenWithoutNames)
{
    AddSlot(L".Default", L"SystemAsterisk", L"ding.wav");
    store.SnapshotCurrentSounds(L".Hushlark0", L"Hushlark 0 (1/1/2026)");
    EXPECT_TRUE(store.SchemeExists(L".Hushlark0"));
    EXPECT_EQ(store.ReadDisplayName(L".Hushlark0"), L"Hushlark 0 (1/1/2026)");
    ExpectStored(GetSchemeValue(L".Default", L"SystemAsterisk", L".Hushlark0"), REG_SZ, 18, L"ding.wav", "slot");
}

TEST_F(SchemeMaintenanceTest, DeleteRemovesOneSchemeEverywhereAndLeavesTheRest)
{
    SeedTypicalProfile();
    AddScheme(L"Gone", L"Gone scheme");
    for (const auto& [app, event] : {std::pair{L".Default", L"SystemAsterisk"}, std::pair{L"Explorer", L"Navigating"},
                                     std::pair{L"sapisvr", L"HubOnSound"}})
        SetDefaultText(SlotPath(app, event) + L"\\Gone", L"gone.wav");
    // Another program's data below a slot's scheme key: that key cannot go.
    SetDefaultText(SlotPath(L"Explorer", L"EmptyRecycleBin") + L"\\Gone\\Extra", L"extra");
    const Tree before = Dump();

    store.DeleteScheme(L"Gone");

    EXPECT_FALSE(store.SchemeExists(L"Gone"));
    // Deleting below one event must not make the walk miss the next one.
    for (const auto& [app, event] : {std::pair{L".Default", L"SystemAsterisk"}, std::pair{L"Explorer", L"Navigating"},
                                     std::pair{L"sapisvr", L"HubOnSound"}})
        EXPECT_FALSE(KeyExists(SlotPath(app, event) + L"\\Gone")) << testing::PrintToString(event);
    EXPECT_TRUE(KeyExists(SlotPath(L"Explorer", L"EmptyRecycleBin") + L"\\Gone\\Extra"));
    EXPECT_EQ(Without(Dump(), L"Gone"), Without(before, L"Gone"));
}

TEST_F(SchemeMaintenanceTest, DeleteNeverTouchesTheSoundsInUse)
{
    SeedTypicalProfile();
    AddScheme(L".current", L"odd entry left by another program");
    const Tree before = Dump();
    store.DeleteScheme(L".current");
    EXPECT_FALSE(store.SchemeExists(L".current"));
    Tree after = Dump();
    EXPECT_EQ(before.size() - after.size(), 2u); // the entry key and its value
    for (const auto& [path, value] : after)
        EXPECT_EQ(before.at(path), value) << testing::PrintToString(path);

    // An empty key would name Names itself and every event key.
    const Tree full = Dump();
    store.DeleteScheme(L"");
    EXPECT_EQ(Dump(), full);
}

TEST_F(SchemeMaintenanceTest, DeleteCleansSlotsEvenWithoutANamesEntry)
{
    AddSlot(L".Default", L"Open", L"", {{L"Orphan", L"o.wav"}, {L".Default", L"d.wav"}});
    store.DeleteScheme(L"Orphan");
    EXPECT_FALSE(KeyExists(SlotPath(L".Default", L"Open") + L"\\Orphan"));
    EXPECT_TRUE(KeyExists(SlotPath(L".Default", L"Open") + L"\\.Default"));
}

TEST_F(SchemeMaintenanceTest, RenameChangesOnlyTheDisplayName)
{
    SeedTypicalProfile();
    store.ApplyScheme(L"QuietOffice");
    const Tree appliedBefore = Dump();

    store.RenameScheme(L"QuietOffice", L"Calm");
    ExpectStored(GetValue(std::wstring(kNames) + L"\\QuietOffice"), REG_SZ, 10, L"Calm", "entry");
    EXPECT_EQ(store.ReadDisplayName(L"QuietOffice"), L"Calm");

    store.ApplyScheme(L".Default");
    store.ApplyScheme(L"QuietOffice");
    Tree appliedAfter = Dump();
    appliedAfter[std::wstring(kNames) + L"\\QuietOffice|"] = appliedBefore.at(std::wstring(kNames) + L"\\QuietOffice|");
    EXPECT_EQ(appliedAfter, appliedBefore);
}

TEST_F(SchemeMaintenanceTest, RenameToNoSoundsMakesTheSchemeSilentWhenApplied)
{
    SeedTypicalProfile();
    for (const wchar_t* name : {L"No Sounds", L"no sounds", L"NO SOUNDS"}) {
        store.RenameScheme(L"QuietOffice", name);
        EXPECT_EQ(store.ReadDisplayName(L"QuietOffice"), name); // stored as plain text
        store.ApplyScheme(L"QuietOffice");
        const std::optional<StoredValue> asterisk = GetCurrentSound(L".Default", L"SystemAsterisk");
        ASSERT_TRUE(asterisk.has_value());
        EXPECT_EQ(asterisk->ByteCount(), 2u) << testing::PrintToString(name);
        EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");
    }
    // Its scheme values are still there: another name brings the sounds back.
    store.RenameScheme(L"QuietOffice", L"Quiet again");
    store.ApplyScheme(L"QuietOffice");
    ExpectStored(GetCurrentSound(L".Default", L"SystemAsterisk"), REG_EXPAND_SZ, 56, L"C:\\Windows\\media\\chimes.wav",
                 "renamed back");
}

TEST_F(SchemeMaintenanceTest, RenameOfAMissingSchemeCreatesNothing)
{
    SeedTypicalProfile();
    const Tree before = Dump();
    store.RenameScheme(L"Missing", L"Found");
    EXPECT_EQ(Dump(), before);
}

TEST_F(SchemeMaintenanceTest, ListingGivesEverySchemeWithItsEnumerationIndex)
{
    SeedTypicalProfile();
    SetCurrentSchemeValue(L".current");
    CreateKey(std::wstring(kNames) + L"\\Bare");
    AddScheme(L".Hushlark0", L"Hushlark 0 (3/7/2007)");

    std::vector<std::tuple<DWORD, std::wstring, std::wstring>> listed;
    store.ListSchemes([&](const std::wstring& current, DWORD index, const std::wstring& key, const std::wstring& name) {
        EXPECT_EQ(current, L".current");
        listed.emplace_back(index, key, name);
    });

    const std::map<std::wstring, std::wstring> expectedNames = {
        {L".Default", L"Windows Default"},         {L".None", L"No Sounds"},
        {L"QuietOffice", L"Quiet Office"},         {L"Bare", L"Bare"},
        {L".Hushlark0", L"Hushlark 0 (3/7/2007)"},
    };
    ASSERT_EQ(listed.size(), expectedNames.size());
    std::map<std::wstring, std::wstring> names;
    for (const auto& [index, key, name] : listed) {
        EXPECT_EQ(store.SchemeKeyAt(index), key);
        names[key] = name;
    }
    EXPECT_EQ(names, expectedNames);
}

} // namespace
