#include "debug_counts.h"

#include <windows.h>

#include <cwchar>

namespace ambrelle {

namespace {

volatile LONG g_live[3] = {0, 0, 0};

bool CountingEnabled() {
    static const bool enabled = GetEnvironmentVariableW(L"AMBRELLE_DEBUG_COUNTS", nullptr, 0) > 0;
    return enabled;
}

void Publish() {
    wchar_t text[96];
    swprintf(text, sizeof(text) / sizeof(text[0]), L"windows=%ld fonts=%ld icons=%ld", static_cast<long>(g_live[0]),
             static_cast<long>(g_live[1]), static_cast<long>(g_live[2]));
    SetEnvironmentVariableW(L"AMBRELLE_DEBUG_COUNTS_LIVE", text);
}

}  // namespace

void CountHandleCreated(CountedHandle kind) {
    if (!CountingEnabled()) return;
    InterlockedIncrement(&g_live[static_cast<int>(kind)]);
    Publish();
}

void CountHandleDestroyed(CountedHandle kind) {
    if (!CountingEnabled()) return;
    InterlockedDecrement(&g_live[static_cast<int>(kind)]);
    Publish();
}

}  // namespace ambrelle
