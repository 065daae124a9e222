#include "menuskin/menu_skin.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <set>
#include <string>
#include <vector>

#include "tests/menuskin/skin_test_support.h"

namespace {

constexpr UINT kProbe = WM_APP + 7;
// What the owner window's own procedure answers to WM_MENUCHAR.
constexpr LRESULT kOwnersMenuChar = MAKELRESULT(99, MNC_CLOSE);
// What the owner window's own procedure saw at WM_NCDESTROY.
LONG_PTR g_procAtNcDestroy = 0;
bool g_propertiesAtNcDestroy = true;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kProbe:
        return static_cast<LRESULT>(wParam) * 1000 + lParam;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        return message;
    case WM_MENUCHAR:
        return kOwnersMenuChar;
    case WM_NCDESTROY:
        g_procAtNcDestroy = GetWindowLongPtrW(window, GWLP_WNDPROC);
        g_propertiesAtNcDestroy = GetPropW(window, L"QMR_OriginalProc") || GetPropW(window, L"QMR_MenuHandle");
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct Item {
    std::wstring text;
    MENUITEMINFOW info;
};

// Every item of the tree, depth-first in menu order.
void Walk(HMENU popup, std::vector<Item>& items)
{
    for (int position = 0; position < GetMenuItemCount(popup); ++position) {
        wchar_t text[64] = {};
        const UINT mask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
        MENUITEMINFOW info = {sizeof(info), mask, 0, 0, 0, nullptr, nullptr, nullptr, 0, text, 64, nullptr};
        EXPECT_TRUE(GetMenuItemInfoW(popup, position, TRUE, &info));
        items.push_back({text, info});
        if (info.hSubMenu)
            Walk(info.hSubMenu, items);
    }
}

// A hidden owner window and a menu shaped like the tray menu.
class SkinAttachment : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppendItem(schemes, 1180, L"Windows Default");
        AppendItem(schemes, 1181, L"No Sounds", MF_CHECKED);
        AppendItem(schemes, 1182, L"Tom && Jerry\tCtrl+&T");
        AppendItem(menu.get(), 32769, L"Turn Sounds O&n", MF_GRAYED);
        AppendItem(menu.get(), 32770, L"Turn Sounds O&ff");
        // The menu owns the submenu from here on.
        AppendItem(menu.get(), reinterpret_cast<UINT_PTR>(schemes), L"Change Scheme", MF_POPUP);
        AppendItem(menu.get(), 0, nullptr);
        AppendItem(menu.get(), 32772, L"&Launch on Startup", MF_CHECKED);
        AppendItem(menu.get(), 32771, L"E&xit");
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        const WNDCLASSW windowClass = {0, &OwnerProc, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"SkinOwner"};
        RegisterClassW(&windowClass);
        window.reset(CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                     nullptr, instance, nullptr));
        ASSERT_TRUE(window) << "window tests need a display (run under xvfb-run)";
        originalProc = GetWindowLongPtrW(window.get(), GWLP_WNDPROC);
    }

    LRESULT Send(UINT message, WPARAM w, LPARAM l) { return SendMessageW(window.get(), message, w, l); }
    LONG_PTR Proc() const { return GetWindowLongPtrW(window.get(), GWLP_WNDPROC); }
    HANDLE Property(const wchar_t* name) const { return GetPropW(window.get(), name); }

    UniqueWindow window;
    UniqueMenu menu{CreatePopupMenu()};
    HMENU schemes = CreatePopupMenu();
    LONG_PTR originalProc = 0;
};

