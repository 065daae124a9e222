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

// The font a device context holds comes from the system at the DPI its
// LOGPIXELSY reports. For a menu on a monitor of another DPI, a copy of it
// made for that DPI is selected for as long as this lives; at the same DPI
// nothing changes.
class FontForDpi {
public:
    FontForDpi(HDC dc, UINT dpi)
    {
        const int fontDpi = GetDeviceCaps(dc, LOGPIXELSY);
        if (fontDpi <= 0 || static_cast<UINT>(fontDpi) == dpi)
            return;
        LOGFONTW logFont = {};
        if (!GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(logFont), &logFont))
            return;
        logFont.lfHeight = menu_look::FontSizeFor(logFont.lfHeight, static_cast<UINT>(fontDpi), dpi);
        logFont.lfWidth = menu_look::FontSizeFor(logFont.lfWidth, static_cast<UINT>(fontDpi), dpi);
        font.reset(CreateFontIndirectW(&logFont));
        if (font)
            selected = SelectInto(dc, font.get());
    }

private:
    UniqueFont font;
    // After the font: it is deselected before it is deleted.
    SelectionGuard selected;
};

} // namespace

int MenuSkin::MeasureItem(MEASUREITEMSTRUCT* measure)
{
    if (!measure || measure->CtlType != ODT_MENU)
        return 0;
    const MenuItemLabel* label = FindLabel(measure->itemData);
    if (!label)
        return 0;

    // The font is whatever the owner window's device context holds, made for
    // the menu's DPI, which need not be the font the menu is later drawn in.
    const UniqueWindowDc dc = GetWindowDc(ownerWindow);
    if (!dc)
        return 0;
    const FontForDpi font(dc.get().dc, dpi);
    // All of the text counts: ampersands, the TAB and the right-hand text.
    const std::wstring_view text = LabelText(*label);
    SIZE extent = {};
    GetTextExtentPoint32W(dc.get().dc, text.empty() ? L"" : text.data(), Length(text), &extent);
    const SIZE size = menu_look::MeasuredSize(extent, dpi);
    measure->itemWidth = static_cast<UINT>(size.cx);
    measure->itemHeight = static_cast<UINT>(size.cy);
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
    const menu_look::Metrics metrics = menu_look::MetricsFor(dpi);

    // Type and state come from the menu, not from the request's itemState. For
    // menu items the request's window slot carries the menu that holds the item.
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE | MIIM_TYPE | MIIM_DATA;
    GetMenuItemInfoW(reinterpret_cast<HMENU>(draw->hwndItem), draw->itemID, FALSE, &item);
    // The system colours are read anew for every item.
    const menu_look::RowColours colours =
        menu_look::ColoursFor(item.fState, highContrast, menu_look::ReadSystemColours());

    FillSolid(dc, rc, colours.background);
    // The strip and the check dot hang off x = 0 of the device context, not off
    // the item's left edge.
    if (colours.strip)
        DrawGradient(dc, colours.stripStart, colours.stripEnd, 0, rc.top, metrics.stripWidth, rc.bottom);
    SetBkMode(dc, TRANSPARENT);

    const int mid = rc.top + (rc.bottom - rc.top) / 2;
    if (item.fType & MFT_SEPARATOR) {
        // A pen of our own (on Windows the device context holds a black one):
        // the first paint of a menu can hand over a null pen, which would leave
        // the line invisible. Pen and current position are put back afterwards.
        UniquePen ownPen;
        if (highContrast)
            ownPen.reset(CreatePen(PS_SOLID, 1, colours.separator));
        const SelectionGuard pen = SelectInto(dc, ownPen ? ownPen.get() : GetStockObject(BLACK_PEN));
        POINT previous = {};
        MoveToEx(dc, rc.left + metrics.textInsetLeft, mid, &previous);
        LineTo(dc, rc.right, mid);
        MoveToEx(dc, previous.x, previous.y, nullptr);
        return 0;
    }

    if (colours.boxed) {
        FillSolid(dc, rc, colours.frame);
        const RECT interior = {rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1};
        FillSolid(dc, interior, colours.interior);
    }
    // A disabled item shows no dot, checked or not.
    if ((item.fState & MFS_CHECKED) && !menu_look::IsDisabled(item.fState)) {
        const UniqueBrush dotBrush(CreateSolidBrush(colours.checkDot));
        const SelectionGuard selectedBrush = SelectInto(dc, dotBrush.get());
        // The dot's outline is drawn with the menu's pen, black on Windows; in
        // high contrast with a pen of the dot's colour.
        UniquePen dotPen;
        if (highContrast)
            dotPen.reset(CreatePen(PS_SOLID, 1, colours.checkDot));
        const SelectionGuard selectedPen = dotPen ? SelectInto(dc, dotPen.get()) : SelectionGuard();
        const int top = mid - metrics.checkDotSize / 2;
        Ellipse(dc, metrics.checkDotLeft, top, metrics.checkDotLeft + metrics.checkDotSize, top + metrics.checkDotSize);
    }

    const FontForDpi font(dc, dpi);
    const RECT textArea = {rc.left + metrics.textInsetLeft, rc.top + metrics.textInsetTop,
                           rc.right - metrics.textInsetRight, rc.bottom};
    const menu_look::ItemText text = menu_look::SplitItemText(LabelText(*label));
    if (text.hasRightHand) {
        // The right-hand text is drawn whole, however long: it is part of the
        // width the item was measured with.
        SetTextColor(dc, colours.rightHandText);
        DrawTextRun(dc, text.rightHand, textArea, DT_RIGHT);
    }
    // DT_VCENTER without DT_SINGLELINE centres nothing: the text starts at the
    // top of its rectangle, which the measured height leaves room for.
    SetTextColor(dc, colours.text);
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
