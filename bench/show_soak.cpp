// Soak: one host process shows and closes the result window a thousand times,
// as an ERP client does over years of daily use, and reports what the process
// holds every 100 cycles: working set, private bytes, the platform's USER,
// GDI and kernel handle counts, and the component's own count of the window,
// font and icon handles it has created and not destroyed (the platform's
// counts read 0 under Wine). The cycles go round query kinds 0, 1 and 2 with
// small bills and the 3,600-record bill 500119, and close the window with
// OK, with the close box, or from the host (the thread asked to quit). At the
// end every object is released and the DLL must unload.
//
// Variants:
//   main     every show on the host's main thread, in its one apartment;
//   reload   the same, and the DLL unloaded and loaded again 100 times in
//            between (the host ends its apartment and starts a new one; the
//            outside components' stand-ins are kept loaded, so that what is
//            measured is the component's own);
//   threads  each show on a new thread with an apartment of its own, as hosts
//            that start a thread per query do (the DLL goes with each
//            apartment; the stand-ins are kept loaded here too).
//
// Usage: show_soak [--variant main|reload|threads] [--cycles N]
// Run under the project's Wine prefix with the stand-ins registered. Exits
// with 1 when the component failed a show, left a handle behind, did not
// release everything or saw a hardware exception.
#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_support.h"
#include "hardware_faults.h"
#include "share_props.h"
#include "unique_bstr.h"
#include "unique_variant.h"

using Microsoft::WRL::ComPtr;
using ambrelle::UniqueBstr;
using ambrelle::UniqueVariant;

namespace {

using bench::CreateByProgId;
using bench::Call;

constexpr wchar_t kWindowClass[] = L"AmbrelleFrmValidateQuery";
constexpr wchar_t kDll[] = L"Ambrelle.dll";

// ---- One cycle: show a bill and close the window one of three ways.

enum class CloseWay { kOk, kCloseBox, kHost };
const wchar_t* NameOf(CloseWay way) {
    return way == CloseWay::kOk ? L"OK" : way == CloseWay::kCloseBox ? L"close box" : L"host";
}

struct Closer {
    CloseWay way = CloseWay::kOk;
    bool closed = false;
    bool saw_window = false;
    int ticks_since_close = 0;
};
LONG g_close_retries = 0;  // closes that had to be asked for again (the first went unanswered)
thread_local Closer* t_closer = nullptr;

BOOL CALLBACK FindShownWindow(HWND window, LPARAM found) {
    wchar_t name[64];
    if (GetClassNameW(window, name, 64) && wcscmp(name, kWindowClass) == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the window's modal loop: once the window is on screen its grid
// is painted (every visible row asked for), then the window is closed.
VOID CALLBACK CloseTick(HWND, UINT, UINT_PTR, DWORD) {
    Closer* closer = t_closer;
    if (!closer) return;
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindShownWindow, reinterpret_cast<LPARAM>(&window));
    if (!window) return;
    if (closer->closed) {
        // Still open half a second after the close: asked again, as a user clicks twice.
        if (++closer->ticks_since_close < 50) return;
        closer->ticks_since_close = 0;
        InterlockedIncrement(&g_close_retries);
        fwprintf(stderr, L"the window stayed open after closing by %ls: asked again\n", NameOf(closer->way));
    }
    const bool again = closer->closed;
    closer->saw_window = true;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    closer->closed = true;
    switch (closer->way) {
    case CloseWay::kOk:
        if (HWND button = FindWindowExW(window, nullptr, L"BUTTON", nullptr)) {
            if (!again)
                SendMessageW(button, BM_CLICK, 0, 0);
            else  // the button's own notification, as its click sends it
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                             reinterpret_cast<LPARAM>(button));
        }
        break;
    case CloseWay::kCloseBox:
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case CloseWay::kHost:
        PostQuitMessage(0);
        break;
    }
}

// The bill of cycle n and its kind: kinds 0, 1, 2 in turn; kind 2 alternates
// between a small bill and the 3,600-record one.
void BillOfCycle(int cycle, LONG* fid, LONG* kind) {
    *kind = cycle % 3;
    switch (*kind) {
    case 0: *fid = 100231; break;
    case 1: *fid = 100231; break;
    default: *fid = (cycle / 3) % 2 ? 500119 : 500118; break;
    }
}

HRESULT ShowOnce(int cycle) {
    LONG fid = 0, kind = 0;
    BillOfCycle(cycle, &fid, &kind);
    ComPtr<IDispatch> validate;
    HRESULT hr = bench::NewQuery(fid, kind, &validate);
    if (FAILED(hr)) return hr;
    Closer closer;
    closer.way = static_cast<CloseWay>((cycle / 3) % 3);
    t_closer = &closer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, CloseTick);
    UniqueVariant shown;
    hr = Call(validate.Get(), L"show", DISPATCH_METHOD, nullptr, 0, shown.ptr());
    KillTimer(nullptr, timer);
    t_closer = nullptr;
    // The quit request the window passed on is the host's own: taken here.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    if (FAILED(hr)) return hr;
    if (!closer.saw_window || shown.vt() != VT_BOOL || V_BOOL(shown.ptr()) != VARIANT_TRUE) return E_FAIL;
    return S_OK;
}

