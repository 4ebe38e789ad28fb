#include "grid_host.h"

#include <algorithm>

#include "tessary_identity.h"
#include "test_support.h"

using Microsoft::WRL::ComPtr;

namespace tessary_test {

// ---------------------------------------------------------------------------
// IDispatch helpers

HRESULT InvokeId(IDispatch* object, DISPID member, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                 EXCEPINFO* excep) {
    std::reverse(args.begin(), args.end());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO local = {};
    EXCEPINFO* info = excep ? excep : &local;
    *info = EXCEPINFO{};
    UINT arg_err = 0;
    HRESULT hr = object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, info, &arg_err);
    if (!excep) {
        SysFreeString(local.bstrSource);
        SysFreeString(local.bstrDescription);
        SysFreeString(local.bstrHelpFile);
    }
    return hr;
}

HRESULT Outcome(HRESULT hr, const EXCEPINFO& excep) { return hr == DISP_E_EXCEPTION ? excep.scode : hr; }

// ---------------------------------------------------------------------------
// RowSink

RowAnswer DefaultAnswer(LONG row) {
    RowAnswer answer;
    if (row == 1) {
        answer.text = L"H1|H2|H3|H4|";
    } else {
        std::wstring r = L"R" + std::to_wstring(row);
        answer.text = r + L"A|" + r + L"B|" + r + L"C|" + r + L"D|";
    }
    return answer;
}

ComPtr<RowSink> RowSink::Make() {
    ComPtr<RowSink> sink;
    *sink.GetAddressOf() = new RowSink();  // takes the creation reference
    return sink;
}

STDMETHODIMP RowSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }

STDMETHODIMP RowSink::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO* excep,
                             UINT*) {
    if (member != tessary::kDispidRowTextRequest) {
        events.push_back(member);
        if (member == tessary::kDispidKeyDown && params && params->cArgs == 2 &&
            V_VT(&params->rgvarg[1]) == (VT_BYREF | VT_I2) && *V_I2REF(&params->rgvarg[1]) == cancel_key)
            *V_I2REF(&params->rgvarg[1]) = 0;
        return S_OK;
    }
    // Row (by value), Text, Color and Reserved (by reference), in reverse order.
    if (!(flags & DISPATCH_METHOD) || !params || params->cArgs != 4 || params->cNamedArgs != 0 ||
        V_VT(&params->rgvarg[3]) != VT_I4 || V_VT(&params->rgvarg[2]) != (VT_BYREF | VT_BSTR) ||
        V_VT(&params->rgvarg[1]) != (VT_BYREF | VT_I4) || V_VT(&params->rgvarg[0]) != (VT_BYREF | VT_I4)) {
        ++malformed;
        return DISP_E_TYPEMISMATCH;
    }
    const LONG row = V_I4(&params->rgvarg[3]);
    BSTR* text = V_BSTRREF(&params->rgvarg[2]);
    LONG* colour = V_I4REF(&params->rgvarg[1]);
    requests.push_back(row);
    incoming_colours.push_back(*colour);
    incoming_texts.push_back(*text ? *text : L"(null)");
    RowAnswer reply = answer(row);
    if (FAILED(reply.hr)) {
        if (excep) {
            *excep = EXCEPINFO{};
            excep->scode = reply.hr;
            excep->bstrDescription = SysAllocString(L"The row could not be read.");
        }
        return excep ? DISP_E_EXCEPTION : reply.hr;
    }
    SysFreeString(*text);
    *text = SysAllocStringLen(reply.text.c_str(), static_cast<UINT>(reply.text.size()));
    if (reply.set_colour) *colour = reply.colour;
    if (during_request) during_request(row);
    return S_OK;
}

// ---------------------------------------------------------------------------
// Site

Site::Site(HWND window, IFontDisp* ambient_font) : window_(window), ambient_font_(ambient_font) {}

STDMETHODIMP Site::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) {
        *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (riid == IID_IOleControlSite) {
        *object = static_cast<IOleControlSite*>(this);
    } else if (riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) Site::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) Site::Release() {
    ULONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP Site::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Site::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP Site::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
}

STDMETHODIMP Site::OnInPlaceActivate() {
    ++log.in_place_activations;
    return S_OK;
}

STDMETHODIMP Site::OnUIActivate() {
    ++log.ui_activations;
    return S_OK;
}

STDMETHODIMP Site::OnInPlaceDeactivate() {
    ++log.in_place_deactivations;
    return S_OK;
}

