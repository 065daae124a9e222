#include "commands/command.h"

#include <cwchar>
#include <cwctype>

namespace {

struct Word {
    const wchar_t* text;
    CommandKind kind;
};

constexpr Word kWords[] = {
    {L"off", CommandKind::Off},           {L"on", CommandKind::On},
    {L"toggle", CommandKind::Toggle},     {L"scheme", CommandKind::Scheme},
    {L"status", CommandKind::Status},     {L"list", CommandKind::List},
    {L"exit", CommandKind::Exit},         {L"--help", CommandKind::Help},
    {L"-h", CommandKind::Help},           {L"/?", CommandKind::Help},
    {L"--version", CommandKind::Version},
};

// The second word of "startup".
constexpr Word kStartupWords[] = {
    {L"on", CommandKind::StartupOn},
    {L"off", CommandKind::StartupOff},
    {L"status", CommandKind::StartupStatus},
};

bool Same(const std::wstring& left, const wchar_t* right)
{
    return lstrcmpiW(left.c_str(), right) == 0;
}

} // namespace

std::optional<ULONGLONG> ParseDuration(const std::wstring& text)
{
    if (text.size() < 2 || text.size() > 8)
        return std::nullopt;
    ULONGLONG amount = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return std::nullopt;
        amount = amount * 10 + static_cast<ULONGLONG>(text[i] - L'0');
    }
    ULONGLONG unit = 0;
    switch (std::towlower(text.back())) {
    case L's':
        unit = 1;
        break;
    case L'm':
        unit = 60;
        break;
    case L'h':
        unit = 60 * 60;
        break;
    default:
        return std::nullopt;
    }
    const ULONGLONG seconds = amount * unit;
    if (seconds < 1 || seconds > kMaxOffSeconds)
        return std::nullopt;
    return seconds;
}

std::optional<Command> ParseCommand(const std::vector<std::wstring>& words)
{
    if (words.empty())
        return std::nullopt;
    Command command;
    if (Same(words[0], L"startup")) {
        for (const Word& word : kStartupWords) {
            if (words.size() == 2 && Same(words[1], word.text))
                return Command{word.kind};
        }
        return std::nullopt;
    }
    bool known = false;
    for (const Word& word : kWords) {
        if (Same(words[0], word.text)) {
            command.kind = word.kind;
            known = true;
        }
    }
    if (!known)
        return std::nullopt;

    if (command.kind == CommandKind::Scheme) {
        // A name with spaces may come as one quoted word or as several.
        for (std::size_t i = 1; i < words.size(); ++i)
            command.name += (i > 1 ? L" " : L"") + words[i];
        if (command.name.empty() || command.name.size() > kMaxNameLength ||
            command.name.find(L'\0') != std::wstring::npos)
            return std::nullopt;
        return command;
    }
    if (command.kind == CommandKind::Off && words.size() == 3 && Same(words[1], L"--for")) {
        command.forSeconds = ParseDuration(words[2]);
        if (!command.forSeconds)
            return std::nullopt;
        return command;
    }
    if (words.size() != 1)
        return std::nullopt;
    return command;
}

bool ChangesSomething(const Command& command)
{
    switch (command.kind) {
    case CommandKind::Off:
    case CommandKind::On:
    case CommandKind::Toggle:
    case CommandKind::Scheme:
    case CommandKind::Exit:
        return true;
    default:
        return false;
    }
}

std::wstring EncodeCommand(const Command& command)
{
    for (const Word& word : kStartupWords) {
        if (word.kind == command.kind)
            return std::wstring(L"startup ") + word.text;
    }
    for (const Word& word : kWords) {
        if (word.kind != command.kind)
            continue;
        std::wstring text = word.text;
        if (command.kind == CommandKind::Scheme)
            text += L" " + command.name;
        if (command.forSeconds)
            text += L" --for " + std::to_wstring(*command.forSeconds) + L"s";
        return text;
    }
    return std::wstring();
}

std::optional<Command> DecodeCommand(const std::wstring& text)
{
    // The name is everything after "scheme ", spaces included.
    const std::wstring::size_type space = text.find(L' ');
    const std::wstring first = text.substr(0, space);
    if (Same(first, L"scheme") && space != std::wstring::npos)
        return ParseCommand({first, text.substr(space + 1)});
    std::vector<std::wstring> words;
    for (std::wstring::size_type start = 0; start <= text.size();) {
        const std::wstring::size_type end = text.find(L' ', start);
        words.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return ParseCommand(words);
}

std::optional<Command> CommandFromCopyData(const COPYDATASTRUCT* data)
{
    if (!data || data->dwData != kCommandTag || !data->lpData || data->cbData < sizeof(wchar_t) ||
        data->cbData > kMaxCommandBytes || data->cbData % sizeof(wchar_t) != 0)
        return std::nullopt;
    const wchar_t* text = static_cast<const wchar_t*>(data->lpData);
    const std::size_t capacity = data->cbData / sizeof(wchar_t);
    const std::size_t length = wcsnlen(text, capacity);
    if (length == capacity)
        return std::nullopt; // not terminated within the data
    return DecodeCommand(std::wstring(text, length));
}

std::wstring UsageText()
{
    return L"Usage: hushlark COMMAND\n"
           L"\n"
           L"  off                 turn sounds off\n"
           L"  off --for DURATION  turn sounds off, and on again after DURATION (90s, 45m, 2h; at most 24h)\n"
           L"  on                  turn sounds on\n"
           L"  toggle              turn sounds off when they are on, on when they are off\n"
           L"  scheme NAME         change to the sound scheme NAME (a name as shown, or a key such as .Default)\n"
           L"  status              whether sounds are on, the current scheme, and when a timed off ends\n"
           L"  list                every sound scheme; * marks the current one\n"
           L"  exit                end the running Hushlark\n"
           L"  startup on|off      start Hushlark at logon, or not\n"
           L"  startup status      on, off, or disabled (by Windows' start-up settings)\n"
           L"  --version           the version of Hushlark\n"
           L"\n"
           L"Exit codes: 0 done or nothing to do, 1 failed, 2 usage error, 3 no such scheme.\n"
           L"Without a command, Hushlark.exe starts in the notification area.\n";
}