TEST_F(SkinAttachment, EveryItemOnBothLevelsGetsALabelOfItsTextUntilDetach)
{
    std::vector<Item> before, after;
    Walk(menu.get(), before);
    MenuSkin skin;
    skin.Attach(window.get(), menu.get());
    Walk(menu.get(), after);
    ASSERT_TRUE(before.size() == 9 && after.size() == 9);
    std::set<ULONG_PTR> labels;
    for (std::size_t i = 0; i < after.size(); ++i) {
        const MENUITEMINFOW &was = before[i].info, &is = after[i].info;
        EXPECT_EQ(is.fType, was.fType | MFT_OWNERDRAW) << i;
        EXPECT_TRUE(is.fState == was.fState && is.wID == was.wID && is.hSubMenu == was.hSubMenu) << i;
        EXPECT_EQ(after[i].text, before[i].text) << i;
        const auto* label = reinterpret_cast<const MenuItemLabel*>(is.dwItemData);
        ASSERT_NE(label, nullptr) << i;
        EXPECT_EQ(label->text.value_or(L""), before[i].text) << i;
        EXPECT_TRUE(labels.insert(is.dwItemData).second) << i << ": a label of its own";
    }
    EXPECT_TRUE(after[4].info.fState & MFS_CHECKED) << "in the submenu";
    EXPECT_EQ(after[6].info.fType, static_cast<UINT>(MFT_SEPARATOR | MFT_OWNERDRAW));

    // The window's end takes the subclass off; the labels wait for Detach.
    window.reset();
    EXPECT_EQ(g_procAtNcDestroy, originalProc) << "WM_NCDESTROY reaches the window's own procedure, put back";
    EXPECT_FALSE(g_propertiesAtNcDestroy);
    skin.Detach();
}

TEST_F(SkinAttachment, SubclassServesTheMenuAndPassesEveryMessageOnUntilDetach)
{
    MenuSkin skin;
    skin.Attach(window.get(), menu.get());
    EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(&SkinWindowProc));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(Property(L"QMR_OriginalProc")), originalProc);
    EXPECT_EQ(Property(L"QMR_MenuHandle"), static_cast<HANDLE>(&skin));
    EXPECT_EQ(Send(kProbe, 4, 2), 4002) << "unchanged, with its result";
    MEASUREITEMSTRUCT measure = {ODT_MENU, 0, 32771, 0, 0, ItemData(menu.get(), 32771)};
    EXPECT_EQ(Send(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), WM_MEASUREITEM);
    EXPECT_GT(measure.itemWidth, 57u) << "measured by the skin";
    // A submenu item is drawn from the submenu named in the request.
    Canvas canvas(200, 20, RGB(255, 0, 255));
    const DRAWITEMSTRUCT draw = DrawRequest(schemes, 1181, canvas.dc(), {0, 0, 200, 20});
    EXPECT_EQ(Send(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), WM_DRAWITEM) << "the window's own result";
    EXPECT_EQ(canvas.At(12, 10), RGB(0, 0, 0)) << "painted by the skin: the checked scheme's dot";
    skin.Detach();
    EXPECT_EQ(Proc(), originalProc);
    EXPECT_EQ(Property(L"QMR_OriginalProc"), nullptr);
    EXPECT_EQ(Property(L"QMR_MenuHandle"), nullptr);
}

TEST_F(SkinAttachment, NullOwnerWindowAndMenuWithoutItems)
{
    MenuSkin unowned, skin;
    unowned.Attach(nullptr, menu.get());
    std::vector<Item> items;
    Walk(menu.get(), items);
    ASSERT_EQ(items.size(), 9u);
    for (const Item& item : items)
        EXPECT_TRUE((item.info.fType & MFT_OWNERDRAW) && item.info.dwItemData) << "the items are still converted";
    unowned.Detach();

    const UniqueMenu empty(CreatePopupMenu());
    skin.Attach(window.get(), empty.get());
    EXPECT_EQ(Send(kProbe, 0, 7), 7);
    skin.Detach();
    EXPECT_EQ(Proc(), originalProc);
}

