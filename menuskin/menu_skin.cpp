#include "menuskin/menu_skin.h"

#include <shellscalingapi.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "menuskin/menu_look.h"
#include "menuskin/menu_text.h"

#ifndef _WIN64
// The record's size in a 32-bit build; the 64-bit one is larger, so the size
// always comes from sizeof.
static_assert(sizeof(MENUITEMINFOW) == 48, "MENUITEMINFOW has its 32-bit size");
#endif

namespace {

MENUITEMINFOW EmptyItemInfo(UINT mask)
{
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = mask;
    return item;
}

WNDPROC ProcFromProperty(HANDLE value)
{
    return reinterpret_cast<WNDPROC>(reinterpret_cast<LONG_PTR>(value));
}

HANDLE ProcAsProperty(WNDPROC proc)
{
    return reinterpret_cast<HANDLE>(reinterpret_cast<LONG_PTR>(proc));
}

// Popup menus are windows of this class, owned by the thread that tracks them.
constexpr wchar_t kMenuWindowClass[] = L"#32768";

BOOL CALLBACK RepaintMenuWindow(HWND window, LPARAM)
{
    wchar_t name[16] = {};
    if (GetClassNameW(window, name, 16) && std::wcscmp(name, kMenuWindowClass) == 0 && IsWindowVisible(window))
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    return TRUE;
}

} // namespace

bool SystemHighContrastOn()
{
    HIGHCONTRASTW state = {};
    state.cbSize = sizeof(state);
    if (!SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(state), &state, 0))
        return false;
    return (state.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

UINT MenuDpiAt(POINT screenPoint)
{
    UINT dpiX = 0, dpiY = 0;
    const HMONITOR monitor = MonitorFromPoint(screenPoint, MONITOR_DEFAULTTONEAREST);
    if (!monitor || FAILED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) || !dpiY)
        return USER_DEFAULT_SCREEN_DPI;
    return dpiY;
}

MenuSkin::MenuSkin(HighContrastQuery highContrastQuery) : highContrastQuery(highContrastQuery) {}

MenuSkin::~MenuSkin()
{
    DetachWindow();
}

MenuSkin& MenuSkin::Attach(HWND owner, HMENU popup, UINT menuDpi)
{
    // Attaching again first takes this skin's own earlier subclass off.
    DetachWindow();
    menu = popup;
    dpi = menuDpi ? menuDpi : USER_DEFAULT_SCREEN_DPI;
    highContrast = highContrastQuery && highContrastQuery();
    // A second skin would save the first one's procedure as the original and
    // then call itself for ever; a window with a skin attached keeps that one.
    if (owner && !GetPropW(owner, kSkinProperty)) {
        // A window procedure is pointer-sized: the Ptr forms keep all of it in a
        // 64-bit build.
        const WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(owner, GWLP_WNDPROC));
        if (current) {
            ownerWindow = owner;
            savedProc = current;
            // Both properties must be in place before the procedure is switched:
            // the first message to SkinWindowProc reads them.
            SetPropW(owner, kOriginalProcProperty, ProcAsProperty(savedProc));
            SetPropW(owner, kSkinProperty, this);
            SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinWindowProc));
        }
    }
    ConvertItems(popup);
    return *this;
}

void MenuSkin::Detach()
{
    DetachWindow();
    ReleaseItems(menu);
    menu = nullptr;
}

int MenuSkin::DetachWindow()
{
    if (ownerWindow) {
        SetWindowLongPtrW(ownerWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc));
        RemovePropW(ownerWindow, kOriginalProcProperty);
        RemovePropW(ownerWindow, kSkinProperty);
        // After WM_NCDESTROY the handle is dead and may be reused: forget it.
        ownerWindow = nullptr;
        savedProc = nullptr;
    }
    return 0;
}

