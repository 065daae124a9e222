#include "engine/scheme_store.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/registry_sandbox.h"

namespace {

constexpr wchar_t kSchemes[] = L"AppEvents\\Schemes";
constexpr wchar_t kApps[] = L"AppEvents\\Schemes\\Apps";
constexpr wchar_t kBackground[] = L"C:\\Windows\\media\\Windows Background.wav";
constexpr wchar_t kChimes[] = L"C:\\Windows\\media\\chimes.wav";

class MuteControlTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    // A fresh typical profile within one test, for tables of start states.
    void Reseed()
    {
        DeleteTree(L"AppEvents");
        DeleteTree(kSettingsPath);
        SeedTypicalProfile();
    }

    // How another program sets the current scheme; none deletes the value.
    void SetCurrentSchemeState(const std::optional<std::wstring>& current)
    {
        if (current) {
            SetCurrentSchemeValue(*current);
            return;
        }
        HKEY schemes = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSchemes, 0, KEY_ALL_ACCESS, &schemes), ERROR_SUCCESS);
        RegDeleteValueW(schemes, nullptr);
        RegCloseKey(schemes);
    }

    static std::vector<std::wstring> Subkeys(const std::wstring& path)
    {
        std::vector<std::wstring> names;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return names;
        wchar_t name[256];
        DWORD length = 256;
        for (DWORD i = 0; RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++i, length = 256)
            names.push_back(name);
        RegCloseKey(key);
        return names;
    }

    // The text of every slot's .Current value (none: no .Current key or value),
    // by slot path; types and byte counts aside.
    std::map<std::wstring, std::optional<std::wstring>> SoundsInUse() const
    {
        std::map<std::wstring, std::optional<std::wstring>> sounds;
        for (const std::wstring& app : Subkeys(kApps)) {
            for (const std::wstring& event : Subkeys(std::wstring(kApps) + L"\\" + app)) {
                const std::optional<StoredValue> value = GetCurrentSound(app, event);
                sounds[SlotPath(app, event)] = value ? std::optional(value->Text()) : std::nullopt;
            }
        }
        return sounds;
    }

    void ExpectEverySlotSilent()
    {
        for (const std::wstring& app : Subkeys(kApps)) {
            for (const std::wstring& event : Subkeys(std::wstring(kApps) + L"\\" + app)) {
                const std::optional<StoredValue> value = GetCurrentSound(app, event);
                if (!KeyExists(SlotPath(app, event) + L"\\.Current"))
                    continue;
                ASSERT_TRUE(value.has_value()) << testing::PrintToString(event);
                EXPECT_EQ(value->ByteCount(), 2u) << testing::PrintToString(event);
            }
        }
    }

    std::wstring AsteriskSound() const
    {
        const std::optional<StoredValue> value = GetCurrentSound(L".Default", L"SystemAsterisk");
        return value ? value->Text() : L"(none)";
    }

    // The display name a snapshot taken during `action` must have.
    template <typename Action>
    void ExpectSnapshotNamedToday(const std::wstring& key, Action&& action)
    {
        SYSTEMTIME before, after;
        GetSystemTime(&before);
        action();
        GetSystemTime(&after);
        const std::wstring name = store.ReadDisplayName(key);
        EXPECT_TRUE(name == SnapshotDisplayName(key, before) || name == SnapshotDisplayName(key, after))
            << testing::PrintToString(name);
    }

    SchemeStore store;
};

