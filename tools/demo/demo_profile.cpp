#include "tools/demo/demo_profile.h"

#include <string>

#include "mute/program_settings.h"
#include "win32/registry.h"

namespace {

struct Event {
    const wchar_t* name;
    const wchar_t* sound; // the .Default sound; empty: none
    const wchar_t* afternoon;
};

constexpr wchar_t kMedia[] = L"C:\\Windows\\media\\";
constexpr wchar_t kExpandMedia[] = L"%SystemRoot%\\media\\";

const Event kWindowsEvents[] = {
    {L".Default", L"Windows Background.wav", L"chimes.wav"},
    {L"AppGPFault", L"", nullptr},
    {L"CCSelect", L"", nullptr},
    {L"ChangeTheme", L"Windows Logon.wav", nullptr},
    {L"Close", L"", nullptr},
    {L"CriticalBatteryAlarm", L"Windows Foreground.wav", nullptr},
    {L"DeviceConnect", L"%Windows Hardware Insert.wav", L"ding.wav"},
    {L"DeviceDisconnect", L"%Windows Hardware Remove.wav", L"ding.wav"},
    {L"DeviceFail", L"%Windows Hardware Fail.wav", nullptr},
    {L"FaxBeep", L"Windows Notify Email.wav", nullptr},
    {L"LowBatteryAlarm", L"Windows Background.wav", nullptr},
    {L"MailBeep", L"Windows Notify Email.wav", L"notify.wav"},
    {L"Maximize", L"", nullptr},
    {L"MenuCommand", L"", nullptr},
    {L"MenuPopup", L"", nullptr},
    {L"MessageNudge", L"Windows Message Nudge.wav", nullptr},
    {L"Minimize", L"", nullptr},
    {L"Notification.Default", L"%Windows Notify System Generic.wav", L"notify.wav"},
    {L"Notification.IM", L"Windows Notify Messaging.wav", nullptr},
    {L"Notification.Looping.Alarm", L"Alarm01.wav", nullptr},
    {L"Notification.Looping.Alarm2", L"Alarm02.wav", nullptr},
    {L"Notification.Looping.Alarm3", L"Alarm03.wav", nullptr},
    {L"Notification.Looping.Alarm4", L"Alarm04.wav", nullptr},
    {L"Notification.Looping.Alarm5", L"Alarm05.wav", nullptr},
    {L"Notification.Looping.Alarm6", L"Alarm06.wav", nullptr},
    {L"Notification.Looping.Alarm7", L"Alarm07.wav", nullptr},
    {L"Notification.Looping.Alarm8", L"Alarm08.wav", nullptr},
    {L"Notification.Looping.Alarm9", L"Alarm09.wav", nullptr},
    {L"Notification.Looping.Alarm10", L"Alarm10.wav", nullptr},
    {L"Notification.Looping.Call", L"Ring01.wav", nullptr},
    {L"Notification.Looping.Call2", L"Ring02.wav", nullptr},
    {L"Notification.Looping.Call3", L"Ring03.wav", nullptr},
    {L"Notification.Looping.Call4", L"Ring04.wav", nullptr},
    {L"Notification.Looping.Call5", L"Ring05.wav", nullptr},
    {L"Notification.Looping.Call6", L"Ring06.wav", nullptr},
    {L"Notification.Looping.Call7", L"Ring07.wav", nullptr},
    {L"Notification.Looping.Call8", L"Ring08.wav", nullptr},
    {L"Notification.Looping.Call9", L"Ring09.wav", nullptr},
    {L"Notification.Looping.Call10", L"Ring10.wav", nullptr},
    {L"Notification.Mail", L"Windows Notify Email.wav", L"notify.wav"},
    {L"Notification.Proximity", L"Windows Proximity Notification.wav", nullptr},
    {L"Notification.Reminder", L"Windows Notify Calendar.wav", L"tada.wav"},
    {L"Notification.SMS", L"Windows Notify Messaging.wav", nullptr},
    {L"Open", L"", nullptr},
    {L"PrintComplete", L"", nullptr},
    {L"ProximityConnection", L"Windows Proximity Connection.wav", nullptr},
    {L"RestoreDown", L"", nullptr},
    {L"RestoreUp", L"", nullptr},
    {L"ShowBand", L"", nullptr},
    {L"SystemAsterisk", L"Windows Background.wav", L"chord.wav"},
    {L"SystemExclamation", L"Windows Background.wav", L"chord.wav"},
    {L"SystemExit", L"", nullptr},
    {L"SystemHand", L"Windows Foreground.wav", L"chord.wav"},
    {L"SystemNotification", L"Windows Background.wav", nullptr},
    {L"SystemQuestion", L"", nullptr},
    {L"WindowsLogoff", L"", nullptr},
    {L"WindowsLogon", L"", L"tada.wav"},
    {L"WindowsUAC", L"%Windows User Account Control.wav", nullptr},
    {L"WindowsUnlock", L"Windows Unlock.wav", nullptr},
};

const Event kExplorerEvents[] = {
    {L"ActivatingDocument", L"", nullptr},
    {L"BlockedPopup", L"Windows Pop-up Blocked.wav", nullptr},
    {L"EmptyRecycleBin", L"Windows Recycle.wav", L"recycle.wav"},
    {L"FeedDiscovered", L"Windows Feed Discovered.wav", nullptr},
    {L"MoveMenuItem", L"", nullptr},
    {L"Navigating", L"Windows Navigation Start.wav", nullptr},
    {L"SecurityBand", L"Windows Information Bar.wav", nullptr},
};

const Event kSpeechEvents[] = {
    {L"DisNumbersSound", L"Speech Disambiguation.wav", nullptr},
    {L"HubOffSound", L"Speech Off.wav", nullptr},
    {L"HubOnSound", L"Speech On.wav", nullptr},
    {L"HubSleepSound", L"Speech Sleep.wav", nullptr},
    {L"MisrecoSound", L"Speech Misrecognition.wav", nullptr},
    {L"PanelSound", L"Speech Disambiguation.wav", nullptr},
};

class Writer {
public:
    explicit Writer(HKEY root) : root_(root) {}

