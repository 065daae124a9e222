// The dialog templates as Windows loads them from the executable: every field
// of the extended templates and their controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

constexpr WORD kButton = 0x0080;
constexpr WORD kEdit = 0x0081;
constexpr WORD kStatic = 0x0082;
constexpr WORD kListBox = 0x0083;

// A name or ordinal field (sz_Or_Ord): an atom or resource number, or text.
struct NameOrOrdinal {
    std::optional<WORD> ordinal;
    std::wstring text;
};

struct ControlTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    WORD extraCount = 0;
};

struct DialogTemplate {
    WORD version = 0;
    WORD signature = 0;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::wstring title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<ControlTemplate> controls;
};

// Reads a DLGTEMPLATEEX without ever reading past the resource's end.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

    bool Failed() const { return failed_; }

    template <typename T>
    T Read()
    {
        T value{};
        if (offset_ + sizeof(T) > size_) {
            failed_ = true;
            return value;
        }
        std::memcpy(&value, data_ + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }

    std::wstring ReadText()
    {
        std::wstring text;
        for (;;) {
            const wchar_t c = static_cast<wchar_t>(Read<WORD>());
            if (failed_ || c == L'\0')
                return text;
            text.push_back(c);
        }
    }

    NameOrOrdinal ReadNameOrOrdinal()
    {
        NameOrOrdinal field;
        const WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            field.ordinal = Read<WORD>();
        } else if (first != 0) {
            field.text.push_back(static_cast<wchar_t>(first));
            field.text += ReadText();
        }
        return field;
    }

    void AlignTo(size_t boundary) { offset_ = (offset_ + boundary - 1) / boundary * boundary; }
    void Skip(size_t count) { offset_ += count; }

private:
    const BYTE* data_;
    size_t size_;
    size_t offset_ = 0;
    bool failed_ = false;
};

std::optional<DialogTemplate> LoadDialogTemplate(WORD id, LANGID language)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(id), language);
    if (!resource)
        return std::nullopt;
    const HGLOBAL loaded = LoadResource(module, resource);
    const auto* data = static_cast<const BYTE*>(LockResource(loaded));
    if (!data)
        return std::nullopt;
    TemplateReader reader(data, SizeofResource(module, resource));

    DialogTemplate dialog;
    dialog.version = reader.Read<WORD>();
    dialog.signature = reader.Read<WORD>();
    dialog.helpId = reader.Read<DWORD>();
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    const WORD controlCount = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    dialog.menu = reader.ReadNameOrOrdinal();
    dialog.windowClass = reader.ReadNameOrOrdinal();
    dialog.title = reader.ReadText();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = reader.Read<WORD>();
        dialog.weight = reader.Read<WORD>();
        dialog.italic = reader.Read<BYTE>();
        dialog.charset = reader.Read<BYTE>();
        dialog.typeface = reader.ReadText();
    }
    for (WORD i = 0; i < controlCount && !reader.Failed(); ++i) {
        reader.AlignTo(sizeof(DWORD));
        ControlTemplate control;
        control.helpId = reader.Read<DWORD>();
        control.exStyle = reader.Read<DWORD>();
        control.style = reader.Read<DWORD>();
        control.x = reader.Read<short>();
        control.y = reader.Read<short>();
        control.cx = reader.Read<short>();
        control.cy = reader.Read<short>();
        control.id = reader.Read<DWORD>();
        control.windowClass = reader.ReadNameOrOrdinal();
        control.title = reader.ReadNameOrOrdinal();
        control.extraCount = reader.Read<WORD>();
        reader.Skip(control.extraCount);
        dialog.controls.push_back(control);
    }
    if (reader.Failed())
        return std::nullopt;
    return dialog;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context)
{
    reinterpret_cast<std::vector<LANGID>*>(context)->push_back(language);
    return TRUE;
}