TEST_F(SkinAttachment, EveryItemDataOpensWithTheRecordThatNamesItForScreenReaders)
{
    MenuSkin skin;
    skin.Attach(window.get(), menu.get());
    std::vector<Item> items;
    Walk(menu.get(), items);
    // Depth-first in menu order: the submenu's items follow "Change Scheme".
    const wchar_t* const names[] = {L"Turn Sounds On",
                                    L"Turn Sounds Off",
                                    L"Change Scheme",
                                    L"Windows Default",
                                    L"No Sounds",
                                    L"Tom & Jerry",
                                    L"",
                                    L"Launch on Startup",
                                    L"Exit"};
    ASSERT_EQ(items.size(), std::size(names));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto* record = reinterpret_cast<const MSAAMENUINFO*>(items[i].info.dwItemData);
        ASSERT_TRUE(record && record->pszWText) << i;
        EXPECT_EQ(record->dwMSAASignature, static_cast<DWORD>(MSAA_MENU_SIG)) << i;
        EXPECT_EQ(std::wstring(record->pszWText), names[i]) << i;
        EXPECT_EQ(record->cchWText, static_cast<DWORD>(lstrlenW(names[i]))) << i;
    }
    skin.Detach();
}

TEST_F(SkinAttachment, AccessKeysOfTheMenuAndItsSubmenuAreAnsweredThroughTheOwnerWindow)
{
    AppendItem(schemes, 1183, L"&Nature");
    AppendItem(schemes, 1184, L"&night");
    MenuSkin skin;
    skin.Attach(window.get(), menu.get());
    const auto menuChar = [this](HMENU popup, wchar_t key) {
        return Send(WM_MENUCHAR, MAKEWPARAM(key, MF_POPUP), reinterpret_cast<LPARAM>(popup));
    };
    EXPECT_EQ(menuChar(menu.get(), L'F'), MAKELRESULT(1, MNC_EXECUTE)) << "Turn Sounds Off";
    EXPECT_EQ(menuChar(menu.get(), L'n'), MAKELRESULT(0, MNC_SELECT)) << "Turn Sounds On is disabled";
    EXPECT_EQ(menuChar(menu.get(), L'q'), MAKELRESULT(0, MNC_IGNORE)) << "the skin's answer, not the window's";
    EXPECT_EQ(menuChar(schemes, L't'), MAKELRESULT(0, MNC_IGNORE)) << "a marker after the TAB is no key";
    EXPECT_EQ(menuChar(schemes, L'n'), MAKELRESULT(3, MNC_SELECT)) << "in the submenu, shared";
    // Where the menu loop has highlighted the first of them.
    MENUITEMINFOW info = {sizeof(info), MIIM_STATE};
    info.fState = MFS_HILITE;
    SetMenuItemInfoW(schemes, 3, TRUE, &info);
    EXPECT_EQ(menuChar(schemes, L'N'), MAKELRESULT(4, MNC_SELECT)) << "the next after the highlighted one";

    const UniqueMenu other(CreatePopupMenu());
    AppendItem(other.get(), 7, L"&Foreign");
    EXPECT_EQ(menuChar(other.get(), L'f'), kOwnersMenuChar) << "a menu the skin does not draw is the window's";
    skin.Detach();
    EXPECT_EQ(menuChar(menu.get(), L'f'), kOwnersMenuChar) << "after Detach";
}

TEST_F(SkinAttachment, OneSkinPerWindowAndNoSubclassOutlivesItsSkin)
{
    {
        MenuSkin first;
        first.Attach(window.get(), menu.get());
        std::vector<Item> once, twice;
        Walk(menu.get(), once);
        first.Attach(window.get(), menu.get());
        Walk(menu.get(), twice);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(Property(L"QMR_OriginalProc")), originalProc) << "attached again";
        ASSERT_EQ(twice.size(), once.size());
        for (std::size_t i = 0; i < once.size(); ++i)
            EXPECT_EQ(twice[i].info.dwItemData, once[i].info.dwItemData) << i << ": nothing converted twice";

        const UniqueMenu other(CreatePopupMenu());
        MenuSkin second;
        second.Attach(window.get(), other.get());
        EXPECT_EQ(Property(L"QMR_MenuHandle"), static_cast<HANDLE>(&first)) << "the first skin stays attached";
        EXPECT_EQ(Send(kProbe, 0, 1), 1) << "no loop through the skin procedure";
        second.Detach();
    }
    EXPECT_EQ(Proc(), originalProc) << "a skin released while attached takes its subclass off";
    EXPECT_EQ(Property(L"QMR_MenuHandle"), nullptr);
}

} // namespace
