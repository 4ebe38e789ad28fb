// What the grid puts on screen: row colours, marks, selection, column
// resizing with the mouse, fonts, the clipboard, and a screenshot to look at.
#include <gtest/gtest.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "grid_host.h"
#include "screen_capture.h"
#include "tessary_identity.h"
#include "test_support.h"

using Microsoft::WRL::ComPtr;
using namespace tessary_test;

namespace {

// A colour of its own for every row, so rows can be found on screen.
COLORREF RowColour(LONG row) { return row == 1 ? RGB(200, 220, 240) : RGB(240, 250 - row, 200); }

RowAnswer ColouredAnswer(LONG row) {
    RowAnswer answer = DefaultAnswer(row);
    answer.set_colour = true;
    answer.colour = static_cast<LONG>(RowColour(row));
    return answer;
}

int Luminance(COLORREF c) { return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100; }

int DpiX() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int TwipsToPixels(double twips) { return static_cast<int>(twips * DpiX() / 1440.0 + 0.5); }

std::wstring ClipboardText() {
    std::wstring text = L"(no text)";
    if (!OpenClipboard(nullptr)) return L"(clipboard busy)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* locked = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = locked;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

LOGFONTW GridFont(HWND grid) {
    LOGFONTW font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageW(grid, WM_GETFONT, 0, 0));
    if (handle) GetObjectW(handle, sizeof(font), &font);
    return font;
}

// Characters of the font that it has no glyph for.
int MissingGlyphs(HFONT font, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteDC(dc);
    return static_cast<int>(std::count(glyphs.begin(), glyphs.end(), 0xFFFF));
}

class Display : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = std::make_unique<GridHost>();
        ASSERT_EQ(S_OK, host_->status());
        host_->sink().answer = ColouredAnswer;
    }
    void TearDown() override {
        if (host_) {
            EXPECT_EQ(0u, host_->Shutdown());
        }
    }
    // Where each row is on screen: its band of background colour down column x.
    std::map<LONG, std::pair<int, int>> RowBands(const Capture& capture, int x, LONG first, LONG last) {
        std::map<LONG, std::pair<int, int>> bands;
        for (LONG row = first; row <= last; ++row) {
            auto runs = capture.RunsOf(x, RowColour(row));
            if (runs.size() == 1) bands[row] = runs[0];
        }
        return bands;
    }

    ambrelle_test::ComApartment apartment_;
    std::unique_ptr<GridHost> host_;
};

TEST_F(Display, EachRowIsPaintedInTheColourItsRequestHandedBack) {
    host_->SetCols(3);
    host_->sink().answer = [](LONG row) {
        RowAnswer answer = ColouredAnswer(row);
        if (row == 5) answer.colour = 0xE0EFFE;  // the pale orange of a totals row
        return answer;
    };
    host_->SetRows(8);
    host_->Pump();
    Capture shot = CaptureClient(host_->grid());
    auto bands = RowBands(shot, 2, 1, 8);
    auto orange = shot.RunsOf(2, RGB(254, 239, 224));
    ASSERT_EQ(1u, orange.size());
    bands[5] = orange[0];
    ASSERT_EQ(8u, bands.size());
    const int pitch = bands[3].first - bands[2].first;
    EXPECT_GE(pitch, 14);
    for (LONG row = 1; row <= 8; ++row) {
        EXPECT_GE(bands[row].second, pitch - 2) << row;  // the whole row but its grid line
        if (row > 1) {
            EXPECT_EQ(bands[row - 1].first + pitch, bands[row].first) << row;
        }
    }
    // The header's band runs across the grid; data rows end with the last column.
    const int beyond = TwipsToPixels(3 * 1200) + 20;
    ASSERT_LT(beyond, shot.width);
    EXPECT_EQ(RowColour(1), shot.At(beyond, bands[1].first + 2));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), shot.At(beyond, bands[3].first + 2));
    // Below the last row: the window's background.
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), shot.At(2, bands[8].first + pitch + 3));
}

