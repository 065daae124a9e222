#include "engine/scheme_store.h"

#include <string>
#include <utility>

#include "tests/support/registry_sandbox.h"

namespace {

class SchemeStoreTest : public RegistrySandbox {
protected:
    SchemeStore store;
};

TEST_F(SchemeStoreTest, SoundIsOffExactlyForTheSilentSchemeInAnyCase)
{
    const std::pair<const wchar_t*, bool> cases[] = {
        {L".None", false},   {L".none", false}, {L".NONE", false}, {L".Default", true},
        {L".current", true}, {L"", true},       {L"None", true},   {L".None ", true},
    };
    for (const auto& [current, soundOn] : cases) {
        SetCurrentSchemeValue(current);
        EXPECT_EQ(store.IsSoundOn(), soundOn) << current;
    }
}

TEST_F(SchemeStoreTest, SetCurrentSchemeNeverCreatesTheKeyAndAMissingOneReadsAsEmpty)
{
    EXPECT_EQ(store.SetCurrentScheme(L".Default"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(L"AppEvents\\Schemes"));
    EXPECT_EQ(store.ReadCurrentScheme(), L"");
    EXPECT_TRUE(store.IsSoundOn());
    CreateKey(L"AppEvents\\Schemes");
    EXPECT_EQ(store.ReadCurrentScheme(), L"");
    EXPECT_EQ(store.SetCurrentScheme(L".Default"), ERROR_SUCCESS);
    const std::optional<StoredValue> value = GetValue(L"AppEvents\\Schemes");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value->ByteCount(), 18u);
    EXPECT_EQ(value->Text(), L".Default");
}

TEST_F(SchemeStoreTest, DisplayRuleMapsOnlyTheSystemSchemesReferences)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"@MMSYS.CPL,-800", L"Windows Default"},
        {L"@mmsys.cpl,-801", L"No Sounds"},
        {L"@mmres.dll,-800", L"Windows Default"},
        {L"@MMRes.dll,-801", L"No Sounds"},
        {L"no sounds", L"no sounds"},
        {L"@mmsys.cpl,-802", L"@mmsys.cpl,-802"},
        {L"", L""},
    };
    for (const auto& [stored, shown] : cases) {
        AddScheme(L"K", stored);
        EXPECT_EQ(store.ReadDisplayName(L"K"), shown) << stored;
    }
    // Without a stored display value a scheme is shown by its key.
    CreateKey(L"AppEvents\\Schemes\\Names\\Opaque.Key");
    EXPECT_EQ(store.ReadDisplayName(L"Opaque.Key"), L"Opaque.Key");
}

TEST_F(SchemeStoreTest, ReadDefaultValueTellsEmptyTextFromNone)
{
    SetDefaultText(L"A\\Empty", L"");
    SetValue(L"A\\NoData", nullptr, REG_SZ, {});
    CreateKey(L"A\\NoValue");
    EXPECT_EQ(store.ReadDefaultValue(L"A\\Empty"), L"");
    EXPECT_EQ(store.ReadDefaultValue(L"A\\NoData"), std::nullopt);
    EXPECT_EQ(store.ReadDefaultValue(L"A\\NoValue"), std::nullopt);
    EXPECT_EQ(store.ReadDefaultValue(L"A\\Missing"), std::nullopt);
}

// ".Default" is Windows' own scheme: it exists with or without its entry.
TEST_F(SchemeStoreTest, SchemesAreWhatNamesHoldsAndWindowsDefault)
{
    AddSlot(L".Default", L"Open", L"", {{L".Hushlark0", L"x.wav"}});
    EXPECT_FALSE(store.SchemeExists(L".Hushlark0"));
    EXPECT_EQ(store.EnumerateSchemeKeys([](DWORD, const std::wstring& key) { ADD_FAILURE() << key; }), ERROR_SUCCESS)
        << "no Names key: no schemes, and no failure";
    for (const wchar_t* key : {L".Default", L".DEFAULT"})
        EXPECT_TRUE(store.SchemeExists(key)) << key;
    for (const wchar_t* key : {L".None", L"", L".Default\\x", L".Default "})
        EXPECT_FALSE(store.SchemeExists(key)) << key;
    AddScheme(L".Hushlark0", L"Hushlark 0 (1/1/2007)");
    EXPECT_TRUE(store.SchemeExists(L".Hushlark0"));
}

} // namespace
