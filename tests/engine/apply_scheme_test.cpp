#include "engine/scheme_store.h"

#include <string>

#include "tests/support/registry_sandbox.h"

namespace {

class ApplySchemeTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    // Every slot of the typical profile that has a .Current key.
    static constexpr std::pair<const wchar_t*, const wchar_t*> kSlots[] = {
        {L".Default", L"SystemAsterisk"}, {L".Default", L"SystemExclamation"}, {L".Default", L"Open"},
        {L".Default", L"DeviceConnect"},  {L"Explorer", L"EmptyRecycleBin"},   {L"Explorer", L"Navigating"},
        {L"sapisvr", L"HubOnSound"},
    };

    void ExpectCurrentSound(const wchar_t* app, const wchar_t* event, const std::wstring& text, DWORD byteCount)
    {
        const std::optional<StoredValue> value = GetCurrentSound(app, event);
        ASSERT_TRUE(value.has_value()) << testing::PrintToString(event);
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_EXPAND_SZ)) << testing::PrintToString(event);
        EXPECT_EQ(value->ByteCount(), byteCount) << testing::PrintToString(event);
        EXPECT_EQ(value->Text(), text) << testing::PrintToString(event);
    }

    void ExpectEverySlotSilent()
    {
        for (const auto& [app, event] : kSlots)
            ExpectCurrentSound(app, event, L"", 2);
    }

    void ExpectCurrentAndDefault(const std::wstring& schemeKey)
    {
        EXPECT_EQ(store.ReadCurrentScheme(), schemeKey);
        EXPECT_EQ(store.ReadDefaultScheme(), schemeKey);
    }

    SchemeStore store;
};

TEST_F(ApplySchemeTest, SilentSchemeEmptiesEverySlotWithOneNul)
{
    store.ApplyScheme(L".None");
    ExpectEverySlotSilent();
    ExpectCurrentAndDefault(L".None");
    EXPECT_FALSE(store.IsSoundOn());
}

TEST_F(ApplySchemeTest, CopiesSchemeValuesAndEmptiesSlotsItDoesNotDefine)
{
    store.ApplyScheme(L"QuietOffice");
    ExpectCurrentSound(L".Default", L"SystemAsterisk", L"C:\\Windows\\media\\chimes.wav", 56);
    ExpectCurrentSound(L".Default", L"SystemExclamation", L"", 4); // no QuietOffice key
    ExpectCurrentSound(L"Explorer", L"EmptyRecycleBin", L"", 4);   // empty scheme value
    ExpectCurrentAndDefault(L"QuietOffice");
}

TEST_F(ApplySchemeTest, WritesExpandableTextUnexpandedWhateverItWasStoredAs)
{
    AddSlot(L"Custom", L"Ping", L"old.wav", {{L"QuietOffice", L"ping1.wav"}}); // 9 characters, REG_SZ
    store.ApplyScheme(L"QuietOffice");
    ExpectCurrentSound(L"Custom", L"Ping", L"ping1.wav", 20);

    store.ApplyScheme(L".Default");
    ExpectCurrentSound(L".Default", L"DeviceConnect", L"%SystemRoot%\\media\\Windows Hardware Insert.wav", 94);
    ExpectCurrentSound(L".Default", L"Open", L"", 4);
    ExpectCurrentSound(L"Custom", L"Ping", L"", 4);
}

TEST_F(ApplySchemeTest, StoredNoSoundsInAnyCaseAppliesSilenceButKeepsTheKey)
{
    for (const wchar_t* stored : {L"No Sounds", L"NO SOUNDS", L"no sounds"}) {
        AddScheme(L"Hush", stored);
        AddSlot(L".Default", L"SystemAsterisk", L"x.wav", {{L"Hush", L"ding.wav"}});
        store.ApplyScheme(L"Hush");
        ExpectEverySlotSilent();
        ExpectCurrentAndDefault(L"Hush");
        EXPECT_TRUE(store.IsSoundOn());
    }
}

TEST_F(ApplySchemeTest, SystemNoSoundsReferenceCopiesFromItsOwnKey)
{
    AddScheme(L"Mine", L"@mmsys.cpl,-801");
    AddSlot(L".Default", L"SystemAsterisk", L"x.wav", {{L"Mine", L"mine.wav"}});
    store.ApplyScheme(L"Mine");
    ExpectCurrentSound(L".Default", L"SystemAsterisk", L"mine.wav", 18);
}

TEST_F(ApplySchemeTest, SchemeWithoutEntryOrDisplayValueAppliesSilence)
{
    AddSlot(L".Default", L"SystemAsterisk", L"x.wav", {{L"Gone", L"gone.wav"}, {L"Bare", L"bare.wav"}});
    store.ApplyScheme(L"Gone");
    ExpectEverySlotSilent();
    ExpectCurrentAndDefault(L"Gone");

    CreateKey(L"AppEvents\\Schemes\\Names\\Bare");
    store.ApplyScheme(L"Bare");
    ExpectEverySlotSilent();
    ExpectCurrentAndDefault(L"Bare");
}

TEST_F(ApplySchemeTest, EmptyStoredDisplayValueIsNotSilent)
{
    AddScheme(L"Blank", L"");
    AddSlot(L".Default", L"SystemAsterisk", L"x.wav", {{L"Blank", L"blank.wav"}});
    store.ApplyScheme(L"Blank");
    ExpectCurrentSound(L".Default", L"SystemAsterisk", L"blank.wav", 20);
}

TEST_F(ApplySchemeTest, SlotWithoutCurrentKeyIsLeftWithout)
{
    AddSlot(L"Explorer", L"BlockedPopup", std::nullopt, {{L".Default", L"popup.wav"}});
    store.ApplyScheme(L".Default");
    EXPECT_FALSE(KeyExists(SlotPath(L"Explorer", L"BlockedPopup") + L"\\.Current"));
    store.ApplyScheme(L".None");
    EXPECT_FALSE(KeyExists(SlotPath(L"Explorer", L"BlockedPopup") + L"\\.Current"));
}

TEST_F(ApplySchemeTest, UnterminatedSchemeValueIsCopiedTerminated)
{
    SetValue(SlotPath(L"sapisvr", L"HubOnSound") + L"\\.Default", nullptr, REG_SZ, {'o', 0, 'n', 0, '.', 0, 'w'});
    store.ApplyScheme(L".Default");
    ExpectCurrentSound(L"sapisvr", L"HubOnSound", L"on.", 8);
}

using ApplySchemeOnEmptyProfile = RegistrySandbox;

TEST_F(ApplySchemeOnEmptyProfile, CreatesNoSoundDataButRecordsTheScheme)
{
    SchemeStore store;
    store.ApplyScheme(L".Default");
    EXPECT_FALSE(KeyExists(L"AppEvents"));
    EXPECT_EQ(store.ReadDefaultScheme(), L".Default");
}

} // namespace
