// The resize layout end to end: the grid fills the client area with fixed
// margins and the button stays in the lower right corner, for every size the
// window takes, minimised included.
#include "window_fixture.h"

#include "tessary.h"

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

}  // namespace

TEST_F(WindowLayout, GridAndButtonFollowEverySize) {
    struct Size {
        int width;
        int height;
    } sizes[] = {{8805, 5985}, {12000, 9000}, {1005, 600}, {90, 1500}, {6000, 630}};
    ModalDriver driver;
    bool checked = false;
    driver.Then([&](HWND window) {
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
            const Placed after = PlacedControls(window);
            expected = ExpectedLayout(window, before);
            ExpectRect(expected.grid, after.grid, "grid");
            ExpectRect(expected.button, after.button, "button");
        }
        checked = true;
        return true;
    });
    driver.ClickOk();
    ASSERT_EQ(S_OK, Show(1001, 0, &driver));
    EXPECT_TRUE(checked);
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
