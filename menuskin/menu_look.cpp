#include "menuskin/menu_look.h"

namespace menu_look {

namespace {

int Channel(COLORREF colour, int shift)
{
    return static_cast<int>((colour >> shift) & 0xFF);
}

int ChannelAt(int start, int end, int column, int width)
{
    // C++ integer division truncates toward zero, which is the rounding the
    // strip is drawn with for rising and falling channels alike. Wide products
    // keep far columns from overflowing; columns outside the strip are held to
    // the byte range instead of wrapping around.
    const long long channel = start + (static_cast<long long>(column) * (end - start)) / width;
    return static_cast<int>(channel < 0 ? 0 : (channel > 255 ? 255 : channel));
}

} // namespace

int Scaled(int length, UINT dpi)
{
    return MulDiv(length, dpi ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI, USER_DEFAULT_SCREEN_DPI);
}

Metrics MetricsFor(UINT dpi)
{
    Metrics metrics = {};
    metrics.stripWidth = Scaled(kStripWidth, dpi);
    metrics.checkDotLeft = Scaled(kCheckDotLeft, dpi);
    metrics.checkDotSize = Scaled(kCheckDotSize, dpi);
    metrics.textInsetLeft = Scaled(kTextInsetLeft, dpi);
    metrics.textInsetTop = Scaled(kTextInsetTop, dpi);
    metrics.textInsetRight = Scaled(kTextInsetRight, dpi);
    metrics.widthPadding = Scaled(kWidthSlack, dpi) + metrics.textInsetLeft + metrics.textInsetRight;
    metrics.heightPadding = Scaled(kHeightPadding, dpi);
    return metrics;
}

SIZE MeasuredSize(SIZE textExtent, UINT dpi)
{
    const Metrics metrics = MetricsFor(dpi);
    return SIZE{textExtent.cx + metrics.widthPadding, textExtent.cy + metrics.heightPadding};
}

LONG FontSizeFor(LONG size, UINT fontDpi, UINT dpi)
{
    if (!fontDpi || !dpi)
        return size;
    return MulDiv(size, static_cast<int>(dpi), static_cast<int>(fontDpi));
}

bool IsDisabled(UINT state)
{
    // Windows reports MFS_GRAYED and MFS_DISABLED as both bits; an item made
    // with MF_GRAYED alone can come back with that bit only.
    return (state & (MF_GRAYED | MF_DISABLED)) != 0;
}

SystemColours ReadSystemColours()
{
    return SystemColours{GetSysColor(COLOR_MENU),      GetSysColor(COLOR_MENUTEXT),
                         GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT),
                         GetSysColor(COLOR_GRAYTEXT),  GetSysColor(COLOR_INACTIVECAPTION)};
}

RowColours ColoursFor(UINT state, bool highContrast, const SystemColours& system)
{
    // A disabled item is never boxed, highlighted or not.
    const bool disabled = IsDisabled(state);
    const bool boxed = !disabled && (state & MFS_HILITE);
    RowColours colours = {};
    colours.boxed = boxed;
    if (!highContrast) {
        colours.background = kBackground;
        colours.strip = true;
        colours.stripStart = system.inactiveCaption;
        colours.stripEnd = system.menu;
        colours.frame = kHighlightFrame;
        colours.interior = kHighlightInterior;
        colours.text = disabled ? system.grayText : kText;
        colours.rightHandText = kText;
        colours.checkDot = kCheckDot;
        colours.separator = kText;
        return colours;
    }
    colours.background = system.menu;
    colours.strip = false;
    colours.stripStart = colours.stripEnd = system.menu;
    colours.frame = colours.interior = system.highlight;
    colours.text = disabled ? system.grayText : (boxed ? system.highlightText : system.menuText);
    colours.rightHandText = colours.text;
    colours.checkDot = colours.text;
    colours.separator = system.menuText;
    return colours;
}

COLORREF GradientColumnColour(COLORREF start, COLORREF end, int column, int width)
{
    if (width <= 0)
        return start;
    const int red = ChannelAt(Channel(start, 0), Channel(end, 0), column, width);
    const int green = ChannelAt(Channel(start, 8), Channel(end, 8), column, width);
    const int blue = ChannelAt(Channel(start, 16), Channel(end, 16), column, width);
    return RGB(red, green, blue);
}

ItemText SplitItemText(std::wstring_view text)
{
    const std::wstring_view::size_type tab = text.find(L'\t');
    if (tab == std::wstring_view::npos)
        return ItemText{text, std::wstring_view(), false};
    return ItemText{text.substr(0, tab), text.substr(tab + 1), true};
}

} // namespace menu_look