// ---- What the process holds.

std::wstring ComponentCounts() {
    wchar_t text[128] = L"(not counted)";
    GetEnvironmentVariableW(L"AMBRELLE_DEBUG_COUNTS_LIVE", text, 128);
    return text;
}

bool ComponentCountsAreZero() { return ComponentCounts() == L"windows=0 fonts=0 icons=0"; }

// Committed private memory of the process, counted region by region (the
// platform's PrivateUsage reads 0 under Wine).
double CommittedPrivateMb() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    size_t total = 0;
    auto* address = static_cast<char*>(system.lpMinimumApplicationAddress);
    MEMORY_BASIC_INFORMATION region;
    while (address < system.lpMaximumApplicationAddress && VirtualQuery(address, &region, sizeof(region))) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        address = static_cast<char*>(region.BaseAddress) + region.RegionSize;
    }
    return total / 1048576.0;
}

struct Figures {
    double working_set_mb = 0;
    double private_mb = 0;
};

Figures Report(const wchar_t* when) {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    Figures figures;
    figures.working_set_mb = memory.WorkingSetSize / 1048576.0;
    figures.private_mb = memory.PrivateUsage ? memory.PrivateUsage / 1048576.0 : CommittedPrivateMb();
    static const ULONGLONG started = GetTickCount64();
    wprintf(L"%-14ls %6.0f %9.2f %11.2f %6lu %6lu %8lu   %ls\n", when, (GetTickCount64() - started) / 1000.0,
            figures.working_set_mb, figures.private_mb,
            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
            handles, ComponentCounts().c_str());
    fflush(stdout);
    return figures;
}

// DllCanUnloadNow of the loaded DLL; S_FALSE when it is not loaded at all.
HRESULT CanUnloadNow() {
    HMODULE dll = GetModuleHandleW(kDll);
    if (!dll) return S_FALSE;
    auto can_unload =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    return can_unload ? can_unload() : E_FAIL;
}

// ---- The variants.

struct Run {
    int cycles = 1000;
    int failures = 0;
    int reloads = 0;
    int reloads_unloaded = 0;
    bool pin_others = false;  // the outside components' stand-ins stay loaded after the first cycle
    std::vector<Figures> figures;  // every 100 cycles
};

void PinAllButTheComponent();

bool Cycle(Run* run, int cycle) {
    if (cycle % 10 == 0) fprintf(stderr, "%llu: cycle %d\n", GetTickCount64(), cycle);
    HRESULT hr = ShowOnce(cycle);
    if (run->pin_others && cycle == 0) PinAllButTheComponent();
    if (FAILED(hr)) {
        LONG fid = 0, kind = 0;
        BillOfCycle(cycle, &fid, &kind);
        fwprintf(stderr, L"cycle %d (bill %ld, kind %ld, closed by %ls): 0x%08lX\n", cycle, fid, kind,
                 NameOf(static_cast<CloseWay>((cycle / 3) % 3)), static_cast<unsigned long>(hr));
        if (++run->failures > 10) return false;
    }
    return true;
}

void ReportEvery100(Run* run, int done) {
    if (done % 100) return;
    wchar_t when[32];
    swprintf(when, 32, L"cycle %d", done);
    run->figures.push_back(Report(when));
}

