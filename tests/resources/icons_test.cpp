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

// The group's own image of `side` pixels as the .ico holds it: a header, the
// colour rows bottom-up, then the AND mask.
const BYTE* StoredImage(WORD groupId, int side)
{
    DWORD size = 0, imageSize = 0;
    const BYTE* group = FindBytes(groupId, RT_GROUP_ICON, size);
    for (DWORD offset = 6; group && offset + sizeof(GroupEntry) <= size; offset += sizeof(GroupEntry)) {
        GroupEntry entry;
        std::memcpy(&entry, group + offset, sizeof entry);
        if (entry.width == side)
            return FindBytes(entry.id, RT_ICON, imageSize);
    }
    return nullptr;
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
    for (const Group& group : kGroups) {
        for (const int side : {16, 20, 24, 32}) {
            const BYTE* stored = StoredImage(group.id, side);
            ASSERT_NE(stored, nullptr) << group.name << " " << side;
            for (HICON (*load)(WORD, int) : {&LoadScaledDown, &LoadSized}) {
                SCOPED_TRACE(testing::Message() << group.name << ", " << side << " pixels, "
                                                << (load == &LoadSized ? "LoadImageW" : "LoadIconWithScaleDown"));
                const UniqueIcon icon(load(group.id, side));
                ICONINFO info = {};
                ASSERT_TRUE(icon && GetIconInfo(icon.get(), &info));
                const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
                // Read back bottom-up at 32 bits, as the .ico holds them; the
                // AND mask is made from the alpha, which this compares too.
                BITMAPINFO dib = {{sizeof(BITMAPINFOHEADER), side, side, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
                std::vector<BYTE> colours(side * side * 4);
                const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
                ASSERT_EQ(GetDIBits(dc.get(), colour.get(), 0, side, colours.data(), &dib, DIB_RGB_COLORS), side);
                EXPECT_EQ(std::memcmp(colours.data(), stored + sizeof(BITMAPINFOHEADER), colours.size()), 0);
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
