#include "tests/shell/program_driver.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <vector>

#include "resources/resource.h"

namespace {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> bgra; // top-down rows
};

// Copies part of a device context into 32-bpp pixels.
Pixels Capture(HDC source, int left, int top, int width, int height)
{
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.bgra.resize(static_cast<size_t>(width) * height);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    void* bits = nullptr;
    const HDC memory = CreateCompatibleDC(source);
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
    GdiFlush();
    std::memcpy(pixels.bgra.data(), bits, pixels.bgra.size() * sizeof(std::uint32_t));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// The icon as the taskbar would draw it over `background`, and which of its
// pixels are opaque enough to compare.
struct Picture {
    Pixels pixels;
    std::vector<bool> opaque;
};

Picture RenderIcon(HMODULE module, int resourceId, std::uint32_t background)
{
    const int size = GetSystemMetrics(SM_CXSMICON);
    Picture picture;
    const HICON icon =
        static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!icon)
        return picture;

    const HDC screen = GetDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);

    // Drawn once on black and once on white: pixels that come out the same
    // on both are the opaque ones.
    auto drawOn = [&](std::uint32_t fill) {
        auto* first = static_cast<std::uint32_t*>(bits);
        std::fill(first, first + size * size, fill);
        DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
        return std::vector<std::uint32_t>(first, first + size * size);
    };
    const std::vector<std::uint32_t> onBlack = drawOn(0x000000);
    const std::vector<std::uint32_t> onWhite = drawOn(0xFFFFFF);
    const std::vector<std::uint32_t> onBackground = drawOn(background);

    picture.pixels.width = picture.pixels.height = size;
    picture.pixels.bgra = onBackground;
    picture.opaque.resize(onBlack.size());
    for (size_t i = 0; i < onBlack.size(); ++i)
        picture.opaque[i] = (onBlack[i] & 0xFFFFFF) == (onWhite[i] & 0xFFFFFF);

    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DestroyIcon(icon);
    return picture;
}

int ChannelDistance(std::uint32_t a, std::uint32_t b)
{
    int distance = 0;
    for (int shift = 0; shift < 24; shift += 8)
        distance += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return distance;
}

// The smallest mean distance of the picture's opaque pixels at any place in
// the screenshot.
double BestMatch(const Pixels& screen, const Picture& picture)
{
    double best = 1e9;
    if (picture.pixels.width == 0)
        return best;
    int opaqueCount = 0;
    for (bool opaque : picture.opaque)
        opaqueCount += opaque ? 1 : 0;
    if (opaqueCount == 0)
        return best;
    const int size = picture.pixels.width;
    for (int y = 0; y + size <= screen.height; ++y) {
        for (int x = 0; x + size <= screen.width; ++x) {
            long total = 0;
            for (int py = 0; py < size && total < best * opaqueCount; ++py) {
                for (int px = 0; px < size; ++px) {
                    const int i = py * size + px;
                    if (picture.opaque[i])
                        total += ChannelDistance(picture.pixels.bgra[i],
                                                 screen.bgra[static_cast<size_t>(y + py) * screen.width + x + px]);
                }
            }
            const double mean = static_cast<double>(total) / opaqueCount;
            if (mean < best)
                best = mean;
        }
    }
    return best;
}

} // namespace

bool InThrowawayPrefix()
{
    wchar_t value[64] = {};
    return GetEnvironmentVariableW(L"HUSHLARK_E2E_DESKTOP", value, 64) > 0;
}

std::wstring ProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"Hushlark.exe";
}

RunningProgram::~RunningProgram()
{
    Kill();
}

bool RunningProgram::Start(const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + ProgramPath() + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {sizeof(startup)};
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process_) != FALSE;
}

std::optional<DWORD> RunningProgram::WaitForExit(DWORD timeoutMs)
{
    if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD exitCode = 0;
    GetExitCodeProcess(process_.hProcess, &exitCode);
    return exitCode;
}

void RunningProgram::Kill()
{
    if (!process_.hProcess)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
}

HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs)
{
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowW(className, nullptr)) != nullptr; }, timeoutMs);
    return window;
}

TrayPicture FindTrayPicture()
{
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar)
        return TrayPicture::Absent;
    RECT rect;
    GetWindowRect(taskbar, &rect);
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return TrayPicture::Absent;

    const HDC screenDc = GetDC(nullptr);
    const Pixels screen = Capture(screenDc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    ReleaseDC(nullptr, screenDc);

    // The taskbar's own colour at its top right corner is the icon's background.
    const std::uint32_t background = screen.bgra[static_cast<size_t>(screen.width) - 2] & 0xFFFFFF;
    const HMODULE program =
        LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const double on = BestMatch(screen, RenderIcon(program, IDI_SOUND_ON, background));
    const double off = BestMatch(screen, RenderIcon(program, IDI_SOUND_OFF, background));
    FreeLibrary(program);

    constexpr double kSamePicture = 24.0; // mean distance over three channels
    if (on > kSamePicture && off > kSamePicture)
        return TrayPicture::Absent;
    return on < off ? TrayPicture::SoundOn : TrayPicture::SoundOff;
}

const char* ToString(TrayPicture picture)
{
    switch (picture) {
    case TrayPicture::SoundOn:
        return "sound on";
    case TrayPicture::SoundOff:
        return "sound off";
    default:
        return "absent";
    }
}
