#pragma once

#include <windows.h>

#include <optional>

#include "mute/hotkey.h"

// The calls through which the hotkey is registered. Tests put recording
// stand-ins in their place to see the order of the calls.
struct HotkeyCalls {
    decltype(&RegisterHotKey) registerHotKey = &RegisterHotKey;
    decltype(&UnregisterHotKey) unregisterHotKey = &UnregisterHotKey;
};

// The two ids the hotkey takes turns with on its window.
constexpr int kHotkeyIds[2] = {1, 2};

// The one hotkey, registered on the main window with MOD_NOREPEAT, whose
// WM_HOTKEY arrives there. A change registers the new combination under the
// other id before the old one is unregistered, so that a refused change keeps
// the old one working: Windows keeps the old registration when the same id is
// registered again, but Wine replaces it. Unregistered when it is destroyed,
// which the window's controller does while the window still exists.
class HotkeyRegistration {
public:
    explicit HotkeyRegistration(HWND window, const HotkeyCalls& calls = HotkeyCalls());
    ~HotkeyRegistration();

    HotkeyRegistration(const HotkeyRegistration&) = delete;
    HotkeyRegistration& operator=(const HotkeyRegistration&) = delete;

    // Registers `hotkey` beside the registered one, to take its place with
    // Keep or to go again with Drop. None, or the combination registered
    // already, registers nothing: Windows would refuse the same combination
    // as taken, even for the same window. RegisterHotKey's error when it is
    // refused; nothing changed then.
    [[nodiscard]] DWORD Prepare(const std::optional<Hotkey>& hotkey);
    // The prepared one becomes the registered one; the old one is unregistered.
    void Keep();
    // The prepared one is unregistered; the registered one stays.
    void Drop();
    // Prepare, then Keep when it was taken.
    [[nodiscard]] DWORD Change(const std::optional<Hotkey>& hotkey);
    // Unregisters the hotkey.
    void Clear();

    const std::optional<Hotkey>& Registered() const { return registered_; }
    // Whether a WM_HOTKEY's id is one of this registration's.
    static bool IsOwnId(WPARAM id);

private:
    void Unregister(int id);

    HWND window_;
    HotkeyCalls calls_;
    // The id the registered combination is under; 0 when none is.
    int id_ = 0;
    std::optional<Hotkey> registered_;
    // A Prepare waits for Keep or Drop.
    bool preparing_ = false;
    // The prepared combination and its id; 0 when Prepare registered nothing.
    int preparedId_ = 0;
    std::optional<Hotkey> prepared_;
};
