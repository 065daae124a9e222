#include "commands/command.h"

#include <algorithm>
#include <cwctype>

#include "engine/scheme_paths.h"
#include "resources/resource.h"
#include "win32/text.h"

namespace {

// How an argument is taken from the words after the command's own.
enum class Take {
    Flag, // the option word alone
    Word, // one word: after the option word, or in its place for a positional argument
    Rest, // every word left, joined with single spaces: a name may come unquoted
};

// Checks an argument's text and keeps it in the command; false when it does
// not fit. A flag is stored with empty text.
using StoreArgument = bool (*)(const std::wstring& text, Command& command);

struct ArgumentRule {
    const wchar_t* option = nullptr; // "--for"; none for a positional argument
    Take take = Take::Word;
    bool required = false;
    StoreArgument store = nullptr; // none: the rule is unused
};

constexpr std::size_t kMaxCommandWords = 3;
constexpr std::size_t kMaxArgumentRules = 3;

// One command: the words that name it, what may follow them, whether it
// changes something, its usage lines (0: none of its own, as for a second
// spelling or a command that shares another's line) and those of its forms
// meant for installers, which the usage shows apart. The table's order is
// the usage text's.
struct CommandRow {
    CommandKind kind;
    const wchar_t* words[kMaxCommandWords];
    ArgumentRule arguments[kMaxArgumentRules];
    bool changesSomething;
    UINT usage;
    UINT installerUsage;
};

bool StoreTimeRange(const std::wstring& text, Command& command)
{
    command.period = ParseTimeRange(text);
    return command.period.has_value();
}

// After the time range, which is stored first.
bool StoreDays(const std::wstring& text, Command& command)
{
    const std::optional<WeekDays> days = ParseDays(text);
    if (!days || !command.period)
        return false;
    command.period->days = *days;
    return true;
}

bool StorePeriodNumber(const std::wstring& text, Command& command)
{
    if (text.empty() || text.size() > 3 || text[0] == L'0')
        return false;
    std::size_t number = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        number = number * 10 + static_cast<std::size_t>(c - L'0');
    }
    command.periodNumber = number;
    return true;
}

bool StoreDuration(const std::wstring& text, Command& command)
{
    command.forSeconds = ParseDuration(text);
    return command.forSeconds.has_value();
}

bool StoreThisCopy(const std::wstring&, Command& command)
{
    command.thisCopy = true;
    return true;
}

// Any name the Options list can show, up to the program's limit; a longer one
// made by another program is chosen by its key.
bool StoreSchemeName(const std::wstring& text, Command& command)
{
    command.name = text;
    return !text.empty() && text.size() <= scheme_paths::kMaxSchemeNameLength;
}

// A combination that may be the hotkey, named in any letter case: one that is
// not allowed makes the command malformed.
bool StoreHotkey(const std::wstring& text, Command& command)
{
    command.hotkey = ParseHotkeyName(text);
    return command.hotkey && IsAllowedHotkey(*command.hotkey);
}

constexpr ArgumentRule kThisCopy = {L"--this-copy", Take::Flag, false, StoreThisCopy};

