// Times the engine's whole-profile operations, as the program calls them, on
// synthetic sound-event data of several sizes and prints the figures; it
// asserts nothing. HKEY_CURRENT_USER is
// redirected to a scratch key for the whole run and the scratch key is deleted
// afterwards, so the user's own sound settings are never touched.
//
//   hushlark_bench [APPSxEVENTS ...]     default: 10x20 50x50 200x50

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "engine/scheme_paths.h"
#include "engine/scheme_store.h"
#include "engine/sound_slots.h"
#include "mute/mute_control.h"
#include "mute/quiet_rules.h"
#include "win32/registry.h"
#include "win32/unique_handle.h"

namespace {

constexpr wchar_t kScratchParent[] = L"Software\\HushlarkBench";

// Redirects HKEY_CURRENT_USER to a fresh scratch key while it lives.
class ScratchProfile {
public:
    ScratchProfile()
    {
        // The parent is opened before the override, which would redirect it too.
        parent_ = registry::CreateKey(HKEY_CURRENT_USER, kScratchParent, KEY_ALL_ACCESS);
        name_ = L"p" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
        const registry::Key scratch = registry::CreateKey(parent_.get(), name_, KEY_ALL_ACCESS);
        active_ = scratch && RegOverridePredefKey(HKEY_CURRENT_USER, scratch.get()) == ERROR_SUCCESS;
    }
    ~ScratchProfile()
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        // An empty name would make RegDeleteTreeW wipe every scratch profile.
        if (parent_ && !name_.empty())
            RegDeleteTreeW(parent_.get(), name_.c_str());
    }
    ScratchProfile(const ScratchProfile&) = delete;
    ScratchProfile& operator=(const ScratchProfile&) = delete;

    bool Active() const { return active_; }

private:
    registry::Key parent_;
    std::wstring name_;
    bool active_ = false;
};

