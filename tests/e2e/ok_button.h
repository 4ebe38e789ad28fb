// The OK button of a result window, as the window tests and the window
// closer find it: the child whose caption is the button's.
#pragma once

#include <windows.h>

#include <cwchar>

namespace ambrelle_test {

inline HWND FindOkButton(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[32];
        GetWindowTextW(child, text, 32);
        if (wcscmp(text, L"确定(&O)") == 0) return child;
    }
    return nullptr;
}

}  // namespace ambrelle_test
