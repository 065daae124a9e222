#include "menuskin/menu_skin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

#include "menuskin/menu_look.h"
#include "tests/menuskin/skin_test_support.h"

// Opens a real skinned popup menu, moves the pointer over it with posted mouse
// messages (keyboard input from the display does not reach a menu tracked for
// a hidden owner), saves a screenshot of it as menu_skin_screenshot.bmp in the
// working folder and checks pixels of the skin's look on the screen.
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kFrame = 0x9C0E1F;
constexpr COLORREF kInterior = 0xF5E1E1;
constexpr UINT_PTR kScriptTimer = 1;
constexpr UINT kTickMs = 250;
constexpr char kScreenshotFile[] = "menu_skin_screenshot.bmp";

// Top menu positions.
constexpr UINT kTurnOn = 0;
constexpr UINT kChangeScheme = 2;
constexpr UINT kFirstSeparator = 3;
constexpr UINT kLaunch = 4;
constexpr UINT kOptions = 5;
constexpr UINT kSecondSeparator = 6;
// Submenu position of the checked scheme.
constexpr UINT kCheckedScheme = 1;

// Everything the script learns while the menu is open, checked after it closed.
struct Script {
    HMENU menu = nullptr;
    HMENU schemes = nullptr;
    int tick = 0;
    int step = 0;
    bool menuFound = false;
    RECT captureArea = {};
    std::unique_ptr<Canvas> shot;
    RECT items[7] = {};
    RECT checkedScheme = {};
    POINT topClientOrigin = {};
    POINT subClientOrigin = {};

    COLORREF At(int screenX, int screenY) const
    {
        const int x = screenX - captureArea.left;
        const int y = screenY - captureArea.top;
        if (x < 0 || y < 0 || x >= shot->width() || y >= shot->height())
            return CLR_INVALID;
        return shot->At(x, y);
    }
};

Script* g_script = nullptr;

BOOL CALLBACK CollectMenuWindow(HWND window, LPARAM found)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpW(name, L"#32768") == 0 && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleMenuWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), &CollectMenuWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

POINT Centre(const RECT& rect)
{
    return {rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
}

void MoveTo(HWND menuWindow, POINT screen)
{
    // The menu loop takes the screen position of a mouse message from lParam.
    PostMessageW(menuWindow, WM_MOUSEMOVE, 0, MAKELPARAM(screen.x, screen.y));
}

HWND MenuWindowAt(POINT screen)
{
    for (HWND window : VisibleMenuWindows()) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        if (PtInRect(&rect, screen))
            return window;
    }
    return nullptr;
}

POINT ClientOrigin(POINT inside)
{
    POINT origin = {0, 0};
    ClientToScreen(MenuWindowAt(inside), &origin);
    return origin;
}

void Capture(Script& script)
{
    RECT area = {};
    for (HWND window : VisibleMenuWindows()) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        UnionRect(&area, &area, &rect);
    }
    InflateRect(&area, 4, 4);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    script.shot = std::make_unique<Canvas>(width, height, kWhite);
    const gdi::UniqueWindowDc screen = gdi::GetWindowDc(nullptr);
    BitBlt(script.shot->dc(), 0, 0, width, height, screen.get().dc, area.left, area.top, SRCCOPY);
    script.captureArea = area;
}

// One step per tick: pass over both separators (Wine paints a menu's first
// frame with a null pen, so owner-drawn separator lines appear only when their
// item is repainted), open "Change Scheme", point at the checked scheme, take
// the picture, close the menu.
void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD)
{
    Script& script = *g_script;
    ++script.tick;
    if (script.tick > 40) {
        EndMenu();
        return;
    }
    const std::vector<HWND> open = VisibleMenuWindows();
    if (open.empty())
        return;
    if (!script.menuFound) {
        script.menuFound = true;
        for (UINT position = 0; position < 7; ++position)
            GetMenuItemRect(nullptr, script.menu, position, &script.items[position]);
        script.topClientOrigin = ClientOrigin(Centre(script.items[kOptions]));
        MoveTo(open.front(), Centre(script.items[kFirstSeparator]));
        return;
    }
    const int step = ++script.step;
    if (step == 1) {
        MoveTo(MenuWindowAt(Centre(script.items[kSecondSeparator])), Centre(script.items[kSecondSeparator]));
    } else if (step == 2) {
        MoveTo(MenuWindowAt(Centre(script.items[kChangeScheme])), Centre(script.items[kChangeScheme]));
    } else if (step == 3) {
        GetMenuItemRect(nullptr, script.schemes, kCheckedScheme, &script.checkedScheme);
        const POINT target = Centre(script.checkedScheme);
        script.subClientOrigin = ClientOrigin(target);
        MoveTo(MenuWindowAt(target), target);
    } else if (step == 5) {
        Capture(script);
    } else if (step >= 6) {
        EndMenu();
    }
}

bool SaveBitmap(const Canvas& shot, const char* path)
{
    const int width = shot.width();
    const int height = shot.height();
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height; // bottom-up, the form every viewer reads
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const DWORD pixelBytes = static_cast<DWORD>(width) * height * 4;
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + pixelBytes;

    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(&header), sizeof(header));
    file.write(reinterpret_cast<const char*>(&info), sizeof(info));
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = shot.At(x, y);
            row[x] = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        }
        file.write(reinterpret_cast<const char*>(row.data()), width * 4);
    }
    file.close();
    return static_cast<bool>(file);
}

