// The per-user installer, installed, upgraded and removed for real with Wine's
// msiexec in the end-to-end tests' own prefix, as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/scheme_store.h"
#include "mute/program_settings.h"
#include "mute/startup_entry.h"
#include "resources/resource.h"
#include "tests/shell/program_driver.h"
#include "tests/support/registry_sandbox.h"
#include "tools/demo/demo_profile.h"
#include "win32/process.h"
#include "win32/registry.h"
#include "win32/unique_handle.h"

namespace {

constexpr DWORD kInstallTimeoutMs = 120000;

std::wstring Expand(const wchar_t* text)
{
    wchar_t expanded[MAX_PATH] = {};
    ExpandEnvironmentStringsW(text, expanded, MAX_PATH);
    return expanded;
}

std::wstring InstallFolder()
{
    return Expand(L"%LOCALAPPDATA%\\Programs\\Hushlark\\");
}

std::wstring ShortcutPath()
{
    return Expand(L"%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\Hushlark.lnk");
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The test's package of the programs under test, beside the test executable.
std::wstring Package(const wchar_t* version)
{
    return FolderOf(RunningProgramPath()) + L"Hushlark-" + version + L"-test.msi";
}

// Runs msiexec with the arguments, silently; its exit code.
std::optional<DWORD> Msiexec(const std::wstring& arguments)
{
    return RunToEnd(L"msiexec.exe " + arguments + L" /qn", kInstallTimeoutMs);
}

// The installed-apps entries named Hushlark, by their DisplayVersion.
std::vector<std::wstring> InstalledApps()
{
    std::vector<std::wstring> versions;
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const registry::Key uninstall =
            registry::OpenKey(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
        const LONG walked = registry::WalkSubkeys(uninstall.get(), [&](DWORD, const wchar_t* product) {
            const registry::Key entry = registry::OpenKey(uninstall.get(), product);
            if (registry::ReadString(entry.get(), L"DisplayName") == std::optional<std::wstring>(L"Hushlark"))
                versions.push_back(registry::ReadString(entry.get(), L"DisplayVersion").value_or(L""));
        });
        // A root without the key has no entries.
        EXPECT_TRUE(walked == ERROR_SUCCESS || !uninstall) << walked;
    }
    return versions;
}

// The icon installed apps show for the product: the file its ProductIcon names.
std::optional<std::wstring> ProductIcon()
{
    std::optional<std::wstring> icon;
    const registry::Key products = registry::OpenKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Installer\\Products");
    const LONG walked = registry::WalkSubkeys(products.get(), [&](DWORD, const wchar_t* product) {
        const registry::Key entry = registry::OpenKey(products.get(), product);
        if (registry::ReadString(entry.get(), L"ProductName") == std::optional<std::wstring>(L"Hushlark"))
            icon = registry::ReadString(entry.get(), L"ProductIcon");
    });
    EXPECT_TRUE(walked == ERROR_SUCCESS || !products) << walked;
    return icon;
}

// The text of every sound in use, slot by slot.
std::map<std::wstring, std::wstring> SoundsInUse()
{
    std::map<std::wstring, std::wstring> sounds;
    for (const auto& [name, value] : RegistryContents(L"AppEvents\\Schemes\\Apps")) {
        const std::wstring suffix = L"\\.Current|";
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            sounds[name] = value.Text();
    }
    return sounds;
}

std::optional<std::wstring> RunValue()
{
    const registry::Key run = registry::OpenKey(HKEY_CURRENT_USER, kRunKeyPath);
    return registry::ReadString(run.get(), L"Hushlark");
}

// The keys and values that differ between two snapshots, for messages.
std::string Differences(const std::map<std::wstring, StoredValue>& before,
                        const std::map<std::wstring, StoredValue>& after)
{
    std::wstring text;
    for (const auto& [name, value] : before) {
        const auto found = after.find(name);
        if (found == after.end())
            text += L"gone: " + name + L"\n";
        else if (!(found->second == value))
            text += L"changed: " + name + L" " + value.Text() + L" -> " + found->second.Text() + L"\n";
    }
    for (const auto& [name, value] : after) {
        if (before.find(name) == before.end())
            text += L"added: " + name + L" " + value.Text() + L"\n";
    }
    return testing::PrintToString(text);
}

// The tray program's window, when the installed copy runs.
HWND InstalledInstance()
{
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) != nullptr;) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (lstrcmpiW(FolderOf(ProcessImagePath(processId)).c_str(), InstallFolder().c_str()) == 0)
            return window;
    }
    return nullptr;
}

