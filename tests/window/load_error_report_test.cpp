// The text of the grid load's warning box and the numbers it shows.
#include <gtest/gtest.h>

#include "load_error_report.h"

using ambrelle::ErrorNumberOf;
using ambrelle::LoadErrorMessage;

TEST(LoadErrorMessage, FourLinesWithoutABreakAtTheEnd) {
    EXPECT_EQ(L"查看确认信息出错：\r\n错误编码：3265\r\n"
              L"错误来源：ADODB.Recordset[loadLdg sub]\r\n错误描述：Item cannot be found.",
              LoadErrorMessage(3265, L"ADODB.Recordset", L"Item cannot be found."));
    EXPECT_EQ(L"查看确认信息出错：\r\n错误编码：-5\r\n错误来源：[loadLdg sub]\r\n错误描述：",
              LoadErrorMessage(-5, L"", L""));
    EXPECT_EQ(L"查看确认信息出错：\r\n错误编码：-2147217887\r\n"
              L"错误来源：x[loadLdg sub]\r\n错误描述：y",
              LoadErrorMessage(-2147217887, L"x", L"y"));
}

TEST(ErrorNumberOf, AsAnAutomationHostSeesIt) {
    struct Case {
        HRESULT hr;
        LONG number;
    } cases[] = {
        {static_cast<HRESULT>(0x800A0BCD), 3021},
        {static_cast<HRESULT>(0x800A0006), 6},
        {static_cast<HRESULT>(0x800A10AA), 4266},
        {E_NOTIMPL, 445},
        {E_NOINTERFACE, 430},
        {DISP_E_TYPEMISMATCH, 13},
        {DISP_E_OVERFLOW, 6},
        {E_OUTOFMEMORY, 7},
        {REGDB_E_CLASSNOTREG, 429},
        {static_cast<HRESULT>(0x80040E21), -2147217887},
        {E_FAIL, static_cast<LONG>(0x80004005)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.number, ErrorNumberOf(c.hr)) << std::hex << c.hr;
}