TEST_F(Display, MarkedRowsShowAsLighterContinuationsWithAMarker) {
    host_->SetCols(2);
    host_->sink().answer = [](LONG row) {
        RowAnswer answer = ColouredAnswer(row);
        answer.text = row == 1 ? L"No|Reason|" : L"|Continued reason text|";
        return answer;
    };
    host_->SetRows(6);
    ASSERT_EQ(S_OK, InvokeId(host_->Row(3).Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, {Bool(true)}, nullptr));
    host_->Pump();
    Capture shot = CaptureClient(host_->grid());
    auto bands = RowBands(shot, 2, 2, 6);
    ASSERT_TRUE(bands.count(3) && bands.count(4));
    const int first_column = TwipsToPixels(1200);
    auto darkest = [&](LONG row, int from, int to) {
        int value = 255;
        for (int y = bands[row].first; y < bands[row].first + bands[row].second; ++y)
            for (int x = from; x < to; ++x) value = std::min(value, Luminance(shot.At(x, y)));
        return value;
    };
    auto foreign_in = [&](const Capture& in, LONG row, int from, int to) {
        int count = 0;
        for (int y = bands[row].first; y < bands[row].first + bands[row].second; ++y)
            for (int x = from; x < to; ++x) count += in.At(x, y) != RowColour(row);
        return count;
    };
    auto foreign = [&](LONG row, int from, int to) { return foreign_in(shot, row, from, to); };
    // Same text in column 2: the marked row's is lighter.
    const int plain = darkest(3, first_column + 1, first_column + 150);
    const int marked = darkest(4, first_column + 1, first_column + 150);
    EXPECT_LT(plain, 100);
    EXPECT_GT(marked, plain + 40);
    // Column 1 is empty in both; the marked row carries its marker there.
    EXPECT_EQ(0, foreign(3, 1, first_column - 2));
    EXPECT_GT(foreign(4, 1, first_column - 2), 4);
    // A row marked while it is on screen shows its marker with the next paint.
    EXPECT_EQ(0, foreign(5, 1, first_column - 2));
    ASSERT_EQ(S_OK, InvokeId(host_->Row(4).Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, {Bool(true)}, nullptr));
    host_->Pump();
    EXPECT_GT(foreign_in(CaptureClient(host_->grid()), 5, 1, first_column - 2), 4);
}

TEST_F(Display, ClickedRowsAreSelectedAndCtrlCCopiesThemTabSeparated) {
    host_->SetCols(3);
    host_->SetRows(1000);
    host_->Pump();
    Capture before = CaptureClient(host_->grid());
    auto bands = RowBands(before, 2, 2, 6);
    ASSERT_EQ(5u, bands.size());
    HWND grid = host_->grid();
    ClickAt(grid, 30, bands[3].first + bands[3].second / 2);
    ClickAt(grid, 30, bands[5].first + bands[5].second / 2, true);
    host_->Pump();
    Capture selected = CaptureClient(grid);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(RowColour(2), selected.At(2, bands[2].first + 2));
    for (LONG row = 3; row <= 5; ++row) EXPECT_EQ(highlight, selected.At(2, bands[row].first + 2)) << row;
    EXPECT_EQ(RowColour(6), selected.At(2, bands[6].first + 2));

    PressKey(grid, 'C', false, true);
    EXPECT_EQ(L"R3A\tR3B\tR3C\r\nR4A\tR4B\tR4C\r\nR5A\tR5B\tR5C", ClipboardText());

    // Ctrl+A selects every data row; the copy asks for rows not on screen.
    host_->sink().requests.clear();
    PressKey(grid, 'A', false, true);
    PressKey(grid, 'C', false, true);
    std::vector<std::wstring> lines = Lines(ClipboardText());
    ASSERT_EQ(999u, lines.size());
    EXPECT_EQ(L"R2A\tR2B\tR2C", lines.front());
    EXPECT_EQ(L"R1000A\tR1000B\tR1000C", lines.back());
    EXPECT_TRUE(std::find(host_->sink().requests.begin(), host_->sink().requests.end(), 1000) !=
                host_->sink().requests.end());
}

