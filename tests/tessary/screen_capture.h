// Pixels of a window's client area as they are on screen, and PNG files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessary_test {

struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top

    COLORREF At(int x, int y) const;
    // Heights of the runs of pixels of this colour down column x: {top, length}.
    std::vector<std::pair<int, int>> RunsOf(int x, COLORREF colour) const;
};

Capture CaptureClient(HWND window);
// Writes the capture as a PNG file (WIC).
HRESULT SavePng(const Capture& capture, const std::wstring& path);

}  // namespace tessary_test
