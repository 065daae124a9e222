#include "tests/support/freed_memory_trap.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> trapping{false};

// The blocks that got pages of their own; they are never reused.
constexpr int kMaxTrapped = 1 << 16;
void* trapped[kMaxTrapped];
std::atomic<int> trappedCount{0};

void* Allocate(std::size_t size)
{
    if (size == 0)
        size = 1;
    if (trapping) {
        const int slot = trappedCount++;
        if (slot < kMaxTrapped) {
            void* block = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
            if (block) {
                trapped[slot] = block;
                return block;
            }
        }
    }
    return std::malloc(size);
}

void Release(void* block)
{
    if (!block)
        return;
    const int count = trappedCount < kMaxTrapped ? trappedCount.load() : kMaxTrapped;
    for (int i = 0; i < count; ++i) {
        if (trapped[i] == block) {
            MEMORY_BASIC_INFORMATION info = {};
            VirtualQuery(block, &info, sizeof(info));
            DWORD previous = 0;
            VirtualProtect(block, info.RegionSize, PAGE_NOACCESS, &previous);
            return;
        }
    }
    std::free(block);
}

// An access to a freed block ends the test process at once with a message:
// left to the system, the fault would wait for a debugger.
LONG CALLBACK ReportFreedAccess(EXCEPTION_POINTERS* exception)
{
    if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
    std::fprintf(stderr, "access to freed or foreign memory at %p\n",
                 reinterpret_cast<void*>(exception->ExceptionRecord->ExceptionInformation[1]));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

FreedMemoryTrap::FreedMemoryTrap()
{
    static const PVOID handler = AddVectoredExceptionHandler(1, ReportFreedAccess);
    static_cast<void>(handler);
    trapping = true;
}

FreedMemoryTrap::~FreedMemoryTrap()
{
    trapping = false;
}

void* operator new(std::size_t size)
{
    if (void* block = Allocate(size))
        return block;
    std::abort(); // tests are built without exceptions in mind: out of memory ends them
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void operator delete(void* block) noexcept
{
    Release(block);
}
void operator delete[](void* block) noexcept
{
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept
{
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    Release(block);
}
