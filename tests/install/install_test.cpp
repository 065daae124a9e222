// The per-user installer, installed, upgraded and removed for real with Wine's
// msiexec in the end-to-end tests' own prefix, as a user would.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
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

// A table of the test's package as msiinfo exported it beside the package
// (tests/install/export-tables.sh): its rows, their fields split at tabs. The
// exports are plain ASCII.
using Table = std::vector<std::vector<std::string>>;
Table ExportedTable(const wchar_t* version, const wchar_t* table)
{
    const std::wstring path = FolderOf(RunningProgramPath()) + L"Hushlark-" + version + L"-test." + table + L".idt";
    const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return {};
    const UniqueKernelHandle file(opened);
    std::string text;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &count, nullptr) && count > 0)
        text.append(buffer, count);
    // Split at line ends and tabs; the last line ends like the others.
    Table rows(1, std::vector<std::string>(1));
    for (const char c : text) {
        if (c == '\n')
            rows.emplace_back(1);
        else if (c == '\t')
            rows.back().emplace_back();
        else if (c != '\r')
            rows.back().back() += c;
    }
    rows.pop_back();
    // The first three lines name the columns, their types and the table's keys.
    rows.erase(rows.begin(), rows.begin() + (rows.size() < 3 ? rows.size() : 3));
    return rows;
}

// The package's ProductCode, from its Property table.
std::wstring ProductCode(const wchar_t* version)
{
    for (const std::vector<std::string>& row : ExportedTable(version, L"Property")) {
        if (row.size() == 2 && row[0] == "ProductCode")
            return std::wstring(row[1].begin(), row[1].end());
    }
    return std::wstring();
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
    return registry::ReadString(run.get(), kStartupValueName);
}

// The Run value that starts the Hushlark.exe of a folder.
std::wstring RunValueFor(const std::wstring& folder)
{
    return L"\"" + folder + L"Hushlark.exe\" /l";
}

// The start-up entry: every value of the Run key and of the StartupApproved
// key, byte for byte.
std::map<std::wstring, StoredValue> StartupEntry()
{
    std::map<std::wstring, StoredValue> entry = RegistryContents(kRunKeyPath);
    entry.merge(RegistryContents(kStartupApprovedKeyPath));
    return entry;
}

// Marks the start-up entry disabled, as Task Manager does: 03, then when.
void DisableStartupEntry()
{
    const BYTE disabled[12] = {0x03, 0, 0, 0, 0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0x01};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKeyPath, kStartupValueName, REG_BINARY, disabled,
                              sizeof(disabled)),
              ERROR_SUCCESS);
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

// The tray program's window, when the copy in the folder runs.
HWND InstanceIn(const std::wstring& folder)
{
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) != nullptr;) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (lstrcmpiW(FolderOf(ProcessImagePath(processId)).c_str(), folder.c_str()) == 0)
            return window;
    }
    return nullptr;
}

HWND InstalledInstance()
{
    return InstanceIn(InstallFolder());
}

// Whether a process of the installed Hushlark.exe runs, with a window or not.
bool InstalledProgramRuns()
{
    const HANDLE opened = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (opened == INVALID_HANDLE_VALUE)
        return true; // cannot tell
    const UniqueKernelHandle snapshot(opened);
    PROCESSENTRY32W process = {sizeof(process)};
    for (BOOL more = Process32FirstW(snapshot.get(), &process); more; more = Process32NextW(snapshot.get(), &process)) {
        if (lstrcmpiW(ProcessImagePath(process.th32ProcessID).c_str(), (InstallFolder() + kTrayProgramFile).c_str()) ==
            0)
            return true;
    }
    return false;
}

