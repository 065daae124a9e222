#include "tests/shell/icon_pixels.h"

#include <cstring>

#include "win32/unique_handle.h"

namespace {

// One entry of a group icon resource: an .ico directory entry whose last
// field is the id of the RT_ICON resource instead of an offset.
#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

// Resources stay mapped with the module: nothing to release.
const BYTE* FindBytes(WORD id, const wchar_t* type, DWORD& size)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    size = found ? SizeofResource(module, found) : 0;
    return found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
}

} // namespace

IconPixels StoredIconImage(WORD groupId, int side)
{
    DWORD size = 0;
    const BYTE* group = FindBytes(groupId, RT_GROUP_ICON, size);
    for (DWORD offset = 6; group && offset + sizeof(GroupEntry) <= size; offset += sizeof(GroupEntry)) {
        GroupEntry entry;
        std::memcpy(&entry, group + offset, sizeof entry);
        if (entry.width != side)
            continue;
        DWORD imageSize = 0;
        const BYTE* image = FindBytes(entry.id, RT_ICON, imageSize);
        const std::size_t colours = static_cast<std::size_t>(side) * side * 4;
        // A header, the colour rows, then the AND mask.
        if (!image || imageSize < sizeof(BITMAPINFOHEADER) + colours)
            return {};
        const BYTE* first = image + sizeof(BITMAPINFOHEADER);
        return {side, std::vector<std::uint8_t>(first, first + colours)};
    }
    return {};
}

IconPixels LoadedIconImage(HICON icon)
{
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return {};
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap = {};
    if (!colour || !GetObjectW(colour.get(), sizeof(bitmap), &bitmap) || bitmap.bmWidth != bitmap.bmHeight)
        return {};
    const int side = bitmap.bmWidth;
    BITMAPINFO dib = {};
    dib.bmiHeader = {sizeof(BITMAPINFOHEADER), side, side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(side) * side * 4);
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (GetDIBits(dc.get(), colour.get(), 0, side, bytes.data(), &dib, DIB_RGB_COLORS) != side)
        return {};
    return {side, bytes};
}