// Keeps every module loaded so far but the component loaded for good, so
// that unloading and loading again is the component's alone (the outside
// components' stand-ins are not what is measured).
void PinAllButTheComponent() {
    HMODULE modules[512];
    DWORD size = 0;
    if (!EnumProcessModules(GetCurrentProcess(), modules, sizeof(modules), &size)) return;
    const HMODULE component = GetModuleHandleW(kDll);
    for (DWORD i = 0; i < size / sizeof(HMODULE) && i < 512; ++i) {
        if (modules[i] == component) continue;
        HMODULE pinned = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(modules[i]), &pinned);
    }
}

// Main and reload: the host's main thread and its apartment.
void RunOnMainThread(Run* run, bool reload) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bench::PublishSessionString(L"Data Source=SOAK;UserName=soak");
    const int reload_every = reload ? run->cycles / 100 : 0;
    for (int cycle = 0; cycle < run->cycles; ++cycle) {
        if (!Cycle(run, cycle)) break;
        ReportEvery100(run, cycle + 1);
        if (reload_every && (cycle + 1) % reload_every == 0 && cycle + 1 < run->cycles) {
            // The host ends its apartment: COM lets the DLL go; the next show loads it again.
            CoUninitialize();
            CoFreeUnusedLibraries();
            ++run->reloads;
            if (!GetModuleHandleW(kDll)) ++run->reloads_unloaded;
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            bench::PublishSessionString(L"Data Source=SOAK;UserName=soak");
        }
    }
    // Everything released: while the apartment lives, the thread's window
    // object keeps the DLL; the host ending its apartment lets it go.
    CoFreeUnusedLibraries();
    wprintf(L"released, apartment alive: DllCanUnloadNow %ls, DLL %ls\n", CanUnloadNow() == S_OK ? L"S_OK" : L"S_FALSE",
            GetModuleHandleW(kDll) ? L"loaded" : L"unloaded");
}

// Threads: each show on a new thread with its own apartment.
void RunOnThreads(Run* run) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bench::PublishSessionString(L"Data Source=SOAK;UserName=soak");
    struct Query {
        Run* run;
        int cycle;
        bool go_on;
    };
    struct ThreadBody {
        static DWORD WINAPI Run(void* argument) {
            auto* query = static_cast<Query*>(argument);
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            query->go_on = Cycle(query->run, query->cycle);
            CoUninitialize();
            return 0;
        }
    };
    for (int cycle = 0; cycle < run->cycles; ++cycle) {
        Query query = {run, cycle, true};
        HANDLE thread = CreateThread(nullptr, 0, &ThreadBody::Run, &query, 0, nullptr);
        if (!thread) break;
        // The host's own thread goes on answering its messages while the query runs.
        DWORD index = 0;
        CoWaitForMultipleHandles(COWAIT_DEFAULT, INFINITE, 1, &thread, &index);
        CloseHandle(thread);
        if (!query.go_on) break;
        ReportEvery100(run, cycle + 1);
    }
    // The main apartment never used the component: it may unload now.
    const HRESULT can_unload = CanUnloadNow();
    CoFreeUnusedLibraries();
    wprintf(L"released, main apartment alive: DllCanUnloadNow %ls, after CoFreeUnusedLibraries the DLL is %ls\n",
            can_unload == S_OK ? L"S_OK" : GetModuleHandleW(kDll) ? L"S_FALSE" : L"(not loaded)",
            GetModuleHandleW(kDll) ? L"loaded" : L"unloaded");
}

