// The two icon groups, read back from this executable's own resources the way
// Windows finds and loads them.
#include <windows.h>

#include <cstring>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "win32/unique_handle.h"

namespace {

// A group icon entry: an .ico directory entry with the RT_ICON id for the offset.
#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

struct Group {
    const char* name;
    WORD id;
    std::set<WORD> imageIds;
};
const Group kGroups[] = {{"sound on", IDI_SOUND_ON, {9, 10, 11, 12, 13, 14, 15, 16}},
                         {"sound off", IDI_SOUND_OFF, {1, 2, 3, 4, 5, 6, 7, 8}}};

// Resources stay mapped with the module: nothing to release.
const BYTE* FindBytes(WORD id, const wchar_t* type, DWORD& size)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    size = found ? SizeofResource(module, found) : 0;
    return found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
}

TEST(IconGroups, EightBitmapsOf32BitsWithAnAndMaskUnderTheirIds)
{
    for (const Group& group : kGroups) {
        DWORD size = 0;
        const BYTE* data = FindBytes(group.id, RT_GROUP_ICON, size);
        WORD count = 0;
        ASSERT_GE(size, 6u + 8 * sizeof(GroupEntry)) << group.name;
        std::memcpy(&count, data + 4, sizeof count);
        ASSERT_EQ(count, 8) << group.name;
        std::set<int> sides;
        std::set<WORD> ids;
        for (int i = 0; i < count; ++i) {
            GroupEntry entry;
            std::memcpy(&entry, data + 6 + i * sizeof entry, sizeof entry);
            const int side = entry.width ? entry.width : 256;
            sides.insert(side);
            ids.insert(entry.id);
            SCOPED_TRACE(testing::Message() << group.name << " image " << entry.id);
            DWORD imageSize = 0;
            const BYTE* image = FindBytes(entry.id, RT_ICON, imageSize);
            BITMAPINFOHEADER header;
            ASSERT_GE(imageSize, sizeof header);
            std::memcpy(&header, image, sizeof header);
            ASSERT_EQ(header.biSize, sizeof header) << "a bitmap, not PNG";
            EXPECT_EQ(header.biWidth, side);
            EXPECT_EQ(header.biHeight, 2 * side) << "colours and AND mask";
            EXPECT_EQ(header.biBitCount, 32);
            const DWORD maskBytes = (side + 31) / 32 * 4 * side;
            EXPECT_EQ(imageSize, sizeof header + side * side * 4 + maskBytes) << "the AND mask follows the colours";
        }
        EXPECT_EQ(sides, (std::set<int>{16, 20, 24, 32, 48, 64, 96, 128})) << group.name;
        EXPECT_EQ(ids, group.imageIds) << group.name;
    }
}

// One square image, top row first: the colour of every pixel (BGRA as a
// 32-bit DIB holds it) and whether the AND mask leaves it transparent.
struct Pixels {
    std::vector<DWORD> colours;
    std::vector<bool> transparent;
};

// The group's own image of `side` pixels, decoded from the .ico's bytes that
// the executable carries: colour rows and then mask rows, both bottom-up.
Pixels StoredImage(WORD groupId, int side)
{
    Pixels pixels;
    DWORD size = 0;
    const BYTE* group = FindBytes(groupId, RT_GROUP_ICON, size);
    WORD count = 0;
    if (!group || size < 6)
        return pixels;
    std::memcpy(&count, group + 4, sizeof count);
    for (int i = 0; i < count && 6 + (i + 1) * sizeof(GroupEntry) <= size; ++i) {
        GroupEntry entry;
        std::memcpy(&entry, group + 6 + i * sizeof entry, sizeof entry);
        if (entry.width != side)
            continue;
        DWORD imageSize = 0;
        const BYTE* image = FindBytes(entry.id, RT_ICON, imageSize);
        const DWORD maskStride = (side + 31) / 32 * 4;
        if (!image || imageSize < sizeof(BITMAPINFOHEADER) + side * side * 4 + maskStride * side)
            return pixels;
        const BYTE* colours = image + sizeof(BITMAPINFOHEADER);
        const BYTE* mask = colours + side * side * 4;
        for (int y = side - 1; y >= 0; --y) {
            for (int x = 0; x < side; ++x) {
                DWORD colour = 0;
                std::memcpy(&colour, colours + (y * side + x) * 4, sizeof colour);
                pixels.colours.push_back(colour);
                pixels.transparent.push_back((mask[y * maskStride + x / 8] >> (7 - x % 8)) & 1);
            }
        }
    }
    return pixels;
}

