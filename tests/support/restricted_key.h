#pragma once

#include <windows.h>

#include <string>

// Grants Everyone only `access` to a key below HKEY_CURRENT_USER (0: an empty
// list, which refuses every open) until the end of the scope. The handle taken
// before keeps the right to change the list back, so that the sandbox can
// delete the key.
class RestrictedKey {
public:
    RestrictedKey(const std::wstring& path, DWORD access);
    RestrictedKey(const RestrictedKey&) = delete;
    RestrictedKey& operator=(const RestrictedKey&) = delete;
    ~RestrictedKey();

private:
    LONG SetDacl(ACL* acl);

    HKEY key_ = nullptr;
};
