#include "engine/scheme_store.h"

#include <string>

#include "tests/support/registry_sandbox.h"

namespace {

class ProgramSettingsTest : public RegistrySandbox {
protected:
    SchemeStore store;
};

TEST_F(ProgramSettingsTest, FreshAccountHasNothingAndKeepDefaultReadsMinusOne)
{
    EXPECT_EQ(store.ReadLastSound(), std::nullopt);
    EXPECT_EQ(store.ReadDefaultScheme(), std::nullopt);
    EXPECT_EQ(store.ReadKeepDefault(), -1);
    EXPECT_FALSE(KeyExists(kSettingsPath));
}

TEST_F(ProgramSettingsTest, FirstWriteCreatesTheKeyAndOtherValuesStayAbsent)
{
    store.WriteDefaultScheme(L".None");
    EXPECT_EQ(store.ReadDefaultScheme(), L".None");
    EXPECT_EQ(store.ReadKeepDefault(), 0);
    EXPECT_EQ(store.ReadLastSound(), std::nullopt);
}

TEST_F(ProgramSettingsTest, StringsAreStoredAsTerminatedText)
{
    store.WriteLastSound(L".Default");
    std::optional<StoredValue> value = GetValue(kSettingsPath, L"LastSound");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value->ByteCount(), 18u);

    store.WriteLastSound(L"");
    value = GetValue(kSettingsPath, L"LastSound");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->ByteCount(), 2u);
    EXPECT_EQ(store.ReadLastSound(), L"");
}

TEST_F(ProgramSettingsTest, KeepDefaultRoundTripsAsFourByteDword)
{
    for (DWORD written : {1u, 0u, 7u, 0xFFFFFFFFu}) {
        store.WriteKeepDefault(written);
        const std::optional<StoredValue> value = GetValue(kSettingsPath, L"KeepDefault");
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(value->ByteCount(), 4u);
        EXPECT_EQ(store.ReadKeepDefault(), static_cast<std::int32_t>(written));
    }
}

TEST_F(ProgramSettingsTest, KeepDefaultOfAnotherSizeReadsAsAbsent)
{
    SetValue(kSettingsPath, L"KeepDefault", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(store.ReadKeepDefault(), 0);
    SetValue(kSettingsPath, L"KeepDefault", REG_BINARY, {1, 0});
    EXPECT_EQ(store.ReadKeepDefault(), 0);
    SetValue(kSettingsPath, L"KeepDefault", REG_BINARY, {});
    EXPECT_EQ(store.ReadKeepDefault(), 0);
    // Four bytes of another type are taken as they are.
    SetValue(kSettingsPath, L"KeepDefault", REG_BINARY, {1, 0, 0, 0});
    EXPECT_EQ(store.ReadKeepDefault(), 1);
}

TEST_F(ProgramSettingsTest, UntrustedStringsComeBackTerminatedOrNone)
{
    SetValue(kSettingsPath, L"LastSound", REG_SZ, {'.', 0, 'N', 0, 'o', 0, 'n', 0, 'e', 0});
    EXPECT_EQ(store.ReadLastSound(), L".None");
    SetValue(kSettingsPath, L"DefaultScheme", REG_SZ, {});
    EXPECT_EQ(store.ReadDefaultScheme(), std::nullopt);
    SetValue(kSettingsPath, L"DefaultScheme", REG_BINARY, {'Q', 0, 'x'});
    EXPECT_EQ(store.ReadDefaultScheme(), L"Q");
}

} // namespace
