#include "mute/mute_control.h"

#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/sound_slots.h"
#include "tests/support/registry_sandbox.h"

namespace {

// Profile n is generated from kSeed + n: a failure names n, and the same
// profile comes back on every run. Each test takes about 5 s under Wine.
constexpr unsigned kSeed = 20070307;
constexpr unsigned kProfiles = 250;

const std::wstring kNames = L"AppEvents\\Schemes\\Names\\";
const std::wstring kApps[] = {L".Default", L"Explorer", L"sapisvr"};
const std::wstring kEvents[] = {L"SystemAsterisk", L"Open", L"MailBeep", L"DeviceConnect"};
// What slots and schemes play, drawn from a few texts so that scheme values
// often equal what a slot plays. The long one does not fit a first read.
const std::wstring kSounds[] = {L"C:\\Windows\\media\\Windows Background.wav", L"%SystemRoot%\\media\\chimes.wav",
                                L"ring.wav", L"", L"C:\\Sounds\\" + std::wstring(300, L'x') + L".wav"};

using Bytes = std::vector<std::uint8_t>;

struct Profile {
    std::wstring current;                // what ReadCurrentScheme reads
    bool unsaved = false;                // ".current" in any case, empty or missing
    bool currentGivesEverySound = false; // a scheme with a display value that holds every .Current
    std::vector<std::wstring> schemes;   // every key with a Names entry
    std::wstring target;                 // one of them, to change to and back from
};

class SoundPropertyTest : public RegistrySandbox {
protected:
    int Pick(std::size_t count) { return std::uniform_int_distribution<int>(0, static_cast<int>(count) - 1)(random_); }

    // `text` in one of the shapes that real and damaged profiles hold.
    void SetShaped(const std::wstring& path, const std::wstring& text)
    {
        Bytes bytes = TextBytes(text);
        Bytes unterminated(bytes.begin(), bytes.end() - 2);
        switch (Pick(7)) {
        case 0:
            return SetValue(path, nullptr, REG_SZ, bytes);
        case 1:
            return SetValue(path, nullptr, REG_EXPAND_SZ, bytes);
        case 2:
            return SetValue(path, nullptr, REG_BINARY, unterminated); // 0 bytes for ""
        case 3:
            return SetValue(path, nullptr, REG_DWORD, unterminated);
        case 4: // an odd byte count: the last byte is no character
            unterminated.push_back('z');
            return SetValue(path, nullptr, REG_SZ, unterminated);
        case 5: // what follows the first NUL is no part of the text
            bytes.insert(bytes.end(), {'j', 0, 'k', 0, 0, 0});
            return SetValue(path, nullptr, REG_EXPAND_SZ, bytes);
        default:
            return SetValue(path, nullptr, REG_SZ, text.empty() ? Bytes(6, 0) : unterminated);
        }
    }

