#pragma once

#include <windows.h>

#include <string>

// How a change to the sound data went: how many of its registry changes
// failed, of how many, and the first failure, with the key path below
// HKEY_CURRENT_USER where it happened. Collected over a whole operation and
// reported once.
struct ChangeReport {
    unsigned total = 0;
    unsigned failed = 0;
    std::wstring firstPath;
    LONG firstError = ERROR_SUCCESS;

    bool Ok() const noexcept { return failed == 0; }

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
};
