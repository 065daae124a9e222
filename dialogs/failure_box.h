#pragma once

#include <windows.h>

#include <string>

// Shows a failure text (see mute/change_message.h), if there is one, in a
// warning box titled "Hushlark" owned by `owner`. Runs a message loop while it
// is open: the caller touches nothing that may have gone away meanwhile.
void ShowFailure(HWND owner, const std::wstring& message);