LRESULT CALLBACK HiddenOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

int MidRow(const RECT& rect)
{
    return rect.top + (rect.bottom - rect.top) / 2;
}

TEST(MenuScreenshot, TrackedMenuShowsTheSkin)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &HiddenOwnerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Hushlark_ScreenshotOwner";
    RegisterClassW(&windowClass);
    HWND owner = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr) << "needs a display (run under xvfb-run)";

    UniqueMenu menu(CreatePopupMenu());
    HMENU schemes = CreatePopupMenu();
    AppendItem(schemes, 1180, L"Windows Default");
    AppendItem(schemes, 1181, L"No Sounds", MF_CHECKED);
    AppendItem(schemes, 1182, L"Hushlark 1 (7/4/2026)");
    AppendItem(menu.get(), 32769, L"Turn Sounds O&n", MF_DISABLED);
    AppendItem(menu.get(), 32770, L"Turn Sounds O&ff");
    // The menu owns the submenu from here on.
    InsertMenuW(menu.get(), static_cast<UINT>(-1), MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(schemes),
                L"Change Scheme");
    AppendSeparator(menu.get());
    AppendItem(menu.get(), 32772, L"&Launch on Startup", MF_CHECKED);
    AppendItem(menu.get(), 32773, L"&Options");
    AppendSeparator(menu.get());
    AppendItem(menu.get(), 32771, L"E&xit");

    Script script;
    script.menu = menu.get();
    script.schemes = schemes;
    g_script = &script;

    MenuSkin skin;
    skin.Attach(owner, menu.get());
    SetTimer(owner, kScriptTimer, kTickMs, &ScriptTick);
    // Never SetMenu the popup first: Wine then refuses to track it.
    TrackPopupMenu(menu.get(), TPM_BOTTOMALIGN, 200, 700, 0, owner, nullptr);
    KillTimer(owner, kScriptTimer);
    skin.Detach();
    g_script = nullptr;
    DestroyWindow(owner);

    ASSERT_TRUE(script.menuFound) << "the menu never opened";
    ASSERT_TRUE(script.shot);
    EXPECT_TRUE(SaveBitmap(*script.shot, kScreenshotFile));

    // "Change Scheme" is highlighted (its submenu is open): the box covers the
    // item and its strip.
    const RECT& change = script.items[kChangeScheme];
    EXPECT_EQ(script.At(change.left, change.top), kFrame) << Hex(script.At(change.left, change.top));
    EXPECT_EQ(script.At(change.left + 1, MidRow(change)), kInterior);
    EXPECT_EQ(script.At(change.left + 2, MidRow(change)), kInterior) << "over the strip";

    // The checked scheme under the pointer: box, then the dot on it.
    const RECT& checked = script.checkedScheme;
    EXPECT_EQ(script.At(checked.left, checked.top), kFrame);
    EXPECT_EQ(script.At(script.subClientOrigin.x + 12, MidRow(checked)), kBlack);
    EXPECT_EQ(script.At(script.subClientOrigin.x + 20, MidRow(checked)), kInterior);

    // "&Options": white, with the gradient strip from the system colours. The
    // strip starts at x = 0 of the menu's device context; Wine paints the
    // menu's frame over the columns left of the items.
    const RECT& options = script.items[kOptions];
    EXPECT_EQ(script.At(options.right - 5, MidRow(options)), kWhite);
    const int firstVisible = options.left - script.topClientOrigin.x;
    EXPECT_LT(firstVisible, 8);
    for (int column = firstVisible; column < 24; ++column) {
        EXPECT_EQ(
            script.At(script.topClientOrigin.x + column, MidRow(options)),
            menu_look::GradientColumnColour(GetSysColor(COLOR_INACTIVECAPTION), GetSysColor(COLOR_MENU), column, 24))
            << "strip column " << column;
    }

    // "&Launch on Startup": checked, not highlighted.
    EXPECT_EQ(script.At(script.topClientOrigin.x + 12, MidRow(script.items[kLaunch])), kBlack);

    // The disabled item: no box, grey text.
    const RECT& turnOn = script.items[kTurnOn];
    COLORREF darkest = kWhite;
    for (int y = turnOn.top; y < turnOn.bottom; ++y) {
        for (int x = script.topClientOrigin.x + 32; x < turnOn.right; ++x) {
            const COLORREF pixel = script.At(x, y);
            EXPECT_NE(pixel, kFrame);
            if (GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel) <
                GetRValue(darkest) + GetGValue(darkest) + GetBValue(darkest))
                darkest = pixel;
        }
    }
    EXPECT_EQ(darkest, GetSysColor(COLOR_GRAYTEXT));

    // Both separators: a line at mid height from 32 pixels in.
    for (UINT position : {kFirstSeparator, kSecondSeparator}) {
        const RECT& separator = script.items[position];
        EXPECT_EQ(script.At(separator.left + 31, MidRow(separator)), kWhite) << "separator " << position;
        EXPECT_NE(script.At(separator.left + 40, MidRow(separator)), kWhite) << "separator " << position;
        EXPECT_NE(script.At(separator.right - 2, MidRow(separator)), kWhite) << "separator " << position;
    }
}

} // namespace
