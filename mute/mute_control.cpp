#include "mute/mute_control.h"

#include <utility>

#include "engine/scheme_paths.h"
#include "engine/sound_slots.h"

namespace {

// Stateless: every call reads or writes the registry.
const ProgramSettings settings;

// Saves the sounds in use as a new scheme unless the current scheme would give
// every one of them back. Sounds saved under no scheme (".current") or a
// missing current scheme are always saved. NotSaved when the save failed.
SoundChange SaveSoundsNoSchemeHolds(const SchemeStore& store, const SoundSlots& slots,
                                    const std::wstring& currentScheme)
{
    SoundChange change;
    const bool unsaved = currentScheme.empty() || IsUnsavedScheme(currentScheme);
    if (!unsaved && slots.AllComeBackFrom(store.SourceSchemeKey(currentScheme)))
        return change;

    std::wstring schemeKey = store.FindFreeSchemeKey();
    change.report = slots.SaveAs(schemeKey, store.MakeSnapshotDisplayName(schemeKey));
    if (change.report.Ok())
        change.savedScheme = std::move(schemeKey);
    else
        change.result = SoundChange::Result::NotSaved;
    return change;
}

// The last step of every change: writes the scheme through the slots, makes
// it current and records it as the scheme the program applied last.
SoundChange ApplyAndRecord(const SchemeStore& store, const SoundSlots& slots, const std::wstring& schemeKey,
                           SoundChange change)
{
    change.report = store.ApplyScheme(slots, schemeKey);
    change.report.Count(settings.WriteDefaultScheme(schemeKey), [] { return std::wstring(kSettingsKeyPath); });
    change.result = change.report.Ok() ? SoundChange::Result::Done : SoundChange::Result::PartlyDone;
    return change;
}

} // namespace

SoundChange Mute(const SchemeStore& store)
{
    const std::wstring currentScheme = store.ReadCurrentScheme();
    // Muting again would remember the silent scheme and forget the one to
    // come back to.
    if (IsSilentScheme(currentScheme))
        return SoundChange();

    const SoundSlots slots = SoundSlots::Read();
    // Unmute comes back only to a scheme that exists: the sounds played under
    // a key without a Names entry are saved as if they were saved under none.
    const std::wstring comeBackTo = store.SchemeExists(currentScheme) ? currentScheme : std::wstring();
    SoundChange change = SaveSoundsNoSchemeHolds(store, slots, comeBackTo);
    if (change.result == SoundChange::Result::NotSaved)
        return change;

    // Remembered before the current scheme is switched and any slot emptied;
    // without it there would be nothing to come back to.
    const LONG remembered = settings.WriteLastSound(change.savedScheme.value_or(currentScheme));
    if (remembered != ERROR_SUCCESS) {
        if (change.savedScheme)
            store.DeleteScheme(*change.savedScheme);
        change = SoundChange{SoundChange::Result::NotSaved};
        change.report.Count(remembered, [] { return std::wstring(kSettingsKeyPath); });
        return change;
    }
    return ApplyAndRecord(store, slots, scheme_paths::kSilentScheme, std::move(change));
}

SoundChange Unmute(const SchemeStore& store)
{
    if (store.IsSoundOn())
        return SoundChange();
    // An empty name left by another program would make an empty key current
    // and silence every slot, and a deleted scheme would apply as silence: both
    // fall back like an absent one.
    std::wstring schemeKey = settings.ReadLastSound().value_or(L"");
    if (IsSilentScheme(schemeKey) || !store.SchemeExists(schemeKey))
        schemeKey = scheme_paths::kDefaultScheme;
    return ChangeScheme(store, schemeKey);
}

SoundChange ChangeScheme(const SchemeStore& store, const std::wstring& schemeKey)
{
    const SoundSlots slots = SoundSlots::Read();
    SoundChange change = SaveSoundsNoSchemeHolds(store, slots, store.ReadCurrentScheme());
    if (change.result == SoundChange::Result::NotSaved)
        return change;
    return ApplyAndRecord(store, slots, schemeKey, std::move(change));
}

void SchemeGuard::GuardDefaultScheme(const SchemeStore& store)
{
    // The usual path: two short reads and no write.
    const std::wstring currentScheme = store.ReadCurrentScheme();
    const std::optional<std::wstring> defaultScheme = settings.ReadDefaultScheme();
    if (!defaultScheme) {
        settings.WriteDefaultScheme(currentScheme);
        return;
    }
    if (heldAfterFailure_ && *heldAfterFailure_ != currentScheme)
        heldAfterFailure_.reset();
    if (NamesEqual(currentScheme, *defaultScheme) || heldAfterFailure_ || settings.ReadKeepDefault() == 0)
        return;

    // Nothing that would silence every slot or name no scheme is applied.
    if (IsUnsavedScheme(*defaultScheme) || !store.SchemeExists(*defaultScheme))
        return;
    // A failure is not shown from a timer tick, and the tick does not try again
    // twice a second while the current scheme stays the same.
    if (ChangeScheme(store, *defaultScheme).result != SoundChange::Result::Done)
        heldAfterFailure_ = currentScheme;
}
