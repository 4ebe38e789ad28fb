// A pointer of each thread, kept in a slot of the platform's thread-local
// storage that the DLL takes when it loads and gives back when it unloads.
// (This toolchain's C++ thread_local allocates for each thread through a
// threads library that never frees what a DLL unloaded before its threads end
// had allocated: a host that loads and unloads the DLL for each query would
// lose memory on every load.)
#pragma once

#include <windows.h>

namespace ambrelle {

template <typename T>
class ThreadPointer {
public:
    ThreadPointer() : index_(TlsAlloc()) {}
    ~ThreadPointer() {
        if (index_ != TLS_OUT_OF_INDEXES) TlsFree(index_);
    }
    ThreadPointer(const ThreadPointer&) = delete;
    ThreadPointer& operator=(const ThreadPointer&) = delete;

    // The calling thread's pointer; the thread's last error stays as it was.
    T* get() const {
        if (index_ == TLS_OUT_OF_INDEXES) return nullptr;
        const DWORD error = GetLastError();
        void* value = TlsGetValue(index_);
        SetLastError(error);
        return static_cast<T*>(value);
    }
    // False when no slot could be had: the pointer is not kept.
    bool set(T* value) { return index_ != TLS_OUT_OF_INDEXES && TlsSetValue(index_, value); }

private:
    const DWORD index_;
};

}  // namespace ambrelle
