#include "shell/hotkey_registration.h"

HotkeyRegistration::HotkeyRegistration(HWND window, const HotkeyCalls& calls) : window_(window), calls_(calls) {}

HotkeyRegistration::~HotkeyRegistration()
{
    Clear();
}

DWORD HotkeyRegistration::Prepare(const std::optional<Hotkey>& hotkey)
{
    Drop();
    if (hotkey && hotkey != registered_) {
        const int id = id_ == kHotkeyIds[0] ? kHotkeyIds[1] : kHotkeyIds[0];
        if (!calls_.registerHotKey(window_, id, hotkey->modifiers | MOD_NOREPEAT, hotkey->key)) {
            const DWORD error = GetLastError();
            return error != ERROR_SUCCESS ? error : static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED);
        }
        preparedId_ = id;
    }
    preparing_ = true;
    prepared_ = hotkey;
    return ERROR_SUCCESS;
}

void HotkeyRegistration::Keep()
{
    if (!preparing_)
        return;
    preparing_ = false;
    if (prepared_ != registered_) {
        Unregister(id_);
        id_ = preparedId_;
        registered_ = prepared_;
    }
    preparedId_ = 0;
    prepared_.reset();
}

void HotkeyRegistration::Drop()
{
    preparing_ = false;
    Unregister(preparedId_);
    preparedId_ = 0;
    prepared_.reset();
}

DWORD HotkeyRegistration::Change(const std::optional<Hotkey>& hotkey)
{
    const DWORD error = Prepare(hotkey);
    if (error == ERROR_SUCCESS)
        Keep();
    return error;
}

void HotkeyRegistration::Clear()
{
    Drop();
    Unregister(id_);
    id_ = 0;
    registered_.reset();
}

bool HotkeyRegistration::IsOwnId(WPARAM id)
{
    return id == static_cast<WPARAM>(kHotkeyIds[0]) || id == static_cast<WPARAM>(kHotkeyIds[1]);
}

void HotkeyRegistration::Unregister(int id)
{
    // An id this window registered: letting it go cannot fail while the
    // window exists.
    if (id != 0)
        calls_.unregisterHotKey(window_, id);
}
