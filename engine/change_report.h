#pragma once

#include <windows.h>

#include <string>

// How a change to the sound data went: how many of its registry changes
// failed, of how many, and the first failure, with the key path below
// HKEY_CURRENT_USER where it happened. Collected over a whole operation and
// reported once. A change that failed is taken back before it is reported;
// when taking it back failed too, the first failure of that undo is kept
// apart, so that nobody is told that nothing changed.
struct [[nodiscard]] ChangeReport {
    unsigned total = 0;
    unsigned failed = 0;
    std::wstring firstPath;
    LONG firstError = ERROR_SUCCESS;
    std::wstring undoPath;
    LONG undoError = ERROR_SUCCESS;

    bool Ok() const noexcept { return failed == 0 && !UndoFailed(); }
    bool UndoFailed() const noexcept { return undoError != ERROR_SUCCESS; }

    // Counts one change; `path` is only asked for when it failed.
    template <typename PathOf>
    void Count(LONG error, PathOf&& path)
    {
        ++total;
        if (error != ERROR_SUCCESS && failed++ == 0) {
            firstPath = path();
            firstError = error;
        }
    }

    // Notes one step of taking a failed change back; `path` is only asked for
    // when the first one failed.
    template <typename PathOf>
    void CountUndo(LONG error, PathOf&& path)
    {
        if (error != ERROR_SUCCESS && undoError == ERROR_SUCCESS) {
            undoPath = path();
            undoError = error;
        }
    }
};
