// Which rows the grid asks its container for, and what it shows of the
// answers: only rows on screen, again after a refresh, never a million.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "grid_host.h"
#include "tessary_identity.h"
#include "test_support.h"

using Microsoft::WRL::ComPtr;
using namespace tessary_test;

namespace {

std::vector<LONG> Range(LONG first, LONG last) {
    std::vector<LONG> rows;
    for (LONG row = first; row <= last; ++row) rows.push_back(row);
    return rows;
}

std::wstring Line(LONG row, int columns = 4) {
    std::wstring line;
    const wchar_t* letters = L"ABCD";
    for (int c = 0; c < columns; ++c) {
        if (c) line += L'\t';
        if (c < 4) line += (row == 1 ? L"H" + std::to_wstring(c + 1) : L"R" + std::to_wstring(row) + letters[c]);
    }
    return line;
}

class RowRequests : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = std::make_unique<GridHost>();
        ASSERT_EQ(S_OK, host_->status());
        host_->SetCols(4);
    }
    void TearDown() override {
        if (!host_) return;
        EXPECT_EQ(0, host_->sink().malformed);
        EXPECT_EQ(0u, host_->Shutdown());
        host_.reset();
    }
    // Shows the grid with this many rows and returns the rows on screen (header included).
    LONG ShowRows(LONG rows) {
        host_->SetRows(rows);
        host_->Pump();
        return static_cast<LONG>(Lines(host_->ScreenText()).size());
    }
    RowSink& sink() { return host_->sink(); }
    // The rows a page holds: how far a page down scrolls from the top.
    LONG FullRows() {
        SendMessageW(host_->grid(), WM_VSCROLL, SB_PAGEDOWN, 0);
        host_->Pump();
        LONG top = RowOf(Lines(host_->ScreenText())[1]);
        SendMessageW(host_->grid(), WM_VSCROLL, SB_TOP, 0);
        host_->Pump();
        sink().requests.clear();
        return top - 2;
    }
    // The row number in a data line "R<row>A\t...".
    static LONG RowOf(const std::wstring& line) { return line.size() > 1 ? std::stol(line.substr(1)) : 0; }

    ambrelle_test::ComApartment apartment_;
    std::unique_ptr<GridHost> host_;
};

TEST_F(RowRequests, AsksOnceForEachRowOnScreenHeaderFirst) {
    const LONG shown = ShowRows(1000);
    ASSERT_GT(shown, 5);
    ASSERT_LT(shown, 60);
    EXPECT_EQ(Range(1, shown), sink().requests);
    std::vector<std::wstring> lines = Lines(host_->ScreenText());
    for (LONG row = 1; row <= shown; ++row) EXPECT_EQ(Line(row), lines[static_cast<size_t>(row - 1)]) << row;
    // Every request comes with an empty text and the row's default background.
    for (size_t i = 0; i < sink().requests.size(); ++i) {
        EXPECT_EQ(L"", sink().incoming_texts[i]);
        const COLORREF expected = GetSysColor(sink().requests[i] == 1 ? COLOR_BTNFACE : COLOR_WINDOW);
        EXPECT_EQ(static_cast<LONG>(expected), sink().incoming_colours[i]) << sink().requests[i];
    }
}

TEST_F(RowRequests, ATallerGridShowsAndAsksForMoreRows) {
    const LONG short_grid = ShowRows(1000);
    GridHost tall(640, 800);
    ASSERT_EQ(S_OK, tall.status());
    tall.SetCols(4);
    tall.SetRows(1000);
    tall.Pump();
    const LONG tall_grid = static_cast<LONG>(tall.sink().requests.size());
    EXPECT_GT(tall_grid, short_grid + short_grid / 2);
    EXPECT_EQ(Range(1, tall_grid), tall.sink().requests);
}

TEST_F(RowRequests, ARepaintAsksForNothingARefreshAsksForTheRowsOnScreenAgain) {
    const LONG shown = ShowRows(1000);
    sink().requests.clear();
    InvalidateRect(host_->grid(), nullptr, TRUE);
    host_->Pump();
    EXPECT_TRUE(sink().requests.empty());
    host_->Refresh();
    host_->Pump();
    EXPECT_EQ(Range(1, shown), sink().requests);
}

