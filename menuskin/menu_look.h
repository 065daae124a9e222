#pragma once

#include <windows.h>

#include <string_view>

// The look of the skinned menu: colours, distances and the two decisions the
// painting makes that need no device context.
namespace menu_look {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kHighlightFrame = RGB(31, 14, 156);
constexpr COLORREF kHighlightInterior = RGB(225, 225, 245);
constexpr COLORREF kCheckDot = RGB(0, 0, 0);
// Enabled item text, and the right-hand text of every item.
constexpr COLORREF kText = RGB(0, 0, 0);

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
constexpr int kWidthPadding = 10 + kTextInsetLeft + kTextInsetRight;
constexpr int kHeightPadding = 4;

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
