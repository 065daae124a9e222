#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "commands/command.h"

// A command on its way to the running instance, as WM_COPYDATA carries it:
// dwData is kRequestTag, and the data is a header (the caller's reply window
// and the tag its replies must carry, 32 bits each, as window handles are
// shared between 32-bit and 64-bit programs) followed by the command's words
// in UTF-16, each ended by a NUL. The instance sends the command's failure
// text back to the reply window, in WM_COPYDATA whose dwData is the reply tag.
// Every message either way carries at most kMaxMessageBytes.
constexpr ULONG_PTR kRequestTag = 0x484C4B32; // "HLK2"
constexpr DWORD kMaxMessageBytes = 4096;

struct Request {
    Command command;
    HWND replyWindow = nullptr; // none: the caller wants no text back
    DWORD replyTag = 0;
};

// The data of a request; empty when it would not fit in one message.
std::vector<BYTE> EncodeRequest(const Command& command, HWND replyWindow, DWORD replyTag);

// A request that arrived from another process; none for anything else: another
// tag, no data or too much, a layout that does not fit, words that are not a
// command.
[[nodiscard]] std::optional<Request> RequestFromCopyData(const COPYDATASTRUCT* data);
