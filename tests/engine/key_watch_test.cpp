#include "win32/key_watch.h"

#include "tests/support/registry_sandbox.h"

namespace {

constexpr wchar_t kPath[] = L"Software\\Watched\\Settings";

using KeyWatchTest = RegistrySandbox;

TEST_F(KeyWatchTest, SeesChangesOnceAndMakesADeletedKeyAgain)
{
    KeyWatch watch;
    ASSERT_EQ(watch.Start(kPath), ERROR_SUCCESS);
    EXPECT_TRUE(KeyExists(kPath)) << "created when missing";
    EXPECT_EQ(watch.Poll(), KeyWatch::Change::None);

    SetDword(kPath, L"QuietHoursOn", 1);
    EXPECT_EQ(watch.Poll(), KeyWatch::Change::Changed);
    EXPECT_EQ(watch.Poll(), KeyWatch::Change::None) << "once per change";
    SetDword(kPath, L"QuietHoursOn", 0);
    EXPECT_EQ(watch.Poll(), KeyWatch::Change::Changed) << "armed again";

    DeleteTree(kPath);
    EXPECT_EQ(watch.Poll(), KeyWatch::Change::Recreated);
    EXPECT_TRUE(KeyExists(kPath));
    EXPECT_EQ(watch.Poll(), KeyWatch::Change::None);
    SetDword(kPath, L"QuietHoursOn", 1);
    EXPECT_EQ(watch.Poll(), KeyWatch::Change::Changed) << "the new key is watched";
}

} // namespace
