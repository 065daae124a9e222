#include "engine/scheme_store.h"

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/sound_slots.h"
#include "tests/support/registry_sandbox.h"

namespace {

const std::wstring kNames = L"AppEvents\\Schemes\\Names\\";

class SchemeMaintenanceTest : public RegistrySandbox {
protected:
    void ExpectStored(const std::optional<StoredValue>& value, DWORD type, DWORD byteCount, const std::wstring& text,
                      const std::wstring& what)
    {
        ASSERT_TRUE(value.has_value()) << what;
        EXPECT_EQ(value->type, type) << what;
        EXPECT_EQ(value->ByteCount(), byteCount) << what;
        EXPECT_EQ(value->Text(), text) << what;
    }

    SchemeStore store;
};

TEST_F(SchemeMaintenanceTest, FreeKeyIsTheSmallestNumberWithoutANamesEntry)
{
    const std::pair<std::vector<const wchar_t*>, const wchar_t*> cases[] = {
        {{}, L".Hushlark0"},
        {{L".Hushlark0", L".Hushlark1"}, L".Hushlark2"},
        {{L".Hushlark1"}, L".Hushlark0"},
        {{L".Hushlark0", L".Hushlark2", L".Hushlark3"}, L".Hushlark1"},
        {{L".Hushlark00", L".Hushlark"}, L".Hushlark0"},
    };
    for (const auto& [entries, expected] : cases) {
        DeleteTree(L"AppEvents");
        for (const wchar_t* entry : entries)
            AddScheme(entry, L"saved");
        EXPECT_EQ(store.FindFreeSchemeKey(), expected) << entries.size();
    }
}

TEST_F(SchemeMaintenanceTest, DisplayNameTakesTheNumberAndTheUtcDate)
{
    // Fields: year, month, day of week, day, hour, minute.
    EXPECT_EQ(SnapshotDisplayName(L".Hushlark12", {2007, 11, 0, 5}), L"Hushlark 12 (11/5/2007)");
    EXPECT_EQ(SnapshotDisplayName(L".Hushlark12", {2007, 12, 0, 31, 23, 30}), L"Hushlark 12 (12/31/2007)");

    SYSTEMTIME before, after;
    GetSystemTime(&before);
    const std::wstring made = store.MakeSnapshotDisplayName(L".Hushlark4");
    GetSystemTime(&after); // midnight may pass during the call
    EXPECT_TRUE(made == SnapshotDisplayName(L".Hushlark4", before) || made == SnapshotDisplayName(L".Hushlark4", after))
        << made;
}

TEST_F(SchemeMaintenanceTest, SnapshotSavesEverySlotAsTextWithExactByteCounts)
{
    const std::wstring custom = SlotPath(L"Custom", L"");
    AddSlot(L"Custom", L"NoCurrentKey", std::nullopt, {{L".Default", L"keep.wav"}});
    AddSlot(L"Custom", L"Expandable", L"ping1.wav"); // 9 characters, REG_EXPAND_SZ
    AddSlot(L"Custom", L"Empty", L"");
    SetValue(custom + L"TwoNuls\\.Current", nullptr, REG_EXPAND_SZ, {0, 0, 0, 0});
    CreateKey(custom + L"NoValue\\.Current");
    SetValue(custom + L"NoData\\.Current", nullptr, REG_EXPAND_SZ, {});

    // Names is missing: the save creates its entry all the same.
    ASSERT_TRUE(SoundSlots::Read().SaveAs(L".Hushlark0", L"Hushlark 0 (3/7/2007)").Ok());

    ExpectStored(GetValue(kNames + L".Hushlark0"), REG_SZ, 44, L"Hushlark 0 (3/7/2007)", L"entry");
    const std::tuple<const wchar_t*, DWORD, const wchar_t*> cases[] = {
        {L"NoCurrentKey", 0, L""}, {L"Expandable", 20, L"ping1.wav"},
        {L"Empty", 2, L""},        {L"TwoNuls", 2, L""},
        {L"NoValue", 0, L""},      {L"NoData", 0, L""},
    };
    for (const auto& [event, byteCount, text] : cases)
        ExpectStored(GetSchemeValue(L"Custom", event, L".Hushlark0"), REG_SZ, byteCount, text, event);
    EXPECT_FALSE(KeyExists(custom + L"NoCurrentKey\\.Current"));
    ExpectStored(GetSchemeValue(L"Custom", L"NoCurrentKey", L".Default"), REG_SZ, 18, L"keep.wav", L"other scheme");
}

TEST_F(SchemeMaintenanceTest, DeleteRemovesOneSchemeEverywhereAndLeavesTheRest)
{
    SeedTypicalProfile();
    AddScheme(L"Gone", L"Gone scheme");
    const std::wstring slots[] = {SlotPath(L".Default", L"SystemAsterisk"), SlotPath(L"Explorer", L"Navigating"),
                                  SlotPath(L"sapisvr", L"HubOnSound")};
    for (const std::wstring& slot : slots)
        SetDefaultText(slot + L"\\Gone", L"gone.wav");
    // Another program's data below a slot's scheme key: that key cannot go.
    SetDefaultText(SlotPath(L"Explorer", L"EmptyRecycleBin") + L"\\Gone\\Extra", L"extra");
    std::set<std::wstring> expected = Keys();
    expected.erase(kNames + L"Gone");
    for (const std::wstring& slot : slots)
        expected.erase(slot + L"\\Gone");

    const ChangeReport report = store.DeleteScheme(L"Gone");
    EXPECT_EQ(report.failed, 1u) << "the key with data of its own";
    EXPECT_EQ(Keys(), expected);
}

TEST_F(SchemeMaintenanceTest, DeleteNeverRemovesNamesOrTheSoundsInUse)
{
    SeedTypicalProfile();
    AddScheme(L".current", L"odd entry left by another program");
    CreateKey(SlotPath(L"Explorer", L"Bare")); // a slot without subkeys
    const std::set<std::wstring> before = Keys();
    EXPECT_EQ(store.DeleteScheme(L"").total, 0u); // would name Names itself and every event key
    EXPECT_EQ(Keys(), before);

    EXPECT_TRUE(store.DeleteScheme(L".current").Ok()); // below a slot, the sound Windows plays now
    std::set<std::wstring> expected = before;
    expected.erase(kNames + L".current");
    EXPECT_EQ(Keys(), expected);
}

TEST_F(SchemeMaintenanceTest, RenameChangesOnlyTheStoredDisplayValue)
{
    SeedTypicalProfile();
    ASSERT_TRUE(store.RenameScheme(L"QuietOffice", L"Calm").Ok());
    EXPECT_EQ(store.ReadDisplayName(L"QuietOffice"), L"Calm");
    ASSERT_TRUE(store.ApplyScheme(SoundSlots::Read(), L"QuietOffice").Ok());
    ExpectStored(GetCurrentSound(L".Default", L"SystemAsterisk"), REG_EXPAND_SZ, 56, L"C:\\Windows\\media\\chimes.wav",
                 L"renamed");

    // Stored as plain text, which applies as silence.
    ASSERT_TRUE(store.RenameScheme(L"QuietOffice", L"NO SOUNDS").Ok());
    EXPECT_EQ(store.ReadDisplayName(L"QuietOffice"), L"NO SOUNDS");
    ASSERT_TRUE(store.ApplyScheme(SoundSlots::Read(), L"QuietOffice").Ok());
    ExpectStored(GetCurrentSound(L".Default", L"SystemAsterisk"), REG_EXPAND_SZ, 2, L"", L"no sounds");
    EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");

    EXPECT_EQ(store.RenameScheme(L"Missing", L"Found").firstError, ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(kNames + L"Missing"));
}

TEST_F(SchemeMaintenanceTest, ListingGivesEverySchemeWithItsEnumerationIndex)
{
    SeedTypicalProfile();
    SetCurrentSchemeValue(L".current");
    CreateKey(kNames + L"Bare");

    std::map<std::wstring, std::wstring> names;
    const SchemeListing listing = store.ListSchemes();
    EXPECT_EQ(listing.currentScheme, L".current");
    DWORD index = 0;
    for (const SchemeEntry& scheme : listing.schemes) {
        EXPECT_EQ(scheme.index, index++);
        EXPECT_FALSE(scheme.isCurrent);
        names[scheme.key] = scheme.shownName;
    }
    const std::map<std::wstring, std::wstring> expected = {{L".Default", L"Windows Default"},
                                                           {L".None", L"No Sounds"},
                                                           {L"QuietOffice", L"Quiet Office"},
                                                           {L"Bare", L"Bare"}};
    EXPECT_EQ(names, expected);
}

} // namespace
