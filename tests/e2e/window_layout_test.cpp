// The resize layout end to end: the grid fills the client area with fixed
// margins and the button stays in the lower right corner, for every size the
// window takes, minimised included.
#include "window_fixture.h"

#include "resize_layout.h"
#include "tessary_identity.h"

using namespace ambrelle_test;

namespace {

struct Placed {
    RECT grid = {};
    RECT button = {};
};

RECT ChildRect(HWND window, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

Placed PlacedControls(HWND window) {
    Placed placed;
    placed.grid = ChildRect(window, FindWindowExW(window, nullptr, tessary::kWindowClass, nullptr));
    placed.button = ChildRect(window, FindWindowExW(window, nullptr, L"BUTTON", nullptr));
    return placed;
}

// Gives the window a client area of the size in twips.
void SetClientTwips(HWND window, int width, int height) {
    RECT frame = {0, 0, TwipsToPixelsX(width), TwipsToPixelsY(height)};
    AdjustWindowRectEx(&frame, GetWindowLongW(window, GWL_STYLE), FALSE, GetWindowLongW(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Where the layout puts grid and button for the window's client area; a grid
// width or height below 0 keeps `before`'s.
Placed ExpectedLayout(HWND window, const Placed& before) {
    RECT client;
    GetClientRect(window, &client);
    const double width = PixelsToTwipsX(client.right);
    const double height = PixelsToTwipsY(client.bottom);
    Placed expected;
    expected.grid.left = TwipsToPixelsX(45);
    expected.grid.top = TwipsToPixelsY(15);
    expected.grid.right = width - 90 >= 0 ? TwipsToPixelsX(45 + width - 90)
                                          : expected.grid.left + (before.grid.right - before.grid.left);
    expected.grid.bottom = height - 630 >= 0 ? TwipsToPixelsY(15 + height - 630)
                                             : expected.grid.top + (before.grid.bottom - before.grid.top);
    expected.button.left = TwipsToPixelsX(width - 1260);
    expected.button.top = TwipsToPixelsY(height - 480);
    expected.button.right = expected.button.left + (before.button.right - before.button.left);
    expected.button.bottom = expected.button.top + (before.button.bottom - before.button.top);
    return expected;
}

void ExpectRect(const RECT& expected, const RECT& actual, const char* what) {
    EXPECT_EQ(expected.left, actual.left) << what;
    EXPECT_EQ(expected.top, actual.top) << what;
    EXPECT_EQ(expected.right, actual.right) << what;
    EXPECT_EQ(expected.bottom, actual.bottom) << what;
}

using WindowLayout = WindowTest;

// A grid that refuses the next change of its width once: the window keeps
// the width it has, as a control that will not take a size does.
struct WidthRefusal {
    WNDPROC original = nullptr;
    bool armed = false;
    int refused = 0;
};
WidthRefusal g_width_refusal;

LRESULT CALLBACK RefuseWidthOnce(HWND grid, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_WINDOWPOSCHANGING && g_width_refusal.armed) {
        auto* position = reinterpret_cast<WINDOWPOS*>(lparam);
        RECT now;
        GetWindowRect(grid, &now);
        if (!(position->flags & SWP_NOSIZE) && position->cx != now.right - now.left) {
            position->cx = now.right - now.left;
            g_width_refusal.armed = false;
            ++g_width_refusal.refused;
        }
    }
    return CallWindowProcW(g_width_refusal.original, grid, message, wparam, lparam);
}

}  // namespace

TEST(ResizeLayout, TheArithmeticForEachClientArea) {
    struct Case {
        float width, height;
        bool width_set;
        float grid_width;
        bool height_set;
        float grid_height;
        float button_top, button_left;
    } cases[] = {
        {8805, 5985, true, 8715, true, 5355, 5505, 7545},
        {1000, 600, true, 910, false, 0, 120, -260},  // the height (-30) is refused
        {0, 0, false, 0, false, 0, -480, -1260},       // minimised
        {90, 1500, true, 0, true, 870, 1020, -1170},   // a width of exactly 90
        {6000, 630, true, 5910, true, 0, 150, 4740},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const ambrelle::ResizeLayout layout = ambrelle::ResizeLayoutFor(c.width, c.height);
        ASSERT_TRUE(layout.applies);
        EXPECT_EQ(15.0f, layout.grid_top);
        EXPECT_EQ(45.0f, layout.grid_left);
        EXPECT_EQ(c.width_set, layout.sets_grid_width);
        if (c.width_set) {
            EXPECT_EQ(c.grid_width, layout.grid_width);
        }
        EXPECT_EQ(c.height_set, layout.sets_grid_height);
        if (c.height_set) {
            EXPECT_EQ(c.grid_height, layout.grid_height);
        }
        EXPECT_EQ(c.button_top, layout.button_top);
        EXPECT_EQ(c.button_left, layout.button_left);
    }
    EXPECT_FALSE(ambrelle::ResizeLayoutFor(-1, 100).applies);
    EXPECT_FALSE(ambrelle::ResizeLayoutFor(100, -1).applies);
}

TEST_F(WindowLayout, GridAndButtonFollowEverySize) {
    // Sizes the window can really take (its frame has a smallest width).
    struct Size {
        int width;
        int height;
    } sizes[] = {{8805, 5985}, {12000, 9000}, {3000, 600}, {4500, 630}, {6000, 2000}};
    CheckOpenWindow(1001, 0, [&](HWND window) {
        // As opened: the stored (here default) size, laid out.
        Placed opened = PlacedControls(window);
        Placed expected = ExpectedLayout(window, opened);
        ExpectRect(expected.grid, opened.grid, "grid as opened");
        ExpectRect(expected.button, opened.button, "button as opened");
        EXPECT_EQ(TwipsToPixelsX(1215), opened.button.right - opened.button.left) << "button width";
        EXPECT_EQ(TwipsToPixelsY(330), opened.button.bottom - opened.button.top) << "button height";
        for (const Size& size : sizes) {
            SCOPED_TRACE(size.width);
            const Placed before = PlacedControls(window);
            SetClientTwips(window, size.width, size.height);
            RECT client;
            GetClientRect(window, &client);
            EXPECT_EQ(TwipsToPixelsX(size.width), client.right) << "the window took the width";
            EXPECT_EQ(TwipsToPixelsY(size.height), client.bottom) << "the window took the height";
            const Placed after = PlacedControls(window);
            expected = ExpectedLayout(window, before);
            ExpectRect(expected.grid, after.grid, "grid");
            ExpectRect(expected.button, after.button, "button");
        }
        return true;
    });
}

TEST_F(WindowLayout, AStepTheGridRefusesKeepsItsValueAndTheNextStepStartsFromWhereTheGridIs) {
    CheckOpenWindow(1001, 0, [&](HWND window) {
        HWND grid = FindWindowExW(window, nullptr, tessary::kWindowClass, nullptr);
        EXPECT_NE(nullptr, grid);
        if (!grid) return false;
        const Placed before = PlacedControls(window);
        g_width_refusal = WidthRefusal();
        g_width_refusal.original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(grid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefuseWidthOnce)));
        g_width_refusal.armed = true;
        SetClientTwips(window, 12000, 9000);
        SetWindowLongPtrW(grid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_width_refusal.original));
        EXPECT_EQ(1, g_width_refusal.refused) << "the width step was refused";
        // The width stays as the grid kept it; the height step that follows
        // starts from that width and sets the height alone.
        const Placed after = PlacedControls(window);
        const Placed expected = ExpectedLayout(window, before);
        EXPECT_EQ(before.grid.right - before.grid.left, after.grid.right - after.grid.left) << "width kept";
        EXPECT_EQ(expected.grid.left, after.grid.left);
        EXPECT_EQ(expected.grid.top, after.grid.top);
        EXPECT_EQ(expected.grid.bottom, after.grid.bottom) << "height set";
        ExpectRect(expected.button, after.button, "button");
        return true;
    });
}

