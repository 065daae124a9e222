// The tray icon's records, its callbacks and its pictures, against a shell
// that records what it is sent.
#include "shell/tray_icon.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "tests/shell/icon_pixels.h"

namespace {

struct Shell {
    std::vector<std::pair<DWORD, NOTIFYICONDATAW>> calls;
    std::set<DWORD> refused;
};

Shell& Recorded()
{
    static Shell shell;
    return shell;
}

BOOL WINAPI RecordNotifyIcon(DWORD message, PNOTIFYICONDATAW record)
{
    Recorded().calls.emplace_back(message, *record);
    return Recorded().refused.count(message) ? FALSE : TRUE;
}

BOOL WINAPI AllowMessage(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT)
{
    return TRUE;
}

const ShellCalls kShell{&RecordNotifyIcon, &AllowMessage};

TEST(TrayIconRecord, EveryCallIsWholeWithTheTipShownAndEveryShownAddAsksForVersion4)
{
    constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    struct Step {
        const char* what;
        std::set<DWORD> refused;
        std::function<bool(TrayIcon&)> act;
        std::vector<DWORD> sent;
        bool shown;
        bool version4;
        UINT flags = kIconFlags;
    };
    const auto add = [](TrayIcon& icon) { return icon.Add(); };
    const Step steps[] = {
        {"add", {}, add, {NIM_ADD, NIM_SETVERSION}, true, true},
        {"update", {}, [](TrayIcon& icon) { return icon.Update(); }, {NIM_MODIFY}, true, true},
        {"balloon",
         {},
         [](TrayIcon& icon) { return icon.ShowBalloon(L"Hushlark", L"text"); },
         {NIM_MODIFY},
         true,
         true,
         NIF_INFO | NIF_SHOWTIP},
        {"add that timed out", {NIM_ADD}, add, {NIM_ADD, NIM_MODIFY, NIM_SETVERSION}, true, true},
        {"no notification area", {NIM_ADD, NIM_MODIFY}, add, {NIM_ADD, NIM_MODIFY}, false, true},
        {"a shell without version 4", {NIM_SETVERSION}, add, {NIM_ADD, NIM_SETVERSION}, true, false},
        {"the retry that shows it", {}, add, {NIM_ADD, NIM_SETVERSION}, true, true},
        {"remove",
         {},
         [](TrayIcon& icon) {
             icon.Remove();
             return icon.IsShown();
         },
         {NIM_DELETE},
         false,
         true},
    };
    Recorded() = Shell();
    TrayIcon icon(nullptr, GetModuleHandleW(nullptr), kShell);
    icon.SetState(true, L"Sound is On");
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        Recorded() = Shell();
        Recorded().refused = step.refused;
        EXPECT_EQ(step.act(icon), step.shown);
        EXPECT_EQ(icon.IsShown(), step.shown);
        EXPECT_EQ(icon.UsesVersion4(), step.version4);
        std::vector<DWORD> sent;
        for (const auto& [message, record] : Recorded().calls) {
            sent.push_back(message);
            EXPECT_EQ(record.cbSize, static_cast<DWORD>(sizeof(NOTIFYICONDATAW))) << message;
            EXPECT_EQ(record.uID, kTrayIconId) << message;
            // The version shares its field with a balloon's old time-out: only
            // NIM_SETVERSION carries one.
            EXPECT_EQ(record.uVersion, message == NIM_SETVERSION ? static_cast<UINT>(NOTIFYICON_VERSION_4) : 0u)
                << message;
            EXPECT_EQ(record.uFlags, step.flags) << message;
        }
        EXPECT_EQ(sent, step.sent);
    }
}

