#include "mute/mute_control.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "engine/sound_slots.h"
#include "mute/change_message.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"
#include "win32/registry.h"

namespace {

constexpr wchar_t kBackground[] = L"C:\\Windows\\media\\Windows Background.wav";
constexpr wchar_t kChimes[] = L"C:\\Windows\\media\\chimes.wav";
constexpr wchar_t kMine[] = L"C:\\Sounds\\mine.wav";
const std::wstring kNames = L"AppEvents\\Schemes\\Names";

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

    // The first line of a failure to write the settings, with its place and
    // Windows' text for the error.
    static std::wstring SettingsFailure(LONG error)
    {
        return L"Hushlark's settings could not be saved.\nSoftware\\Quillfen\\Hushlark\n" + registry::ErrorText(error);
    }

    SchemeStore store;
    ProgramSettings settings;
    SchemeGuard guard;
};

TEST_F(MuteControlTest, MuteFromASavedSchemeRemembersItAndSavesNothing)
{
    for (const wchar_t* current : {L".Default", L"QuietOffice"}) {
        Reseed();
        // The slots play what the scheme gives them: nothing to save.
        ASSERT_EQ(ChangeScheme(store, current).result, SoundChange::Result::Done) << current;
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

        ASSERT_EQ(Mute(store).result, SoundChange::Result::Done) << current;
        EXPECT_EQ(settings.ReadLastSound(), L".Hushlark0") << current;
        EXPECT_EQ(store.ReadCurrentScheme(), L".None") << current;
        EXPECT_EQ(store.ReadDisplayName(L".Hushlark0").rfind(L"Hushlark 0 (", 0), 0u) << current;
        ExpectEverySlotSilent(current);

        ASSERT_EQ(Unmute(store).result, SoundChange::Result::Done) << current;
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
    ASSERT_EQ(settings.WriteLastSound(L"QuietOffice"), ERROR_SUCCESS);
    ASSERT_EQ(settings.WriteDefaultScheme(L".current"), ERROR_SUCCESS);
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
        ASSERT_TRUE(store.ApplyScheme(SoundSlots::Read(), L".None").Ok());
        DeleteTree(kSettingsPath);
        if (lastSound) {
            ASSERT_EQ(settings.WriteLastSound(*lastSound), ERROR_SUCCESS);
        }
        SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\Gone", L"gone.wav");

        const std::wstring what = lastSound.value_or(L"(none)");
        EXPECT_EQ(Unmute(store).result, SoundChange::Result::Done) << what;
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
        if (keepDefault) {
            ASSERT_EQ(settings.WriteKeepDefault(*keepDefault), ERROR_SUCCESS);
        }
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
        ASSERT_EQ(Mute(store).result, SoundChange::Result::Done);
        ASSERT_EQ(settings.WriteKeepDefault(keepDefault), ERROR_SUCCESS);
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
    ASSERT_EQ(settings.WriteKeepDefault(1), ERROR_SUCCESS);
    // A scheme that is gone, an empty key and ".current" would silence every slot.
    for (const wchar_t* defaultScheme : {L"Gone", L"", L".current"}) {
        ASSERT_EQ(settings.WriteDefaultScheme(defaultScheme), ERROR_SUCCESS);
        guard.GuardDefaultScheme(store);
        EXPECT_EQ(store.ReadCurrentScheme(), L".Default") << testing::PrintToString(std::wstring(defaultScheme));
        EXPECT_EQ(AsteriskSound(), kBackground);
    }

    // Another program's sounds that cannot be saved: nothing changes, and the
    // guard leaves that current scheme alone even once it could.
    ASSERT_EQ(settings.WriteDefaultScheme(L"QuietOffice"), ERROR_SUCCESS);
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

// Another program makes another scheme current without touching a sound, over
// and over: the guard puts its scheme back every time and saves nothing, since
// the scheme it applies writes exactly the sounds that play. While muted the
// same holds between ".None" and a scheme.
TEST_F(MuteControlTest, GuardPuttingItsSchemeBackAgainAndAgainSavesNoScheme)
{
    struct Case {
        const char* what;
        bool muted;
        const wchar_t* others[2];
        const wchar_t* asterisk;
    };
    const Case cases[] = {
        {"sounds on", false, {L".Default", L".current"}, kChimes},
        {"muted", true, {L"QuietOffice", L".Default"}, L""},
    };
    for (const Case& c : cases) {
        Reseed();
        ASSERT_EQ(ChangeScheme(store, L"QuietOffice").result, SoundChange::Result::Done) << c.what;
        if (c.muted) {
            ASSERT_EQ(Mute(store).result, SoundChange::Result::Done) << c.what;
        }
        ASSERT_EQ(settings.WriteKeepDefault(1), ERROR_SUCCESS);
        const std::wstring guarded = store.ReadCurrentScheme();
        const std::size_t schemes = Keys(kNames).size();

        for (int tick = 0; tick < 120; ++tick) {
            // Another scheme, then the guarded one again, as a flipping program leaves it.
            SetCurrentSchemeValue(tick % 2 == 0 ? c.others[tick / 2 % 2] : guarded.c_str());
            guard.GuardDefaultScheme(store);
            ASSERT_EQ(store.ReadCurrentScheme(), guarded) << c.what << " tick " << tick;
        }
        EXPECT_EQ(Keys(kNames).size(), schemes) << c.what;
        EXPECT_FALSE(store.SchemeExists(L".Hushlark0")) << c.what;
        EXPECT_EQ(AsteriskSound(), c.asterisk) << c.what;
    }
}

// Another program made one slot's .Current read-only: each change fails
// there, and since that slot keeps its sound whatever is applied, turning
// sounds off and on saves no scheme, however often.
TEST_F(MuteControlTest, ASlotThatCannotBeWrittenMakesNoToggleSaveAScheme)
{
    Reseed();
    const std::wstring asterisk = SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current";
    SetDefaultText(asterisk, kMine, REG_EXPAND_SZ); // no scheme gives it
    const std::size_t schemes = Keys(kNames).size();
    const RestrictedKey readOnly(asterisk, KEY_READ);
    for (int toggle = 0; toggle < 10; ++toggle) {
        const SoundChange change = store.IsSoundOn() ? Mute(store) : Unmute(store);
        EXPECT_EQ(change.result, SoundChange::Result::PartlyDone) << toggle;
        EXPECT_EQ(change.report.failed, 1u) << toggle;
        EXPECT_EQ(change.report.firstPath, asterisk) << toggle;
        EXPECT_EQ(change.savedScheme, std::nullopt) << toggle;
        EXPECT_EQ(store.IsSoundOn(), toggle % 2 == 1) << toggle;
    }
    EXPECT_EQ(Keys(kNames).size(), schemes);
    EXPECT_EQ(AsteriskSound(), kMine);
    EXPECT_EQ(SoundsInUse()[L"SystemExclamation"], L"C:\\Windows\\media\\Windows Foreground.wav");
}

// The settings key made read-only by another program. A scheme change makes
// every sound change and then names the settings, not a sound. Mute, which
// needs LastSound to come back, deletes the scheme it saved and changes nothing.
TEST_F(MuteControlTest, ASettingsWriteThatFailsIsToldAsSuchAndMuteTakesItsSaveBack)
{
    Reseed();
    ASSERT_EQ(settings.WriteDefaultScheme(L".Default"), ERROR_SUCCESS);
    const RestrictedKey readOnly(kSettingsPath, KEY_READ);

    const SoundChange changed = ChangeScheme(store, L"QuietOffice");
    EXPECT_EQ(changed.result, SoundChange::Result::PartlyDone);
    EXPECT_TRUE(changed.report.Ok());
    EXPECT_EQ(FailureMessage(changed), SettingsFailure(ERROR_ACCESS_DENIED));
    EXPECT_EQ(FailureLine(changed), L"Hushlark's settings could not be saved. Software\\Quillfen\\Hushlark: " +
                                        registry::ErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");
    EXPECT_EQ(AsteriskSound(), kChimes);

    // Sounds saved under no scheme are saved first; without LastSound they go again.
    SetCurrentSchemeValue(L".current");
    const auto events = Contents();
    const auto stored = Contents(kSettingsPath);
    const SoundChange muted = Mute(store);
    EXPECT_EQ(muted.result, SoundChange::Result::NotSaved);
    EXPECT_EQ(muted.savedScheme, std::nullopt);
    EXPECT_EQ(FailureMessage(muted), SettingsFailure(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Contents(), events);
    EXPECT_EQ(Contents(kSettingsPath), stored);
}

// Taking the save back can fail too: a key left below a slot by another
// program, with data of its own, cannot be deleted. The text says so, and where.
TEST_F(MuteControlTest, MuteTellsWhenItCouldNotTakeItsSaveBack)
{
    Reseed();
    SetCurrentSchemeValue(L".current");
    const std::wstring leftover = SlotPath(L".Default", L"Open") + L"\\.Hushlark0";
    SetDefaultText(leftover + L"\\Extra", L"another program's data");
    ASSERT_EQ(settings.WriteDefaultScheme(L".Default"), ERROR_SUCCESS);
    const RestrictedKey readOnly(kSettingsPath, KEY_READ);

    const SoundChange muted = Mute(store);
    EXPECT_EQ(muted.result, SoundChange::Result::NotSaved);
    EXPECT_EQ(muted.report.undoPath, leftover);
    EXPECT_EQ(FailureMessage(muted), SettingsFailure(ERROR_ACCESS_DENIED) +
                                         L"\n\nWhat was saved before the failure could not all be removed again.\n" +
                                         leftover + L"\n" + registry::ErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(store.ReadCurrentScheme(), L".current");
    EXPECT_EQ(AsteriskSound(), kBackground);
}

// A scheme deleted since it was listed is not applied, whoever asks for it;
// Windows' own scheme is always there to come back to.
TEST_F(MuteControlTest, ASchemeThatIsGoneIsNotAppliedButWindowsDefaultAlwaysIs)
{
    Reseed();
    ASSERT_EQ(ChangeScheme(store, L"QuietOffice").result, SoundChange::Result::Done);
    SetDefaultText(SlotPath(L".Default", L"SystemAsterisk") + L"\\Gone", L"gone.wav"); // values, but no entry
    const auto events = Contents();
    const auto stored = Contents(kSettingsPath);
    for (const wchar_t* gone : {L"Gone", L"", L".current"}) {
        const SoundChange change = ChangeScheme(store, gone);
        EXPECT_EQ(change.result, SoundChange::Result::SchemeGone) << testing::PrintToString(std::wstring(gone));
        EXPECT_EQ(FailureMessage(change), L"");
        EXPECT_EQ(FailureLine(change), L"");
    }
    EXPECT_EQ(Contents(), events);
    EXPECT_EQ(Contents(kSettingsPath), stored);

    DeleteTree(kNames + L"\\.Default");
    EXPECT_EQ(ChangeScheme(store, L".Default").result, SoundChange::Result::Done);
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    EXPECT_EQ(AsteriskSound(), kBackground);
    ASSERT_EQ(Mute(store).result, SoundChange::Result::Done);
    EXPECT_EQ(Unmute(store).result, SoundChange::Result::Done);
    EXPECT_EQ(AsteriskSound(), kBackground);
}

} // namespace