std::vector<LANGID> LanguagesOf(WORD id)
{
    std::vector<LANGID> languages;
    EnumResourceLanguagesW(GetModuleHandleW(nullptr), RT_DIALOG, MAKEINTRESOURCEW(id), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

struct ExpectedDialog {
    WORD id;
    DWORD style;
    short cx, cy;
    const wchar_t* title;
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charset;
    const wchar_t* typeface;
};

struct ExpectedControl {
    DWORD id;
    WORD classAtom;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
};

constexpr LANGID kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

void ExpectTemplate(const ExpectedDialog& expected, const std::vector<ExpectedControl>& expectedControls)
{
    SCOPED_TRACE(testing::Message() << "dialog template " << expected.id);
    EXPECT_EQ(LanguagesOf(expected.id), std::vector<LANGID>{kEnglishUs});
    const std::optional<DialogTemplate> dialog = LoadDialogTemplate(expected.id, kEnglishUs);
    ASSERT_TRUE(dialog.has_value()) << "template missing or cut short";

    EXPECT_EQ(dialog->version, 1);
    EXPECT_EQ(dialog->signature, 0xFFFF);
    EXPECT_EQ(dialog->helpId, 0u);
    EXPECT_EQ(dialog->exStyle, 0u);
    EXPECT_EQ(dialog->style, expected.style);
    EXPECT_EQ(dialog->x, 0);
    EXPECT_EQ(dialog->y, 0);
    EXPECT_EQ(dialog->cx, expected.cx);
    EXPECT_EQ(dialog->cy, expected.cy);
    EXPECT_FALSE(dialog->menu.ordinal.has_value());
    EXPECT_EQ(dialog->menu.text, L"");
    EXPECT_FALSE(dialog->windowClass.ordinal.has_value());
    EXPECT_EQ(dialog->windowClass.text, L"");
    EXPECT_EQ(dialog->title, expected.title);
    EXPECT_EQ(dialog->pointSize, expected.pointSize);
    EXPECT_EQ(dialog->weight, expected.weight);
    EXPECT_EQ(dialog->italic, expected.italic);
    EXPECT_EQ(dialog->charset, expected.charset);
    EXPECT_EQ(dialog->typeface, expected.typeface);

    ASSERT_EQ(dialog->controls.size(), expectedControls.size());
    for (size_t i = 0; i < expectedControls.size(); ++i) {
        const ExpectedControl& want = expectedControls[i];
        const ControlTemplate& got = dialog->controls[i];
        SCOPED_TRACE(testing::Message() << "control #" << i + 1);
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.windowClass.ordinal, std::optional<WORD>(want.classAtom));
        EXPECT_FALSE(got.title.ordinal.has_value());
        EXPECT_EQ(got.title.text, want.text);
        EXPECT_EQ(got.style, want.style) << std::hex << got.style << " instead of " << want.style;
        EXPECT_EQ(got.exStyle, want.exStyle);
        EXPECT_EQ(got.helpId, 0u);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.extraCount, 0);
    }
}

TEST(DialogTemplates, OptionsDialogTemplate)
{
    ExpectTemplate({IDD_OPTIONS, 0x80C800C0, 208, 183, L"Hushlark Options", 8, 400, 0, 0, L"Tahoma"},
                   {
                       {IDOK, kButton, L"&Close", 0x50010001, 0, 151, 162, 50, 14},
                       {IDC_SCHEME_LIST, kListBox, L"", 0x50A101C3, 0x200, 14, 17, 180, 81},
                       {IDC_DELETE, kButton, L"&Delete", 0x58010000, 0, 141, 104, 50, 14},
                       {IDC_RENAME, kButton, L"&Rename", 0x58010000, 0, 83, 104, 50, 14},
                       {0xFFFFFFFF, kButton, L"Sound Schemes", 0x50000007, 0, 7, 7, 194, 119},
                       {IDC_SET, kButton, L"&Set", 0x50010000, 0, 24, 104, 50, 14},
                       {IDC_KEEP_DEFAULT, kButton, L"Make sure the default scheme does not change.", 0x50010003, 0, 7,
                        132, 194, 10},
                   });
}

TEST(DialogTemplates, RenameDialogTemplate)
{
    ExpectTemplate({IDD_RENAME, 0x80C800C8, 211, 57, L"Dialog", 8, 400, 0, 1, L"MS Shell Dlg"},
                   {
                       {IDOK, kButton, L"OK", 0x50010001, 0, 51, 36, 50, 14},
                       {IDCANCEL, kButton, L"Cancel", 0x50010000, 0, 109, 36, 50, 14},
                       {0xFFFFFFFF, kStatic, L"Enter the new name of the sound scheme:", 0x50020000, 0, 7, 7, 197, 11},
                       {IDC_NEW_NAME, kEdit, L"", 0x50810080, 0, 7, 17, 197, 14},
                   });
}

} // namespace
