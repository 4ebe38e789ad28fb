// Twips (1/1440 inch), the unit of the window's positions and sizes, and the
// screen's pixels.
#pragma once

#include <windows.h>

#include <cmath>

namespace ambrelle {

struct ScreenDpi {
    int x = 96;
    int y = 96;
    ScreenDpi() {
        if (HDC screen = GetDC(nullptr)) {
            x = GetDeviceCaps(screen, LOGPIXELSX);
            y = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
        }
    }
    int ToPixelsX(int twips) const { return MulDiv(twips, x, 1440); }
    int ToPixelsY(int twips) const { return MulDiv(twips, y, 1440); }
    RECT ToPixels(const RECT& twips) const {
        return {ToPixelsX(twips.left), ToPixelsY(twips.top), ToPixelsX(twips.right), ToPixelsY(twips.bottom)};
    }
    double RoundedPixelsX(double twips) const { return std::floor(twips * x / 1440.0 + 0.5); }
    double RoundedPixelsY(double twips) const { return std::floor(twips * y / 1440.0 + 0.5); }
    float ToTwipsX(int pixels) const { return static_cast<float>(static_cast<double>(pixels) * 1440.0 / x); }
    float ToTwipsY(int pixels) const { return static_cast<float>(static_cast<double>(pixels) * 1440.0 / y); }
};

}  // namespace ambrelle
