#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

// The program's texts live in the string table of the executable that runs
// (resources/strings.rc, ids in resources/resource.h).

// The text of a string-table entry; empty when the executable has none.
std::wstring LoadText(UINT id);

// The text with %1 to %9 replaced by the arguments in order; "%%" is one
// percent sign. A placeholder without an argument stays as it is.
std::wstring FormatText(UINT id, std::initializer_list<std::wstring> arguments);

// The same for a pattern that is already loaded.
std::wstring FormatPattern(const std::wstring& pattern, std::initializer_list<std::wstring> arguments);
