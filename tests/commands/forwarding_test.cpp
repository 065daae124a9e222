#include "commands/running_instance.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "commands/request.h"
#include "win32/unique_handle.h"

// A command handed to the running instance, with a window of this test on a
// thread of its own in the instance's place.
namespace {

constexpr wchar_t kInstanceClass[] = L"HushlarkTest_Instance";

// What the stand-in does with each WM_COPYDATA it receives.
using OnCopyData = std::function<LRESULT(HWND window, const COPYDATASTRUCT* data)>;

LRESULT CALLBACK InstanceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_COPYDATA) {
        const auto* handler = reinterpret_cast<const OnCopyData*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return (*handler)(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The stand-in's window on its own thread, which reads its messages unless
// told to hang; ended with the object.
class StandIn {
public:
    StandIn(OnCopyData handler, bool hangs) : handler_(std::move(handler))
    {
        WNDCLASSEXW windowClass = {sizeof(windowClass)};
        windowClass.lpfnWndProc = InstanceProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kInstanceClass;
        RegisterClassExW(&windowClass);
        const UniqueKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        thread_ = std::thread([this, hangs, &ready] {
            UniqueWindow window(CreateWindowExW(0, kInstanceClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                GetModuleHandleW(nullptr), &handler_));
            window_ = window.get();
            threadId_ = GetCurrentThreadId();
            SetEvent(ready.get());
            if (hangs) {
                WaitForSingleObject(release_.get(), INFINITE); // reads no message meanwhile
                return;
            }
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0)
                DispatchMessageW(&message);
        });
        WaitForSingleObject(ready.get(), INFINITE);
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    ~StandIn()
    {
        SetEvent(release_.get());
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }

    HWND get() const { return window_; }

private:
    OnCopyData handler_;
    UniqueKernelHandle release_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> threadId_{0};
    std::thread thread_;
};

Command Parsed(const std::vector<std::wstring>& words)
{
    const std::optional<Command> command = ParseCommand(words);
    EXPECT_TRUE(command.has_value());
    return command.value_or(Command());
}

TEST(Forwarding, TheFailureTextComesBackWholeAndOnlyFromTheInstance)
{
    const std::wstring reason = L"Your current sounds could not be saved, so nothing was changed. "
                                L"AppEvents\\Schemes\\Apps\\.Default\\Open\\.Hushlark1: Access denied.";
    const std::wstring longReason(5000, L'r'); // more than one message holds
    std::vector<std::wstring> carriedOut;
    std::wstring failure;
    const StandIn instance(
        [&](HWND window, const COPYDATASTRUCT* data) {
            // Another process's data with the wrong tag, or too much of it,
            // never joins the text.
            if (const std::optional<Request> request = RequestFromCopyData(data)) {
                const std::wstring forged = L"forged";
                COPYDATASTRUCT wrongTag = {request->replyTag + 1, 12, const_cast<wchar_t*>(forged.c_str())};
                const std::vector<wchar_t> tooMuch(kMaxMessageBytes / 2 + 1, L'x');
                COPYDATASTRUCT tooLarge = {request->replyTag, kMaxMessageBytes + 2,
                                           const_cast<wchar_t*>(tooMuch.data())};
                EXPECT_FALSE(SendMessageW(request->replyWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&wrongTag)));
                EXPECT_FALSE(SendMessageW(request->replyWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&tooLarge)));
            }
            return AnswerRequest(window, data, [&](const Command& command) {
                carriedOut.push_back(command.words.front());
                return CommandResult{kExitFailed, L"", failure};
            });
        },
        false);

    failure = reason;
    std::optional<InstanceAnswer> answer = SendToInstance(instance.get(), Parsed({L"off"}), 5000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->exitCode, kExitFailed);
    EXPECT_EQ(answer->error, reason);

    failure = longReason;
    answer = SendToInstance(instance.get(), Parsed({L"scheme", L"Afternoon"}), 5000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->error, longReason);

    // Status changes nothing: it is never carried out by the instance.
    answer = SendToInstance(instance.get(), Parsed({L"status"}), 5000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->exitCode, kExitFailed);
    EXPECT_EQ(answer->error, L"");
    EXPECT_EQ(carriedOut, (std::vector<std::wstring>{L"off", L"scheme"}));
}

TEST(Forwarding, AnInstanceThatDoesNotAnswerInTimeGivesNoAnswer)
{
    bool called = false;
    const StandIn instance(
        [&](HWND, const COPYDATASTRUCT*) {
            called = true;
            return LRESULT{kExitDone};
        },
        true);
    EXPECT_FALSE(SendToInstance(instance.get(), Parsed({L"off"}), 200).has_value());
    EXPECT_FALSE(called);
}

} // namespace
