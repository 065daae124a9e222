#include "menuskin/menu_skin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/menuskin/skin_test_support.h"

namespace {

constexpr UINT kProbe = WM_APP + 7;
constexpr LRESULT kProbeResult = 0x5EED;
constexpr LRESULT kDrawResult = 0x0D0;

// What the owner window's own procedure saw.
struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct OwnerLog {
    std::vector<Received> messages;
    // Observed inside WM_NCDESTROY.
    bool sawNcDestroy = false;
    LONG_PTR procAtNcDestroy = 0;
    HANDLE originalPropertyAtNcDestroy = nullptr;
    HANDLE skinPropertyAtNcDestroy = nullptr;

    bool Saw(UINT message) const
    {
        for (const Received& received : messages) {
            if (received.message == message)
                return true;
        }
        return false;
    }
};

OwnerLog* g_log = nullptr;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_log) {
        g_log->messages.push_back({message, wParam, lParam});
        if (message == WM_NCDESTROY) {
            g_log->sawNcDestroy = true;
            g_log->procAtNcDestroy = GetWindowLongPtrW(window, GWLP_WNDPROC);
            g_log->originalPropertyAtNcDestroy = GetPropW(window, L"QMR_OriginalProc");
            g_log->skinPropertyAtNcDestroy = GetPropW(window, L"QMR_MenuHandle");
        }
    }
    switch (message) {
    case kProbe:
        return kProbeResult + static_cast<LRESULT>(wParam) + lParam;
    case WM_DRAWITEM:
        return kDrawResult;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

struct WindowTraits {
    using pointer = HWND;
    static pointer Empty() noexcept { return nullptr; }
    static void Close(HWND window) noexcept { DestroyWindow(window); }
};
using UniqueWindow = UniqueHandle<WindowTraits>;

// A hidden owner window with a recording procedure, and a menu shaped like the
// tray menu: a disabled item, a submenu with a checked scheme, separators and a
// checked item.
class SkinAttachment : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log = &log;
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &OwnerProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"Hushlark_SkinTestOwner";
        RegisterClassW(&windowClass);
        window.reset(CreateWindowExW(0, L"Hushlark_SkinTestOwner", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(window) << "window tests need a display (run under xvfb-run)";

        menu.reset(CreatePopupMenu());
        schemes = CreatePopupMenu();
        AppendItem(schemes, 1180, L"Windows Default");
        AppendItem(schemes, 1181, L"No Sounds", MF_CHECKED);
        AppendItem(schemes, 1182, L"Hushlark 1 (7/4/2026)");
        AppendItem(menu.get(), 32769, L"Turn Sounds O&n", MF_DISABLED);
        AppendItem(menu.get(), 32770, L"Turn Sounds O&ff");
        // The menu owns the submenu from here on.
        InsertMenuW(menu.get(), static_cast<UINT>(-1), MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(schemes),
                    L"Change Scheme");
        AppendSeparator(menu.get());
        AppendItem(menu.get(), 32772, L"&Launch on Startup", MF_CHECKED);
        AppendItem(menu.get(), 32773, L"&Options");
        AppendSeparator(menu.get());
        AppendItem(menu.get(), 32771, L"E&xit");
        originalProc = GetWindowLongPtrW(window.get(), GWLP_WNDPROC);
    }

    void TearDown() override
    {
        window.reset();
        g_log = nullptr;
    }

    struct Snapshot {
        std::wstring text;
        UINT type;
        UINT state;
        UINT id;
        HMENU submenu;
        ULONG_PTR data;
    };

    // Every item of the tree, depth-first in menu order.
    static void Walk(HMENU popup, std::vector<Snapshot>& items)
    {
        const int count = GetMenuItemCount(popup);
        for (int position = 0; position < count; ++position) {
            const MENUITEMINFOW info =
                ReadItem(popup, position, TRUE, MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA);
            items.push_back(
                {ItemText(popup, position), info.fType, info.fState, info.wID, info.hSubMenu, info.dwItemData});
            if (info.hSubMenu)
                Walk(info.hSubMenu, items);
        }
    }

    std::vector<Snapshot> Items() const
    {
        std::vector<Snapshot> items;
        Walk(menu.get(), items);
        return items;
    }

    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return SendMessageW(window.get(), message, wParam, lParam);
    }

    OwnerLog log;
    UniqueWindow window;
    UniqueMenu menu;
    HMENU schemes = nullptr;
    LONG_PTR originalProc = 0;
};

