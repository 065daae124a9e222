// The two icon groups, read back from this executable's own resources the way
// Windows finds and loads them.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "engine/unique_handle.h"
#include "resources/resource.h"

namespace {

struct TestIconTraits {
    using pointer = HICON;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(HICON icon) noexcept { DestroyIcon(icon); }
};
struct TestGdiObjectTraits {
    using pointer = HGDIOBJ;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(HGDIOBJ object) noexcept { DeleteObject(object); }
};
struct TestMemoryDcTraits {
    using pointer = HDC;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(HDC dc) noexcept { DeleteDC(dc); }
};
using TestIcon = UniqueHandle<TestIconTraits>;
using TestGdiObject = UniqueHandle<TestGdiObjectTraits>;
using TestMemoryDc = UniqueHandle<TestMemoryDcTraits>;

// A group icon resource: a header and one 14-byte entry per image (the .ico
// directory with the file offset replaced by the image's RT_ICON id).
#pragma pack(push, 2)
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconHeader) == 6, "group header layout");
static_assert(sizeof(GroupIconEntry) == 14, "group entry layout");

struct Bytes {
    const std::uint8_t* data = nullptr;
    DWORD size = 0;
};

Bytes FindBytes(WORD id, const wchar_t* type)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found)
        return {};
    // Resources stay mapped with the module; there is nothing to release.
    const HGLOBAL loaded = LoadResource(module, found);
    return {static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

std::vector<GroupIconEntry> ReadGroup(WORD groupId)
{
    const Bytes group = FindBytes(groupId, RT_GROUP_ICON);
    if (!group.data || group.size < sizeof(GroupIconHeader))
        return {};
    GroupIconHeader header;
    std::memcpy(&header, group.data, sizeof header);
    if (header.reserved != 0 || header.type != 1 ||
        group.size < sizeof header + std::size_t{header.count} * sizeof(GroupIconEntry))
        return {};
    std::vector<GroupIconEntry> entries(header.count);
    std::memcpy(entries.data(), group.data + sizeof header, entries.size() * sizeof(GroupIconEntry));
    return entries;
}

struct Group {
    const char* name;
    WORD id;
    std::set<WORD> imageIds;
};

const Group kGroups[] = {
    {"sound on", IDI_SOUND_ON, {6, 7, 8, 9, 10}},
    {"sound off", IDI_SOUND_OFF, {1, 2, 3, 4, 5}},
};

int EntrySize(const GroupIconEntry& entry)
{
    return entry.width == 0 ? 256 : entry.width;
}

TEST(IconGroups, HoldFiveImagesOfTheListedSizesUnderTheirIds)
{
    for (const Group& group : kGroups) {
        const std::vector<GroupIconEntry> entries = ReadGroup(group.id);
        ASSERT_EQ(entries.size(), 5u) << group.name;
        std::multiset<int> sizes;
        std::set<WORD> ids;
        for (const GroupIconEntry& entry : entries) {
            sizes.insert(EntrySize(entry));
            ids.insert(entry.id);
            EXPECT_EQ(entry.width, entry.height) << group.name << " image " << entry.id;
            EXPECT_EQ(entry.bitCount, 32) << group.name << " image " << entry.id;
            EXPECT_EQ(entry.planes, 1) << group.name << " image " << entry.id;
        }
        EXPECT_EQ(sizes, (std::multiset<int>{32, 48, 64, 96, 128})) << group.name;
        EXPECT_EQ(ids, group.imageIds) << group.name;
    }
}

TEST(IconGroups, EachImageIsA32BitBitmapWithAlphaAndMask)
{
    for (const Group& group : kGroups) {
        for (const GroupIconEntry& entry : ReadGroup(group.id)) {
            SCOPED_TRACE(testing::Message() << group.name << " image " << entry.id);
            const int size = EntrySize(entry);
            const Bytes image = FindBytes(entry.id, RT_ICON);
            ASSERT_NE(image.data, nullptr);
            EXPECT_EQ(image.size, entry.bytesInRes);
            ASSERT_GE(image.size, sizeof(BITMAPINFOHEADER));
            ASSERT_NE(std::memcmp(image.data, "\x89PNG", 4), 0) << "stored as PNG, not as a bitmap";

            BITMAPINFOHEADER info;
            std::memcpy(&info, image.data, sizeof info);
            EXPECT_EQ(info.biSize, sizeof info);
            EXPECT_EQ(info.biWidth, size);
            EXPECT_EQ(info.biHeight, 2 * size) << "colour bitmap and AND mask";
            EXPECT_EQ(info.biPlanes, 1);
            ASSERT_EQ(info.biBitCount, 32);
            EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
            EXPECT_EQ(info.biClrUsed, 0u);

            const std::size_t colourBytes = std::size_t(size) * size * 4;
            const std::size_t maskStride = (size + 31) / 32 * 4;
            ASSERT_EQ(image.size, info.biSize + colourBytes + maskStride * size) << "the AND mask must follow";
            const std::uint8_t* colour = image.data + info.biSize;
            const std::uint8_t* mask = colour + colourBytes;

            // Colour and mask rows run bottom-up alike. The mask must agree with
            // alpha wherever alpha is clear-cut: it is all that draws the icon
            // where alpha is not used.
            int transparent = 0, opaque = 0, partial = 0, maskDisagrees = 0;
            for (int row = 0; row < size; ++row) {
                for (int x = 0; x < size; ++x) {
                    const std::uint8_t alpha = colour[(std::size_t(row) * size + x) * 4 + 3];
                    const bool masked = (mask[row * maskStride + x / 8] & (0x80 >> (x % 8))) != 0;
                    transparent += alpha == 0;
                    opaque += alpha == 255;
                    partial += alpha != 0 && alpha != 255;
                    maskDisagrees += (alpha == 0 && !masked) || (alpha >= 128 && masked);
                }
            }
            EXPECT_EQ(maskDisagrees, 0);
            EXPECT_GT(transparent, size * size / 10) << "a transparent background";
            EXPECT_GT(opaque, size * size / 4) << "a picture that fills the square";
            EXPECT_GT(partial, size) << "anti-aliased edges";
            for (const std::size_t corner : {std::size_t{0}, std::size_t(size) - 1, std::size_t(size) * (size - 1),
                                             std::size_t(size) * size - 1}) {
                EXPECT_EQ(colour[corner * 4 + 3], 0) << "corner " << corner;
            }
        }
    }
}

struct Pixel {
    int red, green, blue;
};

// Draws the icon the way the notification area does, scaled by LoadImageW to
// the small-icon size, over a uniform background.
std::vector<Pixel> DrawSmallIcon(WORD groupId, COLORREF background)
{
    const int size = GetSystemMetrics(SM_CXSMICON);
    const TestIcon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(groupId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (!icon)
        return {};

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const TestGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const TestMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc)
        return {};
    const HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
    const TestGdiObject brush(CreateSolidBrush(background));
    const RECT all = {0, 0, size, size};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(brush.get()));
    const BOOL drawn = DrawIconEx(dc.get(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    SelectObject(dc.get(), previous);
    if (!drawn)
        return {};

    std::vector<Pixel> pixels;
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    for (int k = 0; k < size * size; ++k)
        pixels.push_back({bgra[k * 4 + 2], bgra[k * 4 + 1], bgra[k * 4]});
    return pixels;
}

TEST(SmallIcons, LoadAtTheSmallIconSize)
{
    const int width = GetSystemMetrics(SM_CXSMICON);
    const int height = GetSystemMetrics(SM_CYSMICON);
    for (const Group& group : kGroups) {
        const TestIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(group.id),
                                                          IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
        ASSERT_TRUE(icon) << group.name;
        ICONINFO iconInfo = {};
        ASSERT_TRUE(GetIconInfo(icon.get(), &iconInfo)) << group.name;
        const TestGdiObject colour(iconInfo.hbmColor);
        const TestGdiObject mask(iconInfo.hbmMask);
        BITMAP bitmap = {};
        ASSERT_TRUE(colour) << group.name << ": a colour icon";
        ASSERT_NE(GetObjectW(colour.get(), sizeof bitmap, &bitmap), 0);
        EXPECT_EQ(bitmap.bmWidth, width) << group.name;
        EXPECT_EQ(bitmap.bmHeight, height) << group.name;
    }
}

TEST(SmallIcons, ReadOnLightAndDarkTaskbarsAndOnlyTheMutedOneIsRed)
{
    struct Case {
        const char* what;
        COLORREF background;
    };
    const Case backgrounds[] = {{"light grey", RGB(240, 240, 240)},
                                {"white", RGB(255, 255, 255)},
                                {"dark grey", RGB(32, 32, 32)},
                                {"black", RGB(0, 0, 0)},
                                {"blue", RGB(0, 84, 160)}};
    for (const Case& background : backgrounds) {
        const Pixel back = {GetRValue(background.background), GetGValue(background.background),
                            GetBValue(background.background)};
        const bool lightBackground = (back.red * 3 + back.green * 6 + back.blue) / 10 > 128;
        for (const Group& group : kGroups) {
            SCOPED_TRACE(testing::Message() << group.name << " on " << background.what);
            const std::vector<Pixel> pixels = DrawSmallIcon(group.id, background.background);
            ASSERT_FALSE(pixels.empty()) << "the icon loads and draws";
            int changed = 0, contrasting = 0, outline = 0, red = 0;
            for (const Pixel& p : pixels) {
                const int dr = p.red - back.red, dg = p.green - back.green, db = p.blue - back.blue;
                changed += dr != 0 || dg != 0 || db != 0;
                contrasting += dr * dr + dg * dg + db * db > 120 * 120;
                outline += (p.red * 3 + p.green * 6 + p.blue) / 10 < 80;
                red += p.red > 150 && p.green < 90 && p.blue < 90;
            }
            const int area = static_cast<int>(pixels.size());
            EXPECT_GT(changed, area / 2) << "a picture that fills the square";
            EXPECT_GT(contrasting, area / 4) << "a silhouette that stands out from the taskbar";
            if (lightBackground) {
                EXPECT_GT(outline, area / 10) << "a dark outline that keeps white parts apart from the taskbar";
            }
            if (group.id == IDI_SOUND_OFF) {
                EXPECT_GT(red, area / 4) << "the red prohibition sign";
            } else {
                EXPECT_EQ(red, 0) << "no red in the sound-on icon";
            }
        }
    }
}

} // namespace
