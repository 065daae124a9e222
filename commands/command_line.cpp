#include "commands/command_line.h"

#include "commands/running_instance.h"
#include "mute/change_message.h"
#include "mute/quiet_rules.h"
#include "resources/resource.h"
#include "win32/clock.h"
#include "win32/process.h"
#include "win32/text.h"
#include "win32/unique_handle.h"

namespace {

constexpr DWORD kAnswerTimeoutMs = 10000;

[[nodiscard]] CommandResult NoAnswer()
{
    return CommandResult{kExitFailed, L"", LoadText(IDS_INSTANCE_NO_ANSWER)};
}

// The running instance carries the command out and sends back the text of a
// failure, the same as this process would print.
[[nodiscard]] CommandResult Forward(HWND instance, const Command& command)
{
    const std::optional<InstanceAnswer> answer = SendToInstance(instance, command, kAnswerTimeoutMs);
    if (!answer)
        return NoAnswer();
    CommandResult result{answer->exitCode, L"", answer->error};
    if (result.exitCode != kExitDone && result.error.empty())
        result.error = LoadText(IDS_INSTANCE_INCOMPLETE); // it sent no reason
    return result;
}

[[nodiscard]] CommandResult Exit(HWND instance, const Command& command)
{
    // Opened before it is asked to end: its id could be given to another
    // process afterwards.
    DWORD processId = 0;
    GetWindowThreadProcessId(instance, &processId);
    const UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    const std::optional<InstanceAnswer> answer = SendToInstance(instance, command, kAnswerTimeoutMs);
    if (!answer || !process || WaitForSingleObject(process.get(), kAnswerTimeoutMs) != WAIT_OBJECT_0)
        return NoAnswer();
    return CommandResult{answer->exitCode, L"", answer->error};
}

} // namespace

CommandResult RunCommand(const Command& command)
{
    if (ChangesSomething(command)) {
        // `exit --this-copy` leaves another copy running.
        if (const HWND instance = command.thisCopy ? FindRunningInstanceOf(TrayProgramPath()) : FindRunningInstance()) {
            if (command.kind == CommandKind::Exit)
                return Exit(instance, command);
            return Forward(instance, command);
        }
        if (command.kind == CommandKind::Exit)
            return CommandResult(); // nothing runs: nothing to do
    }

    CommandResult result = ExecuteCommand(command, SchemeStore(), UtcNow());
    // No instance runs to tell: the rules learn of the choice from the settings.
    if (result.byHand) {
        const QuietSettings quiet = ReadQuietSettings();
        const LONG recorded = RecordChoiceByHand(quiet, RulesHoldingNow(quiet), *result.byHand, LocalWallTimeNow());
        if (recorded != ERROR_SUCCESS)
            AddFailure(result, OneLine(SettingsFailureMessage(recorded)));
    }
    // Also after a partial failure: sounds that are off come back on only
    // through the tray program.
    if (result.timedOffStored && !StartTrayProgram())
        AddFailure(result, LoadText(IDS_TIMED_OFF_NOT_STARTED));
    if (result.rulesNeedTray && !FindRunningInstance() && !StartTrayProgram())
        AddFailure(result, LoadText(IDS_RULES_NOT_STARTED));
    return result;
}
