// Hardware exceptions raised anywhere in the process: access violations,
// illegal instructions, stack overflows, integer division by zero and the
// like. Wine catches some of them itself (one raised inside a window
// procedure it calls back into is swallowed, and the process goes on with
// blank rows), so a host that only looks at results would never know. The
// watch is a vectored exception handler, installed once at start, that sees
// every such exception first and records where it happened. Software
// exceptions (C++ throws, RPC and debug-output exceptions that the platform
// raises and handles itself) are not recorded.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace ambrelle_test {

struct HardwareFault {
    DWORD code = 0;
    const void* address = nullptr;
    std::wstring module;  // the file name of the module holding the address ("?" when none)
    size_t offset = 0;    // the address's offset in that module
    DWORD thread = 0;
};

// Installs the watch (once per process; later calls do nothing).
void StartHardwareFaultWatch();
// How many hardware exceptions were seen since the start.
size_t HardwareFaultCount();
// The faults seen from number `first` (0 is the first ever) on; only the
// first few dozen are kept in detail, the count goes on.
std::vector<HardwareFault> HardwareFaultsFrom(size_t first);
// "access violation (0xC0000005) at Ambrelle.dll+0x1a2b (0x...), thread 42".
std::string Describe(const HardwareFault& fault);

}  // namespace ambrelle_test
