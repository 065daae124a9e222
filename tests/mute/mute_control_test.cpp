#include "mute/mute_control.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "tests/support/registry_sandbox.h"

namespace {

constexpr wchar_t kBackground[] = L"C:\\Windows\\media\\Windows Background.wav";
constexpr wchar_t kChimes[] = L"C:\\Windows\\media\\chimes.wav";

// Every slot of the typical profile.
constexpr std::pair<const wchar_t*, const wchar_t*> kSlots[] = {
    {L".Default", L"SystemAsterisk"}, {L".Default", L"SystemExclamation"}, {L".Default", L"Open"},
    {L".Default", L"DeviceConnect"},  {L"Explorer", L"EmptyRecycleBin"},   {L"Explorer", L"Navigating"},
    {L"sapisvr", L"HubOnSound"},
};

class MuteControlTest : public RegistrySandbox {
protected:
    // A fresh typical profile without settings, for tables of start states.
    void Reseed()
    {
        DeleteTree(L"AppEvents");
        DeleteTree(kSettingsPath);
        SeedTypicalProfile();
    }

    // The text of every slot's .Current value; none: no .Current key or value.
    std::map<std::wstring, std::optional<std::wstring>> SoundsInUse() const
    {
        std::map<std::wstring, std::optional<std::wstring>> sounds;
        for (const auto& [app, event] : kSlots) {
            const std::optional<StoredValue> value = GetCurrentSound(app, event);
            sounds[event] = value ? std::optional(value->Text()) : std::nullopt;
        }
        return sounds;
    }

    void ExpectEverySlotSilent(const std::wstring& what)
    {
        for (const auto& [app, event] : kSlots) {
            const std::optional<StoredValue> value = GetCurrentSound(app, event);
            EXPECT_EQ(value ? value->ByteCount() : 0u, 2u) << event << what;
        }
    }

    std::wstring AsteriskSound() const { return SoundsInUse()[L"SystemAsterisk"].value_or(L"(none)"); }

