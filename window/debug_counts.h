// Counts of the window, font and icon handles the component has created and
// not yet destroyed, for long soak runs on platforms whose own handle counts
// read 0. Off unless the environment variable AMBRELLE_DEBUG_COUNTS is set
// (to anything) in the process when the DLL first counts; then every change
// is published in the process's environment variable
// AMBRELLE_DEBUG_COUNTS_LIVE as "windows=N fonts=N icons=N", which a host
// reads with GetEnvironmentVariable, also after the DLL has been unloaded.
#pragma once

namespace ambrelle {

enum class CountedHandle { kWindow, kFont, kIcon };

void CountHandleCreated(CountedHandle kind);
void CountHandleDestroyed(CountedHandle kind);

}  // namespace ambrelle