// Starts a command line and leaves it running; false when it did not start.
bool Launch(std::wstring commandLine)
{
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    const UniqueKernelHandle thread(process.hThread);
    const UniqueKernelHandle started(process.hProcess);
    return true;
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
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, kStartupValueName);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKeyPath, kStartupValueName);
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

    // What the user set, byte for byte: the sound data, the program's
    // settings and the start-up entry.
    static std::map<std::wstring, StoredValue> EverythingTheUserSet()
    {
        std::map<std::wstring, StoredValue> data = UsersData();
        data.merge(StartupEntry());
        return data;
    }

    // Installs 1.0.0 and waits until it runs and has recorded the scheme it
    // keeps.
    static void InstallOlderVersion()
    {
        ASSERT_EQ(Msiexec(L"/i \"" + Package(L"1.0.0") + L"\""), std::optional<DWORD>(0));
        ASSERT_TRUE(WaitUntil([] { return InstalledInstance() != nullptr; }, 10000));
        ASSERT_TRUE(WaitUntil([] { return ProgramSettings().ReadDefaultScheme().has_value(); }, 5000));
    }

    // An upgrade from 1.0.0 to 1.0.1 as Windows runs it, which Wine's installer
    // does not: Windows removes the older version in a session of its own with
    // UPGRADINGPRODUCTCODE set to the newer product, from the newer version's
    // session, which found it (OLDERVERSIONFOUND). Here both run one after the
    // other. The older version's removal ends this copy's instance and changes
    // nothing else; the newer version starts it again.
    void UpgradeAsWindowsDoes()
    {
        const std::wstring olderCode = ProductCode(L"1.0.0");
        const std::wstring newerCode = ProductCode(L"1.0.1");
        ASSERT_EQ(olderCode.size(), 38u);
        ASSERT_NE(olderCode, newerCode);
        const std::map<std::wstring, StoredValue> before = EverythingTheUserSet();

        ASSERT_EQ(Msiexec(L"/x \"" + Package(L"1.0.0") + L"\" UPGRADINGPRODUCTCODE=" + newerCode),
                  std::optional<DWORD>(0));
        EXPECT_TRUE(InstalledApps().empty());
        EXPECT_EQ(InstalledInstance(), nullptr) << "its files must go";
        EXPECT_EQ(Differences(before, EverythingTheUserSet()), "L\"\"") << "removed for an upgrade";

        ASSERT_EQ(Msiexec(L"/i \"" + Package(L"1.0.1") + L"\" OLDERVERSIONFOUND=" + olderCode),
                  std::optional<DWORD>(0));
        EXPECT_EQ(InstalledApps(), std::vector<std::wstring>{L"1.0.1"});
        EXPECT_TRUE(WaitUntil([] { return InstalledInstance() != nullptr; }, 10000)) << "started again";
        EXPECT_EQ(Differences(before, EverythingTheUserSet()), "L\"\"") << "upgraded";
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
    EXPECT_EQ(RunValue(), RunValueFor(InstallFolder()));
    ASSERT_NO_FATAL_FAILURE(DisableStartupEntry());
    // The program's first tick records the scheme it keeps.
    ASSERT_TRUE(WaitUntil([] { return ProgramSettings().ReadDefaultScheme().has_value(); }, 5000));
    const std::map<std::wstring, StoredValue> before = UsersData();

    ASSERT_EQ(Msiexec(L"/x \"" + Package(L"1.0.0") + L"\""), std::optional<DWORD>(0));
    EXPECT_FALSE(FileExists(InstallFolder() + L"Hushlark.exe"));
    EXPECT_FALSE(FileExists(InstallFolder() + L"hushlark.com"));
    EXPECT_FALSE(FileExists(ShortcutPath()));
    EXPECT_TRUE(InstalledApps().empty());
    // The entry, disabled or not, would point at a removed program.
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kStartupApprovedKeyPath, kStartupValueName, RRF_RT_ANY, nullptr, nullptr,
                           nullptr),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(InstalledInstance(), nullptr);
    EXPECT_EQ(Differences(before, UsersData()), "L\"\"") << "the sound schemes and the settings are the user's";
}

TEST_F(Installer, RemovalTurnsSoundsBackOn)
{
    const std::map<std::wstring, std::wstring> sounds = SoundsInUse();
    ASSERT_GT(sounds.size(), 60u);
    ASSERT_EQ(Msiexec(L"/i \"" + Package(L"1.0.0") + L"\""), std::optional<DWORD>(0));
    ASSERT_EQ(Installed(L"off"), std::optional<DWORD>(0));
    ASSERT_FALSE(store.IsSoundOn());

    // Nothing would be left to turn them on again.
    ASSERT_EQ(Msiexec(L"/x \"" + Package(L"1.0.0") + L"\""), std::optional<DWORD>(0));
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(store.ReadCurrentScheme(), L".Default");
    EXPECT_EQ(SoundsInUse(), sounds) << "every sound as it was";
    EXPECT_TRUE(InstalledApps().empty());
}

