#include "load_error_report.h"

namespace ambrelle {

LONG ErrorNumberOf(HRESULT hr) {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && FAILED(hr)) return HRESULT_CODE(hr);
    struct Mapped {
        HRESULT hr;
        LONG number;
    };
    static const Mapped kMapped[] = {
        {E_NOTIMPL, 445},
        {E_NOINTERFACE, 430},
        {DISP_E_MEMBERNOTFOUND, 438},
        {DISP_E_UNKNOWNNAME, 438},
        {DISP_E_PARAMNOTFOUND, 448},
        {DISP_E_TYPEMISMATCH, 13},
        {DISP_E_OVERFLOW, 6},
        {DISP_E_BADINDEX, 9},
        {DISP_E_BADPARAMCOUNT, 450},
        {DISP_E_PARAMNOTOPTIONAL, 449},
        {E_OUTOFMEMORY, 7},
        {E_INVALIDARG, 5},
        {E_ACCESSDENIED, 70},
        {REGDB_E_CLASSNOTREG, 429},
    };
    for (const Mapped& mapped : kMapped)
        if (mapped.hr == hr) return mapped.number;
    return static_cast<LONG>(hr);
}

std::wstring LoadErrorMessage(LONG number, const std::wstring& source, const std::wstring& description) {
    return L"查看确认信息出错：\r\n错误编码：" + std::to_wstring(number) + L"\r\n错误来源：" + source +
           L"[loadLdg sub]\r\n错误描述：" + description;
}

void ShowLoadErrorMessage(HWND owner, const std::wstring& message) {
    MessageBoxW(owner, message.c_str(), L"系统提示", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace ambrelle
