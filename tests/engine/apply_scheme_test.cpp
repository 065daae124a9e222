#include "engine/scheme_store.h"

#include <string>

#include "engine/sound_slots.h"
#include "tests/support/registry_sandbox.h"

namespace {

class ApplySchemeTest : public RegistrySandbox {
protected:
    void SetUp() override
    {
        RegistrySandbox::SetUp();
        SeedTypicalProfile();
    }

    void ExpectSound(const wchar_t* app, const wchar_t* event, const std::wstring& text, DWORD byteCount,
                     const std::string& what = "")
    {
        const std::optional<StoredValue> value = GetCurrentSound(app, event);
        ASSERT_TRUE(value.has_value()) << event << what;
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_EXPAND_SZ)) << event << what;
        EXPECT_EQ(value->ByteCount(), byteCount) << event << what;
        EXPECT_EQ(value->Text(), text) << event << what;
    }

    ChangeReport Apply(const std::wstring& schemeKey) const { return store.ApplyScheme(SoundSlots::Read(), schemeKey); }

    SchemeStore store;
};

TEST_F(ApplySchemeTest, CopiesSchemeValuesAsExpandableTextAndEmptiesTheRest)
{
    AddSlot(L"Custom", L"Ping", L"old.wav", {{L"QuietOffice", L"ping1.wav"}}); // 9 characters, REG_SZ
    AddSlot(L"Custom", L"Expand", L"", {{L"QuietOffice", L"%Media%\\a.wav"}});
    AddSlot(L"Custom", L"NoCurrentKey", std::nullopt, {{L"QuietOffice", L"popup.wav"}});
    const ChangeReport report = Apply(L"QuietOffice");
    ExpectSound(L"Custom", L"Ping", L"ping1.wav", 20);
    ExpectSound(L"Custom", L"Expand", L"%Media%\\a.wav", 28); // never expanded
    ExpectSound(L".Default", L"SystemAsterisk", L"C:\\Windows\\media\\chimes.wav", 56);
    ExpectSound(L".Default", L"SystemExclamation", L"", 4); // no QuietOffice key
    ExpectSound(L"Explorer", L"EmptyRecycleBin", L"", 4);   // empty scheme value
    EXPECT_EQ(store.ReadCurrentScheme(), L"QuietOffice");
    // Nine slots with a .Current key and the current scheme, every one written.
    EXPECT_EQ(report.total, 10u);
    EXPECT_EQ(report.failed, 0u);

    EXPECT_TRUE(Apply(L".None").Ok());
    for (const wchar_t* event : {L"SystemAsterisk", L"SystemExclamation", L"Open", L"DeviceConnect"})
        ExpectSound(L".Default", event, L"", 2);
    ExpectSound(L"Custom", L"Ping", L"", 2);
    EXPECT_EQ(store.ReadCurrentScheme(), L".None");
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_FALSE(KeyExists(SlotPath(L"Custom", L"NoCurrentKey") + L"\\.Current"));
}

// The source of the sounds is chosen from the stored display value, never
// from the display name.
TEST_F(ApplySchemeTest, SchemeWithoutDisplayValueOrStoredAsNoSoundsIsSilentButBecomesCurrent)
{
    struct Case {
        const char* what;
        bool entry;
        const wchar_t* stored; // nullptr: no stored display value
        bool silent;
    };
    const Case cases[] = {
        {"no Names entry", false, nullptr, true},
        {"entry without value", true, nullptr, true},
        {"No Sounds", true, L"No Sounds", true},
        {"NO SOUNDS", true, L"NO SOUNDS", true},
        {"system reference", true, L"@mmsys.cpl,-801", false},
        {"empty text", true, L"", false},
    };
    AddSlot(L"Custom", L"Ping", L"old.wav", {{L"Hush", L"ping1.wav"}});
    for (const Case& c : cases) {
        DeleteTree(L"AppEvents\\Schemes\\Names\\Hush");
        if (c.entry)
            CreateKey(L"AppEvents\\Schemes\\Names\\Hush");
        if (c.stored)
            AddScheme(L"Hush", c.stored);
        EXPECT_TRUE(Apply(L"Hush").Ok()) << c.what;
        ExpectSound(L"Custom", L"Ping", c.silent ? L"" : L"ping1.wav", c.silent ? 2 : 20, c.what);
        ExpectSound(L".Default", L"SystemAsterisk", L"", c.silent ? 2 : 4, c.what);
        EXPECT_EQ(store.ReadCurrentScheme(), L"Hush") << c.what;
        EXPECT_TRUE(store.IsSoundOn()) << c.what;
    }
}

// Windows' own scheme keeps its sounds below each event: it applies them
// whether its Names entry is there or not, unless that entry says "No Sounds".
TEST_F(ApplySchemeTest, DefaultSchemeGivesItsSoundsWithOrWithoutItsNamesEntry)
{
    const std::wstring entry = L"AppEvents\\Schemes\\Names\\.Default";
    struct Case {
        const char* what;
        const wchar_t* stored; // nullptr: no entry at all
        bool silent;
    };
    const Case cases[] = {
        {"stored reference", L"@mmres.dll,-800", false},
        {"no entry", nullptr, false},
        {"stored as no sounds", L"No Sounds", true},
    };
    for (const Case& c : cases) {
        DeleteTree(entry);
        if (c.stored)
            AddScheme(L".Default", c.stored);
        EXPECT_TRUE(Apply(L"QuietOffice").Ok()) << c.what;
        EXPECT_TRUE(Apply(L".default").Ok()) << c.what;
        ExpectSound(L".Default", L"SystemAsterisk", c.silent ? L"" : L"C:\\Windows\\media\\Windows Background.wav",
                    c.silent ? 2 : 80, c.what);
        EXPECT_EQ(store.ReadCurrentScheme(), L".default") << c.what;
    }
}

} // namespace
