// Form_Resize: the grid fills the client area with fixed margins and cmdOK
// stays in its lower right corner. Positions are worked out in twips.
#include "resize_layout.h"

#include "control_site.h"
#include "frm_validate_query.h"
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

// Where a child window actually is, in its parent's client coordinates.
RECT ActualRect(HWND parent, HWND child, const RECT& fallback) {
    RECT rect = fallback;
    if (child && GetWindowRect(child, &rect)) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

ResizeLayout ResizeLayoutFor(float client_width, float client_height) {
    ResizeLayout layout;
    if (client_width < 0 || client_height < 0) return layout;
    layout.applies = true;
    layout.grid_top = kGridTop;
    layout.grid_left = kGridLeft;
    layout.grid_width = client_width - kHorizontalMargins;
    layout.sets_grid_width = layout.grid_width >= 0;
    layout.grid_height = client_height - kGridHeightReserve;
    layout.sets_grid_height = layout.grid_height >= 0;
    layout.button_top = client_height - kButtonTopOffset;
    layout.button_left = client_width - kButtonWidth - kButtonRightMargin;
    return layout;
}

void FrmValidateQuery::Form_Resize() {
    if (!hwnd_) return;
    const ScreenDpi dpi;
    ClientTwips client = ClientSize(hwnd_, dpi);
    if (!ResizeLayoutFor(client.width, client.height).applies) return;

    // Each property is set on its own, starting from where the grid really
    // is: a step the grid refuses keeps its value and the rest go on.
    if (grid_site_) {
        const HWND grid_window = grid_site_->control_window();
        RECT grid = ActualRect(hwnd_, grid_window, grid_site_->rect());
        grid.bottom = grid.bottom - grid.top + static_cast<LONG>(dpi.RoundedPixelsY(kGridTop));
        grid.top = static_cast<LONG>(dpi.RoundedPixelsY(kGridTop));
        grid_site_->SetRect(grid);

        grid = ActualRect(hwnd_, grid_window, grid_site_->rect());
        grid.right = grid.right - grid.left + static_cast<LONG>(dpi.RoundedPixelsX(kGridLeft));
        grid.left = static_cast<LONG>(dpi.RoundedPixelsX(kGridLeft));
        grid_site_->SetRect(grid);

        client = ClientSize(hwnd_, dpi);
        ResizeLayout layout = ResizeLayoutFor(client.width, client.height);
        if (layout.sets_grid_width) {
            grid = ActualRect(hwnd_, grid_window, grid_site_->rect());
            // The width in pixels that the designed left edge gives it.
            grid.right = grid.left + static_cast<LONG>(dpi.RoundedPixelsX(kGridLeft + layout.grid_width) -
                                                       dpi.RoundedPixelsX(kGridLeft));
            grid_site_->SetRect(grid);
        }
        client = ClientSize(hwnd_, dpi);
        layout = ResizeLayoutFor(client.width, client.height);
        if (layout.sets_grid_height) {
            grid = ActualRect(hwnd_, grid_window, grid_site_->rect());
            grid.bottom = grid.top + static_cast<LONG>(dpi.RoundedPixelsY(kGridTop + layout.grid_height) -
                                                       dpi.RoundedPixelsY(kGridTop));
            grid_site_->SetRect(grid);
        }
    }
    if (cmd_ok_) {
        client = ClientSize(hwnd_, dpi);
        const int top = static_cast<int>(dpi.RoundedPixelsY(ResizeLayoutFor(client.width, client.height).button_top));
        RECT button = ActualRect(hwnd_, cmd_ok_, RECT{});
        SetWindowPos(cmd_ok_, nullptr, button.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        client = ClientSize(hwnd_, dpi);
        const int left = static_cast<int>(dpi.RoundedPixelsX(ResizeLayoutFor(client.width, client.height).button_left));
        button = ActualRect(hwnd_, cmd_ok_, RECT{});
        SetWindowPos(cmd_ok_, nullptr, left, button.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace ambrelle
