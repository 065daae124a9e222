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
