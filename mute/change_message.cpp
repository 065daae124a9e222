#include "mute/change_message.h"

#include <vector>

#include "mute/program_settings.h"
#include "resources/resource.h"
#include "win32/registry.h"
#include "win32/text.h"

namespace {

std::wstring Message(UINT firstLine, const std::wstring& path, LONG error)
{
    return LoadText(firstLine) + L"\n" + path + L"\n" + registry::ErrorText(error);
}

std::wstring SoundsNotChanged(const ChangeReport& report)
{
    return FormatText(IDS_SOUNDS_NOT_CHANGED, {std::to_wstring(report.failed), std::to_wstring(report.total)}) + L"\n" +
           report.firstPath + L"\n" + registry::ErrorText(report.firstError);
}

// Every failure of a change, each as one message, in the order they happened.
std::vector<std::wstring> Failures(const SoundChange& change)
{
    std::vector<std::wstring> messages;
    if (change.result == SoundChange::Result::SchemeGone)
        return messages;
    const ChangeReport& report = change.report;
    if (report.failed > 0) {
        if (change.result != SoundChange::Result::NotSaved)
            messages.push_back(SoundsNotChanged(report));
        else if (report.UndoFailed())
            messages.push_back(Message(IDS_SOUNDS_NOT_SAVED_UNDO_FAILED, report.firstPath, report.firstError));
        else
            messages.push_back(Message(IDS_SOUNDS_NOT_SAVED, report.firstPath, report.firstError));
    }
    if (change.settingsError != ERROR_SUCCESS)
        messages.push_back(SettingsFailureMessage(change.settingsError));
    if (report.UndoFailed())
        messages.push_back(Message(IDS_UNDO_FAILED, report.undoPath, report.undoError));
    return messages;
}

std::wstring Joined(const std::vector<std::wstring>& messages, const wchar_t* separator)
{
    std::wstring text;
    for (const std::wstring& message : messages)
        text += (text.empty() ? L"" : separator) + message;
    return text;
}

} // namespace

std::wstring FailureMessage(const SoundChange& change)
{
    return Joined(Failures(change), L"\n\n");
}

std::wstring FailureMessage(const ChangeReport& report)
{
    std::vector<std::wstring> messages;
    if (report.failed > 0)
        messages.push_back(SoundsNotChanged(report));
    if (report.UndoFailed())
        messages.push_back(Message(IDS_UNDO_FAILED, report.undoPath, report.undoError));
    return Joined(messages, L"\n\n");
}

std::wstring SettingsFailureMessage(LONG error)
{
    return Message(IDS_SETTINGS_NOT_SAVED, kSettingsKeyPath, error);
}

std::wstring StartupFailureMessage(const ChangeReport& report)
{
    if (report.Ok())
        return std::wstring();
    return Message(IDS_STARTUP_NOT_CHANGED, report.firstPath, report.firstError);
}

std::wstring FailureLine(const SoundChange& change)
{
    std::vector<std::wstring> lines = Failures(change);
    for (std::wstring& line : lines)
        line = OneLine(std::move(line));
    return Joined(lines, L"\n");
}

std::wstring OneLine(std::wstring line)
{
    const std::wstring::size_type first = line.find(L'\n');
    if (first != std::wstring::npos) {
        line[first] = L' ';
        const std::wstring::size_type second = line.find(L'\n', first);
        if (second != std::wstring::npos)
            line.replace(second, 1, L": ");
    }
    return line;
}
