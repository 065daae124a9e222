// The two icon groups, read back from this executable's own resources the way
// Windows finds and loads them.
#include <windows.h>

#include <cstring>
#include <set>

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
const Group kGroups[] = {{"sound on", IDI_SOUND_ON, {6, 7, 8, 9, 10}}, {"sound off", IDI_SOUND_OFF, {1, 2, 3, 4, 5}}};

// Resources stay mapped with the module: nothing to release.
const BYTE* FindBytes(WORD id, const wchar_t* type, DWORD& size)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    size = found ? SizeofResource(module, found) : 0;
    return found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
}

TEST(IconGroups, FiveBitmapsOf32BitsWithAnAndMaskUnderTheirIds)
{
    for (const Group& group : kGroups) {
        DWORD size = 0;
        const BYTE* data = FindBytes(group.id, RT_GROUP_ICON, size);
        WORD count = 0;
        ASSERT_GE(size, 6u + 5 * sizeof(GroupEntry)) << group.name;
        std::memcpy(&count, data + 4, sizeof count);
        ASSERT_EQ(count, 5) << group.name;
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
        EXPECT_EQ(sides, (std::set<int>{32, 48, 64, 96, 128})) << group.name;
        EXPECT_EQ(ids, group.imageIds) << group.name;
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
