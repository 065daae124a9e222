#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Grants Everyone only `access` to a key below HKEY_CURRENT_USER (0: an empty
// list, which refuses every open) until the end of the scope: a registry call
// that fails for real, as when another program locked the key. The handle
// taken before keeps the right to change the list back, so that the sandbox
// can delete the key.
class RestrictedKey {
public:
    RestrictedKey(const std::wstring& path, DWORD access)
    {
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key_), ERROR_SUCCESS) << "no key";
        BYTE everyone[SECURITY_MAX_SID_SIZE];
        DWORD sidSize = sizeof(everyone);
        CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize);
        std::vector<BYTE> acl(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + sidSize);
        InitializeAcl(reinterpret_cast<ACL*>(acl.data()), static_cast<DWORD>(acl.size()), ACL_REVISION);
        if (access != 0)
            AddAccessAllowedAce(reinterpret_cast<ACL*>(acl.data()), ACL_REVISION, access, everyone);
        EXPECT_EQ(SetDacl(reinterpret_cast<ACL*>(acl.data())), ERROR_SUCCESS);
    }
    RestrictedKey(const RestrictedKey&) = delete;
    RestrictedKey& operator=(const RestrictedKey&) = delete;
    ~RestrictedKey()
    {
        SetDacl(nullptr); // no list at all: everyone may do everything
        RegCloseKey(key_);
    }

private:
    LONG SetDacl(ACL* acl)
    {
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
        return RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &descriptor);
    }

    HKEY key_ = nullptr;
};