TEST_F(MuteControlTest, MuteFromASavedSchemeRemembersItAndSavesNothing)
{
    for (const wchar_t* current : {L".Default", L"QuietOffice"}) {
        Reseed();
        SetCurrentSchemeValue(current);
        store.Mute();
        EXPECT_EQ(store.ReadLastSound(), current);
        EXPECT_EQ(store.ReadCurrentScheme(), L".None");
        EXPECT_EQ(store.ReadDefaultScheme(), L".None");
        EXPECT_FALSE(store.IsSoundOn());
        ExpectEverySlotSilent();
        EXPECT_EQ(Subkeys(L"AppEvents\\Schemes\\Names").size(), 3u);
        EXPECT_FALSE(KeyExists(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Hushlark0"));
    }
}

TEST_F(MuteControlTest, MuteSavesUnsavedSoundsAsANewSchemeFirst)
{
    const std::optional<std::wstring> unsaved[] = {L".current", L".CURRENT", L".Current", L"", std::nullopt};
    for (const std::optional<std::wstring>& current : unsaved) {
        Reseed();
        SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current", L"C:\\Sounds\\mine.wav");
        AddSlot(L"Explorer", L"BlockedPopup", std::nullopt);
        SetCurrentSchemeState(current);
        const auto sounds = SoundsInUse();

        ExpectSnapshotNamedToday(L".Hushlark0", [&] { store.Mute(); });

        const std::string what = testing::PrintToString(current);
        EXPECT_EQ(store.ReadLastSound(), L".Hushlark0") << what;
        EXPECT_EQ(store.ReadCurrentScheme(), L".None") << what;
        ExpectEverySlotSilent();
        // Saved from the sounds as they were, before any slot was emptied.
        for (const auto& [slot, sound] : sounds) {
            const std::optional<StoredValue> saved = GetValue(slot + L"\\.Hushlark0");
            ASSERT_TRUE(saved.has_value()) << what << testing::PrintToString(slot);
            EXPECT_EQ(saved->type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(saved->Text(), sound.value_or(L"")) << what << testing::PrintToString(slot);
            EXPECT_EQ(saved->ByteCount(), sound ? (sound->size() + 1) * 2 : 0) << what << testing::PrintToString(slot);
        }
    }

    // The first free key fills a gap.
    Reseed();
    AddScheme(L".Hushlark0", L"Hushlark 0 (1/1/2026)");
    AddScheme(L".Hushlark2", L"Hushlark 2 (1/2/2026)");
    SetCurrentSchemeValue(L".current");
    ExpectSnapshotNamedToday(L".Hushlark1", [&] { store.Mute(); });
    EXPECT_EQ(store.ReadLastSound(), L".Hushlark1");
    EXPECT_EQ(store.ReadDisplayName(L".Hushlark0"), L"Hushlark 0 (1/1/2026)");
}

TEST_F(MuteControlTest, MuteThenUnmuteOfUnsavedSoundsRestoresEverySound)
{
    SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current", L"C:\\Sounds\\mine.wav");
    SetValue(SlotPath(L".Default", L"Open") + L"\\.Current", nullptr, REG_EXPAND_SZ, {0, 0, 0, 0});
    SetValue(SlotPath(L"Explorer", L"Navigating") + L"\\.Current", nullptr, REG_EXPAND_SZ, {});
    AddSlot(L"Explorer", L"BlockedPopup", std::nullopt, {{L".Default", L"popup.wav"}});
    AddSlot(L"Custom", L"Ping", L"%USERPROFILE%\\ping.wav");
    SetCurrentSchemeValue(L".current");
    const auto before = SoundsInUse();

    store.Mute();
    ExpectEverySlotSilent();
    store.Unmute();

    EXPECT_EQ(SoundsInUse(), before);
    EXPECT_EQ(store.ReadCurrentScheme(), L".Hushlark0");
    EXPECT_EQ(store.ReadDefaultScheme(), L".Hushlark0");
    EXPECT_TRUE(store.IsSoundOn());
}

TEST_F(MuteControlTest, UnmuteTurnsOnTheRememberedSchemeOrDefault)
{
    struct Case {
        std::optional<std::wstring> lastSound; // none: no settings key at all
        const wchar_t* expectedScheme;
        const wchar_t* expectedSound;
    };
    const Case cases[] = {
        {std::nullopt, L".Default", kBackground},  {L".NONE", L".Default", kBackground},
        {L".none", L".Default", kBackground},      {L"", L".Default", kBackground},
        {L"QuietOffice", L"QuietOffice", kChimes}, {L".Default", L".Default", kBackground},
    };
    for (const Case& c : cases) {
        Reseed();
        store.ApplyScheme(L".None");
        DeleteTree(kSettingsPath);
        if (c.lastSound)
            store.WriteLastSound(*c.lastSound);

        store.Unmute();

        const std::string what = testing::PrintToString(c.lastSound);
        EXPECT_EQ(store.ReadCurrentScheme(), c.expectedScheme) << what;
        EXPECT_EQ(store.ReadDefaultScheme(), c.expectedScheme) << what;
        EXPECT_EQ(AsteriskSound(), c.expectedSound) << what;
        EXPECT_EQ(store.ReadLastSound(), c.lastSound) << what;
    }
}

TEST_F(MuteControlTest, UnmuteOfADeletedSchemeMakesItCurrentButSilent)
{
    SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\Gone", L"gone.wav");
    store.WriteLastSound(L"Gone");
    store.Unmute();
    EXPECT_EQ(store.ReadCurrentScheme(), L"Gone");
    ExpectEverySlotSilent();
    EXPECT_TRUE(store.IsSoundOn());
}

TEST_F(MuteControlTest, MuteTwiceForgetsTheSchemeBeforeTheFirst)
{
    store.ApplyScheme(L"QuietOffice");
    SetCurrentSchemeValue(L".current");
    store.Mute();
    EXPECT_EQ(store.ReadLastSound(), L".Hushlark0");
    store.Mute();
    EXPECT_EQ(store.ReadLastSound(), L".None");
    EXPECT_FALSE(store.SchemeExists(L".Hushlark1"));

    store.Unmute();
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    EXPECT_EQ(AsteriskSound(), kBackground);
}

TEST_F(MuteControlTest, FirstTickRecordsTheCurrentSchemeAndAppliesNothing)
{
    for (const std::optional<DWORD> keepDefault :
         {std::optional<DWORD>(), std::optional<DWORD>(0), std::optional<DWORD>(1)}) {
        Reseed();
        // Named current, but the slots still hold the .Default sounds.
        SetCurrentSchemeValue(L"QuietOffice");
        if (keepDefault)
            store.WriteKeepDefault(*keepDefault);

        store.GuardDefaultScheme();

        const std::string what = testing::PrintToString(keepDefault);
        EXPECT_EQ(store.ReadDefaultScheme(), L"QuietOffice") << what;
        EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice") << what;
        EXPECT_EQ(AsteriskSound(), kBackground) << what;
    }
}

TEST_F(MuteControlTest, GuardPutsTheSchemeBackOnlyWhenKeepDefaultIsOn)
{
    struct Case {
        std::optional<DWORD> keepDefault; // none: the value is absent
        const wchar_t* otherScheme;
        bool reapplied;
    };
    const Case cases[] = {
        {std::nullopt, L".Default", false}, {0u, L".Default", false}, {1u, L".Default", true}, {7u, L".Default", true},
        {0xFFFFFFFFu, L".Default", true},   {1u, L".current", true},  {1u, L"", true},         {0u, L"", false},
    };
    for (const Case& c : cases) {
        Reseed();
        store.Mute();
        if (c.keepDefault)
            store.WriteKeepDefault(*c.keepDefault);
        // Another program selects another scheme and plays its sounds.
        SetCurrentSchemeValue(c.otherScheme);
        SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current", kBackground, REG_EXPAND_SZ);

        store.GuardDefaultScheme();

        const std::string what = testing::PrintToString(c.keepDefault) + testing::PrintToString(c.otherScheme);
        EXPECT_EQ(store.ReadCurrentScheme(), c.reapplied ? L".None" : c.otherScheme) << what;
        EXPECT_EQ(AsteriskSound(), c.reapplied ? L"" : kBackground) << what;
        EXPECT_EQ(store.ReadDefaultScheme(), L".None") << what;
    }
}

TEST_F(MuteControlTest, GuardWritesNothingWhileTheNamesAgreeInAnyCase)
{
    store.WriteKeepDefault(1);
    // Shapes that the program never writes itself, so that any write shows:
    // an unterminated expandable DefaultScheme, and a sound that ".None" lacks.
    SetValue(kSettingsPath, L"DefaultScheme", REG_EXPAND_SZ, {'.', 0, 'N', 0, 'o', 0, 'n', 0, 'e', 0});
    SetCurrentSchemeValue(L".none");
    const std::wstring asterisk = SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current";
    SetDefaultText(asterisk, L"ding.wav");
    const std::pair<std::wstring, const wchar_t*> watched[] = {
        {kSettingsPath, L"DefaultScheme"}, {kSettingsPath, L"LastSound"}, {kSchemes, nullptr}, {asterisk, nullptr}};
    std::vector<std::optional<StoredValue>> before;
    for (const auto& [path, name] : watched)
        before.push_back(GetValue(path, name));

    for (int tick = 0; tick < 3; ++tick)
        store.GuardDefaultScheme();

    for (size_t i = 0; i < before.size(); ++i) {
        const std::optional<StoredValue> after = GetValue(watched[i].first, watched[i].second);
        ASSERT_EQ(after.has_value(), before[i].has_value()) << i;
        if (after) {
            EXPECT_EQ(after->type, before[i]->type) << i;
            EXPECT_EQ(after->bytes, before[i]->bytes) << i;
        }
    }
}

} // namespace
