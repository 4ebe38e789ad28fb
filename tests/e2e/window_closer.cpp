// Closes result windows opened by another process, the way a user would:
// waits for each window, writes its caption to standard output, and presses
// its OK button with the mouse.
//
//   window_closer.exe COUNT [TIMEOUT_SECONDS]
//
// Exits 0 once COUNT windows were closed, 1 when one did not come in time.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "ok_button.h"

using ambrelle_test::FindOkButton;

int wmain(int argc, wchar_t** argv) {
    const int count = argc > 1 ? _wtoi(argv[1]) : 1;
    const DWORD timeout_ms = (argc > 2 ? _wtoi(argv[2]) : 60) * 1000;
    for (int closed = 0; closed < count; ++closed) {
        const DWORD start = GetTickCount();
        HWND window = nullptr;
        HWND button = nullptr;
        while (!(window = FindWindowW(L"AmbrelleFrmValidateQuery", nullptr)) || !IsWindowVisible(window) ||
               !(button = FindOkButton(window))) {
            if (GetTickCount() - start > timeout_ms) {
                fwprintf(stderr, L"window %d did not open\n", closed + 1);
                return 1;
            }
            Sleep(50);
        }
        Sleep(200);
        wchar_t caption[128] = L"";
        GetWindowTextW(window, caption, 128);
        // Captions are Chinese: write them as UTF-8.
        char utf8[512];
        WideCharToMultiByte(CP_UTF8, 0, caption, -1, utf8, sizeof(utf8), nullptr, nullptr);
        printf("%s\n", utf8);
        fflush(stdout);
        RECT rect;
        GetClientRect(button, &rect);
        const LPARAM center = MAKELPARAM(rect.right / 2, rect.bottom / 2);
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, center);
        PostMessageW(button, WM_LBUTTONUP, 0, center);
        while (IsWindow(window)) {
            if (GetTickCount() - start > timeout_ms) {
                fwprintf(stderr, L"window %d did not close\n", closed + 1);
                return 1;
            }
            Sleep(50);
        }
    }
    return 0;
}