STDMETHODIMP Site::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                    LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = this;
    AddRef();
    *document = nullptr;
    GetClientRect(window_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP Site::GetExtendedControl(IDispatch** control) {
    if (control) *control = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Site::OnFocus(BOOL gained) {
    if (gained) ++log.focus_gained;
    return S_OK;
}

STDMETHODIMP Site::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    if (member == DISPID_AMBIENT_FONT && ambient_font_) {
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = ambient_font_.Get();
        ambient_font_->AddRef();
        return S_OK;
    }
    if (member == DISPID_AMBIENT_USERMODE) {
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_TRUE;
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

// ---------------------------------------------------------------------------
// GridHost

namespace {

constexpr wchar_t kFrameClass[] = L"TessaryTestFrame";

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

void RegisterFrameClass() {
    WNDCLASSW wc = {};
    if (GetClassInfoW(GetModuleHandleW(nullptr), kFrameClass, &wc)) return;
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kFrameClass;
    RegisterClassW(&wc);
}

}  // namespace

GridHost::GridHost(int client_width, int client_height, IFontDisp* ambient_font) {
    RegisterFrameClass();
    RECT outer = {0, 0, client_width, client_height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    frame_ = CreateWindowW(kFrameClass, L"Tessary test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    if (!frame_) return;
    site_ = new Site(frame_, ambient_font);
    status_ = CoCreateInstance(tessary::CLSID_Tessary, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&ole_object_));
    if (FAILED(status_)) return;
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(status_ = ole_object_.As(&persist))) return;
    if (FAILED(status_ = ole_object_->SetClientSite(site_))) return;
    if (FAILED(status_ = persist->InitNew())) return;
    RECT position;
    GetClientRect(frame_, &position);
    status_ = ole_object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, frame_, &position);
    if (FAILED(status_)) return;
    if (FAILED(status_ = ole_object_.As(&control_))) return;
    sink_ = RowSink::Make();
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (FAILED(status_ = ole_object_.As(&container))) return;
    if (FAILED(status_ = container->FindConnectionPoint(tessary::DIID_Events, &point))) return;
    status_ = point->Advise(sink_.Get(), &cookie_);
}

GridHost::~GridHost() {
    Shutdown();
    if (site_) site_->Release();
    if (frame_) DestroyWindow(frame_);
}

HWND GridHost::grid() const {
    HWND window = nullptr;
    ComPtr<IOleWindow> ole_window;
    if (ole_object_ && SUCCEEDED(ole_object_.As(&ole_window))) ole_window->GetWindow(&window);
    return window;
}

ULONG GridHost::Shutdown() {
    if (!ole_object_) return 0;
    if (cookie_) {
        ComPtr<IConnectionPointContainer> container;
        ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(ole_object_.As(&container)) &&
            SUCCEEDED(container->FindConnectionPoint(tessary::DIID_Events, &point)))
            point->Unadvise(cookie_);
        cookie_ = 0;
    }
    ole_object_->Close(OLECLOSE_NOSAVE);
    ole_object_->SetClientSite(nullptr);
    control_.Reset();
    return ole_object_.Reset();
}

ComPtr<IDispatch> GridHost::Sheet() {
    VARIANT result;
    VariantInit(&result);
    if (FAILED(InvokeId(control_.Get(), tessary::kDispidSheet, DISPATCH_PROPERTYGET, {}, &result)) ||
        V_VT(&result) != VT_DISPATCH)
        return nullptr;
    ComPtr<IDispatch> sheet;
    *sheet.GetAddressOf() = V_DISPATCH(&result);
    return sheet;
}

void GridHost::SetRows(LONG rows) {
    InvokeId(Sheet().Get(), tessary::kDispidSheetRows, DISPATCH_PROPERTYPUT, {Long(rows)}, nullptr);
}

void GridHost::SetCols(LONG columns) {
    InvokeId(Sheet().Get(), tessary::kDispidSheetCols, DISPATCH_PROPERTYPUT, {Long(columns)}, nullptr);
}

void GridHost::Refresh() { InvokeId(Sheet().Get(), tessary::kDispidSheetRefresh, DISPATCH_METHOD, {}, nullptr); }

ComPtr<IDispatch> GridHost::Column(LONG number) {
    VARIANT result;
    VariantInit(&result);
    if (FAILED(InvokeId(control_.Get(), tessary::kDispidColumn, DISPATCH_PROPERTYGET, {LongRef(&number)}, &result)) ||
        V_VT(&result) != VT_DISPATCH)
        return nullptr;
    ComPtr<IDispatch> column;
    *column.GetAddressOf() = V_DISPATCH(&result);
    return column;
}

ComPtr<IDispatch> GridHost::Row(LONG index) {
    VARIANT result;
    VariantInit(&result);
    if (FAILED(InvokeId(control_.Get(), tessary::kDispidRow, DISPATCH_PROPERTYGET, {Long(index)}, &result)) ||
        V_VT(&result) != VT_DISPATCH)
        return nullptr;
    ComPtr<IDispatch> row;
    *row.GetAddressOf() = V_DISPATCH(&result);
    return row;
}

float GridHost::ColumnWidth(LONG number) {
    ComPtr<IDispatch> column = Column(number);
    if (!column) return -1;
    VARIANT result;
    VariantInit(&result);
    if (FAILED(InvokeId(column.Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYGET, {}, &result))) return -1;
    if (FAILED(VariantChangeType(&result, &result, 0, VT_R4))) return -1;
    return V_R4(&result);
}

void GridHost::Pump() {
    ambrelle_test::PumpWaitingMessages();
    if (HWND window = grid()) UpdateWindow(window);
}

std::wstring GridHost::ScreenText() {
    HWND window = grid();
    if (!window) return L"(no window)";
    return ambrelle_test::WindowText(window);
}

SIZE GridClientSize(HWND grid) {
    RECT client = {};
    GetClientRect(grid, &client);
    return SIZE{client.right, client.bottom};
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(L"\r\n", start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) break;
        start = end + 2;
    }
    return lines;
}

}  // namespace tessary_test

namespace tessary_test {

namespace {

// Holds Shift and Ctrl in the thread's keyboard state for as long as it lives.
class HeldKeys {
public:
    HeldKeys(bool shift, bool control) {
        GetKeyboardState(saved_);
        BYTE state[256];
        memcpy(state, saved_, sizeof(state));
        state[VK_SHIFT] = shift ? 0x80 : 0;
        state[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(state);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256];
};

}  // namespace

void PressKey(HWND window, UINT key, bool shift, bool control) {
    HeldKeys held(shift, control);
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void ClickAt(HWND window, int x, int y, bool shift) {
    HeldKeys held(shift, false);
    WPARAM keys = shift ? MK_SHIFT : 0;
    SendMessageW(window, WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, keys, MAKELPARAM(x, y));
}

}  // namespace tessary_test
