#include "win32/process.h"

#include <algorithm>

#include "win32/unique_handle.h"

std::wstring RunningProgramPath()
{
    // The path may exceed MAX_PATH: grow until it fits with room to spare.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring TrayProgramPath()
{
    return FolderOf(RunningProgramPath()) + kTrayProgramFile;
}

std::wstring FolderOf(const std::wstring& path)
{
    const std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool SamePath(const std::wstring& left, const std::wstring& right)
{
    if (left.empty() || left.size() != right.size())
        return false;
    std::wstring leftPath = left;
    std::wstring rightPath = right;
    std::replace(leftPath.begin(), leftPath.end(), L'/', L'\\');
    std::replace(rightPath.begin(), rightPath.end(), L'/', L'\\');
    // Ordinal, as the file system compares names, not by the user's locale.
    return CompareStringOrdinal(leftPath.c_str(), static_cast<int>(leftPath.size()), rightPath.c_str(),
                                static_cast<int>(rightPath.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ProcessImagePath(DWORD processId)
{
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return std::wstring();
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &length))
        return std::wstring();
    path.resize(length);
    return path;
}
