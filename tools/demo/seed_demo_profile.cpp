#include <windows.h>

#include "tools/demo/demo_profile.h"

// Seeds the current user's registry with the demo sound profile, in a Wine
// prefix made for the demo or the end-to-end tests. On Windows it writes
// nothing and ends with 1.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    if (!SeedDemoProfile(HKEY_CURRENT_USER)) {
        MessageBoxW(nullptr, L"The demo profile replaces your sound settings and is only seeded under Wine.",
                    L"Hushlark demo", MB_OK | MB_ICONERROR);
        return 1;
    }
    return 0;
}
