// A lock for state shared by every thread of the process.
#pragma once

#include <windows.h>

namespace ambrelle {

class ProcessLock {
public:
    ProcessLock() { InitializeCriticalSection(&section_); }
    ~ProcessLock() { DeleteCriticalSection(&section_); }
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;

    class Held {
    public:
        explicit Held(ProcessLock& lock) : lock_(lock) { EnterCriticalSection(&lock_.section_); }
        ~Held() { LeaveCriticalSection(&lock_.section_); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        ProcessLock& lock_;
    };

    // A copy of a value the lock guards, taken while it is held.
    template <typename T>
    T Read(const T& value) {
        Held held(*this);
        return value;
    }

private:
    CRITICAL_SECTION section_;
};

}  // namespace ambrelle
