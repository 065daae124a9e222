#include "menuskin/menu_item_label.h"

#include <utility>

#include "menuskin/menu_look.h"
#include "menuskin/menu_text.h"

MenuItemLabel::MenuItemLabel(std::optional<std::wstring> itemText)
    : text(std::move(itemText)),
      shown(text ? menu_text::ShownText(menu_look::SplitItemText(*text).item) : std::wstring())
{
    accessible.dwMSAASignature = static_cast<DWORD>(MSAA_MENU_SIG);
    accessible.cchWText = static_cast<DWORD>(shown.size());
    // The label is never moved, so the text stays where the record points.
    accessible.pszWText = shown.data();
}
