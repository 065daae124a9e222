#pragma once

// While a FreedMemoryTrap lives, every block that operator new hands out gets
// pages of its own, and operator delete takes all access away from those pages
// instead of freeing them: a later read or write of a freed object faults at
// once instead of going unnoticed. Link tests/support/freed_memory_trap.cpp
// into a test executable to replace its global operator new and delete.
class FreedMemoryTrap {
public:
    FreedMemoryTrap();
    ~FreedMemoryTrap();
    FreedMemoryTrap(const FreedMemoryTrap&) = delete;
    FreedMemoryTrap& operator=(const FreedMemoryTrap&) = delete;
};
