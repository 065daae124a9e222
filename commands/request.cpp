#include "commands/request.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct RequestHeader {
    std::uint32_t replyWindow;
    std::uint32_t replyTag;
};

} // namespace

std::vector<BYTE> EncodeRequest(const Command& command, HWND replyWindow, DWORD replyTag)
{
    const RequestHeader header = {HandleToULong(replyWindow), replyTag};
    std::wstring words;
    for (const std::wstring& word : command.words)
        words.append(word).push_back(L'\0');
    const std::size_t size = sizeof(header) + words.size() * sizeof(wchar_t);
    if (command.words.empty() || size > kMaxMessageBytes)
        return {};
    std::vector<BYTE> data(size);
    std::memcpy(data.data(), &header, sizeof(header));
    std::memcpy(data.data() + sizeof(header), words.data(), words.size() * sizeof(wchar_t));
    return data;
}

std::optional<Request> RequestFromCopyData(const COPYDATASTRUCT* data)
{
    if (!data || data->dwData != kRequestTag || !data->lpData || data->cbData > kMaxMessageBytes ||
        data->cbData < sizeof(RequestHeader) + sizeof(wchar_t) ||
        (data->cbData - sizeof(RequestHeader)) % sizeof(wchar_t) != 0)
        return std::nullopt;
    // The data may sit anywhere: copied out, never read in place.
    RequestHeader header;
    std::memcpy(&header, data->lpData, sizeof(header));
    std::wstring text((data->cbData - sizeof(header)) / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), static_cast<const BYTE*>(data->lpData) + sizeof(header), text.size() * sizeof(wchar_t));
    if (text.back() != L'\0')
        return std::nullopt; // the last word is not ended
    std::vector<std::wstring> words;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find(L'\0', start);
        words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::optional<Command> command = ParseCommand(words);
    if (!command)
        return std::nullopt;
    return Request{std::move(*command), static_cast<HWND>(ULongToHandle(header.replyWindow)), header.replyTag};
}
