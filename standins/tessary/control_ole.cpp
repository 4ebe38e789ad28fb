// The control as an OLE object: client site, in-place activation, window,
// ambient font, persistence and drawing into a container's DC.
#include <new>

#include "com_error.h"
#include "tessary_identity.h"
#include "tessary_control.h"

using Microsoft::WRL::ComPtr;

namespace tessary {

namespace {

constexpr wchar_t kSource[] = L"TESSARYLib.Tessary";
constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

// The saved state: a header, then one float width (twips) per column.
constexpr DWORD kStreamMagic = 0x59525354;  // "TSRY"
constexpr DWORD kStreamVersion = 1;
struct StreamHeader {
    DWORD magic;
    DWORD version;
    LONG rows;
    LONG columns;
};

HRESULT NotImplemented(REFIID iid, const wchar_t* description) {
    return ambrelle::RaiseComError(E_NOTIMPL, iid, kSource, description);
}

HRESULT ReadExactly(IStream* stream, void* buffer, ULONG size) {
    ULONG read = 0;
    HRESULT hr = stream->Read(buffer, size, &read);
    if (FAILED(hr)) return hr;
    return read == size ? S_OK : STG_E_READFAULT;
}

HRESULT WriteExactly(IStream* stream, const void* buffer, ULONG size) {
    ULONG written = 0;
    HRESULT hr = stream->Write(buffer, size, &written);
    if (FAILED(hr)) return hr;
    return written == size ? S_OK : STG_E_WRITEFAULT;
}

int ScreenDpiY() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

// ---------------------------------------------------------------------------
// Font: the container's ambient font, else "宋体" 9 pt, GB2312.

bool TessaryControl::ReadAmbientFont(LOGFONTW* font) {
    if (!client_site_) return false;
    ComPtr<IDispatch> ambient;
    if (FAILED(client_site_.As(&ambient))) return false;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = ambient->Invoke(DISPID_AMBIENT_FONT, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                 &result, nullptr, nullptr);
    if (FAILED(hr)) return false;
    ComPtr<IFont> ambient_font;
    if ((V_VT(&result) == VT_DISPATCH || V_VT(&result) == VT_UNKNOWN) && V_UNKNOWN(&result))
        V_UNKNOWN(&result)->QueryInterface(IID_PPV_ARGS(&ambient_font));
    VariantClear(&result);
    if (!ambient_font) return false;

    BSTR name = nullptr;
    CY size = {};
    BOOL italic = FALSE, underline = FALSE, strike = FALSE;
    SHORT weight = FW_NORMAL, charset = DEFAULT_CHARSET;
    if (FAILED(ambient_font->get_Name(&name)) || !name) return false;
    bool ok = SUCCEEDED(ambient_font->get_Size(&size)) && size.int64 > 0;
    ambient_font->get_Italic(&italic);
    ambient_font->get_Underline(&underline);
    ambient_font->get_Strikethrough(&strike);
    ambient_font->get_Weight(&weight);
    ambient_font->get_Charset(&charset);
    if (ok) {
        *font = LOGFONTW{};
        // Size is in points, scaled by 10000.
        font->lfHeight = -static_cast<LONG>((size.int64 * ScreenDpiY() + 360000) / 720000);
        font->lfWeight = weight;
        font->lfItalic = italic ? 1 : 0;
        font->lfUnderline = underline ? 1 : 0;
        font->lfStrikeOut = strike ? 1 : 0;
        font->lfCharSet = static_cast<BYTE>(charset);
        font->lfQuality = DEFAULT_QUALITY;
        lstrcpynW(font->lfFaceName, name, LF_FACESIZE);
    }
    SysFreeString(name);
    return ok;
}

void TessaryControl::UpdateFont() {
    LOGFONTW font;
    if (!ReadAmbientFont(&font)) {
        font = LOGFONTW{};
        font.lfHeight = -MulDiv(9, ScreenDpiY(), 72);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = GB2312_CHARSET;
        font.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(font.lfFaceName, L"\u5B8B\u4F53", LF_FACESIZE);  // 宋体
    }
    HFONT created = CreateFontIndirectW(&font);
    if (!created) return;
    if (view_) view_->SetFont(created);
    if (font_) DeleteObject(font_);
    font_ = created;
}

// ---------------------------------------------------------------------------
// IOleObject

STDMETHODIMP TessaryControl::SetClientSite(IOleClientSite* site) {
    client_site_ = site;
    if (site) UpdateFont();
    return S_OK;
}

STDMETHODIMP TessaryControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = client_site_.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP TessaryControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;  // the grid shows no window title of its own
}

STDMETHODIMP TessaryControl::Close(DWORD) {
    InPlaceDeactivate();
    if (advise_holder_) advise_holder_->SendOnClose();
    return S_OK;
}

STDMETHODIMP TessaryControl::SetMoniker(DWORD, IMoniker*) {
    return NotImplemented(IID_IOleObject, L"The grid cannot be linked to: it has no moniker.");
}

STDMETHODIMP TessaryControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return NotImplemented(IID_IOleObject, L"The grid cannot be linked to: it has no moniker.");
}