    void Text(const std::wstring& path, const wchar_t* valueName, const std::wstring& text, DWORD type = REG_SZ)
    {
        registry::WriteString(registry::CreateKey(root_, path).get(), valueName, type, text);
    }

private:
    HKEY root_;
};

// A leading '%' marks a sound stored as an expandable path.
void WriteSound(Writer& writer, const std::wstring& key, const wchar_t* sound)
{
    if (sound[0] == L'%')
        writer.Text(key, nullptr, std::wstring(kExpandMedia) + (sound + 1), REG_EXPAND_SZ);
    else if (sound[0] != L'\0')
        writer.Text(key, nullptr, std::wstring(kMedia) + sound);
    else
        writer.Text(key, nullptr, L"");
}

template <size_t N>
void WriteApp(Writer& writer, const wchar_t* app, const wchar_t* label, const Event (&events)[N])
{
    const std::wstring appPath = std::wstring(L"AppEvents\\Schemes\\Apps\\") + app;
    writer.Text(appPath, nullptr, label);
    for (size_t i = 0; i < N; ++i) {
        const Event& event = events[i];
        const std::wstring slot = appPath + L"\\" + event.name;
        WriteSound(writer, slot + L"\\.Current", event.sound);
        WriteSound(writer, slot + L"\\.Default", event.sound);
        // Not every event has a key for every scheme.
        if (i % 3 != 2)
            writer.Text(slot + L"\\.None", nullptr, L"");
        if (event.afternoon)
            WriteSound(writer, slot + L"\\Afternoon", event.afternoon);
        if (i % 4 == 0)
            WriteSound(writer, slot + L"\\.Hushlark0", event.sound);
    }
}

} // namespace

bool RunsUnderWine()
{
    // Wine's ntdll exports its version; Windows' never does.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool SeedDemoProfile(HKEY root)
{
    // The seeding deletes the sound-event data first: on a real Windows
    // account that would wipe the user's own sounds.
    if (!RunsUnderWine())
        return false;
    RegDeleteTreeW(root, L"AppEvents\\Schemes");
    RegDeleteTreeW(root, kSettingsKeyPath);

    Writer writer(root);
    writer.Text(L"AppEvents\\Schemes", nullptr, L".Default");
    writer.Text(L"AppEvents\\Schemes\\Names\\.Default", nullptr, L"@mmres.dll,-800");
    writer.Text(L"AppEvents\\Schemes\\Names\\.None", nullptr, L"@mmres.dll,-801");
    writer.Text(L"AppEvents\\Schemes\\Names\\Afternoon", nullptr, L"Afternoon");
    writer.Text(L"AppEvents\\Schemes\\Names\\.Hushlark0", nullptr, L"Hushlark 0 (11/30/2026)");

    WriteApp(writer, L".Default", L"Windows", kWindowsEvents);
    WriteApp(writer, L"Explorer", L"File Explorer", kExplorerEvents);
    WriteApp(writer, L"sapisvr", L"Speech Recognition", kSpeechEvents);
    return true;
}