// The installed console twin with the arguments; its exit code.
std::optional<DWORD> Installed(const std::wstring& arguments)
{
    return RunToEnd(L"\"" + InstallFolder() + L"hushlark.com\" " + arguments, 30000, CREATE_NO_WINDOW);
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InThrowawayPrefix())
            GTEST_SKIP() << "runs only in the end-to-end tests' own Wine prefix";
        ASSERT_TRUE(SeedDemoProfile(HKEY_CURRENT_USER));
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, L"Hushlark");
    }

    void TearDown() override
    {
        if (!InThrowawayPrefix())
            return;
        // Whatever a failed test left installed goes, and with it the program.
        for (const wchar_t* version : {L"1.0.1", L"1.0.0"}) {
            if (!InstalledApps().empty())
                Msiexec(L"/x \"" + Package(version) + L"\"");
        }
        if (const HWND window = FindWindowW(kMainWindowClass, nullptr))
            PostMessageW(window, WM_CLOSE, 0, 0);
    }

    // The sound data and the program's settings, byte for byte.
    static std::map<std::wstring, StoredValue> UsersData()
    {
        std::map<std::wstring, StoredValue> data = RegistryContents(L"AppEvents");
        data.merge(RegistryContents(kSettingsKeyPath));
        return data;
    }

    SchemeStore store;
};

TEST_F(Installer, InstallsForTheUserAndRemovalTakesOnlyWhatItAdded)
{
    ASSERT_EQ(Msiexec(L"/i \"" + Package(L"1.0.0") + L"\""), std::optional<DWORD>(0));
    EXPECT_TRUE(FileExists(InstallFolder() + L"Hushlark.exe"));
    EXPECT_TRUE(FileExists(InstallFolder() + L"hushlark.com"));
    EXPECT_TRUE(FileExists(ShortcutPath()));
    EXPECT_EQ(InstalledApps(), std::vector<std::wstring>{L"1.0.0"});
    const std::optional<std::wstring> icon = ProductIcon();
    ASSERT_TRUE(icon.has_value()) << "installed apps show the program's icon";
    EXPECT_TRUE(FileExists(*icon));
    // Started at the end of the installation, with its icon.
    EXPECT_TRUE(WaitUntil([] { return InstalledInstance() != nullptr; }, 10000));
    EXPECT_TRUE(WaitUntil([] { return FindTrayPicture() == TrayPicture::SoundOn; }, 10000));

    ASSERT_EQ(Installed(L"startup on"), std::optional<DWORD>(0));
    EXPECT_EQ(RunValue(), L"\"" + InstallFolder() + L"Hushlark.exe\" /l");
    // The program's first tick records the scheme it keeps.
    ASSERT_TRUE(WaitUntil([] { return ProgramSettings().ReadDefaultScheme().has_value(); }, 5000));
    const std::map<std::wstring, StoredValue> before = UsersData();

    ASSERT_EQ(Msiexec(L"/x \"" + Package(L"1.0.0") + L"\""), std::optional<DWORD>(0));
    EXPECT_FALSE(FileExists(InstallFolder() + L"Hushlark.exe"));
    EXPECT_FALSE(FileExists(InstallFolder() + L"hushlark.com"));
    EXPECT_FALSE(FileExists(ShortcutPath()));
    EXPECT_TRUE(InstalledApps().empty());
    EXPECT_EQ(RunValue(), std::nullopt) << "it would point at a removed program";
    EXPECT_EQ(InstalledInstance(), nullptr);
    EXPECT_EQ(Differences(before, UsersData()), "L\"\"") << "the sound schemes and the settings are the user's";
}

TEST_F(Installer, RemovalTurnsSoundsBackOnAndAnUpgradeKeepsWhatTheUserSet)
{
    const std::map<std::wstring, std::wstring> sounds = SoundsInUse();
    ASSERT_GT(sounds.size(), 60u);
    ASSERT_EQ(Msiexec(L"/i \"" + Package(L"1.0.0") + L"\""), std::optional<DWORD>(0));
    ASSERT_EQ(Installed(L"startup on"), std::optional<DWORD>(0));
    ASSERT_EQ(Installed(L"off"), std::optional<DWORD>(0));

    // A newer package replaces the older one; the start-up entry and the
    // silence stay.
    ASSERT_EQ(Msiexec(L"/i \"" + Package(L"1.0.1") + L"\""), std::optional<DWORD>(0));
    EXPECT_EQ(InstalledApps(), std::vector<std::wstring>{L"1.0.1"}) << "one installed copy";
    EXPECT_EQ(RunValue(), L"\"" + InstallFolder() + L"Hushlark.exe\" /l");
    EXPECT_FALSE(store.IsSoundOn());
    EXPECT_TRUE(WaitUntil([] { return InstalledInstance() != nullptr; }, 10000));

    // Nothing would be left to turn them on again.
    ASSERT_EQ(Msiexec(L"/x \"" + Package(L"1.0.1") + L"\""), std::optional<DWORD>(0));
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    EXPECT_EQ(SoundsInUse(), sounds) << "every sound as it was";
    EXPECT_TRUE(InstalledApps().empty());
    EXPECT_EQ(RunValue(), std::nullopt);
}

} // namespace
