#include "win32/session.h"

#include <shellapi.h>
#include <wtsapi32.h>

#include <memory>

// Older SDK headers, and those of mingw-w64, lack the extended session record.
#ifndef WTS_SESSIONSTATE_LOCK
#define WTS_SESSIONSTATE_UNKNOWN 0xFFFFFFFF
#define WTS_SESSIONSTATE_LOCK 0x00000000
#define WTS_SESSIONSTATE_UNLOCK 0x00000001

typedef struct _WTSINFOEX_LEVEL1_W {
    ULONG SessionId;
    WTS_CONNECTSTATE_CLASS SessionState;
    LONG SessionFlags;
    WCHAR WinStationName[WINSTATIONNAME_LENGTH + 1];
    WCHAR UserName[USERNAME_LENGTH + 1];
    WCHAR DomainName[DOMAIN_LENGTH + 1];
    LARGE_INTEGER LogonTime;
    LARGE_INTEGER ConnectTime;
    LARGE_INTEGER DisconnectTime;
    LARGE_INTEGER LastInputTime;
    LARGE_INTEGER CurrentTime;
    DWORD IncomingBytes;
    DWORD OutgoingBytes;
    DWORD IncomingFrames;
    DWORD OutgoingFrames;
    DWORD IncomingCompressedBytes;
    DWORD OutgoingCompressedBytes;
} WTSINFOEX_LEVEL1_W;

typedef union _WTSINFOEX_LEVEL_W {
    WTSINFOEX_LEVEL1_W WTSInfoExLevel1;
} WTSINFOEX_LEVEL_W;

typedef struct _WTSINFOEXW {
    DWORD Level;
    WTSINFOEX_LEVEL_W Data;
} WTSINFOEXW;
#endif

namespace {

// WTSSessionInfoEx, which mingw-w64's WTS_INFO_CLASS does not list.
constexpr WTS_INFO_CLASS kSessionInfoEx = static_cast<WTS_INFO_CLASS>(25);

struct WtsMemoryFree {
    void operator()(void* memory) const noexcept { WTSFreeMemory(memory); }
};

} // namespace

DWORD CurrentSessionId()
{
    DWORD session = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session))
        return WTS_CURRENT_SESSION;
    return session;
}

std::optional<bool> QuerySessionLocked()
{
    wchar_t* buffer = nullptr;
    DWORD byteCount = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, CurrentSessionId(), kSessionInfoEx, &buffer,
                                     &byteCount))
        return std::nullopt;
    // The service allocated the record; it goes back with WTSFreeMemory.
    const std::unique_ptr<void, WtsMemoryFree> owned(buffer);
    if (!buffer || byteCount < sizeof(WTSINFOEXW))
        return std::nullopt;
    const WTSINFOEXW* info = reinterpret_cast<const WTSINFOEXW*>(buffer);
    if (info->Level != 1)
        return std::nullopt;
    const LONG flags = info->Data.WTSInfoExLevel1.SessionFlags;
    if (flags == static_cast<LONG>(WTS_SESSIONSTATE_LOCK))
        return true;
    if (flags == static_cast<LONG>(WTS_SESSIONSTATE_UNLOCK))
        return false;
    return std::nullopt;
}

std::optional<int> QueryNotificationState()
{
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    if (FAILED(SHQueryUserNotificationState(&state)))
        return std::nullopt;
    return static_cast<int>(state);
}

bool IsPresentingState(int notificationState)
{
    return notificationState == QUNS_BUSY || notificationState == QUNS_RUNNING_D3D_FULL_SCREEN ||
           notificationState == QUNS_PRESENTATION_MODE;
}