constexpr CommandRow kCommands[] = {
    {CommandKind::Off, {L"off"}, {{L"--for", Take::Word, false, StoreDuration}}, true, IDS_USAGE_OFF, 0},
    {CommandKind::On, {L"on"}, {}, true, IDS_USAGE_ON, 0},
    {CommandKind::Toggle, {L"toggle"}, {}, true, IDS_USAGE_TOGGLE, 0},
    {CommandKind::Scheme, {L"scheme"}, {{nullptr, Take::Rest, true, StoreSchemeName}}, true, IDS_USAGE_SCHEME, 0},
    {CommandKind::Status, {L"status"}, {}, false, IDS_USAGE_STATUS, 0},
    {CommandKind::List, {L"list"}, {}, false, IDS_USAGE_LIST, 0},
    {CommandKind::Exit, {L"exit"}, {kThisCopy}, true, IDS_USAGE_EXIT, IDS_USAGE_EXIT_THIS_COPY},
    {CommandKind::StartupOn, {L"startup", L"on"}, {}, false, IDS_USAGE_STARTUP_ON_OFF, 0},
    {CommandKind::StartupOff, {L"startup", L"off"}, {kThisCopy}, false, 0, IDS_USAGE_STARTUP_OFF_THIS_COPY},
    {CommandKind::StartupStatus, {L"startup", L"status"}, {}, false, IDS_USAGE_STARTUP_STATUS, 0},
    {CommandKind::HotkeyShow, {L"hotkey"}, {}, false, IDS_USAGE_HOTKEY, 0},
    {CommandKind::HotkeyRemove, {L"hotkey", L"none"}, {}, true, 0, 0},
    {CommandKind::HotkeySet, {L"hotkey"}, {{nullptr, Take::Word, true, StoreHotkey}}, true, 0, 0},
    {CommandKind::QuietShow, {L"quiet"}, {}, false, IDS_USAGE_QUIET, 0},
    {CommandKind::QuietHoursOn, {L"quiet", L"hours", L"on"}, {}, false, IDS_USAGE_QUIET_SWITCH, 0},
    {CommandKind::QuietHoursOff, {L"quiet", L"hours", L"off"}, {}, false, 0, 0},
    {CommandKind::QuietLockedOn, {L"quiet", L"locked", L"on"}, {}, false, 0, 0},
    {CommandKind::QuietLockedOff, {L"quiet", L"locked", L"off"}, {}, false, 0, 0},
    {CommandKind::QuietPresentingOn, {L"quiet", L"presenting", L"on"}, {}, false, 0, 0},
    {CommandKind::QuietPresentingOff, {L"quiet", L"presenting", L"off"}, {}, false, 0, 0},
    {CommandKind::QuietHoursAdd,
     {L"quiet", L"hours", L"add"},
     {{nullptr, Take::Word, true, StoreTimeRange}, {nullptr, Take::Word, false, StoreDays}},
     false,
     IDS_USAGE_QUIET_ADD,
     0},
    {CommandKind::QuietHoursRemove,
     {L"quiet", L"hours", L"remove"},
     {{nullptr, Take::Word, true, StorePeriodNumber}},
     false,
     IDS_USAGE_QUIET_REMOVE,
     0},
    {CommandKind::QuietHoursClear, {L"quiet", L"hours", L"clear"}, {}, false, IDS_USAGE_QUIET_CLEAR, 0},
    {CommandKind::Version, {L"--version"}, {}, false, IDS_USAGE_VERSION, 0},
    {CommandKind::Help, {L"--help"}, {}, false, 0, 0},
    {CommandKind::Help, {L"-h"}, {}, false, 0, 0},
    {CommandKind::Help, {L"/?"}, {}, false, 0, 0},
};

bool Same(const std::wstring& left, const wchar_t* right)
{
    return lstrcmpiW(left.c_str(), right) == 0;
}

// How many words name the row's command when they begin `words`; 0 when
// they do not.
std::size_t MatchedWords(const CommandRow& row, const std::vector<std::wstring>& words)
{
    std::size_t count = 0;
    for (; count < kMaxCommandWords && row.words[count]; ++count) {
        if (count >= words.size() || !Same(words[count], row.words[count]))
            return 0;
    }
    return count;
}

// The row's option rule for a word, or none.
const ArgumentRule* OptionRule(const CommandRow& row, const std::wstring& word)
{
    for (const ArgumentRule& rule : row.arguments) {
        if (rule.store && rule.option && Same(word, rule.option))
            return &rule;
    }
    return nullptr;
}