TEST_F(Display, DraggingAHeaderBorderResizesTheColumn) {
    host_->SetCols(3);
    host_->SetRows(4);
    host_->Pump();
    Capture shot = CaptureClient(host_->grid());
    auto header = shot.RunsOf(2, RowColour(1));
    ASSERT_EQ(1u, header.size());
    const int y = header[0].first + header[0].second / 2;
    HWND grid = host_->grid();
    auto drag = [&](int from, int to) {
        SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, y));
        SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from + to) / 2, y));
        SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, y));
        SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(to, y));
    };
    const int border = TwipsToPixels(1200);
    drag(border, border + 40);
    EXPECT_FLOAT_EQ((border + 40) * 1440.0f / DpiX(), host_->ColumnWidth(1));
    EXPECT_EQ(1200.0f, host_->ColumnWidth(2));

    // The second column's border moved along with the first column's width.
    drag(border + 40 + border, border + 40 + border - 30);
    EXPECT_FLOAT_EQ((border - 30) * 1440.0f / DpiX(), host_->ColumnWidth(2));

    // A width put through automation moves the border the mouse finds.
    VARIANT width = Long(2400);
    ASSERT_EQ(S_OK, InvokeId(host_->Column(1).Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYPUT, {width}, nullptr));
    drag(TwipsToPixels(2400), 100);
    EXPECT_FLOAT_EQ(100 * 1440.0f / DpiX(), host_->ColumnWidth(1));

    // Away from a border the header does not resize anything.
    drag(50, 200);
    EXPECT_FLOAT_EQ(100 * 1440.0f / DpiX(), host_->ColumnWidth(1));

    // A double click on a border fits the column to its widest text on screen.
    host_->sink().answer = [](LONG row) {
        RowAnswer answer = ColouredAnswer(row);
        if (row == 3) answer.text = L"a first cell much wider than the column|";
        return answer;
    };
    host_->Refresh();
    host_->Pump();
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, y));
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(100, y));
    SendMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, y));
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(100, y));
    const float fitted = host_->ColumnWidth(1);
    EXPECT_GT(fitted, 2400.0f);
    EXPECT_LT(fitted, 6000.0f);
}

TEST_F(Display, WithoutAnAmbientFontTheGridUsesSongTypeNinePointGb2312) {
    LOGFONTW font = GridFont(host_->grid());
    EXPECT_STREQ(L"\u5B8B\u4F53", font.lfFaceName);
    EXPECT_EQ(GB2312_CHARSET, font.lfCharSet);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(-MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(FW_NORMAL, font.lfWeight);
    HFONT handle = reinterpret_cast<HFONT>(SendMessageW(host_->grid(), WM_GETFONT, 0, 0));
    EXPECT_EQ(0, MissingGlyphs(handle, L"\u5E8F\u53F7\u62D2\u7EDD\u65E5\u671F\u5408\u8BA1\u786E\u8BA4"));
}

TEST_F(Display, TheContainersAmbientFontIsUsedAndFollowed) {
    FONTDESC description = {sizeof(FONTDESC), const_cast<LPOLESTR>(L"Tahoma"), {}, FW_BOLD, DEFAULT_CHARSET,
                            FALSE, FALSE, FALSE};
    description.cySize.int64 = 12 * 10000;
    ComPtr<IFontDisp> ambient;
    ASSERT_EQ(S_OK, OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(ambient.GetAddressOf())));
    GridHost hosted(640, 400, ambient.Get());
    ASSERT_EQ(S_OK, hosted.status());
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTW font = GridFont(hosted.grid());
    EXPECT_STREQ(L"Tahoma", font.lfFaceName);
    EXPECT_EQ(FW_BOLD, font.lfWeight);
    EXPECT_EQ(-MulDiv(12, dpi, 72), font.lfHeight);

    ComPtr<IFont> changed;
    ASSERT_EQ(S_OK, ambient.As(&changed));
    CY size = {};
    size.int64 = 20 * 10000;
    ASSERT_EQ(S_OK, changed->put_Size(size));
    ComPtr<IOleControl> control;
    ASSERT_EQ(S_OK, hosted.ole_object()->QueryInterface(IID_PPV_ARGS(&control)));
    ASSERT_EQ(S_OK, control->OnAmbientPropertyChange(DISPID_AMBIENT_FONT));
    EXPECT_EQ(-MulDiv(20, dpi, 72), GridFont(hosted.grid()).lfHeight);
    control.Reset();
    EXPECT_EQ(0u, hosted.Shutdown());
}

