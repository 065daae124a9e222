// The tray icon and the menu at 150 % scaling. These tests run in a Wine prefix
// of their own whose LogPixels is 144 (tools/wine-prefix with
// HUSHLARK_PREFIX_DPI), with a virtual desktop of their own. Wine reads the
// DPI when each program starts, and makes every program per-monitor aware,
// whatever its manifest says.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "menuskin/menu_look.h"
#include "resources/resource.h"
#include "tests/shell/icon_pixels.h"
#include "tests/shell/program_driver.h"
#include "tools/demo/demo_profile.h"

namespace {

constexpr UINT kPrefixDpi = 144;
constexpr DWORD kStartTimeoutMs = 10000;

bool InTheDpiPrefix()
{
    wchar_t value[16] = {};
    return InThrowawayPrefix() && GetEnvironmentVariableW(L"HUSHLARK_PREFIX_DPI", value, 16) > 0 &&
           _wtoi(value) == static_cast<int>(kPrefixDpi);
}

// The DPI that programs started from now on run at.
bool SetPrefixDpi(DWORD dpi)
{
    return RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof(dpi)) ==
           ERROR_SUCCESS;
}

COLORREF AsColorRef(std::uint32_t pixel)
{
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

class At144Dpi : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InTheDpiPrefix())
            GTEST_SKIP() << "runs only in the DPI tests' own Wine prefix";
        CloseProgram();
        ASSERT_EQ(GetDpiForSystem(), kPrefixDpi) << "this test started at the prefix's DPI";
        ASSERT_TRUE(SeedDemoProfile(HKEY_CURRENT_USER));
    }

    void TearDown() override
    {
        if (!InTheDpiPrefix())
            return;
        CloseProgram();
        // Whatever a test changed, the next one starts at the prefix's DPI.
        EXPECT_TRUE(SetPrefixDpi(kPrefixDpi));
    }

    static void CloseProgram()
    {
        while (const HWND window = FindWindowW(kMainWindowClass, nullptr)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            if (!WaitUntil([window] { return !IsWindow(window); }, 5000))
                break;
        }
    }

    static HWND StartProgram(RunningProgram& program)
    {
        if (!program.Start())
            return nullptr;
        const HWND window = WaitForWindow(kMainWindowClass, kStartTimeoutMs);
        WaitUntil([] { return FindTrayPicture() != TrayPicture::Absent; }, kStartTimeoutMs);
        return window;
    }

    // What the skinned menu of the running program looks like on the screen,
    // opened from the keyboard (so that its first enabled row is highlighted)
    // at `anchor`.
    struct MenuLook {
        int stripWidth = 0;
        int highlightedRowHeight = 0;
        bool operator==(const MenuLook& other) const
        {
            return stripWidth == other.stripWidth && highlightedRowHeight == other.highlightedRowHeight;
        }
    };
    static std::optional<MenuLook> MeasureMenu(HWND program, POINT anchor)
    {
        PostMessageW(program, kTrayCallbackMessage, MAKEWPARAM(anchor.x, anchor.y),
                     MAKELPARAM(NIN_KEYSELECT, kTrayIconId));
        const auto visibleMenu = [] {
            const HWND menu = FindWindowW(L"#32768", nullptr);
            return menu && IsWindowVisible(menu) ? menu : nullptr;
        };
        if (!WaitUntil(visibleMenu, 3000))
            return std::nullopt;
        const HWND menu = visibleMenu();
        // Once painted and highlighted, the menu looks the same twice in a row.
        std::optional<MenuLook> look, previous;
        WaitUntil(
            [&] {
                previous = look;
                look = LookOf(menu);
                return look && look->highlightedRowHeight > 0 && look == previous;
            },
            3000);
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        WaitUntil([&] { return !visibleMenu(); }, 2000);
        return look;
    }

    static std::optional<MenuLook> LookOf(HWND menu)
    {
        RECT rect = {};
        if (!GetWindowRect(menu, &rect))
            return std::nullopt;
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        const std::vector<std::uint32_t> pixels = CaptureScreen(rect.left, rect.top, width, height);
        const auto at = [&](int x, int y) { return AsColorRef(pixels[static_cast<size_t>(y) * width + x]); };

        MenuLook look;
        // The strip, in the last row (Exit, never highlighted here). It starts
        // at the left edge of the menu window, partly under the border (a line,
        // then white): it ends where the row turns white after the gradient.
        const int y = height - 10;
        int x = 1;
        while (x < width && at(x, y) == menu_look::kBackground)
            ++x;
        while (x < width && at(x, y) != menu_look::kBackground)
            ++x;
        look.stripWidth = x;
        // The highlighted row is framed from its top pixel row to its bottom one.
        int top = -1, bottom = -1;
        for (int row = 0; row < height; ++row) {
            if (at(width / 2, row) == menu_look::kHighlightFrame) {
                top = top < 0 ? row : top;
                bottom = row;
            }
        }
        look.highlightedRowHeight = top < 0 ? 0 : bottom - top + 1;
        return look;
    }
};

