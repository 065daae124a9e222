#include "engine/scheme_store.h"

#include <string>

#include "tests/support/registry_sandbox.h"

namespace {

// Failures made for real: a key whose DACL is empty cannot be opened (error 5),
// and a key with a subkey of its own cannot be deleted.
class FaultTest : public RegistrySandbox {
protected:
    // Replaces the key's DACL: empty (no access for anyone) or null (full access).
    static void SetDacl(const std::wstring& path, bool empty)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
        ACL acl;
        InitializeAcl(&acl, sizeof(acl), ACL_REVISION);
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, empty ? &acl : nullptr, FALSE);
        EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    SchemeStore store;
};

TEST_F(FaultTest, ApplyDeleteAndRenameReportWhatFailed)
{
    SeedTypicalProfile();
    const std::wstring locked = SlotPath(L"Explorer", L"EmptyRecycleBin") + L"\\.Current";
    SetDacl(locked, true);
    const ChangeReport applied = store.ApplyScheme(L".None");
    EXPECT_EQ(applied.failed, 1u);
    EXPECT_EQ(applied.total, 8u) << "seven slots and the current scheme";
    EXPECT_EQ(applied.firstPath, locked);
    EXPECT_EQ(applied.firstError, ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetCurrentSound(L"sapisvr", L"HubOnSound")->ByteCount(), 2u) << "the other slots are written";
    SetDacl(locked, false);
    EXPECT_EQ(GetCurrentSound(L"Explorer", L"EmptyRecycleBin")->Text(), L"C:\\Windows\\media\\Windows Recycle.wav");

    const std::wstring kept = SlotPath(L"Explorer", L"EmptyRecycleBin") + L"\\QuietOffice";
    CreateKey(kept + L"\\Extra");
    const ChangeReport deleted = store.DeleteScheme(L"QuietOffice");
    EXPECT_EQ(deleted.failed, 1u);
    EXPECT_EQ(deleted.total, 3u) << "the Names entry and two slot keys";
    EXPECT_EQ(deleted.firstPath, kept);
    EXPECT_FALSE(store.SchemeExists(L"QuietOffice"));

    const ChangeReport renamed = store.RenameScheme(L"QuietOffice", L"Calm");
    EXPECT_EQ(renamed.failed, 1u);
    EXPECT_EQ(renamed.firstPath, L"AppEvents\\Schemes\\Names\\QuietOffice");
    EXPECT_EQ(renamed.firstError, ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(KeyExists(L"AppEvents\\Schemes\\Names\\QuietOffice")) << "a scheme that is gone stays gone";
}

} // namespace