TEST_F(Display, DrawPaintsTheGridIntoTheContainersDc) {
    host_->SetCols(2);
    host_->SetRows(5);
    ComPtr<IViewObject2> view;
    ASSERT_EQ(S_OK, host_->ole_object()->QueryInterface(IID_PPV_ARGS(&view)));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 120);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECTL bounds = {0, 0, 300, 120};
    ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
    EXPECT_EQ(RowColour(1), GetPixel(dc, 2, 2));
    bool second_row_seen = false;
    for (int y = 0; y < 120; ++y) second_row_seen |= GetPixel(dc, 2, y) == RowColour(2);
    EXPECT_TRUE(second_row_seen);
    EXPECT_EQ(DV_E_DVASPECT,
              view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

// The grid as the rejection window shows it: Chinese titles and reasons cut
// into continuation lines; a copy goes to the build tree for people to look at.
TEST_F(Display, ScreenshotOfChineseRowsWithTheCjkFont) {
    host_.reset();
    GridHost shown(800, 300);
    ASSERT_EQ(S_OK, shown.status());
    const std::wstring header = L"\u5E8F\u53F7|\u62D2\u7EDD\u65E5\u671F|\u62D2\u7EDD\u539F\u56E0|"
                                L"\u88AB\u62D2\u7EDD\u673A\u6784|\u62D2\u7EDD\u673A\u6784||";
    const std::wstring rows[] = {
        L"1|2024-03-05|\u5E93\u5B58\u4E0D\u8DB3\uFF0C\u8BF7\u8C03\u6574\u6570\u91CF\u540E\u91CD\u65B0\u63D0\u4EA4"
        L"\u8BA2\u5355\uFF0C\u5E76\u6CE8\u660E\u4EA4\u8D27\u65E5\u671F\u548C|\u534E\u4E1C\u5206\u516C\u53F8|"
        L"\u603B\u90E8\u7269\u6D41\u4E2D\u5FC3|",
        L"||\u6536\u8D27\u5730\u5740\u3002|||",
        L"2|2024-03-07|\u4EF7\u683C\u4E0E\u5408\u540C\u4E0D\u7B26|\u534E\u5357\u5206\u516C\u53F8|"
        L"\u603B\u90E8\u9500\u552E\u90E8|",
        L"3|2024-03-11|\u89C4\u683C\u578B\u53F7\u586B\u5199\u9519\u8BEF\uFF0C\u5E94\u4E3A "
        L"GX-200A \u800C\u975E GX-200|\u897F\u5317\u529E\u4E8B\u5904|\u603B\u90E8\u6280\u672F\u90E8|",
        L"4|2024-03-12|\u91CD\u590D\u4E0B\u5355|\u534E\u4E1C\u5206\u516C\u53F8|\u603B\u90E8\u7269\u6D41\u4E2D\u5FC3|",
    };
    shown.sink().answer = [&](LONG row) {
        RowAnswer answer;
        answer.text = row == 1 ? header : row - 2 < 5 ? rows[row - 2] : L"";
        return answer;
    };
    shown.sink().during_request = [&](LONG row) {
        if (row == 3)
            InvokeId(shown.Row(row - 1).Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, {Bool(true)}, nullptr);
    };
    shown.SetCols(5);
    const LONG widths[] = {700, 1500, 5600, 1800, 1800};
    for (LONG c = 1; c <= 5; ++c) {
        ASSERT_EQ(S_OK, InvokeId(shown.Column(c).Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYPUT,
                                 {Long(widths[c - 1])}, nullptr));
    }
    shown.SetRows(6);
    shown.Pump();
    ClickAt(shown.grid(), 30, 120);  // a selected row, as a user would leave it
    shown.Pump();
    EXPECT_EQ(0, shown.sink().malformed);

    Capture shot = CaptureClient(shown.grid());
    ASSERT_GT(shot.width, 0);
    // Text drawn in the header's second column: its CJK glyphs are on screen.
    const int left = TwipsToPixels(700);
    int ink = 0;
    for (int y = 0; y < 18; ++y)
        for (int x = left + 2; x < left + TwipsToPixels(1500) - 2; ++x) ink += Luminance(shot.At(x, y)) < 128;
    EXPECT_GT(ink, 30);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(shown.grid(), WM_GETFONT, 0, 0));
    EXPECT_EQ(0, MissingGlyphs(font, header));

    ASSERT_EQ(S_OK, SavePng(shot, ambrelle_test::WindowsPath(TESSARY_SCREENSHOT)));
    char signature[8] = {};
    FILE* png = _wfopen(ambrelle_test::WindowsPath(TESSARY_SCREENSHOT).c_str(), L"rb");
    ASSERT_NE(nullptr, png);
    EXPECT_EQ(8u, fread(signature, 1, 8, png));
    fclose(png);
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), std::string(signature, 8));
    EXPECT_EQ(0u, shown.Shutdown());
}