// On Windows the older version's removal during an upgrade skips what only a
// real removal does, so a start-up entry the user disabled in Task Manager
// stays disabled, and nothing turns it on again.
TEST_F(Installer, ASimulatedWindowsUpgradeKeepsAStartupEntryTheUserDisabled)
{
    ASSERT_NO_FATAL_FAILURE(InstallOlderVersion());
    ASSERT_EQ(Installed(L"startup on"), std::optional<DWORD>(0));
    ASSERT_NO_FATAL_FAILURE(DisableStartupEntry());
    const std::map<std::wstring, StoredValue> entry = StartupEntry();

    ASSERT_NO_FATAL_FAILURE(UpgradeAsWindowsDoes());
    EXPECT_EQ(Differences(entry, StartupEntry()), "L\"\"") << "the Run value and its disabled mark, byte for byte";
    EXPECT_EQ(RunConsole(L"startup status", 20000, InstallFolder() + L"hushlark.com").output, "disabled\n");
}

// The same upgrade during a timed off: sounds stay off until the time stored,
// which the started program keeps.
TEST_F(Installer, ASimulatedWindowsUpgradeKeepsATimedOffWithItsEnd)
{
    ASSERT_NO_FATAL_FAILURE(InstallOlderVersion());
    ASSERT_EQ(Installed(L"off --for 2h"), std::optional<DWORD>(0));
    const std::optional<StoredOffUntil> until = ProgramSettings().ReadOffUntil();
    ASSERT_TRUE(until.has_value());

    ASSERT_NO_FATAL_FAILURE(UpgradeAsWindowsDoes());
    const std::optional<StoredOffUntil> after = ProgramSettings().ReadOffUntil();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->type, until->type);
    EXPECT_EQ(after->byteCount, until->byteCount);
    EXPECT_EQ(after->value, until->value);
    EXPECT_FALSE(store.IsSoundOn());
    const std::string status = RunConsole(L"status", 20000, InstallFolder() + L"hushlark.com").output;
    EXPECT_NE(status.find("\nuntil: "), std::string::npos) << status;
}