class Stopwatch {
public:
    Stopwatch()
    {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double Seconds() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_;
    LARGE_INTEGER start_;
};

template <typename Action>
double TimeOnce(Action&& action)
{
    const Stopwatch watch;
    action();
    return watch.Seconds();
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Counts what failed while seeding or between the timed calls: figures of
// operations that failed would mean nothing.
unsigned failures = 0;

void Check(bool ok)
{
    failures += ok ? 0 : 1;
}

void SetText(const std::wstring& path, DWORD type, const std::wstring& text)
{
    const registry::Key key = registry::CreateKey(HKEY_CURRENT_USER, path);
    Check(registry::WriteString(key.get(), nullptr, type, text) == ERROR_SUCCESS);
}

// Each operation as the program runs it: one walk of the slots, then the work.
void Apply(const SchemeStore& store, const wchar_t* schemeKey)
{
    Check(store.ApplyScheme(SoundSlots::Read(), schemeKey).Ok());
}

void Check(const SoundChange& change)
{
    Check(change.result == SoundChange::Result::Done || change.result == SoundChange::Result::Unchanged);
}

// A profile shaped like a real one: the two system schemes and one saved
// scheme, and in every slot a .Current sound and a value for each scheme.
void SeedProfile(int apps, int events)
{
    SetText(L"AppEvents\\Schemes", REG_SZ, L".Default");
    SetText(L"AppEvents\\Schemes\\Names\\.Default", REG_SZ, L"@mmres.dll,-800");
    SetText(L"AppEvents\\Schemes\\Names\\.None", REG_SZ, L"@mmres.dll,-801");
    SetText(L"AppEvents\\Schemes\\Names\\Office", REG_SZ, L"Office");
    for (int app = 0; app < apps; ++app) {
        for (int event = 0; event < events; ++event) {
            wchar_t slot[96];
            std::swprintf(slot, 96, L"AppEvents\\Schemes\\Apps\\App%03d\\Event%03d\\", app, event);
            wchar_t sound[96];
            std::swprintf(sound, 96, L"C:\\Windows\\media\\Sound %03d-%03d.wav", app, event);
            const std::wstring path = slot;
            SetText(path + L".Current", REG_EXPAND_SZ, sound);
            SetText(path + L".Default", REG_SZ, sound);
            SetText(path + L".None", REG_SZ, L"");
            SetText(path + L"Office", REG_SZ, L"%SystemRoot%\\media\\Office.wav");
        }
    }
}

// What a checked Mute cannot avoid, and nothing more: the same walk, and per
// slot one read of .Current, one read of the current scheme's value and one
// write of .Current. The floor the checked Mute is measured against.
void MuteFloor(const std::wstring& currentScheme)
{
    const registry::Key apps = registry::OpenKey(HKEY_CURRENT_USER, scheme_paths::kApps);
    const LONG walked = registry::WalkSubkeys(apps.get(), [&](DWORD, const wchar_t* app) {
        const registry::Key appKey = registry::OpenKey(apps.get(), app);
        const LONG eventsWalked = registry::WalkSubkeys(appKey.get(), [&](DWORD, const wchar_t* event) {
            const registry::Key current = registry::OpenKey(
                appKey.get(), scheme_paths::Join(event, scheme_paths::kCurrentSlotKey), registry::kReadWrite);
            const registry::Text sound = registry::ReadText(current.get(), nullptr);
            static_cast<void>(sound);
            const registry::Key scheme =
                registry::OpenKey(appKey.get(), scheme_paths::Join(event, currentScheme), KEY_QUERY_VALUE);
            const registry::Text given = registry::ReadText(scheme.get(), nullptr);
            static_cast<void>(given);
            Check(registry::WriteBytes(current.get(), nullptr, REG_EXPAND_SZ, L"", sizeof(wchar_t)) == ERROR_SUCCESS);
        });
        Check(eventsWalked == ERROR_SUCCESS);
    });
    Check(walked == ERROR_SUCCESS);
}

struct Row {
    const char* operation;
    double secondsPerCall;
};

struct SizeResult {
    int apps;
    int events;
    std::vector<Row> rows; // operations that visit every slot
};

SizeResult RunSize(int apps, int events)
{
    SizeResult result{apps, events, {}};
    const ScratchProfile sandbox;
    if (!sandbox.Active()) {
        std::printf("cannot redirect HKEY_CURRENT_USER to a scratch key; nothing measured\n");
        return result;
    }
    const int slots = apps * events;
    const double seeding = TimeOnce([&] { SeedProfile(apps, events); });
    // Fewer repetitions for the large profiles keep a run within a minute.
    const int repeats = slots <= 500 ? 7 : slots <= 3000 ? 5 : 3;
    const SchemeStore store;

    std::vector<double> applyCopy, applySilent, snapshot, remove, mute, floor, muteSaved, muteUnsaved;
    for (int r = 0; r < repeats; ++r) {
        applyCopy.push_back(TimeOnce([&] { Apply(store, L"Office"); }));
        applySilent.push_back(TimeOnce([&] { Apply(store, L".None"); }));
        Apply(store, L".Default");

        snapshot.push_back(
            TimeOnce([&] { Check(SoundSlots::Read().SaveAs(L".Hushlark0", L"Hushlark 0 (1/1/2026)").Ok()); }));
        remove.push_back(TimeOnce([&] { Check(store.DeleteScheme(L".Hushlark0").Ok()); }));

        // Every sound comes back from the current scheme: nothing to save.
        mute.push_back(TimeOnce([&] { Check(Mute(store)); }));
        Apply(store, L".Default");
        floor.push_back(TimeOnce([&] { MuteFloor(L".Default"); }));
        Apply(store, L".Default");

        muteSaved.push_back(TimeOnce([&] {
            Check(Mute(store));
            Check(Unmute(store));
        }));

        // Unsaved sounds: muting saves them as .Hushlark0 first.
        Check(store.SetCurrentScheme(L".current") == ERROR_SUCCESS);
        muteUnsaved.push_back(TimeOnce([&] {
            Check(Mute(store));
            Check(Unmute(store));
        }));
        Check(store.DeleteScheme(L".Hushlark0").Ok());
        Apply(store, L".Default");
    }

    // The guard's usual tick: current scheme and DefaultScheme agree.
    constexpr int kTicks = 2000;
    Apply(store, L".Default");
    std::vector<double> guard;
    SchemeGuard guardian;
    for (int r = 0; r < 3; ++r) {
        guard.push_back(TimeOnce([&] {
                            for (int tick = 0; tick < kTicks; ++tick)
                                guardian.GuardDefaultScheme(store);
                        }) /
                        kTicks);
    }

    // The tray's whole tick after the icon's read: the guard, then the quiet
    // rules, with none switched on and with all three on (none holding). The
    // tray adds one question to the shell for the presenting rule.
    const auto tickWithRules = [&](bool switchedOn) {
        for (const QuietRule rule : kQuietRules)
            Check(WriteRuleSwitch(rule, switchedOn) == ERROR_SUCCESS);
        Check(WriteQuietHours({L"03:00-03:01 sun"}) == ERROR_SUCCESS);
        QuietKeeper keeper;
        std::vector<double> ticks;
        for (int r = 0; r < 3; ++r) {
            ticks.push_back(TimeOnce([&] {
                                for (int tick = 0; tick < kTicks; ++tick) {
                                    QuietInputs inputs;
                                    inputs.localNow = LocalWallTimeNow();
                                    inputs.tickMs = GetTickCount64();
                                    inputs.soundOn = store.IsSoundOn();
                                    inputs.guardPutSchemeBack = guardian.GuardDefaultScheme(store);
                                    static_cast<void>(keeper.Tick(store, inputs));
                                }
                            }) /
                            kTicks);
        }
        return Median(ticks);
    };
    const double tickRulesOff = tickWithRules(false);
    const double tickRulesOn = tickWithRules(true);

    std::printf("\n%d apps x %d events = %d slots (seeded in %.2f s; median of %d runs)\n", apps, events, slots,
                seeding, repeats);
    result.rows = {
        {"ApplyScheme (copy a scheme)", Median(applyCopy)},
        {"ApplyScheme (.None, silent)", Median(applySilent)},
        {"SoundSlots::SaveAs (sounds in use)", Median(snapshot)},
        {"DeleteScheme", Median(remove)},
        {"Mute (checked, nothing to save)", Median(mute)},
        {"floor: read 2, write 1 per slot", Median(floor)},
        {"Mute+Unmute (saved scheme)", Median(muteSaved)},
        {"Mute+Unmute (unsaved, snapshot)", Median(muteUnsaved)},
    };
    std::printf("  %-34s %12s %12s\n", "operation", "ms per call", "us per slot");
    for (const Row& row : result.rows)
        std::printf("  %-34s %12.2f %12.2f\n", row.operation, row.secondsPerCall * 1e3,
                    row.secondsPerCall * 1e6 / slots);
    std::printf("  %-34s %12.4f %12s\n", "GuardDefaultScheme, no change", Median(guard) * 1e3, "-");
    std::printf("  %-34s %12.4f %12s\n", "tick: icon, guard, rules all off", tickRulesOff * 1e3, "-");
    std::printf("  %-34s %12.4f %12s\n", "tick: icon, guard, rules all on", tickRulesOn * 1e3, "-");
    std::printf("  checked Mute / floor: %.2f\n", Median(mute) / Median(floor));
    if (failures > 0)
        std::printf("  %u registry changes failed: these figures mean nothing\n", failures);
    return result;
}

bool ParseSize(const char* text, int& apps, int& events)
{
    return std::sscanf(text, "%dx%d", &apps, &events) == 2 && apps > 0 && events > 0 && apps <= 1000 && events <= 1000;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::pair<int, int>> sizes;
    for (int i = 1; i < argc; ++i) {
        int apps = 0, events = 0;
        if (!ParseSize(argv[i], apps, events)) {
            std::printf("usage: hushlark_bench [APPSxEVENTS ...], for example 10x20 200x50\n");
            return 2;
        }
        sizes.emplace_back(apps, events);
    }
    if (sizes.empty())
        sizes = {{10, 20}, {50, 50}, {200, 50}};

    std::vector<SizeResult> results;
    for (const auto& [apps, events] : sizes) {
        results.push_back(RunSize(apps, events));
        std::fflush(stdout);
    }

    // Linear growth shows as a flat cost per slot across the sizes.
    std::printf("\nus per slot by size\n  %-34s", "operation");
    for (const SizeResult& size : results)
        std::printf(" %10d", size.apps * size.events);
    std::printf("\n");
    const size_t slotRows = results.empty() ? 0 : results.front().rows.size();
    for (size_t row = 0; row < slotRows; ++row) {
        std::printf("  %-34s", results.front().rows[row].operation);
        for (const SizeResult& size : results) {
            const bool measured = row < size.rows.size();
            if (measured)
                std::printf(" %10.2f", size.rows[row].secondsPerCall * 1e6 / (size.apps * size.events));
            else
                std::printf(" %10s", "-");
        }
        std::printf("\n");
    }
    return 0;
}
