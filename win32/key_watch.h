#pragma once

#include <windows.h>

#include <string>

#include "win32/registry.h"
#include "win32/unique_handle.h"

// Watches the values of one key below HKEY_CURRENT_USER, without waiting: a
// timer asks now and then whether they changed. The key is created when it is
// missing, and again when another program deletes it.
class KeyWatch {
public:
    enum class Change {
        None,      // nothing changed since the last poll
        Changed,   // a value was set or deleted
        Recreated, // the key was deleted; it is there again, empty
    };

    // Opens the key, creating it when it is missing, and arms the
    // notifications. Answers the Win32 result.
    [[nodiscard]] LONG Start(const std::wstring& path);

    // Whether the key changed since the last poll. A notification fires once,
    // so it is armed again before the caller reads what changed.
    Change Poll();

private:
    std::wstring path_;
    // The key's values, and its parent's subkeys: a deleted key does not
    // always tell its own watchers (Wine's registry does not), its parent does.
    registry::Key key_;
    registry::Key parent_;
    UniqueKernelHandle keyEvent_;
    UniqueKernelHandle parentEvent_;
};
