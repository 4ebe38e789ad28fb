#include "control_site.h"

#include <olectl.h>

#include <new>

#include "com_error.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

ControlSite::ControlSite(HWND parent, const RECT& rect, IFontDisp* ambient_font)
    : parent_(parent), rect_(rect), ambient_font_(ambient_font) {}

HRESULT ControlSite::Create(HWND parent, REFCLSID clsid, const RECT& rect, IFontDisp* ambient_font,
                            ControlSite** site) {
    *site = nullptr;
    auto* created = new (std::nothrow) ControlSite(parent, rect, ambient_font);
    if (!created) return E_OUTOFMEMORY;
    HRESULT hr = created->CreateControl(clsid);
    if (FAILED(hr)) {
        PreservedErrorInfo keep;
        created->Close();
        created->Release();
        return hr;
    }
    *site = created;
    return S_OK;
}

HRESULT ControlSite::CreateControl(REFCLSID clsid) {
    // Creating the control reports no error information of its own.
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object_));
    if (FAILED(hr)) return FailedWithoutErrorInfo(hr);
    hr = object_.As(&dispatch_);
    if (FAILED(hr)) return FailedWithoutErrorInfo(hr);

    DWORD misc = 0;
    object_->GetMiscStatus(DVASPECT_CONTENT, &misc);
    if (misc & OLEMISC_SETCLIENTSITEFIRST) {
        hr = object_->SetClientSite(this);
        if (FAILED(hr)) return FailedCall(object_.Get(), IID_IOleObject, hr);
    }
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(object_.As(&persist))) {
        hr = persist->InitNew();
        if (FAILED(hr)) return FailedCall(persist.Get(), IID_IPersistStreamInit, hr);
    }
    if (!(misc & OLEMISC_SETCLIENTSITEFIRST)) {
        hr = object_->SetClientSite(this);
        if (FAILED(hr)) return FailedCall(object_.Get(), IID_IOleObject, hr);
    }
    return S_OK;
}

HRESULT ControlSite::Advise(REFIID events_iid, IDispatch* sink) {
    if (!object_) return E_UNEXPECTED;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = object_.As(&container);
    if (FAILED(hr)) return FailedWithoutErrorInfo(hr);
    hr = container->FindConnectionPoint(events_iid, &connection_point_);
    if (FAILED(hr)) return FailedCall(container.Get(), IID_IConnectionPointContainer, hr);
    hr = connection_point_->Advise(sink, &advise_cookie_);
    if (FAILED(hr)) {
        hr = FailedCall(connection_point_.Get(), IID_IConnectionPoint, hr);
        connection_point_.Reset();
    }
    return hr;
}

HRESULT ControlSite::Activate() {
    if (!object_) return E_UNEXPECTED;
    HRESULT hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &rect_);
    if (FAILED(hr)) return FailedCall(object_.Get(), IID_IOleObject, hr);
    hr = object_.As(&in_place_);
    if (FAILED(hr)) return FailedWithoutErrorInfo(hr);
    hr = in_place_->SetObjectRects(&rect_, &rect_);
    return FAILED(hr) ? FailedCall(in_place_.Get(), IID_IOleInPlaceObject, hr) : S_OK;
}

void ControlSite::Close() {
    if (connection_point_) {
        connection_point_->Unadvise(advise_cookie_);
        connection_point_.Reset();
    }
    if (in_place_) {
        in_place_->InPlaceDeactivate();
        in_place_.Reset();
    }
    active_.Reset();
    if (object_) {
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
        object_.Reset();
    }
    dispatch_.Reset();
}

HWND ControlSite::control_window() const {
    HWND window = nullptr;
    if (in_place_) in_place_->GetWindow(&window);
    return window;
}

HRESULT ControlSite::SetRect(const RECT& rect) {
    if (!in_place_) return E_UNEXPECTED;
    HRESULT hr = in_place_->SetObjectRects(&rect, &rect);
    if (SUCCEEDED(hr)) rect_ = rect;
    return hr;
}

void ControlSite::Focus() {
    if (object_) object_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, this, 0, parent_, &rect_);
    if (HWND window = control_window()) SetFocus(window);
}

bool ControlSite::TranslateAccelerator(MSG* msg) {
    return active_ && active_->TranslateAccelerator(msg) == S_OK;
}

// IOleClientSite: the control is never embedded in a document, so there is
// nothing to save and no moniker.
STDMETHODIMP ControlSite::SaveObject() { return E_NOTIMPL; }
STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP ControlSite::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}
STDMETHODIMP ControlSite::ShowObject() { return S_OK; }
STDMETHODIMP ControlSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::RequestNewObjectLayout() { return E_NOTIMPL; }

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = parent_;
    return S_OK;
}
STDMETHODIMP ControlSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP ControlSite::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP ControlSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP ControlSite::OnUIActivate() { return S_OK; }

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* position,
                                           RECT* clip, OLEINPLACEFRAMEINFO* info) {
    if (!frame || !doc || !position || !clip || !info) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *doc = nullptr;
    *position = rect_;
    GetClientRect(parent_, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = parent_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::OnInPlaceDeactivate() {
    active_.Reset();
    return S_OK;
}
STDMETHODIMP ControlSite::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP ControlSite::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP ControlSite::OnPosRectChange(const RECT* position) {
    if (!position) return E_POINTER;
    return SetRect(*position);
}

// The frame has no toolbars, menus or status bar to share.
STDMETHODIMP ControlSite::GetBorder(RECT*) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP ControlSite::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP ControlSite::SetBorderSpace(LPCBORDERWIDTHS widths) { return widths ? INPLACE_E_NOTOOLSPACE : S_OK; }
STDMETHODIMP ControlSite::SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) {
    active_ = active;
    return S_OK;
}
STDMETHODIMP ControlSite::InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::SetStatusText(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::TranslateAccelerator(MSG*, WORD) { return S_FALSE; }

STDMETHODIMP ControlSite::OnControlInfoChanged() { return S_OK; }
STDMETHODIMP ControlSite::LockInPlaceActive(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::GetExtendedControl(IDispatch** control) {
    if (control) *control = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP ControlSite::TransformCoords(POINTL*, POINTF*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }
STDMETHODIMP ControlSite::OnFocus(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::ShowPropertyFrame() { return E_NOTIMPL; }

STDMETHODIMP ControlSite::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                 UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    switch (member) {
    case DISPID_AMBIENT_USERMODE:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_TRUE;
        return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
    case DISPID_AMBIENT_MESSAGEREFLECT:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_FALSE;
        return S_OK;
    case DISPID_AMBIENT_FONT:
        if (!ambient_font_) return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = ambient_font_.Get();
        ambient_font_->AddRef();
        return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(0x80000000 | COLOR_BTNFACE);
        return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(0x80000000 | COLOR_BTNTEXT);
        return S_OK;
    case DISPID_AMBIENT_LOCALEID:
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(GetUserDefaultLCID());
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace ambrelle