    SchemeStore store;
    ProgramSettings settings;
    SchemeGuard guard;
};

TEST_F(MuteControlTest, MuteFromASavedSchemeRemembersItAndSavesNothing)
{
    for (const wchar_t* current : {L".Default", L"QuietOffice"}) {
        Reseed();
        // The slots play what the scheme gives them: nothing to save.
        ChangeScheme(store, current);
        EXPECT_EQ(Mute(store).result, SoundChange::Result::Done) << current;
        EXPECT_EQ(settings.ReadLastSound(), current) << current;
        EXPECT_EQ(store.ReadCurrentScheme(), L".None") << current;
        EXPECT_EQ(settings.ReadDefaultScheme(), L".None") << current;
        ExpectEverySlotSilent(current);
        EXPECT_FALSE(store.SchemeExists(L".Hushlark0")) << current;
    }
}

TEST_F(MuteControlTest, MuteSavesUnsavedSoundsAndUnmuteRestoresEverySlot)
{
    for (const wchar_t* current : {L".current", L".CURRENT", L""}) {
        Reseed();
        SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current", L"C:\\Sounds\\mine.wav");
        SetValue(SlotPath(L".Default", L"Open") + L"\\.Current", nullptr, REG_EXPAND_SZ, {0, 0, 0, 0});
        SetValue(SlotPath(L"Explorer", L"Navigating") + L"\\.Current", nullptr, REG_EXPAND_SZ, {});
        SetCurrentSchemeValue(current);
        const auto before = SoundsInUse();

        Mute(store);
        EXPECT_EQ(settings.ReadLastSound(), L".Hushlark0") << current;
        EXPECT_EQ(store.ReadCurrentScheme(), L".None") << current;
        EXPECT_EQ(store.ReadDisplayName(L".Hushlark0").rfind(L"Hushlark 0 (", 0), 0u) << current;
        ExpectEverySlotSilent(current);

        Unmute(store);
        EXPECT_EQ(SoundsInUse(), before) << current;
        EXPECT_EQ(store.ReadCurrentScheme(), L".Hushlark0") << current;
        EXPECT_EQ(settings.ReadDefaultScheme(), L".Hushlark0") << current;
    }
}

// A saved scheme's key cannot be created below a volatile slot: the keys made
// below the slots before it are taken away again, and nothing changes.
TEST_F(MuteControlTest, MuteThatCannotSaveTheSoundsChangesNothing)
{
    Reseed();
    settings.WriteLastSound(L"QuietOffice");
    settings.WriteDefaultScheme(L".current");
    SetCurrentSchemeValue(L".current");
    MakeSlotVolatile(L"Explorer", L"EmptyRecycleBin");
    const auto events = Contents();
    const auto settings = Contents(kSettingsPath);

    const SoundChange muted = Mute(store);
    EXPECT_EQ(muted.result, SoundChange::Result::NotSaved);
    EXPECT_EQ(muted.savedScheme, std::nullopt);
    EXPECT_EQ(muted.report.failed, 1u);
    EXPECT_EQ(muted.report.firstPath, SlotPath(L"Explorer", L"EmptyRecycleBin") + L"\\.Hushlark0");
    EXPECT_EQ(muted.report.firstError, ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_EQ(Contents(), events);
    EXPECT_EQ(Contents(kSettingsPath), settings);
}

TEST_F(MuteControlTest, UnmuteTurnsOnTheRememberedSchemeOrDefault)
{
    // LastSound none: no settings key at all; an empty key would silence every
    // slot, and so would "Gone", deleted since.
    const std::tuple<std::optional<std::wstring>, const wchar_t*, const wchar_t*> cases[] = {
        {std::nullopt, L".Default", kBackground},
        {L".NONE", L".Default", kBackground},
        {L"", L".Default", kBackground},
        {L"QuietOffice", L"QuietOffice", kChimes},
        {L"Gone", L".Default", kBackground}};
    for (const auto& [lastSound, scheme, asteriskSound] : cases) {
        Reseed();
        store.ApplyScheme(L".None");
        DeleteTree(kSettingsPath);
        if (lastSound)
            settings.WriteLastSound(*lastSound);
        SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\Gone", L"gone.wav");

        Unmute(store);

        const std::wstring what = lastSound.value_or(L"(none)");
        EXPECT_EQ(store.ReadCurrentScheme(), scheme) << what;
        EXPECT_EQ(settings.ReadDefaultScheme(), scheme) << what;
        EXPECT_EQ(settings.ReadLastSound(), lastSound) << what;
        EXPECT_TRUE(store.IsSoundOn()) << what;
        EXPECT_EQ(AsteriskSound(), asteriskSound) << what;
    }
}

TEST_F(MuteControlTest, MuteTwiceKeepsTheSchemeToComeBackTo)
{
    Reseed();
    ASSERT_EQ(ChangeScheme(store, L"QuietOffice").result, SoundChange::Result::Done);
    EXPECT_EQ(Mute(store).result, SoundChange::Result::Done);
    EXPECT_EQ(Mute(store).result, SoundChange::Result::Unchanged);
    EXPECT_EQ(settings.ReadLastSound(), L"QuietOffice");
    EXPECT_EQ(Unmute(store).result, SoundChange::Result::Done);
    EXPECT_EQ(Unmute(store).result, SoundChange::Result::Unchanged) << "sounds are on already";
    EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");
    EXPECT_EQ(AsteriskSound(), kChimes);
}

TEST_F(MuteControlTest, FirstTickRecordsTheCurrentSchemeAndAppliesNothing)
{
    const std::optional<DWORD> states[] = {std::nullopt, 0u, 1u};
    for (const std::optional<DWORD>& keepDefault : states) {
        Reseed();
        SetCurrentSchemeValue(L"QuietOffice"); // named current, the slots still play .Default
        if (keepDefault)
            settings.WriteKeepDefault(*keepDefault);
        guard.GuardDefaultScheme(store);
        const std::wstring what = keepDefault ? std::to_wstring(*keepDefault) : L"absent";
        EXPECT_EQ(settings.ReadDefaultScheme(), L"QuietOffice") << what;
        EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice") << what;
        EXPECT_EQ(AsteriskSound(), kBackground) << what;
    }
}

TEST_F(MuteControlTest, GuardPutsTheSchemeBackOnlyWhenKeepDefaultIsOnAndTheNamesDiffer)
{
    const std::tuple<DWORD, const wchar_t*, bool> cases[] = {
        {0, L".Default", false}, {1, L".Default", true}, {7, L".Default", true}, {1, L".current", true},
        {1, L"", true},          {1, L".none", false},   {1, L".None", false},
    };
    for (const auto& [keepDefault, otherScheme, reapplied] : cases) {
        Reseed();
        Mute(store);
        settings.WriteKeepDefault(keepDefault);
        // ".None" as the program never stores it (unterminated, expandable): a rewrite shows.
        SetValue(kSettingsPath, L"DefaultScheme", REG_EXPAND_SZ, {'.', 0, 'N', 0, 'o', 0, 'n', 0, 'e', 0});
        // Another program selects another scheme and plays its sounds.
        SetCurrentSchemeValue(otherScheme);
        SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current", kBackground, REG_EXPAND_SZ);

        for (int tick = 0; tick < 2; ++tick)
            guard.GuardDefaultScheme(store);

        const std::wstring what = otherScheme + std::to_wstring(keepDefault);
        EXPECT_EQ(store.ReadCurrentScheme(), reapplied ? L".None" : otherScheme) << what;
        EXPECT_EQ(AsteriskSound(), reapplied ? L"" : kBackground) << what;
        const std::optional<StoredValue> defaultScheme = GetValue(kSettingsPath, L"DefaultScheme");
        ASSERT_TRUE(defaultScheme.has_value()) << what;
        EXPECT_EQ(defaultScheme->type, static_cast<DWORD>(reapplied ? REG_SZ : REG_EXPAND_SZ)) << what;
        EXPECT_EQ(defaultScheme->Text(), L".None") << what;
    }
}

TEST_F(MuteControlTest, GuardAppliesNoSchemeThatIsGoneAndWaitsAfterAFailedSave)
{
    Reseed();
    settings.WriteKeepDefault(1);
    // A scheme that is gone, an empty key and ".current" would silence every slot.
    for (const wchar_t* defaultScheme : {L"Gone", L"", L".current"}) {
        settings.WriteDefaultScheme(defaultScheme);
        guard.GuardDefaultScheme(store);
        EXPECT_EQ(store.ReadCurrentScheme(), L".Default") << testing::PrintToString(std::wstring(defaultScheme));
        EXPECT_EQ(AsteriskSound(), kBackground);
    }

    // Another program's sounds that cannot be saved: nothing changes, and the
    // guard leaves that current scheme alone even once it could.
    settings.WriteDefaultScheme(L"QuietOffice");
    SetCurrentSchemeValue(L".current");
    MakeSlotVolatile(L"Explorer", L"Navigating");
    guard.GuardDefaultScheme(store);
    EXPECT_EQ(store.ReadCurrentScheme(), L".current");
    EXPECT_FALSE(store.SchemeExists(L".Hushlark0"));
    DeleteTree(L"AppEvents");
    SeedTypicalProfile();
    SetCurrentSchemeValue(L".current");
    guard.GuardDefaultScheme(store);
    EXPECT_EQ(store.ReadCurrentScheme(), L".current") << "held until the current scheme changes";

    SetCurrentSchemeValue(L".Current");
    guard.GuardDefaultScheme(store);
    EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");
    EXPECT_EQ(AsteriskSound(), kChimes);
    EXPECT_TRUE(store.SchemeExists(L".Hushlark0")) << "the sounds in use were saved first";
}

} // namespace
