#include "commands/command_line.h"

#include "commands/running_instance.h"
#include "resources/resource.h"
#include "win32/clock.h"
#include "win32/text.h"
#include "win32/unique_handle.h"

namespace {

constexpr DWORD kAnswerTimeoutMs = 10000;

CommandResult NoAnswer()
{
    return CommandResult{kExitFailed, L"", L"The running Hushlark did not answer in time."};
}

CommandResult Exit(HWND instance)
{
    // Opened before it is asked to end: its id could be given to another
    // process afterwards.
    DWORD processId = 0;
    GetWindowThreadProcessId(instance, &processId);
    const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    const std::optional<int> answer = SendToInstance(instance, Command{CommandKind::Exit}, kAnswerTimeoutMs);
    if (!answer || !process || WaitForSingleObject(process.get(), kAnswerTimeoutMs) != WAIT_OBJECT_0)
        return NoAnswer();
    return CommandResult{*answer, L"", L""};
}

} // namespace

CommandResult RunCommand(const Command& command)
{
    if (ChangesSomething(command)) {
        if (const HWND instance = FindRunningInstance()) {
            if (command.kind == CommandKind::Exit)
                return Exit(instance);
            const std::optional<int> answer = SendToInstance(instance, command, kAnswerTimeoutMs);
            if (!answer)
                return NoAnswer();
            CommandResult result{*answer, L"", L""};
            if (*answer == kExitNoSuchScheme)
                result.error = L"No sound scheme is named \"" + command.name + L"\".";
            else if (*answer != kExitDone)
                result.error = L"The running Hushlark could not carry out the command completely.";
            return result;
        }
        if (command.kind == CommandKind::Exit)
            return CommandResult(); // nothing runs: nothing to do
    }

    CommandResult result = ExecuteCommand(command, SchemeStore(), UtcNow());
    // Also after a partial failure: sounds that are off come back on only
    // through the tray program.
    if (result.timedOffStored && !StartTrayProgram())
        AddFailure(result, LoadText(IDS_TIMED_OFF_NOT_STARTED));
    return result;
}
