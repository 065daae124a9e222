#include "mute/mute_control.h"

#include <utility>

#include "engine/scheme_paths.h"
#include "engine/sound_slots.h"

namespace {

// Stateless: every call reads or writes the registry.
const ProgramSettings settings;

// Saves the sounds in use as a new scheme unless every slot keeps its sound:
// the current scheme gives it back or, when `appliedSource` is given, applying
// that source key writes exactly that sound. Sounds saved under no scheme
// (".current") or a missing current scheme are held by none. NotSaved when the
// save failed.
SoundChange SaveSoundsNoSchemeHolds(const SchemeStore& store, const SoundSlots& slots,
                                    const std::wstring& currentScheme, const std::optional<std::wstring>& appliedSource)
{
    SoundChange change;
    const bool unsaved = currentScheme.empty() || IsUnsavedScheme(currentScheme);
    const std::optional<std::wstring> heldBy =
        unsaved ? std::nullopt : std::optional<std::wstring>(store.SourceSchemeKey(currentScheme));
    // Muting keeps sounds saved under no scheme in any case (appliedSource none).
    if ((heldBy || appliedSource) && slots.EverySoundKept(heldBy, appliedSource))
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
    change.settingsError = settings.WriteDefaultScheme(schemeKey);
    change.result = change.report.Ok() && change.settingsError == ERROR_SUCCESS ? SoundChange::Result::Done
                                                                                : SoundChange::Result::PartlyDone;
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
    SoundChange change = SaveSoundsNoSchemeHolds(store, slots, comeBackTo, std::nullopt);
    if (change.result == SoundChange::Result::NotSaved)
        return change;

    // Remembered before the current scheme is switched and any slot emptied;
    // without it there would be nothing to come back to.
    const LONG remembered = settings.WriteLastSound(change.savedScheme.value_or(currentScheme));
    if (remembered != ERROR_SUCCESS) {
        SoundChange failed{SoundChange::Result::NotSaved};
        failed.settingsError = remembered;
        if (change.savedScheme) {
            const ChangeReport deleted = store.DeleteScheme(*change.savedScheme);
            failed.report.CountUndo(deleted.firstError, [&] { return deleted.firstPath; });
        }
        return failed;
    }
    return ApplyAndRecord(store, slots, scheme_paths::kSilentScheme, std::move(change));
}

SoundChange Unmute(const SchemeStore& store)
{
    if (store.IsSoundOn())
        return SoundChange();
    // An empty name left by another program would make an empty key current
    // and silence every slot, and a deleted scheme would apply as silence:
    // both fall back like an absent one, as does the silent scheme itself.
    const std::wstring lastSound = settings.ReadLastSound().value_or(L"");
    if (!IsSilentScheme(lastSound)) {
        SoundChange change = ChangeScheme(store, lastSound);
        if (change.result != SoundChange::Result::SchemeGone)
            return change;
    }
    return ChangeScheme(store, scheme_paths::kDefaultScheme);
}

SoundChange ChangeScheme(const SchemeStore& store, const std::wstring& schemeKey)
{
    // A scheme without a Names entry would apply as silence.
    if (!store.SchemeExists(schemeKey))
        return SoundChange{SoundChange::Result::SchemeGone};
    const SoundSlots slots = SoundSlots::Read();
    SoundChange change =
        SaveSoundsNoSchemeHolds(store, slots, store.ReadCurrentScheme(), store.SourceSchemeKey(schemeKey));
    if (change.result == SoundChange::Result::NotSaved)
        return change;
    return ApplyAndRecord(store, slots, schemeKey, std::move(change));
}

bool SchemeGuard::GuardDefaultScheme(const SchemeStore& store)
{
    // The usual path: two short reads and no write.
    const std::wstring currentScheme = store.ReadCurrentScheme();
    const std::optional<std::wstring> defaultScheme = settings.ReadDefaultScheme();
    if (!defaultScheme) {
        // A tick shows nothing: a write that failed is tried at the next one.
        static_cast<void>(settings.WriteDefaultScheme(currentScheme));
        return false;
    }
    if (heldAfterFailure_ && *heldAfterFailure_ != currentScheme)
        heldAfterFailure_.reset();
    if (NamesEqual(currentScheme, *defaultScheme) || heldAfterFailure_ || settings.ReadKeepDefault() == 0)
        return false;

    // Sounds saved under no scheme would be applied as silence.
    if (IsUnsavedScheme(*defaultScheme))
        return false;
    // A failure is not shown from a timer tick, and the tick does not try again
    // twice a second while the current scheme stays the same. A scheme that is
    // gone changes nothing and is looked for again at the next tick.
    const SoundChange change = ChangeScheme(store, *defaultScheme);
    if (change.result != SoundChange::Result::Done && change.result != SoundChange::Result::SchemeGone)
        heldAfterFailure_ = currentScheme;
    return change.result == SoundChange::Result::Done || change.result == SoundChange::Result::PartlyDone;
}
