#include "dialogs/failure_box.h"

void ShowFailure(HWND owner, const std::wstring& message)
{
    if (!message.empty())
        MessageBoxW(owner, message.c_str(), L"Hushlark", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}