TEST_F(SkinAttachment, EveryItemOnBothLevelsBecomesOwnerDrawnWithItsText)
{
    const std::vector<Snapshot> before = Items();
    ASSERT_EQ(before.size(), 11u);

    MenuSkin skin;
    EXPECT_EQ(&skin.Attach(window.get(), menu.get()), &skin);

    const std::vector<Snapshot> after = Items();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(skin.LabelCount(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        const std::string what = "item " + std::to_string(i);
        EXPECT_EQ(after[i].type, before[i].type | MFT_OWNERDRAW) << what;
        EXPECT_EQ(after[i].text, before[i].text) << what << ": the menu keeps its text";
        EXPECT_EQ(after[i].state, before[i].state) << what;
        EXPECT_EQ(after[i].id, before[i].id) << what;
        EXPECT_EQ(after[i].submenu, before[i].submenu) << what;
        const auto* label = reinterpret_cast<const MenuItemLabel*>(after[i].data);
        ASSERT_NE(label, nullptr) << what;
        EXPECT_EQ(label->text.value_or(L""), before[i].text) << what;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(after[j].data, after[i].data) << what << ": a label of its own";
    }
    // Spot checks of the shape: depth-first order and the kept states.
    EXPECT_EQ(after[2].text, L"Change Scheme");
    EXPECT_EQ(after[2].submenu, schemes);
    EXPECT_EQ(after[3].text, L"Windows Default");
    EXPECT_EQ(after[6].type, static_cast<UINT>(MFT_SEPARATOR | MFT_OWNERDRAW));
    EXPECT_TRUE(after[0].state & MFS_DISABLED);
    EXPECT_TRUE(after[4].state & MFS_CHECKED);
    EXPECT_TRUE(after[7].state & MFS_CHECKED);

    skin.Detach();
    EXPECT_EQ(skin.LabelCount(), 0u);
}

TEST_F(SkinAttachment, LabelsKeepAmpersandsAndTabs)
{
    AppendItem(schemes, 1183, L"Tom && Jerry\tCtrl+&T");
    MenuSkin skin;
    skin.Attach(window.get(), menu.get());
    const MenuItemLabel* label = LabelOf(schemes, 3, TRUE);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text.value_or(L"(none)"), L"Tom && Jerry\tCtrl+&T");
    skin.Detach();
}

TEST_F(SkinAttachment, AttachSubclassesAndDetachRestoresEverything)
{
    MenuSkin skin;
    skin.Attach(window.get(), menu.get());
    EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&SkinWindowProc));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropW(window.get(), L"QMR_OriginalProc")), originalProc);
    EXPECT_EQ(GetPropW(window.get(), L"QMR_MenuHandle"), static_cast<HANDLE>(&skin));

    skin.Detach();
    EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), originalProc);
    EXPECT_EQ(GetPropW(window.get(), L"QMR_OriginalProc"), nullptr);
    EXPECT_EQ(GetPropW(window.get(), L"QMR_MenuHandle"), nullptr);
    EXPECT_EQ(skin.LabelCount(), 0u);
    // Types and item data are left for the menu's destruction.
    EXPECT_TRUE(ReadItem(menu.get(), 0, TRUE, MIIM_FTYPE).fType & MFT_OWNERDRAW);

    log.messages.clear();
    EXPECT_EQ(Send(kProbe, 1, 2), kProbeResult + 3) << "the window works as before";
    EXPECT_TRUE(log.Saw(kProbe));
}

TEST_F(SkinAttachment, OtherMessagesReachTheOriginalProcedureUnchanged)
{
    MenuSkin skin;
    skin.Attach(window.get(), menu.get());
    log.messages.clear();

    EXPECT_EQ(Send(kProbe, 40, 2), kProbeResult + 42);
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].message, kProbe);
    EXPECT_EQ(log.messages[0].wParam, 40u);
    EXPECT_EQ(log.messages[0].lParam, 2);

    wchar_t title[16] = {};
    SetWindowTextW(window.get(), L"Still mine");
    EXPECT_EQ(GetWindowTextW(window.get(), title, 16), 10);
    EXPECT_STREQ(title, L"Still mine");
    skin.Detach();
}

TEST_F(SkinAttachment, MeasureAndDrawRequestsAreServedAndStillReachTheWindow)
{
    MenuSkin skin;
    skin.Attach(window.get(), menu.get());
    log.messages.clear();

    MEASUREITEMSTRUCT measure = {ODT_MENU, 0, 32773, 0, 0, ReadItem(menu.get(), 32773, FALSE, MIIM_DATA).dwItemData};
    Send(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_GT(measure.itemWidth, 10u) << "measured by the skin";
    EXPECT_GT(measure.itemHeight, 4u);
    EXPECT_TRUE(log.Saw(WM_MEASUREITEM));

    Canvas canvas(200, 30, RGB(255, 0, 255));
    const DRAWITEMSTRUCT draw = DrawRequest(menu.get(), 32773, canvas.dc(), {0, 0, 200, 20});
    EXPECT_EQ(Send(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), kDrawResult) << "the window's own result";
    EXPECT_EQ(canvas.At(100, 10), RGB(255, 255, 255)) << "painted by the skin";
    EXPECT_TRUE(log.Saw(WM_DRAWITEM));

    // A submenu item is drawn from the submenu named in the request.
    Canvas checked(200, 30, RGB(255, 0, 255));
    const DRAWITEMSTRUCT scheme = DrawRequest(schemes, 1181, checked.dc(), {0, 0, 200, 20});
    Send(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&scheme));
    EXPECT_EQ(checked.At(12, 10), RGB(0, 0, 0)) << "the checked scheme gets its dot";
    skin.Detach();
}

