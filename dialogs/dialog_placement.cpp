#include "dialogs/dialog_placement.h"

POINT CentredOrigin(const RECT& area, const RECT& window)
{
    const LONG areaWidth = area.right - area.left;
    const LONG areaHeight = area.bottom - area.top;
    const LONG windowWidth = window.right - window.left;
    const LONG windowHeight = window.bottom - window.top;
    return POINT{area.left + (areaWidth - windowWidth) / 2, area.top + (areaHeight - windowHeight) / 2};
}

void CentreOnDesktop(HWND window)
{
    RECT desktop{};
    RECT own{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    const POINT origin = CentredOrigin(desktop, own);
    SetWindowPos(window, HWND_TOP, origin.x, origin.y, 0, 0, SWP_NOSIZE);
}