    Profile Generate(unsigned number)
    {
        random_.seed(kSeed + number);
        DeleteTree(L"AppEvents");
        DeleteTree(kSettingsPath);
        Profile profile;
        AddScheme(L".Default", L"@mmres.dll,-800");
        AddScheme(L".None", L"@mmres.dll,-801");
        profile.schemes = {L".Default", L".None"};
        // "Ghost" has slot values but no Names entry; an entry may lack its
        // display value or say "no sounds": all three apply as silence.
        std::vector<std::wstring> valued = {L".Default", L".None", L"Ghost"};
        // Current: ".Default", "Ghost", a named scheme, or sounds saved under
        // none: ".current" in any case, an empty name or no value at all.
        std::vector<std::wstring> currentChoices = {L".Default", L"Ghost", L".current", L""};
        for (const wchar_t* named : {L"Calm", L".Hushlark0"}) {
            if (Pick(2) == 0)
                continue;
            const int entry = Pick(3);
            CreateKey(kNames + named);
            if (entry > 0)
                AddScheme(named, entry == 1 ? L"No Sounds" : named);
            profile.schemes.push_back(named);
            valued.push_back(named);
            currentChoices.push_back(named);
        }
        profile.current = currentChoices[Pick(currentChoices.size())];
        profile.unsaved = profile.current.empty() || profile.current == L".current";
        if (profile.current == L".current" && Pick(2) == 0)
            profile.current = L".CURRENT";
        if (!profile.current.empty() || Pick(2) == 0)
            SetCurrentSchemeValue(profile.current);
        const bool mirror = !profile.unsaved && Pick(2) == 0;
        const bool quiet = Pick(4) == 0; // every slot plays nothing
        const std::optional<StoredValue> display = GetValue(kNames + profile.current);
        profile.currentGivesEverySound = mirror && display && display->Text() != L"No Sounds";

        for (int app = Pick(3); app < 3; ++app) {
            for (int event = Pick(4); event < 4; ++event) {
                const std::wstring slot = SlotPath(kApps[app], kEvents[event]);
                const int shape = Pick(10); // 0: no .Current key, 1: no value
                const std::wstring playing = shape > 1 && !quiet ? kSounds[Pick(5)] : L"";
                CreateKey(slot);
                if (shape == 1)
                    CreateKey(slot + L"\\.Current");
                else if (shape > 1)
                    SetShaped(slot + L"\\.Current", playing);
                for (const std::wstring& scheme : valued) {
                    const int value = mirror && scheme == profile.current ? 2 : Pick(4); // 0: no key
                    if (value > 0)
                        SetShaped(slot + L"\\" + scheme, value == 1 ? kSounds[Pick(5)] : playing);
                }
            }
        }
        profile.target = profile.schemes[Pick(profile.schemes.size())];
        return profile;
    }

    // The sounds in use (the text of every .Current key's value; absent,
    // empty and NUL-only: "") and every scheme's keys and values byte for
    // byte, but no ".Hushlark" key that `before` lacks.
    struct State {
        std::map<std::wstring, std::wstring> sounds;
        std::map<std::wstring, StoredValue> schemes;
    };
    State ReadState(const State* before = nullptr) const
    {
        State state;
        for (const auto& [path, value] : Contents()) {
            const std::wstring key = path.substr(0, path.find(L'|'));
            if (key.size() > 9 && key.compare(key.size() - 9, 9, L"\\.Current") == 0)
                state.sounds[key] = value.Text(); // the key comes first, then its value
            else if (path != L"AppEvents\\Schemes|" &&
                     !(before && key.find(L"\\.Hushlark") != std::wstring::npos && !before->schemes.count(key)))
                state.schemes[path] = value;
        }
        return state;
    }

    // The slots of `sounds` whose sound one of `schemes` holds: applying that
    // scheme plays the sound in its slot again. Changes the sounds in use.
    std::set<std::wstring> Held(const std::map<std::wstring, std::wstring>& sounds,
                                const std::vector<std::wstring>& schemes)
    {
        std::set<std::wstring> held;
        for (const std::wstring& scheme : schemes) {
            EXPECT_TRUE(store.ApplyScheme(SoundSlots::Read(), scheme).Ok()) << scheme;
            const std::map<std::wstring, std::wstring> given = ReadState().sounds;
            for (const auto& [slot, sound] : sounds) {
                const auto found = given.find(slot);
                if (found != given.end() && found->second == sound)
                    held.insert(slot);
            }
        }
        return held;
    }

    // Every sound of `sounds` is held by one of `holders` (the scheme current
    // before a change, unless it held no sounds, and the one it applied), or
    // else by the scheme the change saved; and a scheme was saved only for a
    // sound that no holder holds.
    void ExpectEverySoundHeld(const std::map<std::wstring, std::wstring>& sounds,
                              const std::vector<std::wstring>& holders, const std::optional<std::wstring>& saved)
    {
        std::set<std::wstring> held = Held(sounds, holders);
        EXPECT_EQ(saved.has_value(), held.size() < sounds.size()) << "saved: " << saved.value_or(L"(none)");
        if (saved)
            held.merge(Held(sounds, {*saved}));
        for (const auto& [slot, sound] : sounds)
            EXPECT_EQ(held.count(slot), 1u)
                << slot << " played \"" << sound << "\", held by none of " << testing::PrintToString(holders)
                << " or the saved " << saved.value_or(L"(none)");
    }

