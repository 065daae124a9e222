#pragma once

#include <optional>
#include <string>

#include "engine/change_report.h"
#include "engine/scheme_store.h"
#include "mute/program_settings.h"

// What an operation that changes the sounds in use did. Before any of them
// writes a slot, the sounds that no scheme would give back are saved as a new
// scheme; if that save fails, nothing at all is changed. Its text for the user
// is FailureMessage (mute/change_message.h).
struct [[nodiscard]] SoundChange {
    enum class Result {
        Unchanged,  // there was nothing to do
        Done,       // every change was made
        NotSaved,   // the sounds in use could not be saved: nothing was changed
        PartlyDone, // some slots could not be changed
        SchemeGone, // the scheme to apply no longer exists: nothing was changed
    };
    Result result = Result::Unchanged;
    // The scheme the sounds in use were saved under first, if they were.
    std::optional<std::wstring> savedScheme;
    // For NotSaved the first failure of the save; otherwise every change.
    // A failed undo of the save (see ChangeReport) is noted here too.
    ChangeReport report;
    // A write to the program's settings key (LastSound, DefaultScheme) that
    // failed, apart from the sounds: NotSaved when it stopped the change
    // before any sound changed, PartlyDone when it came after them.
    LONG settingsError = ERROR_SUCCESS;
};

// Silences every sound by applying the silent scheme, after remembering the
// scheme to come back to (the one just saved, or the current one) as
// LastSound. Unchanged while the silent scheme is current: the remembered
// scheme is kept. The sounds in use are saved first unless the current scheme
// gives every one of them back; the silent scheme never counts as holding
// them, or a sound the user silenced under another scheme would come back.
// When LastSound cannot be written, the scheme just saved is deleted again
// and nothing is changed (NotSaved).
[[nodiscard]] SoundChange Mute(const SchemeStore& store);

// Applies the remembered scheme again, or ".Default" when none is remembered,
// it is the silent scheme or it no longer exists. Unchanged while sounds are on.
[[nodiscard]] SoundChange Unmute(const SchemeStore& store);

// Applies a scheme chosen by the user and records it as DefaultScheme. A slot
// keeps its sound when the current scheme gives it back or the scheme applied
// writes exactly that sound; only when some slot would lose its sound are the
// sounds in use saved first. A scheme that no longer exists is not applied:
// SchemeGone, nothing changed (".Default" always exists).
[[nodiscard]] SoundChange ChangeScheme(const SchemeStore& store, const std::wstring& schemeKey);

// Keeps the scheme the program applied last (DefaultScheme) current while
// KeepDefault is on, by applying it again when another program made another
// scheme current. Runs twice a second: its usual path is two short reads.
class SchemeGuard {
public:
    // True when it put the scheme back, if only for some slots.
    bool GuardDefaultScheme(const SchemeStore& store);

private:
    // The current scheme, as read, at which saving its sounds failed: left
    // alone until the current scheme changes, rather than retried every tick.
    std::optional<std::wstring> heldAfterFailure_;
};
