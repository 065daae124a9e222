#pragma once

#include <windows.h>

// The top-left corner at which a window of the size of `window` lands when
// centred on `area`. Halving an odd difference truncates toward zero, so a
// window wider than the area gets a negative offset (-3 / 2 gives -1).
POINT CentredOrigin(const RECT& area, const RECT& window);

// Moves the window, keeping its size, to the centre of the desktop window's
// rectangle.
void CentreOnDesktop(HWND window);