    std::mt19937 random_;
    SchemeStore store;
};

std::string Trace(unsigned number)
{
    return "profile " + std::to_string(number) + " (seed " + std::to_string(kSeed + number) + ")";
}

using Result = SoundChange::Result;

TEST_F(SoundPropertyTest, MuteThenUnmuteGivesEverySoundBackAndKeepsEveryScheme)
{
    for (unsigned number = 0; number < kProfiles && !HasFailure(); ++number) {
        SCOPED_TRACE(Trace(number));
        const Profile profile = Generate(number);
        const State before = ReadState();

        const SoundChange muted = Mute(store);
        ASSERT_EQ(muted.result, Result::Done);
        if (profile.unsaved || profile.currentGivesEverySound) {
            EXPECT_EQ(muted.savedScheme.has_value(), profile.unsaved) << "current " << profile.current;
        }

        ASSERT_EQ(Unmute(store).result, Result::Done);
        const State after = ReadState(&before);
        EXPECT_EQ(after.sounds, before.sounds) << "current " << profile.current;
        EXPECT_EQ(after.schemes, before.schemes);
    }
}

// A sound may stay unsaved when the scheme changed to writes it again; every
// sound is still held by a scheme afterwards.
TEST_F(SoundPropertyTest, ChangingToAnySchemeLeavesEverySoundHeldBySomeScheme)
{
    for (unsigned number = 0; number < kProfiles && !HasFailure(); ++number) {
        SCOPED_TRACE(Trace(number));
        const Profile profile = Generate(number);
        const State before = ReadState();

        const SoundChange change = ChangeScheme(store, profile.target);
        ASSERT_EQ(change.result, Result::Done);
        EXPECT_EQ(ReadState(&before).schemes, before.schemes);
        // Sounds saved under no scheme are held by none.
        std::vector<std::wstring> holders = {profile.target};
        if (!profile.unsaved)
            holders.push_back(profile.current);
        ExpectEverySoundHeld(before.sounds, holders, change.savedScheme);
    }
}

TEST_F(SoundPropertyTest, UnmuteLeavesEverySoundPlayedUnderTheSilentSchemeHeldBySomeScheme)
{
    for (unsigned number = 0; number < kProfiles && !HasFailure(); ++number) {
        SCOPED_TRACE(Trace(number));
        const Profile profile = Generate(number);
        SetCurrentSchemeValue(L".None");
        if (Pick(2) == 0) {
            ASSERT_EQ(ProgramSettings().WriteLastSound(profile.target), ERROR_SUCCESS);
        }
        const auto everything = Contents();
        const auto sounds = ReadState().sounds;
        const auto settings = Contents(kSettingsPath);

        ASSERT_EQ(Mute(store).result, Result::Unchanged);
        EXPECT_EQ(Contents(), everything);
        EXPECT_EQ(Contents(kSettingsPath), settings);

        const SoundChange unmuted = Unmute(store);
        ASSERT_EQ(unmuted.result, Result::Done);
        const std::wstring turnedOn = store.ReadCurrentScheme();
        // A save holds every sound that played.
        if (unmuted.savedScheme) {
            EXPECT_TRUE(store.ApplyScheme(SoundSlots::Read(), *unmuted.savedScheme).Ok());
            EXPECT_EQ(ReadState().sounds, sounds);
        }
        ExpectEverySoundHeld(sounds, {L".None", turnedOn}, unmuted.savedScheme);
    }
}

} // namespace
