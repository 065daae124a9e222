#include "dialogs/failure_box.h"

#include "resources/resource.h"
#include "win32/text.h"

void ShowFailure(HWND owner, const std::wstring& message)
{
    if (!message.empty())
        MessageBoxW(owner, message.c_str(), LoadText(IDS_PROGRAM_NAME).c_str(),
                    MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}
