#include <gtest/gtest.h>

#include "com_error.h"

namespace {
const GUID kSomeIid = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
}

TEST(ComError, RaisedErrorReachesTheCallerOnce) {
    HRESULT hr = ambrelle::RaiseComError(0x800A0BCD, kSomeIid, L"ADODB.Recordset", L"No current record.");
    EXPECT_EQ(static_cast<HRESULT>(0x800A0BCD), hr);
    ambrelle::ComErrorDetails details = ambrelle::TakeComError(hr);
    EXPECT_EQ(L"ADODB.Recordset", details.source);
    EXPECT_EQ(L"No current record.", details.description);
    // GetErrorInfo hands the error object over: a second read finds none.
    EXPECT_EQ(L"", ambrelle::TakeComError(hr).source);
}

TEST(ComError, ExcepInfoIsReraisedWithItsScodeOrWCode) {
    EXCEPINFO excep = {};
    excep.scode = DISP_E_TYPEMISMATCH;
    excep.bstrSource = SysAllocString(L"Quistral.IBillInfo");
    excep.bstrDescription = SysAllocString(L"Type mismatch");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, ambrelle::RaiseFromExcepInfo(excep, kSomeIid));
    EXPECT_EQ(nullptr, excep.bstrSource);
    ambrelle::ComErrorDetails details = ambrelle::TakeComError(DISP_E_TYPEMISMATCH);
    EXPECT_EQ(L"Quistral.IBillInfo", details.source);
    EXPECT_EQ(L"Type mismatch", details.description);

    EXCEPINFO by_code = {};
    by_code.wCode = 3021;
    EXPECT_EQ(static_cast<HRESULT>(0x800A0BCD), ambrelle::RaiseFromExcepInfo(by_code, kSomeIid));
}