TEST_F(At144Dpi, TheIconIsTheGroupsOwn24PixelImagePixelForPixel)
{
    RunningProgram program;
    ASSERT_NE(StartProgram(program), nullptr);
    ASSERT_EQ(FindTrayPicture(), TrayPicture::SoundOn);
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT bar = {};
    ASSERT_TRUE(taskbar && GetWindowRect(taskbar, &bar));
    const int areaWidth = 64, areaHeight = bar.bottom - bar.top;
    const std::vector<std::uint32_t> area = CaptureScreen(bar.right - areaWidth, bar.top, areaWidth, areaHeight);
    const IconPixels image = StoredIconImage(IDI_SOUND_ON, 24);
    const std::uint32_t background = area[0];
    // The largest difference of any channel of any pixel, with the image's
    // top left corner at (left, top) of the area.
    const auto difference = [&](int left, int top) {
        int worst = 0;
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                const std::uint8_t* bgra = &image.bytes[(static_cast<size_t>(23 - y) * 24 + x) * 4];
                const std::uint32_t shown = area[static_cast<size_t>(top + y) * areaWidth + left + x];
                for (int channel = 0; channel < 3; ++channel) {
                    const int under = (background >> (8 * channel)) & 0xFF;
                    const int blended = (bgra[channel] * bgra[3] + under * (255 - bgra[3]) + 127) / 255;
                    worst = std::max(worst, std::abs(blended - static_cast<int>((shown >> (8 * channel)) & 0xFF)));
                }
            }
        }
        return worst;
    };
    int best = 256;
    for (int top = 0; top + 24 <= areaHeight; ++top) {
        for (int left = 0; left + 24 <= areaWidth; ++left)
            best = std::min(best, difference(left, top));
    }
    EXPECT_LE(best, 2) << "no place in the notification area shows the 24-pixel image";
}

// The same menu at 96 DPI and at 144 DPI: the program started once at each.
TEST_F(At144Dpi, TheMenusStripAndRowsAreOneAndAHalfTimesThoseAt96Dpi)
{
    // Low on the left of the virtual desktop, away from the middle of the
    // screen, where other tests' dialogs show.
    const POINT anchor = {40, 700};
    std::optional<MenuLook> looks[2];
    for (const DWORD dpi : {96u, 144u}) {
        ASSERT_TRUE(SetPrefixDpi(dpi));
        RunningProgram program;
        const HWND window = StartProgram(program);
        ASSERT_NE(window, nullptr) << dpi;
        looks[dpi == 144] = MeasureMenu(window, anchor);
        ASSERT_TRUE(looks[dpi == 144].has_value()) << dpi;
        CloseProgram();
    }
    const MenuLook at96 = *looks[0], at144 = *looks[1];
    EXPECT_EQ(at96.stripWidth, 24);
    EXPECT_EQ(at144.stripWidth, 36);
    ASSERT_GT(at96.highlightedRowHeight, 0);
    // The text's height, which the row's height follows, is the font's as
    // rasterised at each size: within a pixel of one and a half times.
    EXPECT_NEAR(at144.highlightedRowHeight, at96.highlightedRowHeight * 1.5, 1.0)
        << at96.highlightedRowHeight << " pixels at 96 DPI";
}

} // namespace
