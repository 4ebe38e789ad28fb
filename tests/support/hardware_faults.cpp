#include "hardware_faults.h"

#include <cstdio>

namespace ambrelle_test {

namespace {

// Kept without allocating: the handler may run on a nearly exhausted stack
// or with the heap in any state.
struct Record {
    DWORD code;
    const void* address;
    DWORD thread;
    size_t offset;
    wchar_t module[MAX_PATH];
};
constexpr LONG kKept = 32;
Record g_records[kKept];
volatile LONG g_count = 0;
PVOID g_handler = nullptr;

const char* NameOf(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "access violation";
    case EXCEPTION_IN_PAGE_ERROR: return "in-page error";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
    case EXCEPTION_PRIV_INSTRUCTION: return "privileged instruction";
    case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
    case EXCEPTION_INT_OVERFLOW: return "integer overflow";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "array bounds exceeded";
    case EXCEPTION_DATATYPE_MISALIGNMENT: return "datatype misalignment";
    case EXCEPTION_FLT_DENORMAL_OPERAND: return "floating-point denormal operand";
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "floating-point division by zero";
    case EXCEPTION_FLT_INEXACT_RESULT: return "floating-point inexact result";
    case EXCEPTION_FLT_INVALID_OPERATION: return "floating-point invalid operation";
    case EXCEPTION_FLT_OVERFLOW: return "floating-point overflow";
    case EXCEPTION_FLT_STACK_CHECK: return "floating-point stack check";
    case EXCEPTION_FLT_UNDERFLOW: return "floating-point underflow";
    case STATUS_FLOAT_MULTIPLE_FAULTS: return "floating-point multiple faults";
    case STATUS_FLOAT_MULTIPLE_TRAPS: return "floating-point multiple traps";
    default: return nullptr;
    }
}

LONG CALLBACK RecordHardwareFault(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* exception = pointers->ExceptionRecord;
    if (!NameOf(exception->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
    const LONG number = InterlockedIncrement(&g_count) - 1;
    if (number >= kKept) return EXCEPTION_CONTINUE_SEARCH;
    Record& record = g_records[number];
    record.code = exception->ExceptionCode;
    record.address = exception->ExceptionAddress;
    record.thread = GetCurrentThreadId();
    record.offset = 0;
    record.module[0] = L'\0';
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(exception->ExceptionAddress), &module) &&
        GetModuleFileNameW(module, record.module, MAX_PATH)) {
        record.offset = static_cast<size_t>(static_cast<const char*>(exception->ExceptionAddress) -
                                            reinterpret_cast<const char*>(module));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void StartHardwareFaultWatch() {
    if (!g_handler) g_handler = AddVectoredExceptionHandler(1, &RecordHardwareFault);
}

size_t HardwareFaultCount() { return static_cast<size_t>(g_count); }

std::vector<HardwareFault> HardwareFaultsFrom(size_t first) {
    std::vector<HardwareFault> faults;
    const size_t count = HardwareFaultCount();
    for (size_t number = first; number < count; ++number) {
        HardwareFault fault;
        if (number < static_cast<size_t>(kKept)) {
            const Record& record = g_records[number];
            fault.code = record.code;
            fault.address = record.address;
            fault.thread = record.thread;
            fault.offset = record.offset;
            const wchar_t* name = record.module;
            for (const wchar_t* c = record.module; *c; ++c)
                if (*c == L'\\' || *c == L'/') name = c + 1;
            fault.module = *name ? name : L"?";
        } else {
            fault.module = L"(not kept)";
        }
        faults.push_back(fault);
    }
    return faults;
}

std::string Describe(const HardwareFault& fault) {
    const char* name = NameOf(fault.code);
    std::string module(fault.module.begin(), fault.module.end());  // module names are ASCII
    char text[512];
    snprintf(text, sizeof(text), "%s (0x%08lX) at %s+0x%zx (%p), thread %lu", name ? name : "hardware exception",
             static_cast<unsigned long>(fault.code), module.c_str(), fault.offset, fault.address,
             static_cast<unsigned long>(fault.thread));
    return text;
}

}  // namespace ambrelle_test
