// Window geometry and column widths remembered between uses, end to end
// through the settings component: defaults, the shared set of the
// confirmation kinds, the rejection kind's own set, refused values, and a
// window closed minimised, maximised or stored off the screen.
#include "window_fixture.h"

#include <cmath>
#include <functional>

using namespace ambrelle_test;

namespace {

struct Geometry {
    RECT window = {};
    std::vector<float> widths;  // columns 1 to column count
};

void RecordGeometry(ModalDriver* driver, Geometry* geometry) {
    driver->Then([geometry](HWND window) {
        GetWindowRect(window, &geometry->window);
        geometry->widths.clear();
        for (LONG column = 1; column <= GridColumnCount(window); ++column)
            geometry->widths.push_back(GridColumnWidth(window, column));
        return true;
    });
}

RECT PixelsOfTwips(int left, int top, int width, int height) {
    const int x = TwipsToPixelsX(left);
    const int y = TwipsToPixelsY(top);
    return {x, y, x + TwipsToPixelsX(width), y + TwipsToPixelsY(height)};
}

void ExpectRect(const RECT& expected, const RECT& actual) {
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

double StoredNumber(const wchar_t* key) {
    std::optional<std::wstring> text = StoredSetting(key);
    return text ? _wtof(text->c_str()) : std::nan("");
}

class WindowSettings : public WindowTest {
protected:
    // Shows and closes a window of `kind`, recording its geometry; `act`
    // changes the window before it is closed.
    Geometry ShowOnce(LONG kind, std::function<bool(HWND)> act = nullptr, bool close_box = false) {
        Geometry geometry;
        ModalDriver driver;
        RecordGeometry(&driver, &geometry);
        if (act) driver.Then(act);
        if (close_box)
            driver.CloseBox();
        else
            driver.ClickOk();
        EXPECT_EQ(S_OK, Show(1001, kind, &driver));
        return geometry;
    }
};

const wchar_t* const kWinKeys[] = {L"WinTop", L"WinLeft", L"WinWidth", L"WinHeight"};
const wchar_t* const kHWinKeys[] = {L"HWinTop", L"HWinLeft", L"HWinWidth", L"HWinHeight"};

}  // namespace

TEST_F(WindowSettings, NothingStoredOpensAtTheDefaultsAndClosingStoresThem) {
    Geometry opened = ShowOnce(0);
    ExpectRect(PixelsOfTwips(0, 0, 6390, 8925), opened.window);
    EXPECT_EQ(std::vector<float>(12, 1200.0f), opened.widths);
    // The size the window took in whole pixels, back in twips, saved as a
    // single-precision number (6394.286 for 6390 twips at 168 DPI).
    const float expected[] = {0, 0, static_cast<float>(PixelsToTwipsX(TwipsToPixelsX(6390))),
                              static_cast<float>(PixelsToTwipsY(TwipsToPixelsY(8925)))};
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(expected[i], static_cast<float>(StoredNumber(kWinKeys[i]))) << i;
    for (int column = 1; column <= 12; ++column) {
        const std::wstring key = std::to_wstring(column) + L"ReqValidate";
        EXPECT_DOUBLE_EQ(1200, StoredNumber(key.c_str())) << column;
    }
    for (const wchar_t* key : kHWinKeys) EXPECT_FALSE(StoredSetting(key).has_value());
    EXPECT_FALSE(StoredSetting(L"1ReqRejValidate").has_value());
}

TEST_F(WindowSettings, RunsInTheDisplayScalingAndRegionalSettingsAskedFor) {
    // The configurations the tests are run in (CTest tells which).
    char dpi[16] = {}, decimal[8] = {};
    ASSERT_NE(0u, GetEnvironmentVariableA("AMBRELLE_EXPECT_DPI", dpi, sizeof(dpi)));
    ASSERT_NE(0u, GetEnvironmentVariableA("AMBRELLE_EXPECT_DECIMAL", decimal, sizeof(decimal)));
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(atoi(dpi), GetDeviceCaps(screen, LOGPIXELSX));
    EXPECT_EQ(atoi(dpi), GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    wchar_t separator[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    EXPECT_EQ(std::wstring(decimal, decimal + strlen(decimal)), std::wstring(separator));
}

TEST_F(WindowSettings, ShowingAndClosingWithoutMovingStoresTheSameNumbersEveryTime) {
    // A dragged width that is no whole number of twips, as at 175 %.
    ShowOnce(0, [](HWND window) {
        EXPECT_EQ(S_OK, PutGridColumnWidth(window, 3, 1234.5f));
        return true;
    });
    std::vector<std::wstring> keys(std::begin(kWinKeys), std::end(kWinKeys));
    for (int column = 1; column <= 12; ++column) keys.push_back(std::to_wstring(column) + L"ReqValidate");
    std::vector<std::wstring> first;
    for (int cycle = 1; cycle <= 3; ++cycle) {
        Geometry opened = ShowOnce(0);  // every show succeeds
        ASSERT_EQ(12u, opened.widths.size());
        EXPECT_FLOAT_EQ(1234.5f, opened.widths[2]) << cycle;
        std::vector<std::wstring> stored;
        for (const std::wstring& key : keys) stored.push_back(StoredSetting(key.c_str()).value_or(L"(none)"));
        if (cycle == 1) {
            first = stored;
        } else {
            EXPECT_EQ(first, stored) << cycle;
        }
    }
}

TEST_F(WindowSettings, ConfirmationKindsShareTheirSetAndTheRejectionKindKeepsItsOwn) {
    const RECT moved = PixelsOfTwips(1500, 900, 9000, 6000);
    ShowOnce(2, [&](HWND window) {
        SetWindowPos(window, nullptr, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(S_OK, PutGridColumnWidth(window, 3, 2000));
        EXPECT_EQ(S_OK, PutGridColumnWidth(window, 12, 450));
        return true;
    });
    EXPECT_DOUBLE_EQ(2000, StoredNumber(L"3ReqValidate"));

    Geometry rejection = ShowOnce(1, [&](HWND window) {
        SetWindowPos(window, nullptr, TwipsToPixelsX(300), TwipsToPixelsY(600), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(S_OK, PutGridColumnWidth(window, 2, 3000));
        return true;
    });
    ExpectRect(PixelsOfTwips(0, 0, 6390, 8925), rejection.window);
    EXPECT_EQ(std::vector<float>(5, 1200.0f), rejection.widths);
    EXPECT_FLOAT_EQ(static_cast<float>(PixelsToTwipsX(TwipsToPixelsX(300))),
                    static_cast<float>(StoredNumber(L"HWinLeft")));
    EXPECT_DOUBLE_EQ(3000, StoredNumber(L"2ReqRejValidate"));

    Geometry confirmation = ShowOnce(0);
    ExpectRect(moved, confirmation.window);
    std::vector<float> widths(12, 1200.0f);
    widths[2] = 2000;
    widths[11] = 450;
    EXPECT_EQ(widths, confirmation.widths);

    Geometry rejection_again = ShowOnce(1);
    EXPECT_EQ(TwipsToPixelsX(300), rejection_again.window.left);
    EXPECT_EQ(TwipsToPixelsY(600), rejection_again.window.top);
    EXPECT_EQ(3000.0f, rejection_again.widths[1]);
}

TEST_F(WindowSettings, AnotherKindStoresNoGeometryAndUsesTheRejectionColumnKeys) {
    ShowOnce(0);  // the layout that kind 3 keeps
    ClearStoredSettings();
    StoreSetting(L"2ReqRejValidate", L"777");
    Geometry other = ShowOnce(3);
    ASSERT_EQ(12u, other.widths.size());
    EXPECT_EQ(777.0f, other.widths[1]);
    for (const wchar_t* key : kWinKeys) EXPECT_FALSE(StoredSetting(key).has_value());
    for (const wchar_t* key : kHWinKeys) EXPECT_FALSE(StoredSetting(key).has_value());
    EXPECT_DOUBLE_EQ(1200, StoredNumber(L"12ReqRejValidate"));
    EXPECT_FALSE(StoredSetting(L"1ReqValidate").has_value());
}

TEST_F(WindowSettings, AStoredGeometryThatIsNotANumberEndsShowWithTypeMismatch) {
    StoreSetting(L"WinWidth", L"abc");
    ModalDriver driver;
    driver.Record().ClickOk();
    EXPECT_EQ(static_cast<HRESULT>(0x800A000D), Show(1001, 0, &driver));
    EXPECT_EQ(L"Ambrelle", error_.source);
    EXPECT_EQ(L"Type mismatch", error_.description);
    EXPECT_TRUE(driver.seen().empty()) << "the window never opened";
    EXPECT_EQ(nullptr, FindResultWindow());
}

TEST_F(WindowSettings, AColumnWidthTheGridRefusesKeepsItsDefaultAndTheOthersLoad) {
    StoreSetting(L"3ReqValidate", L"-5");
    StoreSetting(L"4ReqValidate", L"wide");
    StoreSetting(L"5ReqValidate", L"1500");
    Geometry opened = ShowOnce(0);
    ASSERT_EQ(12u, opened.widths.size());
    EXPECT_EQ(1200.0f, opened.widths[2]);
    EXPECT_EQ(1200.0f, opened.widths[3]);
    EXPECT_EQ(1500.0f, opened.widths[4]);
}

TEST_F(WindowSettings, AWindowClosedMinimisedOrMaximisedStoresItsRestoredRectangle) {
    const RECT normal = PixelsOfTwips(1200, 750, 7500, 6000);
    for (int state : {SW_MINIMIZE, SW_MAXIMIZE}) {
        SCOPED_TRACE(state);
        ClearStoredSettings();
        ShowOnce(0, [&](HWND window) {
            SetWindowPos(window, nullptr, normal.left, normal.top, normal.right - normal.left,
                         normal.bottom - normal.top, SWP_NOZORDER | SWP_NOACTIVATE);
            ShowWindow(window, state);
            return true;
        });
        EXPECT_FLOAT_EQ(static_cast<float>(PixelsToTwipsY(normal.top)), static_cast<float>(StoredNumber(L"WinTop")));
        EXPECT_FLOAT_EQ(static_cast<float>(PixelsToTwipsX(normal.left)), static_cast<float>(StoredNumber(L"WinLeft")));
        EXPECT_FLOAT_EQ(static_cast<float>(PixelsToTwipsX(normal.right - normal.left)),
                        static_cast<float>(StoredNumber(L"WinWidth")));
        EXPECT_FLOAT_EQ(static_cast<float>(PixelsToTwipsY(normal.bottom - normal.top)),
                        static_cast<float>(StoredNumber(L"WinHeight")));
    }
}

namespace {
VOID CALLBACK AskTheThreadToQuit(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostQuitMessage(7);
}
}  // namespace

TEST_F(WindowSettings, AWindowItsHostDestroysEndsShowAndStoresNothingOfIt) {
    ClearStoredSettings();
    const std::pair<const wchar_t*, const wchar_t*> stored[] = {
        {L"WinTop", L"150"}, {L"WinLeft", L"300"}, {L"WinWidth", L"6000"}, {L"WinHeight", L"4500"},
        {L"3ReqValidate", L"2000"}};
    for (const auto& [key, value] : stored) StoreSetting(key, value);
    UINT_PTR quit_timer = 0;
    ModalDriver driver;
    driver.Then([&](HWND window) {
        SetWindowPos(window, nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
        // Should show wait for the thread's quit after all, this ends it.
        quit_timer = SetTimer(nullptr, 0, 3000, AskTheThreadToQuit);
        // A host's shutdown code destroying its thread's windows.
        DestroyWindow(window);
        return true;
    });
    EXPECT_EQ(S_OK, Show(1001, 0, &driver));
    KillTimer(nullptr, quit_timer);
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "show waited for the thread's quit";
    EXPECT_EQ(nullptr, FindResultWindow());
    for (const auto& [key, value] : stored) EXPECT_EQ(value, StoredSetting(key).value_or(L"none")) << key;
}

TEST_F(WindowSettings, APositionOffEveryMonitorIsPulledBackOntoTheScreen) {
    struct Case {
        const wchar_t* top;
        const wchar_t* left;
    } cases[] = {{L"200000", L"300000"}, {L"-90000", L"-90000"}, {L"-32000", L"-32000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left);
        ClearStoredSettings();
        StoreSetting(L"WinTop", c.top);
        StoreSetting(L"WinLeft", c.left);
        StoreSetting(L"WinWidth", L"6000");
        StoreSetting(L"WinHeight", L"4500");
        Geometry opened = ShowOnce(0);
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_GE(opened.window.left, work.left);
        EXPECT_GE(opened.window.top, work.top);
        EXPECT_LE(opened.window.right, work.right);
        EXPECT_LE(opened.window.bottom, work.bottom);
        EXPECT_EQ(TwipsToPixelsX(6000), opened.window.right - opened.window.left) << "the size is kept";
        EXPECT_EQ(TwipsToPixelsY(4500), opened.window.bottom - opened.window.top);
    }
    // A position partly on the screen is applied as stored.
    ClearStoredSettings();
    StoreSetting(L"WinTop", L"150");
    StoreSetting(L"WinLeft", L"-1500");
    Geometry partly = ShowOnce(0);
    EXPECT_EQ(TwipsToPixelsX(-1500), partly.window.left);
    EXPECT_EQ(TwipsToPixelsY(150), partly.window.top);
}

TEST_F(WindowSettings, TheCloseBoxSavesExactlyAsOkDoes) {
    const RECT moved = PixelsOfTwips(1500, 900, 9000, 6000);
    std::vector<std::optional<std::wstring>> saved[2];
    for (bool close_box : {false, true}) {
        SCOPED_TRACE(close_box);
        ClearStoredSettings();
        ShowOnce(
            2,
            [&](HWND window) {
                SetWindowPos(window, nullptr, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
                EXPECT_EQ(S_OK, PutGridColumnWidth(window, 3, 2000));
                return true;
            },
            close_box);
        for (const wchar_t* key : kWinKeys) saved[close_box].push_back(StoredSetting(key));
        for (int column = 1; column <= 12; ++column)
            saved[close_box].push_back(StoredSetting((std::to_wstring(column) + L"ReqValidate").c_str()));
        for (const auto& value : saved[close_box]) EXPECT_TRUE(value.has_value());
    }
    EXPECT_EQ(saved[0], saved[1]);
    EXPECT_DOUBLE_EQ(2000, StoredNumber(L"3ReqValidate"));
}

TEST_F(WindowSettings, AShowReachingTheThreadWhileItsWindowIsOpenFailsAndTouchesNothing) {
    AddRejectionRow(501, Text(L"数量不符"));
    AddRejectionRow(502, Text(std::wstring(31, L'长')));
    HRESULT second = S_OK;
    ambrelle::ComErrorDetails second_error;
    VARIANT_BOOL second_result = 7;
    std::vector<Cells> before, after;
    std::wstring caption_after;
    LONG calls_before = -1, calls_after = -1;
    ModalDriver driver;
    driver.Then([&](HWND window) {
        before = GridCells(window);
        calls_before = GetLong(bill_.Get(), L"CallCount");
        // A host timer calls show again on another object, for another kind.
        Microsoft::WRL::ComPtr<_ClsValidate> other;
        CLSID clsid;
        EXPECT_EQ(S_OK, CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid));
        EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&other)));
        LONG fid = 2002, kind = 0;
        other->put_FID(&fid);
        other->put_QueryClass(&kind);
        second = other->show(&second_result);
        second_error = ambrelle::TakeComError(second);
        calls_after = GetLong(bill_.Get(), L"CallCount");
        after = GridCells(window);
        wchar_t caption[64] = L"";
        GetWindowTextW(window, caption, 64);
        caption_after = caption;
        return true;
    });
    driver.ClickOk();
    ASSERT_EQ(S_OK, Show(1001, 1, &driver));
    EXPECT_EQ(static_cast<HRESULT>(0x800A0190), second);
    EXPECT_EQ(L"Form already displayed; can't show modally", second_error.description);
    EXPECT_EQ(L"Ambrelle", second_error.source);
    EXPECT_EQ(VARIANT_FALSE, second_result);
    EXPECT_EQ(calls_before, calls_after) << "no query was made";
    EXPECT_EQ(before, after);
    EXPECT_EQ(4u, after.size()) << "header and three lines";
    EXPECT_EQ(L"内部订单拒绝信息查询", caption_after);
    // The open window saved under its own kind's keys.
    for (const wchar_t* key : kHWinKeys) EXPECT_TRUE(StoredSetting(key).has_value()) << key;
    for (const wchar_t* key : kWinKeys) EXPECT_FALSE(StoredSetting(key).has_value()) << key;
    EXPECT_TRUE(StoredSetting(L"1ReqRejValidate").has_value());
    EXPECT_FALSE(StoredSetting(L"1ReqValidate").has_value());
}