TEST_F(WindowLayout, DesignedClientAreaGivesTheWorkedExample) {
    ModalDriver driver;
    Placed placed;
    RECT client = {};
    driver.Then([&](HWND window) {
        SetClientTwips(window, 8805, 5985);
        GetClientRect(window, &client);
        placed = PlacedControls(window);
        return true;
    });
    driver.ClickOk();
    ASSERT_EQ(S_OK, Show(1001, 2, &driver));
    ASSERT_EQ(TwipsToPixelsX(8805), client.right);
    ExpectRect({TwipsToPixelsX(45), TwipsToPixelsY(15), TwipsToPixelsX(45 + 8715), TwipsToPixelsY(15 + 5355)},
               placed.grid, "grid");
    EXPECT_EQ(TwipsToPixelsX(7545), placed.button.left);
    EXPECT_EQ(TwipsToPixelsY(5505), placed.button.top);
}

TEST_F(WindowLayout, MinimisedKeepsTheGridSizeAndRestoringLaysOutAgain) {
    ModalDriver driver;
    Placed normal, minimised, restored;
    RECT minimised_client = {1, 1, 1, 1};
    driver.Then([&](HWND window) {
        normal = PlacedControls(window);
        ShowWindow(window, SW_MINIMIZE);
        GetClientRect(window, &minimised_client);
        minimised = PlacedControls(window);
        ShowWindow(window, SW_RESTORE);
        restored = PlacedControls(window);
        return true;
    });
    driver.ClickOk();
    ASSERT_EQ(S_OK, Show(1001, 0, &driver));
    ASSERT_EQ(0, minimised_client.right);
    ASSERT_EQ(0, minimised_client.bottom);
    ExpectRect({TwipsToPixelsX(45), TwipsToPixelsY(15), TwipsToPixelsX(45) + (normal.grid.right - normal.grid.left),
                TwipsToPixelsY(15) + (normal.grid.bottom - normal.grid.top)},
               minimised.grid, "grid keeps its size");
    EXPECT_EQ(TwipsToPixelsX(-1260), minimised.button.left);
    EXPECT_EQ(TwipsToPixelsY(-480), minimised.button.top);
    ExpectRect(normal.grid, restored.grid, "grid restored");
    ExpectRect(normal.button, restored.button, "button restored");
}
