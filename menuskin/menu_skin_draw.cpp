#include "menuskin/menu_skin.h"

#include <climits>
#include <string_view>

#include "menuskin/menu_look.h"
#include "win32/unique_handle.h"

namespace {

// Every fill gets a brush of its own, deleted as soon as the fill is done.
void FillSolid(HDC dc, const RECT& area, COLORREF colour)
{
    const UniqueBrush brush(CreateSolidBrush(colour));
    if (brush)
        FillRect(dc, &area, brush.get());
}

int Length(std::wstring_view text)
{
    return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

// No DT_NOPREFIX: an ampersand underlines the character after it and two in a
// row show one, as in a menu the system draws.
void DrawTextRun(HDC dc, std::wstring_view text, RECT area, UINT format)
{
    if (text.empty())
        return;
    DrawTextW(dc, text.data(), Length(text), &area, format);
}

std::wstring_view LabelText(const MenuItemLabel& label)
{
    // An item that gave no text is measured and drawn as an empty one.
    return label.text ? std::wstring_view(*label.text) : std::wstring_view();
}

} // namespace

int MenuSkin::MeasureItem(MEASUREITEMSTRUCT* measure)
{
    if (!measure || measure->CtlType != ODT_MENU)
        return 0;
    const MenuItemLabel* label = FindLabel(measure->itemData);
    if (!label)
        return 0;

    // The font is whatever the owner window's device context holds, which need
    // not be the font the menu is later drawn in.
    const UniqueWindowDc dc = GetWindowDc(ownerWindow);
    if (!dc)
        return 0;
    // All of the text counts: ampersands, the TAB and the right-hand text.
    const std::wstring_view text = LabelText(*label);
    SIZE extent = {};
    GetTextExtentPoint32W(dc.get().dc, text.empty() ? L"" : text.data(), Length(text), &extent);
    measure->itemWidth = static_cast<UINT>(extent.cx + menu_look::kWidthPadding);
    measure->itemHeight = static_cast<UINT>(extent.cy + menu_look::kHeightPadding);
    return 0;
}

int MenuSkin::DrawItem(const DRAWITEMSTRUCT* draw)
{
    if (!draw || draw->CtlType != ODT_MENU)
        return 0;
    const MenuItemLabel* label = FindLabel(draw->itemData);
    if (!label)
        return 0;

    // The device context is borrowed from the menu: whatever is selected into
    // it is put back before returning.
    HDC dc = draw->hDC;
    const RECT& rc = draw->rcItem;

    FillSolid(dc, rc, menu_look::kBackground);
    // The strip and the check dot hang off x = 0 of the device context, not off
    // the item's left edge. The system colours are read anew for every item.
    DrawGradient(dc, GetSysColor(COLOR_INACTIVECAPTION), GetSysColor(COLOR_MENU), 0, rc.top, menu_look::kStripWidth,
                 rc.bottom);
    SetBkMode(dc, TRANSPARENT);

    // Type and state come from the menu, not from the request's itemState. For
    // menu items the request's window slot carries the menu that holds the item.
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE | MIIM_TYPE | MIIM_DATA;
    GetMenuItemInfoW(reinterpret_cast<HMENU>(draw->hwndItem), draw->itemID, FALSE, &item);

    const int mid = rc.top + (rc.bottom - rc.top) / 2;
    if (item.fType & MFT_SEPARATOR) {
        // A black pen, as the device context holds on Windows: the first paint
        // of a menu can hand over a null pen, which would leave the line
        // invisible. Pen and current position are put back afterwards.
        const SelectionGuard pen = SelectInto(dc, GetStockObject(BLACK_PEN));
        POINT previous = {};
        MoveToEx(dc, rc.left + menu_look::kTextInsetLeft, mid, &previous);
        LineTo(dc, rc.right, mid);
        MoveToEx(dc, previous.x, previous.y, nullptr);
        return 0;
    }

    COLORREF itemColour = menu_look::kText;
    // MF_DISABLED is part of both MFS_DISABLED and MFS_GRAYED.
    if (item.fState & MF_DISABLED) {
        itemColour = GetSysColor(COLOR_GRAYTEXT);
    } else {
        if (item.fState & MFS_HILITE) {
            FillSolid(dc, rc, menu_look::kHighlightFrame);
            const RECT interior = {rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1};
            FillSolid(dc, interior, menu_look::kHighlightInterior);
        }
        if (item.fState & MFS_CHECKED) {
            const UniqueBrush black(CreateSolidBrush(menu_look::kCheckDot));
            const SelectionGuard selected = SelectInto(dc, black.get());
            const int top = mid - menu_look::kCheckDotSize / 2;
            Ellipse(dc, menu_look::kCheckDotLeft, top, menu_look::kCheckDotLeft + menu_look::kCheckDotSize,
                    top + menu_look::kCheckDotSize);
        }
    }

    const RECT textArea = {rc.left + menu_look::kTextInsetLeft, rc.top + menu_look::kTextInsetTop,
                           rc.right - menu_look::kTextInsetRight, rc.bottom};
    const menu_look::ItemText text = menu_look::SplitItemText(LabelText(*label));
    if (text.hasRightHand) {
        // The right-hand text is drawn whole, however long: it is part of the
        // width the item was measured with.
        SetTextColor(dc, menu_look::kText);
        DrawTextRun(dc, text.rightHand, textArea, DT_RIGHT);
    }
    // DT_VCENTER without DT_SINGLELINE centres nothing: the text starts at the
    // top of its rectangle, which the measured height leaves room for.
    SetTextColor(dc, itemColour);
    DrawTextRun(dc, text.item, textArea, DT_VCENTER);
    return 0;
}

int MenuSkin::DrawGradient(HDC dc, COLORREF start, COLORREF end, int left, int top, int width, int bottom)
{
    for (int column = 0; column < width; ++column) {
        // Each column reaches one row below `bottom`.
        const RECT area = {left + column, top, left + column + 1, bottom + 1};
        FillSolid(dc, area, menu_look::GradientColumnColour(start, end, column, width));
    }
    return 1;
}
