// The version information of both programs, read from the built files the way
// Explorer's Properties dialog reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/process.h"

namespace {

std::wstring StringValue(const std::vector<BYTE>& block, const wchar_t* name)
{
    wchar_t* text = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
        return L"(none)";
    return std::wstring(text);
}

TEST(VersionInformation, BothProgramsCarryTheProjectsVersion)
{
    for (const wchar_t* file : {L"Hushlark.exe", L"hushlark.com"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(file)));
        const std::wstring path = FolderOf(RunningProgramPath()) + file;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
        ASSERT_GT(size, 0u);
        std::vector<BYTE> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        // The project's version, as CMake hands it to this test too.
        EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(HUSHLARK_VERSION_MINOR, HUSHLARK_VERSION_MAJOR)));
        EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, HUSHLARK_VERSION_PATCH)));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

        const std::wstring version = L"" HUSHLARK_VERSION_TEXT;
        EXPECT_EQ(StringValue(block, L"FileVersion"), version);
        EXPECT_EQ(StringValue(block, L"ProductVersion"), version);
        EXPECT_EQ(StringValue(block, L"CompanyName"), L"Quillfen");
        EXPECT_EQ(StringValue(block, L"ProductName"), L"Hushlark");
        EXPECT_EQ(StringValue(block, L"FileDescription"), L"Hushlark");
        EXPECT_EQ(StringValue(block, L"OriginalFilename"), file);
        EXPECT_NE(StringValue(block, L"LegalCopyright").find(L"Quillfen"), std::wstring::npos);
    }
}

} // namespace