STDMETHODIMP TessaryControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return NotImplemented(IID_IOleObject, L"The grid holds no data of its own to initialise from.");
}

STDMETHODIMP TessaryControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return NotImplemented(IID_IOleObject, L"The grid copies its rows to the clipboard with Ctrl+C only.");
}

STDMETHODIMP TessaryControl::DoVerb(LONG verb, LPMSG, IOleClientSite* active_site, LONG, HWND parent,
                                    LPCRECT position) {
    IOleClientSite* site = active_site ? active_site : client_site_.Get();
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
        return ActivateInPlace(site, parent, position, false);
    case OLEIVERB_UIACTIVATE:
        return ActivateInPlace(site, parent, position, true);
    case OLEIVERB_HIDE:
        if (view_ && view_->hwnd()) ShowWindow(view_->hwnd(), SW_HIDE);
        return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
        return S_OK;  // the grid keeps no undo state
    default:
        if (verb > 0) {
            HRESULT hr = ActivateInPlace(site, parent, position, false);
            return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
        }
        return NotImplemented(IID_IOleObject, L"The grid opens in place only; it has no other verbs.");
    }
}

HRESULT TessaryControl::ActivateInPlace(IOleClientSite* site, HWND parent_hint, LPCRECT position_hint,
                                        bool ui_activate) {
    // A window destroyed with its parent leaves the grid to activate anew.
    if (view_ && !view_->hwnd()) InPlaceDeactivate();
    if (!view_) {
        if (!site) return E_UNEXPECTED;
        ComPtr<IOleInPlaceSite> in_place;
        if (FAILED(site->QueryInterface(IID_PPV_ARGS(&in_place)))) return E_NOINTERFACE;
        if (in_place->CanInPlaceActivate() != S_OK) return E_FAIL;
        HRESULT hr = in_place->OnInPlaceActivate();
        if (FAILED(hr)) return hr;
        HWND parent = nullptr;
        if (FAILED(in_place->GetWindow(&parent)) || !parent) parent = parent_hint;
        RECT position = position_hint ? *position_hint : position_;
        RECT clip = {};
        OLEINPLACEFRAMEINFO frame_info = {};
        frame_info.cb = sizeof(frame_info);
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> document;
        RECT context_position = {};
        if (SUCCEEDED(in_place->GetWindowContext(&frame, &document, &context_position, &clip, &frame_info)))
            position = context_position;
        GridView* view = parent ? new (std::nothrow) GridView(&model_, this, static_cast<ITessary*>(this)) : nullptr;
        hr = !parent ? E_UNEXPECTED : view ? S_OK : E_OUTOFMEMORY;
        if (SUCCEEDED(hr)) {
            view->SetFont(font_);
            hr = view->CreateWindowIn(parent, position);
        }
        if (FAILED(hr)) {
            if (view) {
                view->Detach();
                view->Release();
            }
            in_place->OnInPlaceDeactivate();
            return hr;
        }
        view_ = view;
        in_place_site_ = in_place;
        frame_ = frame;
        document_ = document;
        position_ = position;
    }
    if (ui_activate) {
        ActivateUi();
        if (view_ && view_->hwnd() && GetFocus() != view_->hwnd()) SetFocus(view_->hwnd());
    }
    return S_OK;
}

void TessaryControl::ActivateUi() {
    if (ui_active_ || !in_place_site_) return;
    ui_active_ = true;
    in_place_site_->OnUIActivate();
    IOleInPlaceActiveObject* active = this;
    if (frame_) frame_->SetActiveObject(active, nullptr);
    if (document_) document_->SetActiveObject(active, nullptr);
}