void MenuSkin::ConvertItems(HMENU popup)
{
    const int count = GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position) {
        // First the text's length in characters, without the NUL.
        MENUITEMINFOW item = EmptyItemInfo(MIIM_STRING);
        if (!GetMenuItemInfoW(popup, position, TRUE, &item))
            continue;

        std::wstring buffer(static_cast<std::size_t>(item.cch) + 1, L'\0');
        item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU | MIIM_DATA;
        item.dwTypeData = buffer.data();
        item.cch = static_cast<UINT>(buffer.size());
        // A failed read leaves the type unknown; writing it back would change
        // the item, so such an item stays as it is.
        if (!GetMenuItemInfoW(popup, position, TRUE, &item))
            continue;
        if (FindLabel(item.dwItemData))
            continue;

        std::optional<std::wstring> text;
        if (item.dwTypeData) {
            // The system stops at the buffer's size; the last character stays a
            // NUL whatever it wrote, so the copy ends inside the buffer.
            buffer.back() = L'\0';
            text = std::wstring(buffer.c_str());
        }
        auto label = std::make_unique<MenuItemLabel>(std::move(text));

        // Only type and item data are written; the record's text pointer is
        // not looked at without MIIM_STRING.
        item.fType |= MFT_OWNERDRAW;
        item.dwItemData = reinterpret_cast<ULONG_PTR>(label.get());
        item.fMask = MIIM_FTYPE | MIIM_DATA;
        if (!SetMenuItemInfoW(popup, position, TRUE, &item))
            continue;
        labels.push_back(std::move(label));

        // The item before its submenu: depth-first in menu order.
        if (item.hSubMenu)
            ConvertItems(item.hSubMenu);
    }
}

void MenuSkin::ReleaseItems(HMENU popup)
{
    const int count = GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item = EmptyItemInfo(MIIM_SUBMENU | MIIM_DATA);
        if (!GetMenuItemInfoW(popup, position, TRUE, &item))
            continue;
        ReleaseLabel(item.dwItemData);
        if (item.hSubMenu)
            ReleaseItems(item.hSubMenu);
    }
}

const MenuItemLabel* MenuSkin::FindLabel(ULONG_PTR itemData) const
{
    if (!itemData)
        return nullptr;
    for (const std::unique_ptr<MenuItemLabel>& label : labels) {
        if (reinterpret_cast<ULONG_PTR>(label.get()) == itemData)
            return label.get();
    }
    return nullptr;
}

void MenuSkin::ReleaseLabel(ULONG_PTR itemData)
{
    // Item data that is not one of this skin's labels belongs to someone else.
    const auto found = std::find_if(labels.begin(), labels.end(), [itemData](const auto& label) {
        return reinterpret_cast<ULONG_PTR>(label.get()) == itemData;
    });
    if (found != labels.end())
        labels.erase(found);
}

std::optional<LRESULT> MenuSkin::AnswerMenuChar(wchar_t key, HMENU popup) const
{
    const int count = GetMenuItemCount(popup);
    std::vector<menu_text::AccessRow> rows;
    int selected = -1;
    bool ours = false;
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW item = EmptyItemInfo(MIIM_FTYPE | MIIM_STATE | MIIM_DATA);
        menu_text::AccessRow row;
        // An item that cannot be read keeps its place, with no key.
        if (GetMenuItemInfoW(popup, position, TRUE, &item)) {
            const MenuItemLabel* label = FindLabel(item.dwItemData);
            ours = ours || label;
            if (label && label->text && !(item.fType & MFT_SEPARATOR))
                row.text = menu_look::SplitItemText(*label->text).item;
            row.enabled = !menu_look::IsDisabled(item.fState);
            if (item.fState & MFS_HILITE)
                selected = position;
        }
        rows.push_back(row);
    }
    if (!ours)
        return std::nullopt;
    return menu_text::AnswerMenuChar(rows, key, selected);
}

void MenuSkin::OnSystemColoursChanged()
{
    highContrast = highContrastQuery && highContrastQuery();
    // The open menus paint their items again, through this skin.
    EnumThreadWindows(GetCurrentThreadId(), &RepaintMenuWindow, 0);
}

LRESULT CALLBACK SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Read both before dispatching: WM_NCDESTROY removes them, and the saved
    // procedure must still receive that message.
    const WNDPROC savedProc = ProcFromProperty(GetPropW(window, kOriginalProcProperty));
    MenuSkin* const skin = static_cast<MenuSkin*>(GetPropW(window, kSkinProperty));

    if (skin) {
        switch (message) {
        case WM_DRAWITEM:
            skin->DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            break;
        case WM_MEASUREITEM:
            skin->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            break;
        case WM_MENUCHAR:
            // The access keys of this skin's menus are the skin's alone: the
            // window's own procedure would refuse them.
            if (const std::optional<LRESULT> answer =
                    skin->AnswerMenuChar(static_cast<wchar_t>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam)))
                return *answer;
            break;
        case WM_SYSCOLORCHANGE:
            skin->OnSystemColoursChanged();
            break;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETHIGHCONTRAST)
                skin->OnSystemColoursChanged();
            break;
        case WM_NCDESTROY:
            skin->DetachWindow();
            break;
        default:
            break;
        }
    }

    // The main window procedure sees the measure and draw requests too and
    // leaves them to its default handling.
    if (!savedProc)
        return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(savedProc, window, message, wParam, lParam);
}
