// The dialog templates as Windows loads them from the executable, every field
// of the extended templates and their controls; and where the dialogs land.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/dialog_placement.h"
#include "resources/resource.h"

namespace {

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context)
{
    reinterpret_cast<std::vector<LANGID>*>(context)->push_back(language);
    return TRUE;
}

struct ExpectedControl {
    WORD classAtom; // 0: the class is named
    const wchar_t* text;
    std::vector<DWORD> fields; // help id, ex-style, style, x, y, cx, cy, id, extra bytes
    const wchar_t* className = nullptr;
};

struct ExpectedDialog {
    WORD id;
    const wchar_t* title;
    const wchar_t* typeface;
    // version, signature, help id, ex-style, style, controls, x, y, cx, cy, points, weight, italic, charset
    std::vector<DWORD> fields;
    std::vector<ExpectedControl> controls;
};

TEST(DialogTemplates, EveryFieldOfTheOptionsAndRenameTemplates)
{
    const WORD button = 0x80, edit = 0x81, label = 0x82, listBox = 0x83;
    const ExpectedDialog dialogs[] = {
        {IDD_OPTIONS,
         L"Hushlark Options",
         L"Tahoma",
         {1, 0xFFFF, 0, 0, 0x80C800C0, 10, 0, 0, 208, 183, 8, 400, 0, 0},
         {
             {button, L"&Close", {0, 0, 0x50010001, 151, 162, 50, 14, IDOK, 0}},
             {listBox, L"", {0, 0x200, 0x50A101C3, 14, 17, 180, 81, IDC_SCHEME_LIST, 0}},
             {button, L"&Delete", {0, 0, 0x58010000, 141, 104, 50, 14, IDC_DELETE, 0}},
             {button, L"&Rename", {0, 0, 0x58010000, 83, 104, 50, 14, IDC_RENAME, 0}},
             {button, L"Sound Schemes", {0, 0, 0x50000007, 7, 7, 194, 119, 0xFFFFFFFF, 0}},
             {button, L"&Set", {0, 0, 0x50010000, 24, 104, 50, 14, IDC_SET, 0}},
             {button,
              L"Make sure the default scheme does not change.",
              {0, 0, 0x50010003, 7, 132, 194, 10, IDC_KEEP_DEFAULT, 0}},
             {button, L"&Quiet Hours\u2026", {0, 0, 0x50010000, 7, 162, 60, 14, IDC_QUIET_HOURS, 0}},
             {label, L"Turn sounds on or off with:", {0, 0, 0x50020000, 7, 148, 98, 8, 0xFFFFFFFF, 0}},
             {0, L"", {0, 0x200, 0x50010000, 107, 146, 94, 14, IDC_HOTKEY, 0}, L"msctls_hotkey32"},
         }},
        {IDD_RENAME,
         L"Dialog",
         L"MS Shell Dlg",
         {1, 0xFFFF, 0, 0, 0x80C800C8, 4, 0, 0, 211, 57, 8, 400, 0, 1},
         {
             {button, L"OK", {0, 0, 0x50010001, 51, 36, 50, 14, IDOK, 0}},
             {button, L"Cancel", {0, 0, 0x50010000, 109, 36, 50, 14, IDCANCEL, 0}},
             {label, L"Enter the new name of the sound scheme:", {0, 0, 0x50020000, 7, 7, 197, 11, 0xFFFFFFFF, 0}},
             {edit, L"", {0, 0, 0x50810080, 7, 17, 197, 14, IDC_NEW_NAME, 0}},
         }},
    };
    const HMODULE module = GetModuleHandleW(nullptr);
    const LANGID englishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    for (const ExpectedDialog& want : dialogs) {
        SCOPED_TRACE(testing::Message() << "dialog template " << want.id);
        std::vector<LANGID> languages;
        EnumResourceLanguagesW(module, RT_DIALOG, MAKEINTRESOURCEW(want.id), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::vector<LANGID>{englishUs});
        const HRSRC resource = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(want.id), englishUs);
        // The template as 16-bit words; a read past its end gives 0 and is noticed at the end.
        const auto* words = resource ? static_cast<const WORD*>(LockResource(LoadResource(module, resource))) : nullptr;
        ASSERT_NE(words, nullptr);
        const size_t size = SizeofResource(module, resource) / sizeof(WORD);
        size_t at = 0;
        const auto word = [&]() -> DWORD { return at++ < size ? words[at - 1] : 0; };
        const auto dword = [&] {
            const DWORD low = word();
            return low | word() << 16;
        };
        const auto text = [&] {
            std::wstring result;
            while (const DWORD c = word())
                result.push_back(static_cast<wchar_t>(c));
            return result;
        };
        // A name or ordinal field: an ordinal comes back as 0xFFFF and its value.
        const auto nameOrOrdinal = [&] {
            const DWORD first = word();
            if (first == 0xFFFF)
                return std::wstring{L'\xFFFF', static_cast<wchar_t>(word())};
            return first == 0 ? std::wstring() : static_cast<wchar_t>(first) + text();
        };

        std::vector<DWORD> fields{word(), word(), dword(), dword(), dword(), word(), word(), word(), word(), word()};
        EXPECT_EQ(nameOrOrdinal(), L"") << "menu";
        EXPECT_EQ(nameOrOrdinal(), L"") << "window class";
        EXPECT_EQ(text(), want.title);
        fields.push_back(word());
        fields.push_back(word());
        const DWORD italicAndCharset = word();
        fields.insert(fields.end(), {italicAndCharset & 0xFF, italicAndCharset >> 8});
        EXPECT_EQ(fields, want.fields);
        EXPECT_EQ(text(), want.typeface);
        for (const ExpectedControl& control : want.controls) {
            SCOPED_TRACE(testing::PrintToString(std::wstring(control.text)));
            at = (at + 1) & ~size_t{1}; // each control starts on a DWORD boundary
            std::vector<DWORD> got{dword(), dword(), dword(), word(), word(), word(), word(), dword()};
            const std::wstring windowClass = nameOrOrdinal();
            // windres writes a class name in capitals; Windows finds a class
            // by its name in any letter case.
            if (control.className) {
                EXPECT_EQ(lstrcmpiW(windowClass.c_str(), control.className), 0) << windowClass;
            } else {
                EXPECT_EQ(windowClass, (std::wstring{L'\xFFFF', static_cast<wchar_t>(control.classAtom)}));
            }
            EXPECT_EQ(nameOrOrdinal(), control.text);
            got.push_back(word());
            at += (got.back() + 1) / 2;
            EXPECT_EQ(got, control.fields);
        }
        EXPECT_LE(at, size) << "template cut short";
    }
}