// A copy of the program run from a folder of its own, with its own start-up
// entry, is not the installed copy: removing the installed one leaves it
// running and its entry in place.
TEST_F(Installer, RemovalLeavesAPortableCopyRunningWithItsStartupEntry)
{
    const std::wstring portable = Expand(L"%LOCALAPPDATA%\\Portable Hushlark\\");
    ASSERT_TRUE(CreateDirectoryW(portable.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), (portable + L"Hushlark.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(ConsolePath().c_str(), (portable + L"hushlark.com").c_str(), FALSE));
    const auto runPortable = [&portable](const std::wstring& arguments) {
        return RunToEnd(L"\"" + portable + L"hushlark.com\" " + arguments, 30000, CREATE_NO_WINDOW);
    };
    struct Removed {
        std::function<void()> remove;
        ~Removed() { remove(); }
    } removed{[&] {
        runPortable(L"exit");
        runPortable(L"startup off");
        DeleteFileW((portable + L"Hushlark.exe").c_str());
        DeleteFileW((portable + L"hushlark.com").c_str());
        RemoveDirectoryW(portable.c_str());
    }};

    ASSERT_TRUE(Launch(L"\"" + portable + L"Hushlark.exe\""));
    ASSERT_EQ(runPortable(L"startup on"), std::optional<DWORD>(0));
    ASSERT_TRUE(WaitUntil([&] { return InstanceIn(portable) != nullptr; }, 10000));
    const HWND running = InstanceIn(portable);
    const std::map<std::wstring, StoredValue> entry = StartupEntry();
    ASSERT_EQ(RunValue(), RunValueFor(portable));

    // The installed copy, started at the end, finds the portable one running
    // and leaves.
    ASSERT_EQ(Msiexec(L"/i \"" + Package(L"1.0.0") + L"\""), std::optional<DWORD>(0));
    ASSERT_TRUE(WaitUntil([] { return !InstalledProgramRuns(); }, 10000));
    ASSERT_EQ(Msiexec(L"/x \"" + Package(L"1.0.0") + L"\""), std::optional<DWORD>(0));
    EXPECT_TRUE(InstalledApps().empty());
    EXPECT_EQ(InstanceIn(portable), running) << "still running";
    EXPECT_EQ(Differences(entry, StartupEntry()), "L\"\"") << "its start-up entry in place";
}

// Wine's installer removes the older version during an upgrade without
// UPGRADINGPRODUCTCODE, so that version's removal does what a real removal
// does: it turns sounds on, which ends a timed off, and removes this copy's
// start-up entry. This is Wine's difference, not the package's: Windows keeps
// both (the simulated upgrades above). Written down here as what a real
// upgrade under Wine loses; the rest of what an upgrade does holds here too.
TEST_F(Installer, UnderWineARealUpgradeLosesTheStartupEntryAndTheTimedOff)
{
    const std::map<std::wstring, std::wstring> sounds = SoundsInUse();
    ASSERT_NO_FATAL_FAILURE(InstallOlderVersion());
    ASSERT_EQ(Installed(L"startup on"), std::optional<DWORD>(0));
    ASSERT_EQ(Installed(L"off --for 2h"), std::optional<DWORD>(0));

    ASSERT_EQ(Msiexec(L"/i \"" + Package(L"1.0.1") + L"\""), std::optional<DWORD>(0));
    EXPECT_EQ(InstalledApps(), std::vector<std::wstring>{L"1.0.1"}) << "one installed copy";
    EXPECT_TRUE(WaitUntil([] { return InstalledInstance() != nullptr; }, 10000)) << "started again";
    // Lost under Wine only.
    EXPECT_EQ(RunValue(), std::nullopt);
    EXPECT_TRUE(store.IsSoundOn());
    EXPECT_EQ(ProgramSettings().ReadOffUntil(), std::nullopt);
    EXPECT_EQ(SoundsInUse(), sounds) << "turned on as a removal does: every sound as it was";
}

// The package's own actions, as msiinfo reads them from the built package:
// what each runs and when. Removal acts on this copy only; an upgrade (where
// Windows sets UPGRADINGPRODUCTCODE) only closes the running program so that
// its files can go, and starts the new one; nothing is read from the user's
// registry to be put back afterwards.
TEST(InstallerPackage, RunsItsOwnActionsOnlyWhenMeant)
{
    for (const wchar_t* version : {L"1.0.0", L"1.0.1"}) {
        const Table sequence = ExportedTable(version, L"InstallExecuteSequence");
        const Table actions = ExportedTable(version, L"CustomAction");
        ASSERT_FALSE(sequence.empty());
        std::map<std::string, int> step;
        for (const std::vector<std::string>& row : sequence) {
            ASSERT_EQ(row.size(), 3u);
            step[row[0]] = std::atoi(row[2].c_str());
        }
        std::vector<std::string> custom;
        for (const std::vector<std::string>& row : sequence) {
            for (const std::vector<std::string>& action : actions) {
                ASSERT_EQ(action.size(), 5u);
                if (action[0] != row[0])
                    continue;
                const int type = std::atoi(action[1].c_str());
                // An executable among the installed files, run at once (not
                // from the script), its exit code not looked at.
                EXPECT_EQ(type & 0x3F, 18) << action[0];
                EXPECT_EQ(type & 0x400, 0) << action[0];
                EXPECT_EQ(type & 0x40, 0x40) << action[0];
                custom.push_back(row[0] + " when " + row[1] + ": " + action[2] + " " + action[3]);
            }
        }
        EXPECT_EQ(custom, (std::vector<std::string>{
                              "CloseRunningHushlark when REMOVE=\"ALL\": HushlarkExe exit --this-copy",
                              "TurnSoundsOn when REMOVE=\"ALL\" AND NOT UPGRADINGPRODUCTCODE: HushlarkExe on",
                              "RemoveStartupEntry when REMOVE=\"ALL\" AND NOT UPGRADINGPRODUCTCODE: HushlarkExe "
                              "startup off --this-copy",
                              "StartHushlark when NOT REMOVE: HushlarkExe ",
                          }));
        // The removal's actions run while its files are still there; the
        // program starts once the new files are.
        EXPECT_LT(step["InstallValidate"], step["CloseRunningHushlark"]);
        EXPECT_LT(step["CloseRunningHushlark"], step["TurnSoundsOn"]);
        EXPECT_LT(step["TurnSoundsOn"], step["RemoveStartupEntry"]);
        EXPECT_LT(step["RemoveStartupEntry"], step["InstallInitialize"]);
        EXPECT_LT(step["InstallFinalize"], step["StartHushlark"]);
        EXPECT_EQ(step.count("AppSearch"), 0u);
        EXPECT_TRUE(ExportedTable(version, L"AppSearch").empty());
    }
}

} // namespace
