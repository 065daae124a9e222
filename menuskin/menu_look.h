#pragma once

#include <windows.h>

#include <string_view>

// The look of the skinned menu: colours, distances and the decisions the
// painting makes that need no device context.
namespace menu_look {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kHighlightFrame = RGB(31, 14, 156);
constexpr COLORREF kHighlightInterior = RGB(225, 225, 245);
constexpr COLORREF kCheckDot = RGB(0, 0, 0);
// Enabled item text, and the right-hand text of every item.
constexpr COLORREF kText = RGB(0, 0, 0);

// Distances are in pixels at 96 DPI; MetricsFor scales them to the DPI of the
// monitor the menu opens on.
//
// The gradient strip is counted from x = 0 of the device context, not from the
// item's left edge, and so is the check dot.
constexpr int kStripWidth = 24;
constexpr int kCheckDotLeft = 8;
constexpr int kCheckDotSize = 8;

// The text rectangle is the item rectangle moved in by these distances; the
// separator line starts at the left one.
constexpr int kTextInsetLeft = 32;
constexpr int kTextInsetTop = 4;
constexpr int kTextInsetRight = 15;

// Added to the measured text extent. The width also makes room for the text
// rectangle's insets, which the text is drawn within: without them the end of
// every item's text would be cut off.
constexpr int kWidthSlack = 10;
constexpr int kWidthPadding = kWidthSlack + kTextInsetLeft + kTextInsetRight;
constexpr int kHeightPadding = 4;

// The distances of the look at `dpi`, each scaled by dpi / 96 and rounded to
// the nearest pixel. The width padding is the sum of its scaled parts, so that
// it keeps making exactly the room the scaled insets take.
struct Metrics {
    int stripWidth;
    int checkDotLeft;
    int checkDotSize;
    int textInsetLeft;
    int textInsetTop;
    int textInsetRight;
    int widthPadding;
    int heightPadding;
};

// `length` pixels at 96 DPI at `dpi` (96 when `dpi` is 0).
int Scaled(int length, UINT dpi);
Metrics MetricsFor(UINT dpi);

// An item's measured size: the extent of its whole text, in a font made for
// `dpi`, plus the paddings at `dpi`.
SIZE MeasuredSize(SIZE textExtent, UINT dpi);

// A height or width of a font made for `fontDpi` (a LOGFONT's lfHeight or
// lfWidth, sign included), for a copy of it made for `dpi`. Unchanged when
// either DPI is 0.
LONG FontSizeFor(LONG size, UINT fontDpi, UINT dpi);

// Whether an item in the state `state` (MFS_* of the menu) is disabled, greyed
// or not.
bool IsDisabled(UINT state);

// The system colours the menu is painted with.
struct SystemColours {
    COLORREF menu;
    COLORREF menuText;
    COLORREF highlight;
    COLORREF highlightText;
    COLORREF grayText;
    COLORREF inactiveCaption;
};

SystemColours ReadSystemColours();

// The colours of one item. `boxed` says whether the highlight box is drawn;
// `strip` whether the gradient strip is, shading from stripStart to stripEnd.
struct RowColours {
    COLORREF background;
    bool strip;
    COLORREF stripStart;
    COLORREF stripEnd;
    bool boxed;
    COLORREF frame;
    COLORREF interior;
    COLORREF text;
    COLORREF rightHandText;
    COLORREF checkDot;
    COLORREF separator;
};

// The colours of an item in the state `state` (MFS_* of the menu). Outside
// high contrast: the skin's own look, a box for an enabled highlighted item
// only, grey text for a disabled one and a right-hand text in the text colour
// whatever the state. In high contrast every colour is a system colour:
// COLOR_MENU behind, COLOR_MENUTEXT for text, line and dot, COLOR_HIGHLIGHT
// with COLOR_HIGHLIGHTTEXT for the highlighted item and COLOR_GRAYTEXT for a
// disabled one, and no strip.
RowColours ColoursFor(UINT state, bool highContrast, const SystemColours& system);

// The colour of column `column` of a gradient `width` columns wide that starts
// at `start` and would reach `end` at column `width`. Each channel moves by
// column * (end - start) / width with a division that truncates toward zero, so
// a falling channel stays nearer its start value. A width of 0 or less gives
// `start`.
COLORREF GradientColumnColour(COLORREF start, COLORREF end, int column, int width);

// A label's text split at its first TAB: the item text before it and the
// right-hand text after it. Without a TAB everything is item text and
// `hasRightHand` is false; a TAB at the end gives an empty right-hand text.
struct ItemText {
    std::wstring_view item;
    std::wstring_view rightHand;
    bool hasRightHand = false;
};

ItemText SplitItemText(std::wstring_view text);

} // namespace menu_look