// What a loaded icon holds, read back at 32 bits per pixel.
Pixels LoadedImage(HICON icon, int side)
{
    Pixels pixels;
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return pixels;
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAPINFO dib = {{sizeof(BITMAPINFOHEADER), side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    std::vector<DWORD> colours(side * side), maskBits(side * side);
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (GetDIBits(dc.get(), colour.get(), 0, side, colours.data(), &dib, DIB_RGB_COLORS) != side ||
        GetDIBits(dc.get(), mask.get(), 0, side, maskBits.data(), &dib, DIB_RGB_COLORS) != side)
        return pixels;
    pixels.colours = colours;
    for (const DWORD bit : maskBits)
        pixels.transparent.push_back((bit & 0xFFFFFF) != 0);
    return pixels;
}

HICON LoadScaledDown(WORD id, int side)
{
    // Only Common Controls 6 has it, which the manifest asks for; the import
    // libraries of mingw-w64 do not list it, so it is looked up by name.
    using LoadFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    const HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
    const auto load =
        reinterpret_cast<LoadFunction>(comctl32 ? GetProcAddress(comctl32, "LoadIconWithScaleDown") : nullptr);
    HICON icon = nullptr;
    if (load && FAILED(load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), side, side, &icon)))
        icon = nullptr;
    // The icon does not depend on the library.
    if (comctl32)
        FreeLibrary(comctl32);
    return icon;
}

HICON LoadSized(WORD id, int side)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, 0));
}

// The notification area asks for 16, 20, 24 or 32 pixels at 100, 125, 150 and
// 200 %: each must come out as the image drawn for it, not as another size
// stretched, which blurs.
TEST(IconGroups, EachTraySizeLoadsAsItsOwnImagePixelForPixel)
{
    struct Loader {
        const char* name;
        HICON (*load)(WORD id, int side);
    };
    const Loader loaders[] = {{"LoadIconWithScaleDown", &LoadScaledDown}, {"LoadImageW", &LoadSized}};
    for (const Group& group : kGroups) {
        for (const int side : {16, 20, 24, 32}) {
            const Pixels stored = StoredImage(group.id, side);
            ASSERT_EQ(stored.colours.size(), static_cast<std::size_t>(side * side)) << group.name << " " << side;
            for (const Loader& loader : loaders) {
                SCOPED_TRACE(testing::Message() << group.name << ", " << side << " pixels, " << loader.name);
                const UniqueIcon icon(loader.load(group.id, side));
                ASSERT_TRUE(icon);
                const Pixels loaded = LoadedImage(icon.get(), side);
                ASSERT_EQ(loaded.colours.size(), stored.colours.size());
                int differing = 0;
                for (std::size_t i = 0; i < stored.colours.size(); ++i)
                    differing +=
                        loaded.colours[i] != stored.colours[i] || loaded.transparent[i] != stored.transparent[i];
                EXPECT_EQ(differing, 0) << "pixels unlike the stored image";
            }
        }
    }
}

TEST(IconGroups, LoadAtTheSmallIconSizeAndOnlyTheMutedOneIsRed)
{
    const int side = GetSystemMetrics(SM_CXSMICON);
    for (const Group& group : kGroups) {
        SCOPED_TRACE(group.name);
        const UniqueIcon icon(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(group.id), IMAGE_ICON, side, side, 0)));
        ICONINFO info = {};
        ASSERT_TRUE(icon && GetIconInfo(icon.get(), &info));
        const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
        BITMAP bitmap = {};
        ASSERT_NE(GetObjectW(colour.get(), sizeof bitmap, &bitmap), 0) << "a colour icon";
        EXPECT_EQ(bitmap.bmWidth, side);
        EXPECT_EQ(bitmap.bmHeight, GetSystemMetrics(SM_CYSMICON));
        // Drawn over white into a 32-bpp DIB section, the way the notification area shows it.
        const BITMAPINFO dibInfo = {{sizeof(BITMAPINFOHEADER), side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        void* bits = nullptr;
        const UniqueBitmap dib(CreateDIBSection(nullptr, &dibInfo, DIB_RGB_COLORS, &bits, nullptr, 0));
        // Declared after the bitmap: the device context goes first and lets go of it.
        const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
        SelectObject(dc.get(), dib.get());
        PatBlt(dc.get(), 0, 0, side, side, WHITENESS);
        ASSERT_TRUE(DrawIconEx(dc.get(), 0, 0, icon.get(), side, side, 0, nullptr, DI_NORMAL));
        int red = 0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const COLORREF p = GetPixel(dc.get(), x, y);
                red += GetRValue(p) > 150 && GetGValue(p) < 90 && GetBValue(p) < 90;
            }
        }
        if (group.id == IDI_SOUND_OFF)
            EXPECT_GT(red, side * side / 4) << "the red prohibition sign";
        else
            EXPECT_EQ(red, 0);
    }
}

} // namespace

namespace {

// The manifest asks for Common Controls 6: the dialogs get the system's visual
// styles, and LoadIconWithScaleDown exists only there. Its buttons are the
// library's own, where without it they are user32's.
TEST(Manifest, ButtonsComeFromCommonControlsSix)
{
    const UniqueWindow button(CreateWindowExW(0, L"Button", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                              GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(button) << "window tests need a display (run under xvfb-run)";
    HMODULE procModule = nullptr;
    const auto proc = reinterpret_cast<const wchar_t*>(GetWindowLongPtrW(button.get(), GWLP_WNDPROC));
    ASSERT_TRUE(GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, proc, &procModule));
    // Loaded by name, the library is the one the manifest's dependency selects.
    const HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
    EXPECT_NE(comctl32, nullptr);
    EXPECT_EQ(procModule, comctl32);
    EXPECT_NE(procModule, GetModuleHandleW(L"user32.dll"));
    if (comctl32)
        FreeLibrary(comctl32);
}

} // namespace
