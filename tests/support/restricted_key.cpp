#include "tests/support/restricted_key.h"

#include <gtest/gtest.h>

#include <vector>

RestrictedKey::RestrictedKey(const std::wstring& path, DWORD access)
{
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key_), ERROR_SUCCESS);
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(everyone);
    CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize);
    std::vector<BYTE> acl(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + sidSize);
    InitializeAcl(reinterpret_cast<ACL*>(acl.data()), static_cast<DWORD>(acl.size()), ACL_REVISION);
    if (access != 0)
        AddAccessAllowedAce(reinterpret_cast<ACL*>(acl.data()), ACL_REVISION, access, everyone);
    EXPECT_EQ(SetDacl(reinterpret_cast<ACL*>(acl.data())), ERROR_SUCCESS);
}

RestrictedKey::~RestrictedKey()
{
    SetDacl(nullptr); // no list at all: everyone may do everything
    RegCloseKey(key_);
}

LONG RestrictedKey::SetDacl(ACL* acl)
{
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    return RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &descriptor);
}