// The reference of the threads variant, measured in the same process first:
// what the platform itself keeps of a thread that starts an apartment, opens
// and closes a window of its own with a message loop, and ends. Gives the
// committed private memory it added, in MB.
double BareThreadsGrowthMb(int threads) {
    struct ThreadBody {
        static DWORD WINAPI Run(void*) {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            HWND window = CreateWindowExW(0, L"STATIC", L"reference", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                          nullptr, nullptr, nullptr, nullptr);
            // Closed the way a user closes it: the default handling destroys it.
            PostMessageW(window, WM_CLOSE, 0, 0);
            MSG msg;
            while (IsWindow(window) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            CoUninitialize();
            return 0;
        }
    };
    auto run = [&](int count) {
        for (int i = 0; i < count; ++i) {
            HANDLE thread = CreateThread(nullptr, 0, &ThreadBody::Run, nullptr, 0, nullptr);
            if (!thread) break;
            DWORD index = 0;
            CoWaitForMultipleHandles(COWAIT_DEFAULT, INFINITE, 1, &thread, &index);
            CloseHandle(thread);
        }
    };
    run(threads / 5);  // the first threads settle the platform's own caches
    const double before = CommittedPrivateMb();
    run(threads);
    return CommittedPrivateMb() - before;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ambrelle_test::StartHardwareFaultWatch();
    Run run;
    std::wstring variant = L"main";
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--variant") == 0 && i + 1 < argc) variant = argv[++i];
        else if (wcscmp(argv[i], L"--cycles") == 0 && i + 1 < argc) run.cycles = _wtoi(argv[++i]);
    }
    if (run.cycles < 100) run.cycles = 100;
    SetEnvironmentVariableW(L"AMBRELLE_DEBUG_COUNTS", L"1");
    wprintf(L"soak, variant %ls: %d show/close cycles (kinds 0, 1, 2; bills 100231, 500118 and 500119 of 3,600 "
            L"records; closed by OK, the close box and the host)\n",
            variant.c_str(), run.cycles);
    wprintf(L"%-14ls %6ls %9ls %11ls %6ls %6ls %8ls   %ls\n", L"", L"s", L"WS MB", L"private MB", L"USER", L"GDI",
            L"kernel",
            L"component's live handles");
    Report(L"start");

    run.pin_others = variant != L"main";
    double reference_mb = 0;
    if (variant == L"threads") {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        reference_mb = BareThreadsGrowthMb(run.cycles);
        wprintf(L"reference: %d bare apartment threads, each with a window of its own: private %+.2f MB\n",
                run.cycles, reference_mb);
        CoUninitialize();
        RunOnThreads(&run);
    } else {
        RunOnMainThread(&run, variant == L"reload");
    }
    // The host is done: loaded by COM, the DLL must go with the apartment.
    HMODULE held = LoadLibraryW(kDll);  // kept loaded across the apartment's end to ask it
    CoUninitialize();
    const HRESULT can_unload = held ? CanUnloadNow() : S_OK;
    if (held) FreeLibrary(held);
    const bool unloaded = GetModuleHandleW(kDll) == nullptr;
    Report(L"apartment end");

    int status = 0;
    wprintf(L"closes asked again: %ld\n", static_cast<long>(g_close_retries));
    if (run.reloads)
        wprintf(L"DLL reloads: %d, unloaded at %d of them\n", run.reloads, run.reloads_unloaded);
    wprintf(L"after the host's apartment ended: DllCanUnloadNow %ls, the DLL is %ls\n",
            can_unload == S_OK ? L"S_OK" : L"S_FALSE", unloaded ? L"unloaded" : L"still loaded");
    // Flat after the first cycles: the highest figures of three reports in a
    // row (the window keeps the last bill's records, and three reports see
    // every kind last) at cycles 200 to 400 and at the end.
    if (run.figures.size() >= 7) {
        auto highest = [&](size_t first, double Figures::*figure) {
            double value = 0;
            for (size_t i = first; i < first + 3; ++i) value = std::max(value, run.figures[i].*figure);
            return value;
        };
        const size_t last = run.figures.size() - 3;
        const double working_set = highest(last, &Figures::working_set_mb) - highest(1, &Figures::working_set_mb);
        const double private_bytes = highest(last, &Figures::private_mb) - highest(1, &Figures::private_mb);
        wprintf(L"growth from cycles 200-400 to the last 300 cycles: working set %+.2f MB, private %+.2f MB\n",
                working_set, private_bytes);
        if (private_bytes > 1.0 || working_set > 1.0) status = 1;
    }
    const size_t faults = ambrelle_test::HardwareFaultCount();
    for (const ambrelle_test::HardwareFault& fault : ambrelle_test::HardwareFaultsFrom(0))
        fprintf(stderr, "hardware exception: %s\n", ambrelle_test::Describe(fault).c_str());
    if (run.failures || faults || can_unload != S_OK || !unloaded || !ComponentCountsAreZero() ||
        run.reloads_unloaded != run.reloads)
        status = 1;
    wprintf(L"%ls\n", status ? L"FAILED" : L"passed");
    return status;
}