void TessaryControl::OnViewFocus(bool gained) {
    if (gained) ActivateUi();
    ComPtr<IOleControlSite> control_site;
    if (client_site_ && SUCCEEDED(client_site_.As(&control_site))) control_site->OnFocus(gained ? TRUE : FALSE);
}

void TessaryControl::DestroyView() {
    if (!view_) return;
    GridView* view = view_;
    view_ = nullptr;
    view->DestroyWindow();
    view->Detach();
    view->Release();
}

STDMETHODIMP TessaryControl::EnumVerbs(IEnumOLEVERB** verbs) {
    if (!verbs) return E_POINTER;
    *verbs = nullptr;
    return OleRegEnumVerbs(CLSID_Tessary, verbs);
}

STDMETHODIMP TessaryControl::Update() { return S_OK; }

STDMETHODIMP TessaryControl::IsUpToDate() { return S_OK; }

STDMETHODIMP TessaryControl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Tessary;
    return S_OK;
}

STDMETHODIMP TessaryControl::GetUserType(DWORD form, LPOLESTR* type) {
    if (!type) return E_POINTER;
    *type = nullptr;
    return OleRegGetUserType(CLSID_Tessary, form, type);
}

STDMETHODIMP TessaryControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    extent_himetric_ = *size;
    return S_OK;
}

STDMETHODIMP TessaryControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = extent_himetric_;
    return S_OK;
}

STDMETHODIMP TessaryControl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!connection) return E_POINTER;
    *connection = 0;
    if (!advise_holder_) {
        HRESULT hr = CreateOleAdviseHolder(&advise_holder_);
        if (FAILED(hr)) return hr;
    }
    return advise_holder_->Advise(sink, connection);
}

STDMETHODIMP TessaryControl::Unadvise(DWORD connection) {
    if (!advise_holder_) return OLE_E_NOCONNECTION;
    return advise_holder_->Unadvise(connection);
}

STDMETHODIMP TessaryControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (!advise) return E_POINTER;
    *advise = nullptr;
    if (!advise_holder_) return S_OK;  // no connections: no enumerator
    return advise_holder_->EnumAdvise(advise);
}

STDMETHODIMP TessaryControl::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    return S_OK;
}

STDMETHODIMP TessaryControl::SetColorScheme(LOGPALETTE*) {
    return NotImplemented(IID_IOleObject, L"The grid uses the system's colours and takes no colour scheme.");
}

// ---------------------------------------------------------------------------
// IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject

STDMETHODIMP TessaryControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = view_ ? view_->hwnd() : nullptr;
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP TessaryControl::ContextSensitiveHelp(BOOL) {
    return NotImplemented(IID_IOleInPlaceObject, L"The grid has no context-sensitive help.");
}

STDMETHODIMP TessaryControl::InPlaceDeactivate() {
    if (!view_ && !in_place_site_) return S_OK;
    UIDeactivate();
    DestroyView();
    ComPtr<IOleInPlaceSite> site = std::move(in_place_site_);
    frame_.Reset();
    document_.Reset();
    if (site) site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP TessaryControl::UIDeactivate() {
    if (!ui_active_) return S_OK;
    ui_active_ = false;
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    if (document_) document_->SetActiveObject(nullptr, nullptr);
    if (in_place_site_) in_place_site_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP TessaryControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    position_ = *position;
    if (view_) view_->Move(position_);
    return S_OK;
}

STDMETHODIMP TessaryControl::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }

STDMETHODIMP TessaryControl::TranslateAccelerator(LPMSG) {
    return S_FALSE;  // the grid handles its keys in its window procedure
}

STDMETHODIMP TessaryControl::OnFrameWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP TessaryControl::OnDocWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP TessaryControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;  // the grid puts no tools on its container's borders
}

STDMETHODIMP TessaryControl::EnableModeless(BOOL) {
    return S_OK;  // the grid opens no dialogs
}

// ---------------------------------------------------------------------------
// IOleControl

STDMETHODIMP TessaryControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP TessaryControl::OnMnemonic(MSG*) {
    return NotImplemented(IID_IOleControl, L"The grid has no mnemonics.");
}

STDMETHODIMP TessaryControl::OnAmbientPropertyChange(DISPID dispid) {
    if (dispid == DISPID_AMBIENT_FONT || dispid == DISPID_UNKNOWN) UpdateFont();
    return S_OK;
}

