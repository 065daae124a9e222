#include <windows.h>

#include "tools/demo/demo_profile.h"

// Seeds the current user's registry with the demo sound profile. Run only in a
// Wine prefix made for the demo or the end-to-end tests.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    SeedDemoProfile(HKEY_CURRENT_USER);
    return 0;
}