TEST_F(RowRequests, AMillionRowsCostOnlyTheRowsOnScreen) {
    const LONG shown = ShowRows(1000000);
    EXPECT_EQ(Range(1, shown), sink().requests);
    const LONG full = FullRows();
    PressKey(host_->grid(), VK_END);
    host_->Pump();
    // The header stays on screen and is not asked again; the last rows are.
    ASSERT_FALSE(sink().requests.empty());
    EXPECT_EQ(Range(1000000 - full + 1, 1000000), sink().requests);
    std::vector<std::wstring> lines = Lines(host_->ScreenText());
    EXPECT_EQ(Line(1), lines.front());
    EXPECT_EQ(Line(1000000), lines.back());
}

TEST_F(RowRequests, ScrollingAsksOnlyForRowsComingIntoView) {
    const LONG shown = ShowRows(1000);
    const LONG last = shown;  // rows 1 .. shown are on screen
    sink().requests.clear();
    SendMessageW(host_->grid(), WM_VSCROLL, SB_LINEDOWN, 0);
    host_->Pump();
    EXPECT_EQ(std::vector<LONG>{last + 1}, sink().requests);
    EXPECT_EQ(Line(3), Lines(host_->ScreenText())[1]);

    sink().requests.clear();
    SendMessageW(host_->grid(), WM_VSCROLL, SB_LINEUP, 0);
    host_->Pump();
    EXPECT_EQ(std::vector<LONG>{2}, sink().requests);

    // The mouse wheel scrolls three rows a notch.
    SendMessageW(host_->grid(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    host_->Pump();
    EXPECT_EQ(Line(5), Lines(host_->ScreenText())[1]);

    SendMessageW(host_->grid(), WM_VSCROLL, SB_BOTTOM, 0);
    host_->Pump();
    EXPECT_EQ(Line(1000), Lines(host_->ScreenText()).back());
}

TEST_F(RowRequests, ScrollBarsShowOnlyWhenNeededAndWideGridsScrollSideways) {
    HWND grid = host_->grid();
    auto has = [&](DWORD bar) { return (GetWindowLongW(grid, GWL_STYLE) & bar) != 0; };
    ShowRows(3);
    EXPECT_FALSE(has(WS_VSCROLL));
    EXPECT_FALSE(has(WS_HSCROLL));
    ShowRows(1000);
    EXPECT_TRUE(has(WS_VSCROLL));
    SCROLLINFO vertical = {sizeof(vertical), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(grid, SB_VERT, &vertical));
    EXPECT_EQ(998, vertical.nMax);  // data rows 2 to 1000, from position 0
    EXPECT_EQ(static_cast<UINT>(FullRows()), vertical.nPage);

    HDC screen = GetDC(nullptr);
    const int column = MulDiv(1200, GetDeviceCaps(screen, LOGPIXELSX), 1440);
    ReleaseDC(nullptr, screen);
    host_->SetCols(12);
    host_->Pump();
    ASSERT_TRUE(has(WS_HSCROLL));
    SCROLLINFO horizontal = {sizeof(horizontal), SIF_ALL, 0, 0, 0, 0, 0};
    auto position = [&] {
        GetScrollInfo(grid, SB_HORZ, &horizontal);
        return horizontal.nPos;
    };
    EXPECT_EQ(0, position());
    EXPECT_EQ(12 * column - 1, horizontal.nMax);
    EXPECT_EQ(static_cast<UINT>(GridClientSize(grid).cx), horizontal.nPage);
    // Right and Left step from column to column.
    PressKey(grid, VK_RIGHT);
    EXPECT_EQ(column, position());
    PressKey(grid, VK_RIGHT);
    EXPECT_EQ(2 * column, position());
    PressKey(grid, VK_LEFT);
    EXPECT_EQ(column, position());
    SendMessageW(grid, WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_EQ(12 * column - GridClientSize(grid).cx, position());
    SendMessageW(grid, WM_HSCROLL, SB_LINELEFT, 0);
    const int after_line_left = position();
    EXPECT_LT(after_line_left, 12 * column - GridClientSize(grid).cx);
    // Sideways scrolling asks for nothing: the rows on screen stay the same.
    sink().requests.clear();
    host_->Pump();
    EXPECT_TRUE(sink().requests.empty());
    // The wheel with Shift held scrolls sideways, up to the left.
    SendMessageW(grid, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WHEEL_DELTA), 0);
    EXPECT_LT(position(), after_line_left);
    const int after_wheel = position();
    SendMessageW(grid, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(after_line_left, position());
    SendMessageW(grid, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(after_line_left, position());
    EXPECT_NE(after_wheel, after_line_left);
}

TEST_F(RowRequests, KeysMoveTheSelectionAndScrollItIntoView) {
    ShowRows(500);
    const LONG full_rows = FullRows();
    HWND grid = host_->grid();
    auto first_data_line = [&] { return Lines(host_->ScreenText())[1]; };
    auto sel_changes = [&] { return std::count(sink().events.begin(), sink().events.end(), tessary::kDispidSelChange); };

    PressKey(grid, VK_DOWN);  // selects the first row on screen
    EXPECT_EQ(1, sel_changes());
    PressKey(grid, VK_NEXT);
    PressKey(grid, VK_NEXT);
    EXPECT_EQ(3, sel_changes());
    host_->Pump();
    // Two pages down from row 2 is row 2 + 2 * full_rows: now the last full row on screen.
    EXPECT_EQ(Line(3 + full_rows), first_data_line());
    PressKey(grid, VK_END);
    host_->Pump();
    EXPECT_EQ(Line(500), Lines(host_->ScreenText()).back());
    PressKey(grid, VK_HOME);
    host_->Pump();
    EXPECT_EQ(Line(2), first_data_line());
    PressKey(grid, VK_UP);  // already at the first row: no change
    EXPECT_EQ(5, sel_changes());
    EXPECT_GE(std::count(sink().events.begin(), sink().events.end(), tessary::kDispidKeyDown), 6);
    EXPECT_GE(std::count(sink().events.begin(), sink().events.end(), tessary::kDispidKeyUp), 6);

    // A KeyDown handler that zeroes the key code cancels the key.
    sink().cancel_key = VK_END;
    PressKey(grid, VK_END);
    host_->Pump();
    EXPECT_EQ(Line(2), first_data_line());
    EXPECT_EQ(5, sel_changes());
}

TEST_F(RowRequests, CellsBeyondTheColumnCountAreDroppedAndMissingOnesEmpty) {
    ShowRows(3);
    EXPECT_EQ(L"H1\tH2\tH3\tH4\r\nR2A\tR2B\tR2C\tR2D\r\nR3A\tR3B\tR3C\tR3D", host_->ScreenText());
    const struct {
        LONG columns;
        const wchar_t* screen;
    } counts[] = {
        {2, L"H1\tH2\r\nR2A\tR2B\r\nR3A\tR3B"},
        {6, L"H1\tH2\tH3\tH4\t\t\r\nR2A\tR2B\tR2C\tR2D\t\t\r\nR3A\tR3B\tR3C\tR3D\t\t"},
        {0, L"\r\n\r\n"},
    };
    for (const auto& count : counts) {
        host_->SetCols(count.columns);
        host_->Pump();
        EXPECT_EQ(count.screen, host_->ScreenText()) << count.columns << " columns";
    }
    host_->SetRows(0);
    host_->Pump();
    EXPECT_EQ(L"", host_->ScreenText());
}

TEST_F(RowRequests, AFailingHandlerLeavesItsRowEmptyAndTheGridWorkingOn) {
    sink().answer = [](LONG row) {
        RowAnswer answer = DefaultAnswer(row);
        if (row == 3) {
            answer.hr = E_FAIL;
            answer.set_colour = true;
            answer.colour = RGB(255, 0, 0);
        }
        return answer;
    };
    ShowRows(40);
    std::vector<std::wstring> lines = Lines(host_->ScreenText());
    EXPECT_EQ(Line(2), lines[1]);
    EXPECT_EQ(L"\t\t\t", lines[2]);
    EXPECT_EQ(Line(4), lines[3]);
    sink().answer = DefaultAnswer;
    host_->Refresh();
    host_->Pump();
    EXPECT_EQ(Line(3), Lines(host_->ScreenText())[2]);
}

TEST_F(RowRequests, EverySinkHearsEveryRequestAndTheLastAnswerIsShown) {
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, host_->ole_object()->QueryInterface(IID_PPV_ARGS(&container)));
    ASSERT_EQ(S_OK, container->FindConnectionPoint(tessary::DIID_Events, &point));
    ComPtr<RowSink> second = RowSink::Make();
    second->answer = [](LONG row) {
        RowAnswer answer;
        answer.text = L"second " + std::to_wstring(row) + L"|";
        return answer;
    };
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(second.Get(), &cookie));
    const LONG shown = ShowRows(20);
    EXPECT_EQ(Range(1, shown), sink().requests);
    EXPECT_EQ(Range(1, shown), second->requests);
    // The second sink is handed what the first one answered.
    EXPECT_EQ(L"R2A|R2B|R2C|R2D|", second->incoming_texts[1]);
    EXPECT_EQ(L"second 2\t\t\t", Lines(host_->ScreenText())[1]);
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
    EXPECT_EQ(0, second->malformed);
}

TEST_F(RowRequests, FrozenEventsAskNothingUntilThawed) {
    ComPtr<IOleControl> control;
    ASSERT_EQ(S_OK, host_->ole_object()->QueryInterface(IID_PPV_ARGS(&control)));
    ASSERT_EQ(S_OK, control->FreezeEvents(TRUE));
    host_->SetRows(10);
    host_->Pump();
    EXPECT_TRUE(sink().requests.empty());
    EXPECT_EQ(L"\t\t\t", Lines(host_->ScreenText())[1]);
    ASSERT_EQ(S_OK, control->FreezeEvents(FALSE));
    host_->Pump();
    EXPECT_EQ(Range(1, 10), sink().requests);
    EXPECT_EQ(Line(10), Lines(host_->ScreenText()).back());
}

TEST_F(RowRequests, AHandlerMayCallBackIntoTheGrid) {
    // As a container does: reads the row count and marks continuation rows.
    std::vector<LONG> counts_seen;
    sink().during_request = [&](LONG row) {
        VARIANT count;
        VariantInit(&count);
        InvokeId(host_->Sheet().Get(), tessary::kDispidSheetRows, DISPATCH_PROPERTYGET, {}, &count);
        counts_seen.push_back(V_I4(&count));
        if (row % 3 == 0) {
            VARIANT_BOOL mark = VARIANT_TRUE;
            VARIANT value;
            V_VT(&value) = VT_BOOL;
            V_BOOL(&value) = mark;
            InvokeId(host_->Row(row - 1).Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, {value}, nullptr);
        }
    };
    const LONG shown = ShowRows(30);
    EXPECT_EQ(std::vector<LONG>(static_cast<size_t>(shown), 30), counts_seen);
    for (LONG row = 2; row <= shown; ++row) {
        VARIANT mark;
        VariantInit(&mark);
        ASSERT_EQ(S_OK, InvokeId(host_->Row(row - 1).Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYGET, {}, &mark));
        EXPECT_EQ(row % 3 == 0 ? VARIANT_TRUE : VARIANT_FALSE, V_BOOL(&mark)) << row;
    }
}

TEST_F(RowRequests, FewerRowsLeaveTheScreen) {
    ShowRows(1000);
    PressKey(host_->grid(), VK_END);
    host_->Pump();
    sink().requests.clear();
    EXPECT_EQ(5, ShowRows(5));
    EXPECT_EQ(Line(5), Lines(host_->ScreenText()).back());
    // Rows 2 to 5 scroll back into view and are asked for; the header is not.
    EXPECT_EQ(Range(2, 5), sink().requests);
}

}  // namespace