TEST_F(SkinAttachment, DestroyingTheWindowTakesTheSubclassOff)
{
    MenuSkin skin;
    skin.Attach(window.get(), menu.get());
    window.reset();

    EXPECT_TRUE(log.sawNcDestroy) << "WM_NCDESTROY reaches the window's own procedure";
    EXPECT_EQ(log.procAtNcDestroy, originalProc) << "procedure put back first";
    EXPECT_EQ(log.originalPropertyAtNcDestroy, nullptr);
    EXPECT_EQ(log.skinPropertyAtNcDestroy, nullptr);
    EXPECT_EQ(skin.LabelCount(), 11u) << "the labels stay until Detach";

    skin.Detach();
    EXPECT_EQ(skin.LabelCount(), 0u);
}

TEST_F(SkinAttachment, NullOwnerWindowStillConvertsAndReleases)
{
    MenuSkin skin;
    skin.Attach(nullptr, menu.get());
    EXPECT_EQ(skin.LabelCount(), 11u);
    EXPECT_TRUE(ReadItem(schemes, 2, TRUE, MIIM_FTYPE).fType & MFT_OWNERDRAW);
    EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), originalProc);
    skin.Detach();
    EXPECT_EQ(skin.LabelCount(), 0u);
}

TEST_F(SkinAttachment, MenuWithoutItems)
{
    UniqueMenu empty(CreatePopupMenu());
    MenuSkin skin;
    skin.Attach(window.get(), empty.get());
    EXPECT_EQ(skin.LabelCount(), 0u);
    EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&SkinWindowProc));
    skin.Detach();
    EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), originalProc);

    MenuSkin noMenu;
    noMenu.Attach(nullptr, nullptr);
    noMenu.Detach();
    EXPECT_EQ(noMenu.LabelCount(), 0u);
}

TEST_F(SkinAttachment, ReleaseItemsReleasesOnlyTheLabelsOfThatMenu)
{
    MenuSkin skin;
    skin.Attach(nullptr, menu.get());
    skin.ReleaseItems(schemes);
    EXPECT_EQ(skin.LabelCount(), 8u);
    skin.ReleaseItems(schemes);
    EXPECT_EQ(skin.LabelCount(), 8u) << "released once";
    skin.ReleaseItems(menu.get());
    EXPECT_EQ(skin.LabelCount(), 0u);
}

TEST_F(SkinAttachment, ConvertingTwiceAddsNoLabels)
{
    MenuSkin skin;
    skin.Attach(nullptr, menu.get());
    skin.ConvertItems(menu.get());
    EXPECT_EQ(skin.LabelCount(), 11u);
    EXPECT_EQ(ReadItem(menu.get(), 0, TRUE, MIIM_FTYPE).fType, static_cast<UINT>(MFT_STRING | MFT_OWNERDRAW));
    skin.Detach();
}

TEST_F(SkinAttachment, SecondSkinLeavesTheFirstOneAttached)
{
    MenuSkin first;
    first.Attach(window.get(), menu.get());
    {
        UniqueMenu other(CreatePopupMenu());
        AppendItem(other.get(), 7, L"Other");
        MenuSkin second;
        second.Attach(window.get(), other.get());
        EXPECT_EQ(GetPropW(window.get(), L"QMR_MenuHandle"), static_cast<HANDLE>(&first));
        EXPECT_EQ(second.LabelCount(), 1u) << "its items are still converted";
        log.messages.clear();
        EXPECT_EQ(Send(kProbe, 0, 0), kProbeResult) << "no loop through the skin procedure";
        second.Detach();
        EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&SkinWindowProc));
    }
    first.Detach();
    EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), originalProc);
}

TEST_F(SkinAttachment, SkinDestroyedWhileAttachedUndoesTheSubclass)
{
    {
        MenuSkin skin;
        skin.Attach(window.get(), menu.get());
        skin.Attach(window.get(), menu.get());
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropW(window.get(), L"QMR_OriginalProc")), originalProc)
            << "attaching twice keeps the real original";
    }
    EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), originalProc);
    EXPECT_EQ(GetPropW(window.get(), L"QMR_MenuHandle"), nullptr);
    EXPECT_EQ(GetPropW(window.get(), L"QMR_OriginalProc"), nullptr);
    EXPECT_EQ(Send(kProbe, 0, 1), kProbeResult + 1);
}

} // namespace
