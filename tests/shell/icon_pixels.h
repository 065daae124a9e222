#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// The pixels of an icon as 32-bit BGRA bytes, rows bottom-up: the layout of
// the images in the program's .ico files.
struct IconPixels {
    int side = 0;
    std::vector<std::uint8_t> bytes;
};

// The image of `side` pixels that the icon group `groupId` in this
// executable's resources holds, as stored; empty when the group has none.
IconPixels StoredIconImage(WORD groupId, int side);

// What a loaded icon holds, read back from its colour bitmap; empty when it
// cannot be read.
IconPixels LoadedIconImage(HICON icon);