STDMETHODIMP TessaryControl::FreezeEvents(BOOL freeze) {
    if (freeze) {
        ++freeze_count_;
    } else if (freeze_count_ > 0 && --freeze_count_ == 0 && view_) {
        view_->Redraw();  // rows skipped while frozen are asked for now
    }
    return S_OK;
}

// ---------------------------------------------------------------------------
// IPersistStreamInit

STDMETHODIMP TessaryControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Tessary;
    return S_OK;
}

STDMETHODIMP TessaryControl::IsDirty() { return model_.revision() != saved_revision_ ? S_OK : S_FALSE; }

STDMETHODIMP TessaryControl::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    StreamHeader header = {};
    HRESULT hr = ReadExactly(stream, &header, sizeof(header));
    if (FAILED(hr)) return hr;
    if (header.magic != kStreamMagic || header.version != kStreamVersion || header.rows < 0 || header.columns < 0 ||
        header.columns > GridModel::kMaxColumns)
        return STG_E_INVALIDHEADER;
    std::vector<float> widths;
    try {
        widths.resize(static_cast<size_t>(header.columns));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!widths.empty()) {
        hr = ReadExactly(stream, widths.data(), static_cast<ULONG>(widths.size() * sizeof(float)));
        if (FAILED(hr)) return hr;
    }
    for (float width : widths) {
        if (!(width >= 0 && width <= GridModel::kMaxColumnWidthTwips)) return STG_E_INVALIDHEADER;
    }
    model_.SetRowCount(header.rows);
    model_.SetColumnCount(header.columns);
    for (LONG c = 1; c <= header.columns; ++c) model_.SetColumnWidthTwips(c, widths[static_cast<size_t>(c - 1)]);
    saved_revision_ = model_.revision();
    RowCountChanged();
    ColumnsChanged();
    return S_OK;
}

STDMETHODIMP TessaryControl::Save(LPSTREAM stream, BOOL clear_dirty) {
    if (!stream) return E_POINTER;
    StreamHeader header = {kStreamMagic, kStreamVersion, model_.row_count(), model_.column_count()};
    HRESULT hr = WriteExactly(stream, &header, sizeof(header));
    for (LONG c = 1; SUCCEEDED(hr) && c <= model_.column_count(); ++c) {
        float width = model_.ColumnWidthTwips(c);
        hr = WriteExactly(stream, &width, sizeof(width));
    }
    if (SUCCEEDED(hr) && clear_dirty) saved_revision_ = model_.revision();
    return hr;
}

STDMETHODIMP TessaryControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = sizeof(StreamHeader) + sizeof(float) * static_cast<ULONGLONG>(model_.column_count());
    return S_OK;
}

STDMETHODIMP TessaryControl::InitNew() {
    model_ = GridModel();
    saved_revision_ = model_.revision();
    RowCountChanged();
    ColumnsChanged();
    return S_OK;
}

// ---------------------------------------------------------------------------
// IViewObject2

STDMETHODIMP TessaryControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                                  BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    if (view_) {
        view_->PaintTo(dc, rect);
        return S_OK;
    }
    // Not active: a window-less view draws the grid from its first row.
    GridView* view = new (std::nothrow) GridView(&model_, this, nullptr);
    if (!view) return E_OUTOFMEMORY;
    view->SetFont(font_);
    view->PaintTo(dc, rect);
    view->Detach();
    view->Release();
    return S_OK;
}

STDMETHODIMP TessaryControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colours) {
    if (colours) *colours = nullptr;
    return NotImplemented(IID_IViewObject2, L"The grid draws with the system's colours and has no palette.");
}

STDMETHODIMP TessaryControl::Freeze(DWORD, LONG, void*, DWORD* freeze) {
    if (freeze) *freeze = 0;
    return NotImplemented(IID_IViewObject2, L"The grid's drawing cannot be frozen.");
}

STDMETHODIMP TessaryControl::Unfreeze(DWORD) {
    return NotImplemented(IID_IViewObject2, L"The grid's drawing cannot be frozen.");
}

STDMETHODIMP TessaryControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    view_sink_ = sink;
    view_sink_aspects_ = aspects;
    view_sink_flags_ = flags;
    return S_OK;
}

STDMETHODIMP TessaryControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = view_sink_aspects_;
    if (flags) *flags = view_sink_flags_;
    if (sink) {
        *sink = view_sink_.Get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP TessaryControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

}  // namespace tessary
