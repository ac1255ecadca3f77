#pragma once

#include <windows.h>

#include "util/Object.h"

// Re-entrant mutual exclusion on one OS critical section.
class CriticalSection : public Object {
public:
    CriticalSection();
    ~CriticalSection() override;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter();
    void Leave();

    // Holds the section for the lifetime of a scope.
    class Lock {
    public:
        explicit Lock(CriticalSection& section) : section(section) { section.Enter(); }
        ~Lock() { section.Leave(); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        CriticalSection& section;
    };

private:
    CRITICAL_SECTION section;
};
