#pragma once

#include <windows.h>

#include <string>

// The full path of the running executable, whatever its length.
std::wstring RunningProgramPath();

// The file name of the tray program.
inline constexpr wchar_t kTrayProgramFile[] = L"Hushlark.exe";

// The tray program of this process's folder: this executable itself, or the
// Hushlark.exe beside hushlark.com.
std::wstring TrayProgramPath();

// The folder part of a path, with its trailing backslash; empty when there is none.
std::wstring FolderOf(const std::wstring& path);

// Whether two full paths name the same file as Windows reads them: in any
// letter case, with / taken for \. An empty path names nothing.
bool SamePath(const std::wstring& left, const std::wstring& right);

// The full path of the executable of another process; empty when it cannot
// be asked (the process ended, or may not be queried).
std::wstring ProcessImagePath(DWORD processId);
