#include "dialogs/failure_box.h"
#include "mute/change_message.h"
#include "mute/startup_entry.h"
#include "dialogs/options_dialog.h"
#include "menuskin/menu_skin.h"
#include "resources/resource.h"
#include "shell/scheme_menu.h"
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

    menuSchemes = store.ListSchemes();
    UniqueMenu schemes(CreatePopupMenu());
    if (schemes)
        FillSchemeMenu(schemes.get(), menuSchemes);
    // The menu owns the submenu from here and destroys it with itself.
    AppendItem(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(schemes.release()), L"Change Scheme");

    AppendItem(menu.get(), MF_SEPARATOR | MF_BYPOSITION, 0, nullptr);
    // Checked only while Windows will start this very program at logon.
    const bool startsAtLogon = ReadStartupState() == StartupState::On;
    AppendItem(menu.get(), MF_BYPOSITION | (startsAtLogon ? MF_CHECKED : 0), IDM_LAUNCH_ON_STARTUP,
               L"&Launch on Startup");
    AppendItem(menu.get(), MF_BYPOSITION, IDM_OPTIONS, L"&Options");
    AppendItem(menu.get(), MF_SEPARATOR | MF_BYPOSITION, 0, nullptr);
    AppendItem(menu.get(), MF_BYPOSITION, IDM_EXIT, L"E&xit");

    // The owner must be in the foreground, or the menu does not close when the
    // user clicks elsewhere. The popup is never made the window's own menu.
    const HWND owner = window;
    SetForegroundWindow(owner);

    // The skin and the menu are locals: they outlive the tracking even when
    // the window, and this controller with it, is destroyed meanwhile (a
    // WM_CLOSE from outside). From the call on, only locals are touched.
    MenuSkin skin;
    skin.Attach(owner, menu.get());
    TrackPopupMenu(menu.get(), TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, owner, nullptr);
    // The skin walks the menu: off before the menu is destroyed.
    skin.Detach();

    // Lets the menu open reliably the next time the icon is clicked.
    if (IsWindow(owner))
        PostMessageW(owner, WM_NULL, 0, 0);
}

void TrayController::ShowSoundState()
{
    SetSoundState(store.IsSoundOn());
    UpdateIcon();
}

LRESULT TrayController::OnCommand(WORD commandId, WORD, LPARAM)
{
    // A box that reports a failure runs a message loop that may destroy the
    // window and this controller: it comes last, with locals only.
    const HWND owner = window;
    std::wstring failure;
    switch (commandId) {
    case IDM_SOUNDS_ON:
        failure = FailureMessage(TurnSoundsOn(store));
        SyncOffTimer();
        break;
    case IDM_SOUNDS_OFF:
        failure = FailureMessage(TurnSoundsOff(store));
        SyncOffTimer();
        break;
    case IDM_EXIT:
        DestroyWindow(owner);
        break;
    case IDM_LAUNCH_ON_STARTUP:
        failure = StartupFailureMessage(ReadStartupState() == StartupState::On ? TurnStartupOff() : TurnStartupOn());
        break;
    case IDM_OPTIONS:
        RunOptionsDialog(owner, instance);
        break;
    default:
        // A scheme of "Change Scheme", as the user saw it when the menu was
        // built; the icon follows at the next tick. A scheme deleted since is
        // not applied: it would silence every slot.
        if (const SchemeEntry* scheme = SchemeForCommand(menuSchemes, commandId)) {
            if (store.SchemeExists(scheme->key))
                failure = FailureMessage(ChangeScheme(store, scheme->key));
        }
        break;
    }
    ShowFailure(owner, failure);
    return 1;
}
