#pragma once

#include <optional>
#include <string>

#include "engine/change_report.h"
#include "engine/scheme_store.h"
#include "mute/program_settings.h"

// What an operation that changes the sounds in use did. Before any of them
// writes a slot, the sounds that the current scheme would not give back are
// saved as a new scheme; if that save fails, nothing at all is changed.
struct SoundChange {
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
    ChangeReport report;
};

// Silences every sound by applying the silent scheme, after remembering the
// scheme to come back to (the one just saved, or the current one) as
// LastSound. Unchanged while the silent scheme is current: the remembered
// scheme is kept.
SoundChange Mute(const SchemeStore& store);

// Applies the remembered scheme again, or ".Default" when none is remembered,
// it is the silent scheme or it no longer exists. Unchanged while sounds are on.
SoundChange Unmute(const SchemeStore& store);

// Applies a scheme chosen by the user and records it as DefaultScheme.
SoundChange ChangeScheme(const SchemeStore& store, const std::wstring& schemeKey);

// Keeps the scheme the program applied last (DefaultScheme) current while
// KeepDefault is on, by applying it again when another program made another
// scheme current. Runs twice a second: its usual path is two short reads.
class SchemeGuard {
public:
    void GuardDefaultScheme(const SchemeStore& store);

private:
    // The current scheme, as read, at which saving its sounds failed: left
    // alone until the current scheme changes, rather than retried every tick.
    std::optional<std::wstring> heldAfterFailure_;
};