TEST(DialogPlacement, CentredOriginHalvesTheDifferenceTruncatingTowardZero)
{
    struct Case {
        RECT area;
        RECT window;
        POINT origin;
    };
    const Case cases[] = {
        {{0, 0, 1280, 1024}, {0, 0, 320, 200}, {480, 412}},
        {{0, 0, 101, 11}, {0, 0, 50, 4}, {25, 3}},             // odd differences 51 and 7 round down
        {{0, 0, 100, 100}, {0, 0, 103, 10}, {-1, 45}},         // -3 / 2 is -1, not -2
        {{0, 0, 100, 100}, {0, 0, 105, 107}, {-2, -3}},        // -5 / 2 and -7 / 2
        {{10, 20, 110, 220}, {500, 600, 550, 700}, {35, 70}},  // the window's own position does not count
        {{-1280, -50, 0, 974}, {0, 0, 321, 201}, {-801, 361}}, // a desktop left of the primary screen
    };
    for (const Case& c : cases) {
        const POINT origin = CentredOrigin(c.area, c.window);
        EXPECT_EQ(origin.x, c.origin.x) << "area " << c.area.left << "," << c.area.right;
        EXPECT_EQ(origin.y, c.origin.y) << "area " << c.area.top << "," << c.area.bottom;
    }
}

} // namespace