// The confirmation layout: twelve columns (wider than the window), numbers
// on the right, and the totals row in its own colour.
TEST_F(Display, ScreenshotOfQuantitiesAndATotalsRow) {
    host_.reset();
    GridHost shown(800, 300);
    ASSERT_EQ(S_OK, shown.status());
    const std::wstring header =
        L"\u5E8F\u53F7|\u5546\u54C1\u4EE3\u7801|\u5546\u54C1\u540D\u79F0|\u89C4\u683C\u578B\u53F7|"
        L"\u8F85\u52A9\u5C5E\u6027|\u786E\u8BA4\u524D\u6570\u91CF|\u786E\u8BA4\u6570\u91CF|"
        L"\u786E\u8BA4\u4EBA|\u88AB\u786E\u8BA4\u673A\u6784|\u786E\u8BA4\u673A\u6784|"
        L"\u786E\u8BA4\u65E5\u671F|\u786E\u8BA4\u4EA4\u8D27\u65E5\u671F||";
    const std::wstring rows[] = {
        L" 1|A-1001|\u4E0D\u9508\u94A2\u87BA\u6813|M8x30|\u9ED1\u8272|1,200|1,150|\u5F20\u4F1F|"
        L"\u534E\u4E1C\u5206\u516C\u53F8|\u603B\u90E8|2024-03-05|2024-03-20|",
        L" 2|B-2040|\u94DD\u5408\u91D1\u578B\u6750|6063-T5||36.50|36.50|\u674E\u5A1C|"
        L"\u534E\u5357\u5206\u516C\u53F8|\u603B\u90E8|2024-03-07|2024-03-25|",
        L" 3|C-0007|\u5BC6\u5C01\u5708|\u03A650||400|380|\u738B\u82B3|"
        L"\u897F\u5317\u529E\u4E8B\u5904|\u603B\u90E8|2024-03-11||",
        L"|\u5408\u8BA1||||1,636.5000|1,566.5000||||",
    };
    shown.sink().answer = [&](LONG row) {
        RowAnswer answer;
        answer.text = row == 1 ? header : row - 2 < 4 ? rows[row - 2] : L"";
        if (row == 5) {
            answer.set_colour = true;
            answer.colour = 0xE0EFFE;
        }
        return answer;
    };
    shown.SetCols(12);
    shown.SetRows(5);
    shown.Pump();
    Capture shot = CaptureClient(shown.grid());
    EXPECT_EQ(1u, shot.RunsOf(2, RGB(254, 239, 224)).size());
    std::wstring path = ambrelle_test::WindowsPath(TESSARY_SCREENSHOT);
    path.replace(path.size() - 4, 4, L"-totals.png");
    EXPECT_EQ(S_OK, SavePng(shot, path));
    EXPECT_EQ(0u, shown.Shutdown());
}

}  // namespace
