#include "commands/running_instance.h"

#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "commands/request.h"
#include "resources/resource.h"
#include "win32/process.h"
#include "win32/unique_handle.h"

namespace {

constexpr wchar_t kReplyWindowClass[] = L"Hushlark_Reply";

// How long the instance waits for the caller to take a reply. The caller is
// inside SendToInstance, waiting for this very answer, so it takes it at once.
constexpr DWORD kReplyTimeoutMs = 5000;

// What one reply window gathers at most; the rest of a longer text is dropped.
constexpr std::size_t kMaxReplyChars = 32768;

// A reply window's state: the tag its replies must carry and the text so far.
struct ReplyState {
    DWORD tag = 0;
    std::wstring text;
};

bool TakeReply(ReplyState& state, const COPYDATASTRUCT& data)
{
    if (data.dwData != state.tag || !data.lpData || data.cbData > kMaxMessageBytes ||
        data.cbData % sizeof(wchar_t) != 0)
        return false;
    const std::size_t length = data.cbData / sizeof(wchar_t);
    if (state.text.size() + length > kMaxReplyChars)
        return false;
    const std::size_t start = state.text.size();
    state.text.resize(start + length);
    std::memcpy(&state.text[start], data.lpData, data.cbData);
    return true;
}

LRESULT CALLBACK ReplyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_COPYDATA) {
        auto* state = reinterpret_cast<ReplyState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return state && lParam && TakeReply(*state, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A tag no other process can guess, so that only the instance's reply is
// taken; should the system's generator fail, one that differs per request.
DWORD NewReplyTag()
{
    DWORD tag = 0;
    if (!BCRYPT_SUCCESS(
            BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&tag), sizeof(tag), BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        tag = GetCurrentProcessId() ^ static_cast<DWORD>(GetTickCount64());
    return tag;
}

// A message-only window of this thread that gathers the failure text the
// instance sends back while this thread waits for its answer.
class ReplyWindow {
public:
    ReplyWindow()
    {
        state_.tag = NewReplyTag();
        static const ATOM registered = [] {
            WNDCLASSEXW windowClass = {sizeof(windowClass)};
            windowClass.lpfnWndProc = ReplyWindowProc;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = kReplyWindowClass;
            return RegisterClassExW(&windowClass);
        }();
        if (!registered)
            return;
        window_.reset(CreateWindowExW(0, kReplyWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), &state_));
        // An instance of lower integrity than this process (a console run as
        // administrator) may still send its reply. Should this fail, such a
        // caller gets the exit code without the text.
        if (window_)
            ChangeWindowMessageFilterEx(window_.get(), WM_COPYDATA, MSGFLT_ALLOW, nullptr);
    }
    ReplyWindow(const ReplyWindow&) = delete;
    ReplyWindow& operator=(const ReplyWindow&) = delete;

    HWND get() const { return window_.get(); }
    DWORD Tag() const { return state_.tag; }
    const std::wstring& Text() const { return state_.text; }

private:
    // Declared before the window, which points at it until destroyed.
    ReplyState state_;
    UniqueWindow window_;
};

// Sends the text to the caller's reply window in pieces that fit one message.
void SendReply(HWND instance, const Request& request, const std::wstring& text)
{
    wchar_t className[64] = {};
    if (!request.replyWindow || !GetClassNameW(request.replyWindow, className, 64) ||
        lstrcmpW(className, kReplyWindowClass) != 0)
        return; // only a caller's reply window gets the text
    constexpr std::size_t kPieceChars = kMaxMessageBytes / sizeof(wchar_t);
    for (std::size_t start = 0; start < text.size(); start += kPieceChars) {
        const std::size_t length = text.size() - start < kPieceChars ? text.size() - start : kPieceChars;
        COPYDATASTRUCT data = {request.replyTag, static_cast<DWORD>(length * sizeof(wchar_t)),
                               const_cast<wchar_t*>(text.data() + start)};
        DWORD_PTR taken = 0;
        if (!SendMessageTimeoutW(request.replyWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(instance),
                                 reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kReplyTimeoutMs, &taken))
            return;
    }
}

// The first window of the program's class whose process image matches.
template <typename Matches>
HWND FindWindowOfImage(Matches matches)
{
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) != nullptr;) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (matches(ProcessImagePath(processId)))
            return window;
    }
    return nullptr;
}

} // namespace

bool IsProgramImage(const std::wstring& imagePath)
{
    const std::wstring folder = FolderOf(imagePath);
    return lstrcmpiW(imagePath.c_str() + folder.size(), kTrayProgramFile) == 0;
}

HWND FindRunningInstance()
{
    return FindWindowOfImage(IsProgramImage);
}

HWND FindRunningInstanceOf(const std::wstring& programPath)
{
    return FindWindowOfImage([&programPath](const std::wstring& image) { return SamePath(image, programPath); });
}

HWND WaitForRunningInstance(DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (const HWND window = FindRunningInstance())
            return window;
        if (GetTickCount64() >= end)
            return nullptr;
        Sleep(50);
    }
}

std::optional<InstanceAnswer> SendToInstance(HWND instance, const Command& command, DWORD timeoutMs)
{
    const ReplyWindow reply;
    std::vector<BYTE> request = EncodeRequest(command, reply.get(), reply.Tag());
    COPYDATASTRUCT data = {kRequestTag, static_cast<DWORD>(request.size()), request.data()};
    DWORD_PTR answer = 0;
    // While it waits, this thread takes the messages sent to it: the reply.
    if (!SendMessageTimeoutW(instance, WM_COPYDATA, reinterpret_cast<WPARAM>(reply.get()),
                             reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, timeoutMs, &answer))
        return std::nullopt;
    return InstanceAnswer{static_cast<int>(answer), reply.Text()};
}

LRESULT AnswerRequest(HWND instance, const COPYDATASTRUCT* data, const CarryOut& carryOut)
{
    const std::optional<Request> request = RequestFromCopyData(data);
    if (!request || !ChangesSomething(request->command))
        return kExitFailed;
    const CommandResult result = carryOut(request->command);
    if (!result.error.empty())
        SendReply(instance, *request, result.error);
    return result.exitCode;
}

bool StartTrayProgram()
{
    std::wstring commandLine = L"\"" + TrayProgramPath() + L"\"";
    // It outlives this process: it gets none of its console or standard
    // handles, or a caller reading this process's output to its end would wait
    // for the tray program to end too.
    STARTUPINFOW startup = {sizeof(startup)};
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &process))
        return false;
    // Both handles are ours to close; the program runs on.
    const UniqueKernelHandle thread(process.hThread);
    const UniqueKernelHandle started(process.hProcess);
    return true;
}
