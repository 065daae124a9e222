#include "mute/program_settings.h"

#include <string>
#include <utility>
#include <vector>

#include "tests/support/registry_sandbox.h"

namespace {

class ProgramSettingsTest : public RegistrySandbox {
protected:
    ProgramSettings settings;
};

TEST_F(ProgramSettingsTest, FreshAccountHasNothingUntilTheFirstWrite)
{
    EXPECT_EQ(settings.ReadLastSound(), std::nullopt);
    EXPECT_EQ(settings.ReadDefaultScheme(), std::nullopt);
    EXPECT_EQ(settings.ReadKeepDefault(), -1);
    EXPECT_FALSE(KeyExists(kSettingsPath));

    ASSERT_EQ(settings.WriteDefaultScheme(L".None"), ERROR_SUCCESS);
    EXPECT_EQ(settings.ReadDefaultScheme(), L".None");
    EXPECT_EQ(settings.ReadKeepDefault(), 0);
    EXPECT_EQ(settings.ReadLastSound(), std::nullopt);
}

TEST_F(ProgramSettingsTest, StringsAreStoredAsTerminatedText)
{
    for (const auto& [text, byteCount] : {std::pair{L".Default", 18u}, std::pair{L"", 2u}}) {
        ASSERT_EQ(settings.WriteLastSound(text), ERROR_SUCCESS);
        const std::optional<StoredValue> value = GetValue(kSettingsPath, L"LastSound");
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value->ByteCount(), byteCount) << text;
        EXPECT_EQ(settings.ReadLastSound(), text);
    }
}

TEST_F(ProgramSettingsTest, KeepDefaultRoundTripsAsFourByteDwordAndOtherSizesReadAsZero)
{
    for (DWORD written : {1u, 0u, 7u, 0xFFFFFFFFu}) {
        ASSERT_EQ(settings.WriteKeepDefault(written), ERROR_SUCCESS);
        const std::optional<StoredValue> value = GetValue(kSettingsPath, L"KeepDefault");
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(value->ByteCount(), 4u);
        EXPECT_EQ(settings.ReadKeepDefault(), static_cast<std::int32_t>(written));
    }
    // Another program's value of another size reads like an absent one.
    const std::vector<std::uint8_t> shapes[] = {{1, 0, 0, 0, 0, 0, 0, 0}, {1, 0}, {}};
    for (const std::vector<std::uint8_t>& bytes : shapes) {
        SetValue(kSettingsPath, L"KeepDefault", REG_BINARY, bytes);
        EXPECT_EQ(settings.ReadKeepDefault(), 0) << bytes.size();
    }
}

} // namespace
