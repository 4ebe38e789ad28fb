// Form_Resize: the grid fills the client area with fixed margins and cmdOK
// stays in its lower right corner. Positions are worked out in twips.
#include "frm_validate_query.h"

#include "control_site.h"
#include "screen_units.h"

namespace ambrelle {

namespace {

constexpr float kGridTop = 15;
constexpr float kGridLeft = 45;
constexpr float kHorizontalMargins = 90;
constexpr float kGridHeightReserve = 630;
constexpr float kButtonTopOffset = 480;
constexpr float kButtonWidth = 1215;
constexpr float kButtonRightMargin = 45;

struct ClientTwips {
    float width = 0;
    float height = 0;
};

ClientTwips ClientSize(HWND window, const ScreenDpi& dpi) {
    RECT client = {};
    GetClientRect(window, &client);
    return {dpi.ToTwipsX(client.right - client.left), dpi.ToTwipsY(client.bottom - client.top)};
}

}  // namespace

void FrmValidateQuery::Form_Resize() {
    if (!hwnd_) return;
    const ScreenDpi dpi;
    ClientTwips client = ClientSize(hwnd_, dpi);
    if (client.width < 0 || client.height < 0) return;

    // Each property is set on its own; a refused one keeps its value and the rest go on.
    if (grid_site_) {
        RECT grid = grid_site_->rect();
        const LONG width = grid.right - grid.left;
        const LONG height = grid.bottom - grid.top;
        grid.top = static_cast<LONG>(dpi.RoundedPixelsY(kGridTop));
        grid.bottom = grid.top + height;
        grid_site_->SetRect(grid);
        grid.left = static_cast<LONG>(dpi.RoundedPixelsX(kGridLeft));
        grid.right = grid.left + width;
        grid_site_->SetRect(grid);
        client = ClientSize(hwnd_, dpi);
        const float grid_width = client.width - kHorizontalMargins;
        if (grid_width >= 0) {
            grid.right = static_cast<LONG>(dpi.RoundedPixelsX(kGridLeft + grid_width));
            grid_site_->SetRect(grid);
        }
        client = ClientSize(hwnd_, dpi);
        const float grid_height = client.height - kGridHeightReserve;
        if (grid_height >= 0) {
            grid.bottom = static_cast<LONG>(dpi.RoundedPixelsY(kGridTop + grid_height));
            grid_site_->SetRect(grid);
        }
    }
    if (cmd_ok_) {
        client = ClientSize(hwnd_, dpi);
        const int top = static_cast<int>(dpi.RoundedPixelsY(client.height - kButtonTopOffset));
        RECT button = {};
        GetWindowRect(cmd_ok_, &button);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&button), 2);
        SetWindowPos(cmd_ok_, nullptr, button.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        client = ClientSize(hwnd_, dpi);
        const int left = static_cast<int>(dpi.RoundedPixelsX(client.width - kButtonWidth - kButtonRightMargin));
        SetWindowPos(cmd_ok_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace ambrelle
