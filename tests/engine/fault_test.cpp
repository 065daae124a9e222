#include "engine/scheme_store.h"

#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "engine/sound_slots.h"
#include "tests/support/registry_sandbox.h"
#include "tests/support/restricted_key.h"

// Registry calls that fail for real: keys whose access list lets the program
// only read them or not open them at all, keys with subkeys of their own, and
// handles of keys deleted meanwhile.
namespace {

const std::wstring kNames = L"AppEvents\\Schemes\\Names\\";
const std::wstring kMine = L"C:\\Sounds\\mine.wav";

class FaultTest : public RegistrySandbox {
protected:
    void Reseed()
    {
        DeleteTree(L"AppEvents");
        SeedTypicalProfile();
    }

    SchemeStore store;
};

TEST_F(FaultTest, ApplyCountsTheSlotWhoseSoundCannotBeWrittenAndWritesTheRest)
{
    const std::wstring asterisk = SlotPath(L".Default", L"SystemAsterisk") + L"\\.Current";
    const std::tuple<const char*, DWORD, bool> cases[] = {{"read only", KEY_READ, true}, {"no access", 0, false}};
    for (const auto& [what, access, readable] : cases) {
        Reseed();
        SetDefaultText(asterisk, kMine, REG_EXPAND_SZ); // .Default gives another sound
        EXPECT_FALSE(SoundSlots::Read().EverySoundKept(L".Default", std::nullopt)) << "writable, it would be lost";
        {
            RestrictedKey restricted(asterisk, access);
            // A sound that is read is saved; one that cannot be read or
            // written is never written, so nothing there can be lost.
            const SoundSlots slots = SoundSlots::Read();
            EXPECT_TRUE(slots.EverySoundKept(L".Default", std::nullopt)) << what;
            EXPECT_TRUE(slots.SaveAs(L".Hushlark0", L"saved").Ok()) << what;

            const ChangeReport report = store.ApplyScheme(SoundSlots::Read(), L"QuietOffice");
            EXPECT_EQ(report.total, 8u) << what; // seven slots and the current scheme
            EXPECT_EQ(report.failed, 1u) << what;
            EXPECT_EQ(report.firstPath, asterisk) << what;
            EXPECT_EQ(report.firstError, ERROR_ACCESS_DENIED) << what;
        }
        EXPECT_EQ(GetCurrentSound(L".Default", L"SystemAsterisk").value_or(StoredValue()).Text(), kMine) << what;
        const std::optional<StoredValue> saved = GetSchemeValue(L".Default", L"SystemAsterisk", L".Hushlark0");
        EXPECT_EQ(saved ? saved->Text() : L"(none)", readable ? kMine : L"(none)") << what;
        // QuietOffice gives these no sound: two NULs written.
        for (const wchar_t* event : {L"SystemExclamation", L"Open"})
            EXPECT_EQ(GetCurrentSound(L".Default", event).value_or(StoredValue()).ByteCount(), 4u) << what;
        EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice") << what;
    }
}

// Wine lets a key be deleted whatever its access list says (even with DELETE
// denied to Everyone); a key with a subkey of its own cannot be deleted.
TEST_F(FaultTest, DeleteReportsTheKeysThatStayAndDeletesTheRest)
{
    const std::wstring recycle = SlotPath(L"Explorer", L"EmptyRecycleBin") + L"\\Gone";
    for (const bool entryStays : {false, true}) {
        Reseed();
        AddScheme(L"Gone", L"Gone scheme");
        const std::wstring deleted[] = {SlotPath(L".Default", L"SystemAsterisk") + L"\\Gone",
                                        SlotPath(L".Default", L"Open") + L"\\Gone",
                                        SlotPath(L".Default", L"DeviceConnect") + L"\\Gone"};
        for (const std::wstring& key : deleted)
            SetDefaultText(key, L"gone.wav");
        SetDefaultText(recycle + L"\\Extra", L"another program's data");
        if (entryStays)
            CreateKey(kNames + L"Gone\\Extra");
        std::set<std::wstring> expected = Keys();
        for (const std::wstring& key : deleted)
            expected.erase(key);
        if (!entryStays)
            expected.erase(kNames + L"Gone");

        const ChangeReport report = store.DeleteScheme(L"Gone");
        EXPECT_EQ(report.total, 5u) << entryStays; // the Names entry and four slots
        EXPECT_EQ(report.failed, entryStays ? 2u : 1u) << entryStays;
        EXPECT_EQ(report.firstPath, entryStays ? kNames + L"Gone" : recycle) << entryStays;
        EXPECT_EQ(report.firstError, ERROR_ACCESS_DENIED) << entryStays;
        EXPECT_EQ(Keys(), expected) << entryStays;
    }
}

TEST_F(FaultTest, RenameReportsAnEntryThatCannotBeWrittenOrIsGone)
{
    const std::tuple<const char*, std::optional<DWORD>, LONG> cases[] = {
        {"no access", 0, ERROR_ACCESS_DENIED},
        {"read only", KEY_READ, ERROR_ACCESS_DENIED},
        {"gone", std::nullopt, ERROR_FILE_NOT_FOUND},
    };
    for (const auto& [what, access, error] : cases) {
        Reseed();
        if (!access)
            DeleteTree(kNames + L"QuietOffice");
        ChangeReport report;
        {
            std::optional<RestrictedKey> restricted;
            if (access)
                restricted.emplace(kNames + L"QuietOffice", *access);
            report = store.RenameScheme(L"QuietOffice", L"Calm");
        }
        EXPECT_EQ(report.total, 1u) << what;
        EXPECT_EQ(report.failed, 1u) << what;
        EXPECT_EQ(report.firstPath, kNames + L"QuietOffice") << what;
        EXPECT_EQ(report.firstError, error) << what;
        EXPECT_EQ(store.ReadDefaultValue(kNames + L"QuietOffice"),
                  access ? std::optional<std::wstring>(L"Quiet Office") : std::nullopt)
            << what;
    }
}

// Slots that cannot be listed are never written, but a change that could not
// see every slot is not a success, and a save that could not is no save.
TEST_F(FaultTest, SlotsThatCannotBeListedCountAsFailedChanges)
{
    const std::wstring apps = L"AppEvents\\Schemes\\Apps";
    const std::wstring asterisk = SlotPath(L".Default", L"SystemAsterisk");
    const auto expectOneFailure = [&](const ChangeReport& report, LONG error, const char* what) {
        EXPECT_EQ(report.failed, 1u) << what;
        EXPECT_EQ(report.firstPath, apps) << what;
        EXPECT_EQ(report.firstError, error) << what;
        EXPECT_FALSE(report.UndoFailed()) << what;
    };

    Reseed();
    {
        RestrictedKey restricted(apps, 0);
        const SoundSlots slots = SoundSlots::Read();
        expectOneFailure(slots.Apply(L".None"), ERROR_ACCESS_DENIED, "apply");
        expectOneFailure(slots.SaveAs(L".Hushlark0", L"saved"), ERROR_ACCESS_DENIED, "save");
        expectOneFailure(store.DeleteScheme(L"QuietOffice"), ERROR_ACCESS_DENIED, "delete");
    }
    EXPECT_FALSE(KeyExists(kNames + L".Hushlark0"));
    EXPECT_FALSE(KeyExists(kNames + L"QuietOffice"));
    EXPECT_TRUE(KeyExists(asterisk + L"\\QuietOffice")) << "below the slots it stays";
    EXPECT_EQ(GetCurrentSound(L".Default", L"SystemAsterisk").value_or(StoredValue()).Text(),
              L"C:\\Windows\\media\\Windows Background.wav");

    // A walk ends at an error that would repeat for every index, here the
    // key deleted while a handle to it is open.
    Reseed();
    const registry::Key deleted = registry::OpenKey(HKEY_CURRENT_USER, apps);
    ASSERT_TRUE(deleted);
    DeleteTree(apps);
    const SoundSlots slots = SoundSlots::Read(deleted.get());
    const ChangeReport applied = slots.Apply(L".None");
    EXPECT_EQ(applied.failed, 1u);
    EXPECT_EQ(applied.firstPath, apps);
    EXPECT_NE(applied.firstError, ERROR_SUCCESS);
    EXPECT_EQ(slots.SaveAs(L".Hushlark0", L"saved").failed, 1u);
    EXPECT_FALSE(KeyExists(kNames + L".Hushlark0"));
    ChangeReport walked;
    int visits = 0;
    ForEachSoundSlotBelow(deleted.get(), walked, [&](HKEY, const wchar_t*, const wchar_t*) { ++visits; });
    EXPECT_EQ(visits, 0);
    EXPECT_EQ(walked.failed, 1u);
    EXPECT_EQ(walked.firstPath, apps);
}

} // namespace