TEST(TrayCallback, ReadInTheIconsLayoutAndOnlySelectionsAndContextMenusOpenTheMenu)
{
    const POINT cursor = {500, 400};
    const SIZE slack = {4, 4};
    struct Case {
        const char* what;
        bool version4;
        POINT anchor; // sent in wParam in version 4
        LPARAM lParam;
        UINT event;
        POINT expectedAnchor;
        bool opens;
        bool keyboard;
    };
    const auto v4 = [](UINT event, UINT id = kTrayIconId) { return static_cast<LPARAM>(MAKELPARAM(event, id)); };
    const Case cases[] = {
        {"Enter or Space", true, {1200, 1000}, v4(NIN_KEYSELECT), NIN_KEYSELECT, {1200, 1000}, true, true},
        {"on a monitor left of the main one",
         true,
         {-1270, -20},
         v4(NIN_KEYSELECT),
         NIN_KEYSELECT,
         {-1270, -20},
         true,
         true},
        {"left click", true, {500, 400}, v4(NIN_SELECT), NIN_SELECT, {500, 400}, true, false},
        {"right click", true, {503, 396}, v4(WM_CONTEXTMENU), WM_CONTEXTMENU, {503, 396}, true, false},
        {"Shift+F10", true, {1200, 1000}, v4(WM_CONTEXTMENU), WM_CONTEXTMENU, {1200, 1000}, true, true},
        {"Shift+F10 just beside the cursor",
         true,
         {500, 405},
         v4(WM_CONTEXTMENU),
         WM_CONTEXTMENU,
         {500, 405},
         true,
         true},
        {"another icon id", true, {500, 400}, v4(NIN_SELECT, 7), NIN_SELECT, {500, 400}, true, false},
        {"left press", true, {500, 400}, v4(WM_LBUTTONDOWN), WM_LBUTTONDOWN, {500, 400}, false, false},
        {"right press", true, {500, 400}, v4(WM_RBUTTONDOWN), WM_RBUTTONDOWN, {500, 400}, false, false},
        {"right release", true, {500, 400}, v4(WM_RBUTTONUP), WM_RBUTTONUP, {500, 400}, false, false},
        {"double click", true, {500, 400}, v4(WM_LBUTTONDBLCLK), WM_LBUTTONDBLCLK, {500, 400}, false, false},
        {"move", true, {500, 400}, v4(WM_MOUSEMOVE), WM_MOUSEMOVE, {500, 400}, false, false},
        {"hover", true, {500, 400}, v4(NIN_POPUPOPEN), NIN_POPUPOPEN, {500, 400}, false, false},
        {"oldest layout, right release", false, {}, WM_RBUTTONUP, WM_CONTEXTMENU, cursor, true, false},
        {"oldest layout, left release", false, {}, WM_LBUTTONUP, NIN_SELECT, cursor, true, false},
        {"oldest layout, right press", false, {}, WM_RBUTTONDOWN, WM_RBUTTONDOWN, cursor, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WPARAM wParam = c.version4 ? MAKEWPARAM(c.anchor.x, c.anchor.y) : kTrayIconId;
        const TrayCallback callback = ReadTrayCallback(c.version4, wParam, c.lParam, cursor);
        EXPECT_EQ(callback.event, c.event);
        EXPECT_EQ(callback.anchor.x, c.expectedAnchor.x);
        EXPECT_EQ(callback.anchor.y, c.expectedAnchor.y);
        EXPECT_EQ(OpensTrayMenu(callback.event), c.opens);
        if (c.opens) {
            EXPECT_EQ(AskedFromKeyboard(callback, cursor, slack), c.keyboard);
        }
    }
}

// The notification area asks for 16, 20, 24 or 32 pixels at 100, 125, 150 and
// 200 %: each is the image the group holds for it, pixel for pixel.
TEST(TrayIconPictures, LoadedForTheDpiAsTheGroupsOwnImageOfTheSmallIconSize)
{
    Recorded() = Shell();
    TrayIcon icon(nullptr, GetModuleHandleW(nullptr), kShell);
    EXPECT_EQ(icon.PictureSide(), GetSystemMetricsForDpi(SM_CXSMICON, TaskbarDpi())) << "at first";
    icon.SetState(false, L"Sound is Off");
    const std::pair<UINT, int> sizes[] = {{96, 16}, {120, 20}, {144, 24}, {192, 32}};
    for (const auto& [dpi, side] : sizes) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        const HICON before = icon.PictureFor(false);
        icon.LoadPictures(dpi);
        EXPECT_EQ(icon.PictureSide(), side);
        EXPECT_NE(icon.PictureFor(false), before) << "loaded anew";
        EXPECT_EQ(icon.Picture(), icon.PictureFor(false)) << "for the state it shows";
        for (const bool soundOn : {true, false}) {
            const IconPixels loaded = LoadedIconImage(icon.PictureFor(soundOn));
            const IconPixels stored = StoredIconImage(soundOn ? IDI_SOUND_ON : IDI_SOUND_OFF, side);
            ASSERT_EQ(stored.side, side);
            EXPECT_EQ(loaded.side, side) << soundOn;
            EXPECT_TRUE(loaded.bytes == stored.bytes) << soundOn;
        }
    }
}

} // namespace