// Takes the words from `next` on by the row's argument rules: options in any
// order, each at most once; positional arguments in the order of the rules.
bool ParseArguments(const CommandRow& row, const std::vector<std::wstring>& words, std::size_t next, Command& command)
{
    bool given[kMaxArgumentRules] = {};
    std::size_t positional = 0; // the first rule a positional word may take
    while (next < words.size()) {
        const ArgumentRule* rule = OptionRule(row, words[next]);
        std::wstring text;
        if (rule) {
            ++next;
            if (rule->take != Take::Flag) {
                if (next >= words.size())
                    return false;
                text = words[next++];
            }
        } else {
            while (positional < kMaxArgumentRules &&
                   (!row.arguments[positional].store || row.arguments[positional].option))
                ++positional;
            if (positional == kMaxArgumentRules)
                return false; // a word the command does not take
            rule = &row.arguments[positional++];
            text = words[next++];
            for (; rule->take == Take::Rest && next < words.size(); ++next)
                text += L" " + words[next];
        }
        bool& ruleGiven = given[rule - row.arguments];
        if (ruleGiven || !rule->store(text, command))
            return false;
        ruleGiven = true;
    }
    for (std::size_t i = 0; i < kMaxArgumentRules; ++i) {
        if (row.arguments[i].store && row.arguments[i].required && !given[i])
            return false;
    }
    return true;
}

const CommandRow& RowOf(CommandKind kind)
{
    for (const CommandRow& row : kCommands) {
        if (row.kind == kind)
            return row;
    }
    return kCommands[0]; // every kind has a row
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

ParsedCommand ParseCommandLine(const std::vector<std::wstring>& words)
{
    ParsedCommand parsed;
    if (words.empty())
        return parsed;
    // The rows that name the most words are tried in the table's order, and
    // the first whose arguments fit wins: "startup on" over a "startup" of
    // its own, should there be one, and a bare `hotkey` before `hotkey KEYS`.
    std::size_t matchedWords = 0;
    bool commandWord = false;
    for (const CommandRow& row : kCommands) {
        commandWord = commandWord || Same(words[0], row.words[0]);
        matchedWords = std::max(matchedWords, MatchedWords(row, words));
    }
    if (!commandWord)
        return parsed;
    parsed.status = ParseStatus::Malformed;
    for (const CommandRow& row : kCommands) {
        Command command;
        if (matchedWords == 0 || MatchedWords(row, words) != matchedWords ||
            !ParseArguments(row, words, matchedWords, command))
            continue;
        command.kind = row.kind;
        command.words = words;
        parsed.status = ParseStatus::Command;
        parsed.command = std::move(command);
        break;
    }
    return parsed;
}

std::optional<Command> ParseCommand(const std::vector<std::wstring>& words)
{
    ParsedCommand parsed = ParseCommandLine(words);
    if (parsed.status != ParseStatus::Command)
        return std::nullopt;
    return std::move(parsed.command);
}

bool ChangesSomething(const Command& command)
{
    return RowOf(command.kind).changesSomething;
}

std::wstring UsageText()
{
    std::wstring text = LoadText(IDS_USAGE_HEADER);
    for (const CommandRow& row : kCommands) {
        if (row.usage != 0)
            text += LoadText(row.usage);
    }
    text += LoadText(IDS_USAGE_INSTALLERS);
    for (const CommandRow& row : kCommands) {
        if (row.installerUsage != 0)
            text += LoadText(row.installerUsage);
    }
    return text + LoadText(IDS_USAGE_FOOTER);
}

std::wstring UsageTextFor(const std::vector<std::wstring>& words)
{
    // The rows that share the most leading words with what was given, at
    // least the first; a row without a line of its own shares the line before.
    std::size_t best = 0;
    std::vector<UINT> lines;
    UINT line = 0;
    for (const CommandRow& row : kCommands) {
        line = row.usage != 0 ? row.usage : line;
        std::size_t shared = 0;
        while (shared < kMaxCommandWords && row.words[shared] && shared < words.size() &&
               Same(words[shared], row.words[shared]))
            ++shared;
        if (shared == 0 || shared < best || line == 0)
            continue;
        if (shared > best) {
            best = shared;
            lines.clear();
        }
        if (lines.empty() || lines.back() != line)
            lines.push_back(line);
    }
    if (lines.empty())
        return UsageText();
    std::wstring text = LoadText(IDS_USAGE_SHORT_HEADER);
    for (const UINT id : lines)
        text += LoadText(id);
    return text;
}
