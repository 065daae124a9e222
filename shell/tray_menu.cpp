#include "dialogs/options_dialog.h"
#include "menuskin/menu_skin.h"
#include "resources/resource.h"
#include "shell/startup_registration.h"
#include "shell/tray_controller.h"

namespace {

void AppendItem(HMENU menu, UINT flags, UINT_PTR commandId, const wchar_t* text)
{
    InsertMenuW(menu, static_cast<UINT>(-1), flags, commandId, text);
}

} // namespace

void TrayController::ShowMenu()
{
    // Where the user clicked, before building the menu takes any time.
    POINT cursor = {};
    GetCursorPos(&cursor);

    const UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return;

    // Exactly one of the two is enabled; the skin paints the disabled one grey.
    const bool soundOn = store.IsSoundOn();
    AppendItem(menu.get(), MF_BYPOSITION | (soundOn ? MF_DISABLED : 0), IDM_SOUNDS_ON, L"Turn Sounds O&n");
    AppendItem(menu.get(), MF_BYPOSITION | (soundOn ? 0 : MF_DISABLED), IDM_SOUNDS_OFF, L"Turn Sounds O&ff");

    UniqueMenu schemes(CreatePopupMenu());
    if (schemes)
        store.FillSchemeMenu(schemes.get());
    // The menu owns the submenu from here and destroys it with itself.
    AppendItem(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(schemes.release()), L"Change Scheme");

    AppendItem(menu.get(), MF_SEPARATOR | MF_BYPOSITION, 0, nullptr);
    AppendItem(menu.get(), MF_BYPOSITION | (IsLaunchOnStartupOn() ? MF_CHECKED : 0), IDM_LAUNCH_ON_STARTUP,
               L"&Launch on Startup");
    AppendItem(menu.get(), MF_BYPOSITION, IDM_OPTIONS, L"&Options");
    AppendItem(menu.get(), MF_SEPARATOR | MF_BYPOSITION, 0, nullptr);
    AppendItem(menu.get(), MF_BYPOSITION, IDM_EXIT, L"E&xit");

    // The owner must be in the foreground, or the menu does not close when the
    // user clicks elsewhere. The popup is never made the window's own menu.
    SetForegroundWindow(window);

    MenuSkin skin;
    skin.Attach(window, menu.get());
    TrackPopupMenu(menu.get(), TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, window, nullptr);
    // The skin walks the menu: off before the menu is destroyed.
    skin.Detach();

    // Lets the menu open reliably the next time the icon is clicked.
    PostMessageW(window, WM_NULL, 0, 0);
}

LRESULT TrayController::OnCommand(WORD commandId, WORD, LPARAM)
{
    switch (commandId) {
    case IDM_SOUNDS_ON:
        store.Unmute();
        SetSoundState(true);
        Shell_NotifyIconW(NIM_MODIFY, &trayIcon);
        break;
    case IDM_SOUNDS_OFF:
        store.Mute();
        SetSoundState(false);
        Shell_NotifyIconW(NIM_MODIFY, &trayIcon);
        break;
    case IDM_EXIT:
        DestroyWindow(window);
        break;
    case IDM_LAUNCH_ON_STARTUP:
        ToggleLaunchOnStartup();
        break;
    case IDM_OPTIONS:
        RunOptionsDialog(window, instance);
        break;
    default:
        // A scheme of "Change Scheme"; the icon follows at the next tick. When
        // the schemes changed while the menu was open, the index may name no
        // scheme any more, and then nothing is applied.
        if (commandId >= IDM_SCHEME_BASE) {
            if (const std::optional<std::wstring> schemeKey = store.SchemeKeyAt(commandId - IDM_SCHEME_BASE))
                store.ApplyScheme(*schemeKey);
        }
        break;
    }
    return 1;
}
